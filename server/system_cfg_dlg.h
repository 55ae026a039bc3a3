#pragma once

// CSystemCfgDlg: the sheet's "System Configuration" page: operator data, naming-service
// address and the audio-streaming program.
//
// Every value is read when the page is built and shown as stored, even out of range; the
// checks run when the sheet applies. A value that could not be read shows its default and a
// notice; a missing one shows its default quietly. "SW Logging Mode" has no field and is
// written back as read.
//
// GUI thread only.

#include <cstdint>
#include <string>
#include <variant>

#include "server/config_page.h"

class QCheckBox;
class QLineEdit;

namespace brakton {

class CServerRegistryStore;

class ServerSettingsReader;

class CSystemCfgDlg : public ConfigPage {
    Q_OBJECT

  public:
    CSystemCfgDlg(CServerRegistryStore& store, const ServerSettingsReader& reader,
                  QWidget* parent = nullptr);

    QString Title() const override { return QStringLiteral("System Configuration"); }
    std::optional<Refusal> Check() const override;
    bool Apply() override;

  private:
    // The values the checks accepted, as Apply writes them.
    struct Fields {
        int utcHours;
        std::uint32_t nsPort;
    };

    void load(const ServerSettingsReader& reader, QString& notices);
    std::variant<Refusal, Fields> checkFields() const;

    CServerRegistryStore& m_store;
    QLineEdit* m_callsign = nullptr;
    QLineEdit* m_homeDir = nullptr;
    QLineEdit* m_logFileName = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_qth = nullptr;
    QLineEdit* m_utcOffset = nullptr;
    QLineEdit* m_nsHost = nullptr;
    QLineEdit* m_nsPort = nullptr;
    QCheckBox* m_streamAudio = nullptr;
    QLineEdit* m_audioStreamer = nullptr;
    std::uint8_t m_nLoggingMode = 0;
};

}  // namespace brakton
