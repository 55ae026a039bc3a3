#include "client/cw/memory_key_store.h"

#include "client/base/registry_store.h"
#include "client/base/status_line.h"
#include "client/cw/cw_text.h"
#include "platform/utf8_text.h"

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
    const std::string kept = cutUtf8(text, kMaxTextBytes);
    const bool saved = m_store.WriteTransmitMemoryKey(index, kept);
    if (!saved && m_report) {
        m_report(kStatusError, NotSavedText(index));
    }
    stored = kept;
    emit changed(index, kept);
    return saved;
}
