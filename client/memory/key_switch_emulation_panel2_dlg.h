#pragma once

// CKeySwitchEmulationPanel2Dlg: the key-switch panel's "Advance" page, a
// frequency scan between two limits of the current band. "Scan" asks the
// target for the band's limits (command 16 with this page); the answer
// (OnLimitsAnswer) fills the edits from the stored limits or the band's
// edges and makes them writable; "Start" checks and clamps the typed limits,
// stores them and queues the scan (17); "Resume" and "Stop Scan" send the
// radio's key 31. Limits that do not read as a frequency are refused with
// "Invalid frequency" and nothing is posted or stored. The states and rules
// are key_switch::ScanPageModel's.
//
// A page of the key-switch panel (modeless); GUI thread only.

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>

#include "client/memory/key_switch_model.h"

class CEditEx;
class CxShadeButton;
class KeySwitchTarget;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class CKeySwitchEmulationPanel2Dlg : public QWidget {
    Q_OBJECT

  public:
    static constexpr int IDD = 170;
    static constexpr int IDC_LOW_LIMIT = 1339;
    static constexpr int IDC_HIGH_LIMIT = 1340;
    static constexpr int IDC_SCAN = 1341;
    static constexpr int IDC_RESUME = 1342;
    static constexpr int IDC_STOP_SCAN = 1343;

    static constexpr std::uint32_t kReadOnlyColor = 0xC0C0C0;
    static constexpr std::uint32_t kWritableColor = 0xF0CAA6;

    CKeySwitchEmulationPanel2Dlg(KeySwitchTarget* target, pelorin::CRegistryStore& store,
                                 QWidget* parent = nullptr);

    void OnScan();
    void OnSecond();
    void OnStopScan();
    // The target's answer to command 16.
    void OnLimitsAnswer(const PanelTuningRange& range);

    CEditEx* lowEdit() const { return m_editLow; }
    CEditEx* highEdit() const { return m_editHigh; }
    CxShadeButton* button(int id) const;
    const key_switch::ScanPageModel& model() const { return m_model; }

  private:
    void Apply(const key_switch::ScanPageModel::Effects& effects);
    void ShowState();
    void ShowLimits();
    void Post(std::function<void(KeySwitchTarget&)> call);

    KeySwitchTarget* m_target;
    QPointer<QObject> m_targetObject;
    pelorin::CRegistryStore& m_store;
    key_switch::ScanPageModel m_model;
    CEditEx* m_editLow = nullptr;
    CEditEx* m_editHigh = nullptr;
    CxShadeButton* m_btnScan = nullptr;
    CxShadeButton* m_btnResume = nullptr;
    CxShadeButton* m_btnStop = nullptr;
};
