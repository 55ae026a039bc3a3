#pragma once

// The front panel's layout: one row per control with its id, class, text,
// rectangle in dialog units and look. The dialog builds its controls from
// this table and nothing else, so a control's place and look are read here.
//
// Dialog units are those of the 8-point dialog font (looks::dluToPixels);
// the dialog's client area is 479 x 252 of them. Colours are 0x00BBGGRR.
//
// Constant data; any thread.

#include <array>
#include <cstdint>
#include <span>

#include "controls/green_shade.h"

namespace front_panel {

// Control ids of the panel.
enum ControlId : int {
    IDC_STATIC = -1,
    IDOK = 1,
    IDC_CONNECT = 1000,
    IDC_BAND_COMBO = 1001,
    IDC_VFO_LOCK = 1002,
    IDC_TUNE = 1003,
    IDC_SPAN_COMBO = 1005,
    IDC_CW_WINDOW = 1007,
    IDC_SW_PANEL = 1009,
    IDC_VFOA_RX = 1032,
    IDC_VFOA_TX = 1034,
    IDC_B_TO_A = 1036,
    IDC_VFOB_RX = 1038,
    IDC_VFOB_TX = 1040,
    IDC_A_TO_B = 1042,
    IDC_VFOA = 1044,
    IDC_BANNER = 1046,
    IDC_VFOB = 1047,
    IDC_PLUS_10HZ = 1071,
    IDC_MINUS_10HZ = 1075,
    IDC_PLUS_50HZ = 1077,
    IDC_MINUS_50HZ = 1080,
    IDC_PLUS_1KHZ = 1083,
    IDC_TUNING_SLIDER = 1086,
    IDC_MINUS_1KHZ = 1089,
    IDC_BAND_UP = 1091,
    IDC_BAND_DOWN = 1093,
    IDC_ACTIVE_FREQ = 1095,
    IDC_RIT_OFFSET = 1096,
    IDC_RIT = 1097,
    IDC_XIT = 1098,
    IDC_CLR = 1099,
    IDC_XFIL_BW = 1115,
    IDC_POWER_SLIDER = 1121,
    IDC_CW_SPEED_SLIDER = 1122,
    IDC_POWER = 1123,
    IDC_CW_SPEED = 1124,
    IDC_PLUS_20HZ = 1127,
    IDC_MINUS_20HZ = 1128,
    IDC_VFOA_GO = 1129,
    IDC_VFOB_GO = 1130,
    IDC_SQUELCH_SLIDER = 1131,
    IDC_CONNECT_TO = 1132,
    IDC_STATUS = 1133,
    IDC_LAMP_0 = 1344,
    IDC_LAMP_1 = 1345,
    IDC_LAMP_2 = 1346,
    IDC_LAMP_3 = 1348,
    IDC_LAMP_4 = 1350,
    IDC_LAMP_5 = 1352,
    IDC_LAMP_6 = 1353,
    IDC_LAMP_7 = 1355,
    IDC_LAMP_8 = 1356,
    IDC_LAMP_9 = 1357,
    IDC_RIT_SLIDER = 1361,
    IDC_RIT_VALUE = 1362,
    IDC_RIT_DOWN = 1363,
    IDC_RIT_UP = 1364,
    IDC_SQUELCH = 1368,
    IDC_IND_NB = 1259,
    IDC_IND_ANT2 = 1260,
    IDC_IND_PRE = 1262,
    IDC_IND_ATT = 1264,
    IDC_IND_VFOB = 1266,
    IDC_IND_RIT = 1268,
    IDC_IND_XIT = 1270,
    IDC_AFIL = 1393,
    IDC_NB = 1394,
    IDC_ANTENNA = 1395,
    IDC_AGC_FAST = 1396,
    IDC_AGC_SLOW = 1397,
    IDC_AGC_OFF = 1398,
    IDC_PREAMP = 1399,
    IDC_ATT = 1400,
    IDC_XFIL1 = 1401,
    IDC_XFIL2 = 1402,
    IDC_XFIL3 = 1403,
    IDC_XFIL4 = 1404,
    IDC_MODE_CW = 1405,
    IDC_MODE_LSB = 1406,
    IDC_MODE_USB = 1407,
    IDC_MODE_CWR = 1408,
    IDC_MODE_RTTY = 1409,
    IDC_MODE_RTTYR = 1410,
};

// The S-meter lamps, lamp 0 leftmost.
inline constexpr std::array<int, 10> kSMeterLampIds = {
    IDC_LAMP_0, IDC_LAMP_1, IDC_LAMP_2, IDC_LAMP_3, IDC_LAMP_4,
    IDC_LAMP_5, IDC_LAMP_6, IDC_LAMP_7, IDC_LAMP_8, IDC_LAMP_9,
};

// Icons the panel draws itself (panel_icons.h).
enum IconId : int {
    kNoIcon = 0,
    IDR_MAINFRAME = 103,
    IDI_EXIT = 131,
    IDI_CONNECT = 172,
    IDI_TUNE = 176,
    IDI_RIT_DOWN = 177,
    IDI_RIT_UP = 178,
    // The memory-key panel's buttons: send, edit, clear.
    IDI_MEMKEY_TX = 174,
    IDI_MEMKEY_EDIT = 175,
    IDI_MEMKEY_CLEAR = 179,
};

enum class ControlClass {
    GroupBox,
    Label,
    PushButton,
    CheckBox,
    ComboBox,
    PlainEdit,
    Slider,
    VerticalSlider,
    TurboSlider,
    ShadeButton,
    ClrButton,
    EditEx,
    StaticEx,
    DigiStatic,
    DigiMarquee,
};

// The four shades of the shaded buttons.
enum class Shade { None, Green, Control, Normal, Arrow };

struct ShadeLook {
    unsigned type;
    std::uint8_t highlight;
    std::uint32_t color;
};
// Granularity and colouring are the same for every shade: the green shade's.
inline constexpr std::uint8_t kShadeGranularity = green_shade::kGranularity;
inline constexpr std::uint8_t kShadeColoring = green_shade::kColoring;
ShadeLook shadeLook(Shade shade);

struct Look {
    // Font: a face (null = the dialog font), its height (< 0 character
    // height, > 0 cell height) and weight.
    const char* face = nullptr;
    int height = 0;
    int weight = 0;
    const char* tooltip = nullptr;
    Shade shade = Shade::None;
    int icon = kNoIcon;
    int iconAlign = 0;
    // Background and text colour of the coloured controls.
    std::uint32_t background = 0xC0C0C0;
    std::uint32_t text = 0x000000;
    bool readOnly = false;
    bool disabled = false;
};

struct LayoutRow {
    int id;
    ControlClass cls;
    const char* text;
    int x;
    int y;
    int width;
    int height;
    Look look;
};

// Every control of the panel, in creation (tab) order.
std::span<const LayoutRow> layoutRows();
// The row of `id`, or null (and for IDC_STATIC, which many rows share).
const LayoutRow* findRow(int id);

// The order in which the shaded buttons get their font, tooltip, shade and
// icon.
inline constexpr std::array<int, 25> kShadeSetupOrder = {
    IDC_CW_WINDOW,  IDC_SW_PANEL,  IDOK,         IDC_CONNECT,  IDC_TUNE,    IDC_AFIL,  IDC_NB,
    IDC_ANTENNA,    IDC_AGC_FAST,  IDC_AGC_OFF,  IDC_AGC_SLOW, IDC_PREAMP,  IDC_ATT,   IDC_MODE_USB,
    IDC_MODE_RTTYR, IDC_MODE_RTTY, IDC_MODE_LSB, IDC_MODE_CWR, IDC_MODE_CW, IDC_XFIL4, IDC_XFIL3,
    IDC_XFIL2,      IDC_XFIL1,     IDC_RIT_DOWN, IDC_RIT_UP,
};

// The dialog's client area in dialog units.
inline constexpr int kDialogWidthDlu = 479;
inline constexpr int kDialogHeightDlu = 252;
// A combo box's height while closed; the row's height is its list's.
inline constexpr int kComboClosedHeightDlu = 12;

}  // namespace front_panel
