#pragma once

// CSystemCfgDlg: the "System Configuration" page of Pelorin's sheet: the
// operator's data, the naming-service address and the QSO logging settings.
//
// Its values are read when it is built, through the store's reader that never
// writes (CRegistryStore::ReadOnly), so opening and cancelling the sheet leaves
// the settings file as it was; a missing value shows its default from the
// program's settings table. Apply takes the values its check accepted and
// writes every value (the counter as
// it is stored at that moment, since the keyboard-CW window steps it
// meanwhile, and only when it reads as a counter: a missing or unreadable
// one stays as it stands), then, only after the writes succeeded, tells the
// panel about a changed logging style (12) or use of UTC (21) and puts call
// sign, name and QTH into the store's text slots 1-3. "Log File Name" and "SW Logging Mode"
// are written back as read. "Connect to Server Automatically" has no effect
// and is shown unchecked and disabled.
//
// GUI thread only.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>

#include "controls/property_page.h"

class QCheckBox;
class QLineEdit;
class SteppedValue;

namespace pelorin {

class CRegistryStore;

class CSystemCfgDlg : public PropertyPage {
    Q_OBJECT

  public:
    static constexpr int IDD = 132;
    static constexpr int IDC_HOME_DIR = 1015;
    static constexpr int IDC_CALLSIGN = 1017;
    static constexpr int IDC_NAME = 1019;
    static constexpr int IDC_QTH = 1021;
    static constexpr int IDC_UTC_OFFSET = 1023;
    static constexpr int IDC_NS_HOST = 1111;
    static constexpr int IDC_NS_PORT = 1113;
    static constexpr int IDC_CONNECT_AUTOMATICALLY = 1202;
    static constexpr int IDC_GRID_SQUARE = 1251;
    static constexpr int IDC_CQ_ZONE = 1252;
    static constexpr int IDC_ITU_ZONE = 1253;
    static constexpr int IDC_LOGGING_STYLE = 1254;
    static constexpr int IDC_LOGGING_STYLE_SPIN = 1255;
    static constexpr int IDC_USE_UTC = 1256;
    static constexpr int IDC_CUT_NUMBER = 1257;
    static constexpr int IDC_SERIAL_DIGITS = 1258;

    static constexpr int REMOTE_CMD_QSOLOG_STYLE_CHANGE = 12;
    static constexpr int REMOTE_CMD_UTC_LOG_CHANGE = 21;

    using PostCommand = std::function<void(int command, std::intptr_t param)>;

    CSystemCfgDlg(CRegistryStore& store, PostCommand post, QWidget* parent = nullptr);

    bool check() override;
    bool apply() override;

    QWidget* control(int id) const;
    int LoggingMode() const { return m_nLoggingMode; }
    void OnLoggingStyleStep();

  private:
    // The values the checks accepted, as apply() writes them.
    struct Fields {
        int utcHours;
        int nsPort;
        int serialDigits;
    };
    // The first field the checks refused, and why.
    struct Refusal {
        std::string message;
        int id;
    };

    void Load();
    std::string textOf(int id) const;
    std::variant<Refusal, Fields> checkFields() const;
    QLineEdit* AddEdit(int id, const char* label, int x, int y, int labelWidth, int width);
    void ShowLoggingStyle();

    CRegistryStore& m_store;
    PostCommand m_post;
    std::map<int, QWidget*> m_controls;
    SteppedValue* m_style = nullptr;
    QCheckBox* m_checkCut = nullptr;
    QCheckBox* m_checkUseUTC = nullptr;

    int m_nLoggingMode = 0;
    int m_nLoggingModeSaved = 0;
    bool m_bUseUTCSaved = false;
    std::string m_strLogFileName;
    std::uint8_t m_nSWLoggingMode = 0;
};

}  // namespace pelorin
