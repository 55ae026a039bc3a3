#pragma once

// FrontPanelModel: what the front panel knows about the radio and the link,
// without a widget or an ORB type.
//
// The panel dialog owns one, changes its members from replies, notices and
// the operator's actions, and shows what the display functions below derive
// from them; it never keeps a second copy of a value in a widget. The member
// names are the panel's own (`m_ulVFOAFreq`, `m_nCWSpeed`, ...) so that the
// reply decoding and the commands read the same as the dialog.
//
// Plain data, GUI thread only, no lock.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// One entry of the tuning-span combo: its text and the window width in Hz
// (0 = the whole band).
struct TuningSpan {
    std::string_view text;
    std::int64_t width;
};

inline constexpr std::array<TuningSpan, 4> SpanTable = {{
    {" Full", 0},
    {" 100K", 100000},
    {"  40K", 40000},
    {"   5K", 5000},
}};

// Band names by band index 0..8 (10 m ... 160 m).
inline constexpr std::array<std::string_view, 9> kBandNames = {
    "  10M", "  12M", "  15M", "  17M", "  20M", "  30M", "  40M", "  80M", " 160M",
};

// The band that holds the current frequency: its name, index 0..8 and edges
// in Hz. Empty (index -1, edges 0) until a band is found.
struct PanelTuningRange {
    std::string name;
    int nBand = -1;
    std::uint32_t ulLowBandEdge = 0;
    std::uint32_t ulHighBandEdge = 0;

    bool IsKnown() const { return nBand >= 0 && ulHighBandEdge >= ulLowBandEdge; }
};

// The tuning slider's window in Hz.
struct SliderWindow {
    std::int64_t low = 0;
    std::int64_t high = 0;
};

// The window of the tuning slider for frequency `f` with span index `span`
// inside `band`. Span 0 is the whole band; spans 1-3 centre a window of their
// width on `f` and slide it back inside the band when it sticks out. The
// arithmetic is signed 64-bit: a frequency below half the width gives a
// window that starts at the band's edge (or at 0 when no band is known), never
// one that wraps round. A band narrower than the span is the window itself.
// Any other span index returns nothing: the caller keeps its window.
std::optional<SliderWindow> ComputeSliderWindow(int span, std::int64_t f,
                                                const PanelTuningRange& band);

// "%10.2f" of hz / 1000: a frequency in kHz, right-aligned in ten characters.
std::string FormatKHz(std::int64_t hz);

// Colours of the panel, 0x00BBGGRR.
namespace panel_colors {
inline constexpr std::uint32_t kFace = 0xC0C0C0;
inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kVfoInUse = 0xF0CAA6;
inline constexpr std::uint32_t kConnected = 0x00FF00;
inline constexpr std::uint32_t kStatusOff = 0x343400;
inline constexpr std::uint32_t kStatusOn = 0xCCFC5C;
inline constexpr std::uint32_t kStatusErrorOff = 0x000034;
inline constexpr std::uint32_t kStatusErrorOn = 0x0000FF;
}  // namespace panel_colors

class FrontPanelModel {
  public:
    // Link state.
    int m_bConnected = 0;
    int m_bServerNoticeSeen = 0;
    // A radio reply has come since the last connect and since the last
    // answer that the radio's port is not open: only then are the radio
    // members below the radio's, not start-up or stale values.
    int m_bRadioAnswered = 0;
    int m_bWindowsMoveTogether = 1;

    // Radio state, as the radio last reported it (or the defaults until then).
    std::uint32_t m_ulVFOAFreq = 28060000;
    std::uint32_t m_ulVFOBFreq = 14060000;
    int m_nOpMode = 1;
    int m_nXFIL = 4;
    int m_nAFIL = 2;
    int m_nAGC = 0;
    int m_nNB = 1;
    int m_nXFILBandwidth = 0;
    int m_nAntenna = 1;
    int m_nRFPower = 0;
    int m_bPreamp = 0;
    int m_bAttenuator = 0;
    int m_nRITOffset = 0;
    int m_bHighPowerRange = 0;
    int m_bRFAmpOption = 0;
    int m_bRITOn = 0;
    int m_bXITOn = 0;
    PanelTuningRange m_CurTuningRange;
    int m_bVFOLocked = 0;
    int m_bFirstMove = 1;
    int m_bAwaitFreqEcho = 0;
    std::uint32_t m_ulAwaitedFreq = 0;
    int m_nTuningSpan = 0;
    std::int64_t m_ulSliderLow = 0;
    std::int64_t m_ulSliderHigh = 0;
    int m_nTxVFO = 0;
    int m_nRxVFO = 0;
    std::array<std::array<std::uint32_t, 2>, 9> m_VfoBank{};
    int m_nBarGraph = 0;
    int m_bCWWindowOpen = 0;
    std::string m_strPartnerWindow;
    int m_bInVFOTurboMode = 0;
    int m_nRITSliderPos = 1000;
    int m_nCWSpeed = 1;
    int m_nSquelch = 0;

    // Texts of the indicators and readouts the dialog exchanges.
    std::string m_strConnectTo = "None";
    std::uint32_t m_connectToBk = panel_colors::kFace;
    std::uint32_t m_connectToText = panel_colors::kBlack;
    std::string m_strActiveFreq;
    std::string m_strXFILBandwidth;
    std::string m_strRITOffset;
    std::string m_strATT = "ATT";
    std::string m_strANT2 = "ANT2";
    std::string m_strNB = "NB";
    std::string m_strPRE = "PRE";
    std::string m_strRIT = "RIT";
    std::string m_strVFOB = "VFOB";
    std::string m_strXIT = "XIT";

