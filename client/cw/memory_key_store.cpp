#include "client/cw/memory_key_store.h"

#include "client/base/registry_store.h"
#include "client/base/status_line.h"
#include "client/cw/cw_text.h"

MemoryKeyStore::MemoryKeyStore(pelorin::CRegistryStore& store, StatusReporter report,
                               QObject* parent)
    : QObject(parent), m_store(store), m_report(std::move(report)) {
    pelorin::TransmitMemoryKeys texts{};
    m_store.ReadTransmitMemoryKeys(texts);
    for (std::size_t i = 0; i < m_texts.size(); ++i) {
        m_texts[i] = texts[i];
    }
}

const std::string& MemoryKeyStore::text(int index) const {
    static const std::string kNone;
    return index >= 0 && index < kCount ? m_texts[static_cast<std::size_t>(index)] : kNone;
}

std::string MemoryKeyStore::NotSavedText(int index) {
    return "F" + std::to_string(index + 1) + " not saved: settings cannot be written";
}

std::string MemoryKeyStore::TooLongText(int index) {
    return "F" + std::to_string(index + 1) + " not saved: the settings keep at most 253 bytes";
}

bool MemoryKeyStore::write(int index, const std::string& text) {
    if (index < 0 || index >= kCount) {
        return false;
    }
    auto& stored = m_texts[static_cast<std::size_t>(index)];
    if (text == stored && cw::MemoryTextFault(text)) {
        // A text stored longer or wider than the edit allows stays in the file as it is until
        // the operator changes it: a write would cut it.
        emit changed(index, stored);
        return true;
    }
    if (text.size() > kMaxTextBytes) {
        // Shortened from a stored text longer still, on its way to keeping
        // the rule: the settings would cut it, dropping what the operator has
        // not chosen to remove, so the file keeps what it held until the text
        // fits. This run uses it; its key refuses it.
        if (m_report) {
            m_report(kStatusError, TooLongText(index));
        }
        stored = text;
        emit changed(index, text);
        return false;
    }
    const bool saved = m_store.WriteTransmitMemoryKey(index, text);
    if (!saved && m_report) {
        m_report(kStatusError, NotSavedText(index));
    }
    stored = text;
    emit changed(index, text);
    return saved;
}
