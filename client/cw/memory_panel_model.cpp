#include "client/cw/memory_panel_model.h"

#include <QtGlobal>

namespace cw {

void MemoryPanelModel::setCommitted(int index, const std::string& text) {
    if (!valid(index)) {
        return;
    }
    m_committed[idx(index)] = text;
    if (!m_changed[idx(index)]) {
        m_draft[idx(index)] = text;
    }
}

void MemoryPanelModel::edit(int index, const std::string& text) {
    if (!valid(index) || m_draft[idx(index)] == text) {
        return;
    }
    m_draft[idx(index)] = text;
    m_changed[idx(index)] = true;
    qDebug("Mememory # %d is changed", index + 1);
}

std::optional<MemoryPanelModel::Commit> MemoryPanelModel::editKey(int index) {
    if (!valid(index)) {
        return std::nullopt;
    }
    if (m_editing == index) {
        m_editing = kNoKey;
        return std::nullopt;
    }
    m_editing = index;
    if (m_changed[idx(index)]) {
        return commit(index);
    }
    m_locked[idx(index)] = false;
    return std::nullopt;
}

std::optional<MemoryPanelModel::Commit> MemoryPanelModel::commit(int index) {
    if (!valid(index)) {
        return std::nullopt;
    }
    m_locked[idx(index)] = true;
    if (!m_changed[idx(index)]) {
        return std::nullopt;
    }
    m_changed[idx(index)] = false;
    m_committed[idx(index)] = m_draft[idx(index)];
    return Commit{index, m_committed[idx(index)]};
}

std::optional<MemoryPanelModel::Commit> MemoryPanelModel::commitFirstChanged() {
    for (int i = 0; i < kMemoryCount; ++i) {
        if (m_changed[idx(i)]) {
            return commit(i);
        }
    }
    return std::nullopt;
}

std::vector<MemoryPanelModel::Commit> MemoryPanelModel::commitAll() {
    std::vector<Commit> commits;
    for (int i = 0; i < kMemoryCount; ++i) {
        if (m_changed[idx(i)]) {
            commits.push_back(*commit(i));
        }
    }
    return commits;
}

void MemoryPanelModel::cancel() {
    for (int i = 0; i < kMemoryCount; ++i) {
        m_draft[idx(i)] = m_committed[idx(i)];
        m_changed[idx(i)] = false;
    }
    lockAll();
}

std::string MemoryPanelModel::transmit(int index) {
    lockAll();
    return valid(index) ? m_committed[idx(index)] : std::string();
}

void MemoryPanelModel::lockAll() {
    m_locked.fill(true);
}

}  // namespace cw
