#pragma once

// CTransmitMemoryCFGDlg: the "Transmit Memory Key Configuration" page of
// Pelorin's System Configuration sheet, F1-F11 side by side.
//
// A view of the MemoryKeyStore like the memory-key panel: it shows the texts
// as they are now and follows changes made elsewhere to memories not edited
// here; Apply stores only the memories edited on the page, so a change made
// in the panel while the sheet is open stands. Every check passes (the edits
// take only keyable text of at most 253 characters, or a stored text that
// breaks that rule shortened, which the store keeps to its own rule).
//
// GUI thread only.

#include <array>

#include "controls/property_page.h"

class CEditEx;
class MemoryKeyStore;

class CTransmitMemoryCFGDlg : public PropertyPage {
    Q_OBJECT

  public:
    static constexpr const char* kTitle = "Transmit Memory Key Configuration";

    // `store` is not owned and outlives the page.
    explicit CTransmitMemoryCFGDlg(MemoryKeyStore& store, QWidget* parent = nullptr);

    bool check() override { return true; }
    bool apply() override;

    CEditEx* edit(int index) const;

  private:
    MemoryKeyStore& m_store;
    std::array<CEditEx*, 11> m_edits{};
    std::array<bool, 11> m_edited{};
};
