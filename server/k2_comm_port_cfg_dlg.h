#pragma once

// CK2CommPortCfgDlg: the sheet's "K2 COMM Port" page: the radio's port, speed, parity and stop
// bits, and the power-amplifier option, each stepped with its up-down arrows.
//
// The values are read when the page is built. One the page cannot offer (a port above 18, a
// speed not in the table, a parity above 2, stop bits other than 1 or 2, or a value missing or
// unreadable) shows its default with a notice. A device line under the port names the device
// the port opens. Applying stores the four port values, logs "Port Cfg: ..." and, when the
// power-amplifier option changed and was stored, tells the program (which tells a connected
// client). The open radio port is never touched.
//
// GUI thread only.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "server/comm_port_rules.h"
#include "server/config_page.h"

class SteppedValue;

namespace brakton {

class CServerRegistryStore;

class ServerSettingsReader;

class CK2CommPortCfgDlg : public ConfigPage {
    Q_OBJECT

  public:
    using PAOptionNotifier = std::function<void(bool on)>;
    using LogFn = std::function<void(const std::string& line)>;

    CK2CommPortCfgDlg(CServerRegistryStore& store, const ServerSettingsReader& reader,
                      std::filesystem::path serialDir, PAOptionNotifier notifyPAOption, LogFn log,
                      QWidget* parent = nullptr);

    QString Title() const override { return QStringLiteral("K2 COMM Port"); }
    std::optional<Refusal> Check() const override { return std::nullopt; }
    bool Apply() override;

    int Port() const { return m_nPort; }
    PortSpeed Speed() const { return m_nSpeed; }
    int Parity() const { return m_nParity; }
    int StopBits() const { return m_nStopBits; }
    bool PAOption() const { return m_bPAOption; }

  private:
    void showValues();

    CServerRegistryStore& m_store;
    std::filesystem::path m_serialDir;
    PAOptionNotifier m_notifyPAOption;
    LogFn m_log;

    int m_nPort = 0;
    PortSpeed m_nSpeed = kDefaultSpeed;
    int m_nParity = 0;
    int m_nStopBits = 1;
    int m_nSpeedIndex = kDefaultSpeedIndex;
    bool m_bPAOption = false;
    bool m_bPAOptionSaved = false;
    bool m_bPAOptionUnread = false;  // the stored option could not be read

    SteppedValue* m_port = nullptr;
    SteppedValue* m_speed = nullptr;
    SteppedValue* m_parity = nullptr;
    SteppedValue* m_stopBits = nullptr;
    SteppedValue* m_paOption = nullptr;
    QLabel* m_device = nullptr;
};

}  // namespace brakton
