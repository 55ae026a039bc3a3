#include "client/panel/front_panel_layout.h"

namespace front_panel {

namespace {

using C = ControlClass;

constexpr const char* kTahoma = "Tahoma";
constexpr const char* kCourier = "Courier New";
constexpr const char* kTimes = "Times New Roman";

constexpr Look shaded(const char* face, int height, const char* tip, Shade shade, int icon = 0,
                      int iconAlign = 0) {
    Look look;
    look.face = face;
    look.height = height;
    look.weight = face != nullptr ? 600 : 0;
    look.tooltip = tip;
    look.shade = shade;
    look.icon = icon;
    look.iconAlign = iconAlign;
    return look;
}

constexpr Look colored(const char* face, int height, int weight, std::uint32_t background,
                       bool readOnly = false) {
    Look look;
    look.face = face;
    look.height = height;
    look.weight = weight;
    look.background = background;
    look.readOnly = readOnly;
    return look;
}

constexpr Look readOnly() {
    Look look;
    look.readOnly = true;
    return look;
}

constexpr Look disabled() {
    Look look;
    look.disabled = true;
    return look;
}

constexpr Look tahoma(const char* tip, Shade shade) {
    return shaded(kTahoma, 12, tip, shade);
}

constexpr Look indicator() {
    return colored(kTimes, -10, 100, 0xC0C0C0);
}

// clang-format off
constexpr LayoutRow kRows[] = {
    // Group boxes.
    {IDC_STATIC, C::GroupBox, "Operating Mode", 70, 18, 89, 53, {}},
    {IDC_STATIC, C::GroupBox, "AGC", 14, 80, 50, 58, {}},
    {IDC_STATIC, C::GroupBox, "Misc", 70, 80, 48, 43, {}},
    {IDC_STATIC, C::GroupBox, "PWR", 127, 80, 31, 106, {}},
    {IDC_STATIC, C::GroupBox, "Crystal Filter", 13, 139, 104, 42, {}},
    {IDC_STATIC, C::GroupBox, "Squelch", 14, 185, 145, 28, {}},
    {IDC_STATIC, C::GroupBox, "CW Speed", 14, 214, 146, 28, {}},
    {IDC_STATIC, C::GroupBox, "Frequency Control", 171, 130, 150, 88, {}},
    {IDC_STATIC, C::GroupBox, "RIT/XIT Control", 339, 128, 126, 74, {}},
    {IDC_STATIC, C::GroupBox, "S Meter", 231, 8, 90, 43, {}},

    // Fixed labels and the S-meter scale.
    {IDC_STATIC, C::Label, "Connect to:", 12, 4, 46, 8, {}},
    {IDC_STATIC, C::Label, "VFO A", 244, 75, 24, 8, {}},
    {IDC_STATIC, C::Label, "VFO B", 389, 75, 24, 8, {}},
    {IDC_STATIC, C::Label, "BAND", 178, 203, 24, 8, {}},
    {IDC_STATIC, C::Label, "1", 237, 24, 8, 8, {}},
    {IDC_STATIC, C::Label, "5", 261, 24, 8, 8, {}},
    {IDC_STATIC, C::Label, "9", 277, 24, 8, 8, {}},
    {IDC_STATIC, C::Label, "0", 293, 24, 8, 8, {}},
    {IDC_STATIC, C::Label, "0", 309, 24, 8, 8, {}},
    {IDC_STATIC, C::Label, "S", 277, 16, 8, 8, {}},
    {IDC_STATIC, C::Label, "2", 293, 16, 8, 8, {}},
    {IDC_STATIC, C::Label, "4", 309, 16, 8, 8, {}},

    // Shaded buttons.
    {IDOK, C::ShadeButton, "", 405, 224, 62, 17,
     shaded(nullptr, 0, "Exit Pelorin", Shade::Green, IDI_EXIT, 0x300)},
    {IDC_CONNECT, C::ShadeButton, "", 340, 224, 64, 17,
     shaded(nullptr, 0, "Connect To Brakton", Shade::Green, IDI_CONNECT, 0x300)},
    {IDC_TUNE, C::ShadeButton, "", 186, 67, 25, 19,
     shaded(nullptr, 0, "TUNE Transmitter", Shade::Green, IDI_TUNE, 0x300)},
    {IDC_CW_WINDOW, C::ShadeButton, "CW", 340, 206, 64, 17,
     shaded(kCourier, 16, "Transmit CW via keyboard", Shade::Green)},
    {IDC_SW_PANEL, C::ShadeButton, "SW Panel", 405, 206, 62, 17,
     shaded(kCourier, 16, "Virtual Switch Panel", Shade::Green)},
    {IDC_RIT_DOWN, C::ShadeButton, "", 349, 158, 15, 26,
     shaded(nullptr, 0, "RIT/XIT Down 10Hz", Shade::Arrow, IDI_RIT_DOWN, 0x100)},
    {IDC_RIT_UP, C::ShadeButton, "", 440, 158, 15, 26,
     shaded(nullptr, 0, "RIT/XIT Up 10Hz", Shade::Arrow, IDI_RIT_UP, 0x200)},
    {IDC_AFIL, C::ShadeButton, "AFIL: OFF", 14, 39, 47, 15, tahoma("Audio Filter", Shade::Control)},
    {IDC_NB, C::ShadeButton, "NB: OFF", 14, 56, 47, 15, tahoma("Noise Blanker", Shade::Control)},
    {IDC_ANTENNA, C::ShadeButton, "ANT: 1", 13, 22, 47, 15,
     tahoma("Antenna Position", Shade::Control)},
    {IDC_AGC_FAST, C::ShadeButton, "Fast", 18, 92, 41, 13, tahoma("AGC Fast", Shade::Normal)},
    {IDC_AGC_SLOW, C::ShadeButton, "Slow", 18, 107, 41, 13, tahoma("AGC Slow", Shade::Normal)},
    {IDC_AGC_OFF, C::ShadeButton, "Off", 18, 122, 41, 13, tahoma("AGC Off", Shade::Normal)},
    {IDC_PREAMP, C::ShadeButton, "PRE", 73, 92, 41, 13, tahoma("Preamp", Shade::Normal)},
    {IDC_ATT, C::ShadeButton, "ATT", 73, 107, 41, 13, tahoma("Attenuator", Shade::Normal)},
    {IDC_XFIL1, C::ShadeButton, "XFIL 1", 18, 149, 41, 13,
     tahoma("Crystal Filter # 1", Shade::Normal)},
    {IDC_XFIL2, C::ShadeButton, "XFIL 2", 69, 149, 41, 13,
     tahoma("Crystal Filter # 2", Shade::Normal)},
    {IDC_XFIL3, C::ShadeButton, "XFIL 3", 18, 163, 41, 13,
     tahoma("Crystal Filter # 3", Shade::Normal)},
    {IDC_XFIL4, C::ShadeButton, "XFIL 4", 69, 163, 41, 13,
     tahoma("Crystal Filter # 4", Shade::Normal)},
    {IDC_MODE_CW, C::ShadeButton, "CW", 78, 29, 38, 12, tahoma("CW", Shade::Normal)},
    {IDC_MODE_LSB, C::ShadeButton, "LSB", 78, 42, 38, 12, tahoma("LSB", Shade::Normal)},
    {IDC_MODE_USB, C::ShadeButton, "USB", 78, 55, 38, 12, tahoma("USB", Shade::Normal)},
    {IDC_MODE_CWR, C::ShadeButton, "CWR", 117, 29, 38, 12, tahoma("CW Reverse", Shade::Normal)},
    {IDC_MODE_RTTY, C::ShadeButton, "RTTY", 117, 42, 38, 12, tahoma("RTTY", Shade::Normal)},
    {IDC_MODE_RTTYR, C::ShadeButton, "RTTYR", 117, 55, 38, 12,
     tahoma("RTTY Reverse", Shade::Normal)},

    // Colour buttons: black on grey; the two ">>" start disabled.
    {IDC_VFOA_RX, C::ClrButton, "Rx", 271, 72, 16, 14, {}},
    {IDC_VFOA_TX, C::ClrButton, "Tx", 287, 72, 16, 14, {}},
    {IDC_VFOB_RX, C::ClrButton, "Rx", 416, 72, 16, 14, {}},
    {IDC_VFOB_TX, C::ClrButton, "Tx", 432, 72, 16, 14, {}},
    {IDC_RIT, C::ClrButton, "RIT", 387, 140, 23, 14, {}},
    {IDC_XIT, C::ClrButton, "XIT", 410, 140, 23, 14, {}},
    {IDC_VFOA_GO, C::ClrButton, ">>", 187, 93, 12, 31, disabled()},
    {IDC_VFOB_GO, C::ClrButton, ">>", 334, 94, 11, 29, disabled()},
    {IDC_LAMP_0, C::ClrButton, "", 236, 34, 8, 13, {}},
    {IDC_LAMP_1, C::ClrButton, "", 244, 34, 8, 13, {}},
    {IDC_LAMP_2, C::ClrButton, "", 252, 34, 8, 13, {}},
    {IDC_LAMP_3, C::ClrButton, "", 260, 34, 8, 13, {}},
    {IDC_LAMP_4, C::ClrButton, "", 268, 34, 8, 13, {}},
    {IDC_LAMP_5, C::ClrButton, "", 276, 34, 8, 13, {}},
    {IDC_LAMP_6, C::ClrButton, "", 284, 34, 8, 13, {}},
    {IDC_LAMP_7, C::ClrButton, "", 292, 34, 8, 13, {}},
    {IDC_LAMP_8, C::ClrButton, "", 300, 34, 8, 13, {}},
    {IDC_LAMP_9, C::ClrButton, "", 308, 34, 8, 13, {}},

    // Coloured edits.
    {IDC_VFOA, C::EditEx, "", 199, 94, 122, 28, colored(kTimes, -36, 700, 0xF0CAA6, true)},
    {IDC_VFOB, C::EditEx, "", 345, 95, 120, 27, colored(kTimes, -36, 700, 0xC0C0C0, true)},
    {IDC_RIT_OFFSET, C::EditEx, "", 348, 139, 38, 16,
     colored(kTimes, -19, 700, 0xC0C0C0, true)},
    {IDC_CW_SPEED, C::EditEx, "", 127, 222, 30, 17, colored(kTimes, -19, 700, 0xC0C0C0, true)},
    {IDC_SQUELCH, C::EditEx, "", 127, 194, 29, 17, colored(kTimes, -18, 700, 0xC0C0C0, true)},
    {IDC_ACTIVE_FREQ, C::EditEx, "", 272, 170, 44, 15,
     colored(kTimes, -12, 700, 0xC0C0C0, true)},
    {IDC_RIT_VALUE, C::EditEx, "", 348, 185, 44, 14, colored(kTimes, -14, 700, 0xC0C0C0)},
    {IDC_POWER, C::PlainEdit, "", 129, 89, 28, 12, readOnly()},

    // Coloured statics.
    {IDC_XFIL_BW, C::StaticEx, "", 74, 125, 42, 13, colored(kTimes, -15, 700, 0xC0C0C0)},
    {IDC_CONNECT_TO, C::StaticEx, "None", 61, 4, 28, 8, colored(nullptr, 0, 0, 0xC0C0C0)},
    {IDC_IND_NB, C::StaticEx, "NB", 331, 8, 16, 9, indicator()},
    {IDC_IND_ANT2, C::StaticEx, "ANT2", 351, 8, 16, 9, indicator()},
    {IDC_IND_PRE, C::StaticEx, "PRE", 371, 8, 16, 9, indicator()},
    {IDC_IND_ATT, C::StaticEx, "ATT", 390, 8, 16, 9, indicator()},
    {IDC_IND_VFOB, C::StaticEx, "VFOB", 409, 8, 18, 9, indicator()},
    {IDC_IND_RIT, C::StaticEx, "RIT", 429, 8, 16, 9, indicator()},
    {IDC_IND_XIT, C::StaticEx, "XIT", 448, 8, 16, 9, indicator()},

    // LED displays.
    {IDC_BANNER, C::DigiStatic, "Elecraft", 331, 21, 132, 30, {}},
    {IDC_STATUS, C::DigiMarquee, "", 171, 224, 151, 17, {}},

    // Sliders.
    {IDC_TUNING_SLIDER, C::TurboSlider, "", 176, 170, 96, 28, {}},
    {IDC_POWER_SLIDER, C::VerticalSlider, "", 130, 104, 26, 79, {}},
    {IDC_CW_SPEED_SLIDER, C::Slider, "", 18, 222, 108, 17, {}},
    {IDC_SQUELCH_SLIDER, C::Slider, "", 17, 194, 109, 17, {}},
    {IDC_RIT_SLIDER, C::Slider, "", 365, 158, 74, 25, {}},

    // Combo boxes (list heights), the lock and the plain push buttons.
    {IDC_BAND_COMBO, C::ComboBox, "", 204, 201, 48, 30, {}},
    {IDC_SPAN_COMBO, C::ComboBox, "", 272, 185, 45, 30, {}},
    {IDC_VFO_LOCK, C::CheckBox, "VFO Lock", 269, 203, 46, 10, {}},
    {IDC_PLUS_10HZ, C::PushButton, "+10Hz", 176, 140, 28, 14, {}},
    {IDC_PLUS_20HZ, C::PushButton, "+20Hz", 204, 140, 28, 14, {}},
    {IDC_PLUS_50HZ, C::PushButton, "+50Hz", 232, 140, 28, 14, {}},
    {IDC_PLUS_1KHZ, C::PushButton, "+1KHz", 260, 140, 28, 14, {}},
    {IDC_BAND_UP, C::PushButton, "BAND+", 288, 140, 28, 14, {}},
    {IDC_MINUS_10HZ, C::PushButton, "-10Hz", 176, 154, 28, 14, {}},
    {IDC_MINUS_20HZ, C::PushButton, "-20Hz", 204, 154, 28, 14, {}},
    {IDC_MINUS_50HZ, C::PushButton, "-50Hz", 232, 154, 28, 14, {}},
    {IDC_MINUS_1KHZ, C::PushButton, "-1KHz", 260, 154, 28, 14, {}},
    {IDC_BAND_DOWN, C::PushButton, "BAND-", 288, 154, 28, 14, {}},
    {IDC_A_TO_B, C::PushButton, "A>B", 304, 72, 17, 14, {}},
    {IDC_B_TO_A, C::PushButton, "B>A", 448, 72, 17, 14, {}},
    {IDC_CLR, C::PushButton, "CLR", 433, 140, 23, 14, {}},
};
// clang-format on

}  // namespace

ShadeLook shadeLook(Shade shade) {
    switch (shade) {
        case Shade::Green:
            return {green_shade::kShadeType, green_shade::kHighlight, green_shade::kShadeColor};
        case Shade::Control:
            return {6, 10, 0xC0C0FF};
        case Shade::Normal:
            return {0, 20, 0xFF3737};
        case Shade::Arrow:
            return {0, 10, green_shade::kShadeColor};
        case Shade::None:
            break;
    }
    return {0, 0, 0};
}

std::span<const LayoutRow> layoutRows() {
    return kRows;
}

const LayoutRow* findRow(int id) {
    if (id == IDC_STATIC) {
        return nullptr;
    }
    for (const LayoutRow& row : kRows) {
        if (row.id == id) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace front_panel