    // Derived display values.
    std::string VfoAText() const { return FormatKHz(m_ulVFOAFreq); }
    std::string VfoBText() const { return FormatKHz(m_ulVFOBFreq); }
    // "%6.1f" of the power: tenths of a watt in the low range, watts in the high.
    std::string PowerText() const;
    // The power slider's thumb: the top is the most power.
    int PowerSliderPosition() const { return 150 - m_nRFPower; }
    // "%d" of the RIT slider position's offset from its centre.
    std::string RitValueText() const;
    // The receive VFO's frequency.
    std::uint32_t RxFrequency() const { return m_nRxVFO == 0 ? m_ulVFOAFreq : m_ulVFOBFreq; }

    // Recomputes the tuning slider's window for `f` with the current span and
    // band (unchanged for an unknown span index) and the active-frequency text.
    void SetTuningSliderWindow(std::int64_t f);

    // The first server notice lights the link indicator.
    void MarkLinkUp();
    // The link is gone: not connected, indicator back to "None", and the next
    // connected notice lights it again.
    void MarkLinkDown();

    // ---- Radio replies, displays, tuning and the VFO controls -----------------
    // (panel_model_replies.cpp, panel_model_tuning.cpp)
    using Clock = std::chrono::steady_clock;

    // How long the tuning slider waits for the echo of the frequency it sent.
    static constexpr std::chrono::milliseconds kEchoWait{1000};

    // The band of a frequency, from the settings store's tuning ranges; the
    // dialog sets it. Unset finds nothing.
    std::function<std::optional<PanelTuningRange>(std::uint32_t)> m_findTuningRange;

    // Looks the displays show. Shaded buttons whose on/off look was set, by
    // control id (1 on, 0 off); a button not in the map keeps its start look.
    std::map<int, int> m_buttonOn;
    // Texts of the control-shaded buttons.
    std::string m_strAFILButton = "AFIL: OFF";
    std::string m_strNBButton = "NB: OFF";
    std::string m_strAntennaButton = "ANT: 1";
    // Faces of the colour buttons (VFO lamps, RIT/XIT lamps, S-meter lamps)
    // by control id.
    std::map<int, std::uint32_t> m_lampFace;
    // Backgrounds of the status indicators NB, ANT2, PRE, ATT, VFOB, RIT, XIT.
    std::array<std::uint32_t, 7> m_indicatorBk{
        panel_colors::kFace, panel_colors::kFace, panel_colors::kFace, panel_colors::kFace,
        panel_colors::kFace, panel_colors::kFace, panel_colors::kFace};
    std::string m_strBanner = "Elecraft";
    // The tuning slider's thumb in 10-Hz units; the band combo's selection.
    std::int64_t m_nTuningPos = 0;
    int m_nBandSel = -1;
    int m_bRITControlsEnabled = 0;
    // Turbo tuning: the frequency under the thumb, sent when it is let go.
    std::uint32_t m_ulTurboFreq = 0;
    // When the awaited echo stops being awaited.
    Clock::time_point m_awaitDeadline{};

    // What a reply asks the dialog to refresh.
    enum class ReplyEffect {
        None,      // the reply did not decode: nothing changed
        Displays,  // members, looks and readouts
        BarGraph,  // the S-meter lamps only
        Banner,    // the LED banner and the indicators only
    };

    // Decodes one radio reply (`text` starts with its two letters) and
    // changes the members and looks. A reply that does not decode changes
    // nothing; no text can make it throw or leave an index out of range.
    ReplyEffect ParseRadioReply(int code, std::string_view text, Clock::time_point now);

    // The display setters: each shows its value and stores it.
    void ShowOpMode(int mode);
    void ShowAGC(int agc);
    void ShowXFIL(int filter);
    void ShowAFIL(int afil);
    void ShowNB(int nb);
    void ShowAntenna(int antenna);
    void ShowPreamp(int on);
    void ShowAttenuator(int on);
    void ShowBarGraph(int level);
    void EnableRITControls(int enable);

    // Colours of the frequency edits (vfo 0 = A, 1 = B) and the RIT/XIT
    // offset edit, from the receive and transmit VFO and RIT/XIT.
    std::uint32_t VfoEditColor(int vfo) const;
    std::uint32_t RitOffsetEditColor() const;

    // The awaited echo, once its time is over, is forgotten.
    bool EchoAwaited(Clock::time_point now);
    void ArmEcho(std::uint32_t hz, Clock::time_point now);

    // What the tuning slider sends: nothing, or a frequency for VFOFreq.
    // `connected` decides whether a frequency would go out; the latch is
    // armed only when it does.
    std::optional<std::uint32_t> OnTuningSlider(int code, int position, bool connected,
                                                Clock::time_point now);
    // The RIT slider: the new position for `code`; at the end of a scroll the
    // RITTuning direction (1 up, 2 down) and amount.
    struct RitTuning {
        int direction;
        int amount;
    };
    std::optional<RitTuning> OnRitSlider(int code, int position);

    // Places the tuning slider for a frequency of the receive VFO: inside
    // the window the thumb moves, outside it the band is looked up (when
    // `lookUp`) and the window moves.
    void FollowFrequency(std::uint32_t hz, bool lookUp);

    // Helpers of the reply handling.
    void ApplyVfoLamps(int rxVfo, int txVfo);
    void ApplyRitLamps();
    void StoreInBank(std::uint32_t hz, int column);
    void ShowFrequency(int vfo, std::uint32_t hz, Clock::time_point now);
    void ShowDisplayReply(std::string_view text);
};

// A frequency typed in kHz ("14060.01", blanks around allowed) in Hz, rounded
// to the nearest Hz; nothing unless it is a plain decimal number above 0 and at
// most 30000 kHz.
std::optional<std::uint32_t> ParseFrequencyEntry(std::string_view text);
