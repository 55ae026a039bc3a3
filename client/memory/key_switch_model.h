#pragma once

// The key-switch panel without its widgets: what each button of the "Basic"
// page reads, how it is shaded and which key code it sends in each key menu
// and configuration set, and the "Advance" page's frequency-scan states with
// the checks and clamps of the typed limits.
//
// Key codes are the radio's key-switch numbers: 1-16 a tap of the sixteen
// main keys, 17-32 a hold of the same keys, 33-37 five fixed keys, 38-53 the
// first configuration set and 54-69 the second.
//
// Pure logic (no widget); any thread, one owner.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/panel/front_panel_model.h"
#include "controls/green_shade.h"

namespace key_switch {

// Button ids of the "Basic" page.
inline constexpr int IDC_MENU_BUTTON = 1272;
inline constexpr int IDC_CONFIG_BUTTON = 1338;
// Shade colours (0x00BBGGRR); the green is the dialogs' own.
inline constexpr std::uint32_t kGreen = green_shade::kShadeColor;
inline constexpr std::uint32_t kRed = 0x3737FF;

// The sixteen main keys, the five fixed keys and the sixteen configuration
// keys, in the order of their tables.
const std::vector<int>& MainKeys();
const std::vector<int>& FixedKeys();
const std::vector<int>& ConfigKeys();

class BasicPageModel {
  public:
    static constexpr int kTapMenu = 0;
    static constexpr int kNumericMenu = 1;
    static constexpr int kHoldMenu = 2;
    static constexpr int kFirstSet = 3;
    static constexpr int kSecondSet = 4;

    int KeyMenu() const { return m_nKeyMenu; }
    int ConfigSet() const { return m_nConfigSet; }

    // Each page start: tap labels; the configuration set stays.
    void Init() { m_nKeyMenu = kTapMenu; }
    // 1272: tap -> numeric -> hold -> tap.
    void NextKeyMenu() { m_nKeyMenu = (m_nKeyMenu + 1) % 3; }
    // 1338: the other configuration set.
    void NextConfigSet() { m_nConfigSet = m_nConfigSet == kFirstSet ? kSecondSet : kFirstSet; }

    // What button `id` reads now; "" for an unknown id.
    std::string Label(int id) const;
    // Its shade colour now.
    std::uint32_t Shade(int id) const;
    // The key code it sends now; nothing for 1272, 1338 and unknown ids.
    std::optional<int> Code(int id) const;

  private:
    int m_nKeyMenu = kTapMenu;
    int m_nConfigSet = kFirstSet;
};

// The scan page: idle ("Scan"), waiting for limits ("Start" / "Get Limits"),
// scanning ("Resume" / "Stop Scan"; Start disabled).
class ScanPageModel {
  public:
    static constexpr int kResumeKeyCode = 31;
    static constexpr const char* kInvalidFrequency = "Invalid frequency";

    enum class Field { Low, High };

    // What the window must do after an action.
    struct Effects {
        bool askLimits = false;                                       // post command 16
        std::optional<int> keyCode;                                   // post command 15
        std::optional<std::pair<std::uint32_t, std::uint32_t>> scan;  // post 17, store
        std::optional<Field> refused;  // "Invalid frequency" on this field
    };

    bool ScanArmed() const { return m_bScanArmed; }
    bool Scanning() const { return m_bScanning; }
    bool LimitsKnown() const { return m_bLimitsKnown; }
    // The edits' texts ("%10.2f" kHz) and whether they take typing.
    const std::string& LowText() const { return m_strLowLimit; }
    const std::string& HighText() const { return m_strHighLimit; }
    bool EditsWritable() const { return m_bEditsWritable; }

    // The three buttons: 1341's label and state, 1342's label and state,
    // 1343's state.
    std::string ScanLabel() const { return m_bScanArmed ? "Scan" : "Start"; }
    bool ScanEnabled() const { return !m_bScanning; }
    std::string SecondLabel() const { return m_strSecondLabel; }
    bool SecondEnabled() const { return m_bSecondEnabled; }
    bool StopEnabled() const { return true; }

    // 1341 "Scan" or "Start"; the texts typed in the edits go with Start.
    Effects OnScan(std::string_view lowText, std::string_view highText);
    // The panel's answer to command 16: the current band (unknown before the
    // first connection: nothing is filled) and the stored limits (0: none).
    void OnLimits(const PanelTuningRange& band, std::uint32_t storedLow, std::uint32_t storedHigh);
    // 1342 "Get Limits" or "Resume".
    Effects OnSecond();
    // 1343 "Stop Scan".
    Effects OnStop();

  private:
    void ShowLimits(std::uint32_t low, std::uint32_t high);

    bool m_bScanArmed = true;
    bool m_bScanning = false;
    bool m_bLimitsKnown = false;
    bool m_bEditsWritable = false;
    bool m_bSecondEnabled = false;
    std::string m_strSecondLabel = "Resume";
    PanelTuningRange m_range;
    std::string m_strLowLimit;
    std::string m_strHighLimit;
};

}  // namespace key_switch
