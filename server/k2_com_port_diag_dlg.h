#pragma once

// CK2ComPortDiagDlg: "K2 COM Port Diagnostics", run modally by the main frame's Radio > Check
// Radio COM Port while the radio link is in diagnostic mode. It shows the radio's display text
// on an LED display and lights seven indicators from the display reply's status bytes; the
// operator can step to another port, try it on the running radio link ("Try Port") and store
// it as the default ("Select Port").
//
// Usage (the frame):
//   brakton::CK2ComPortDiagDlg dialog(theRegistryStore, radio, this);
//   radio.EnterCOMPortDiagMode(&dialog);
//   dialog.exec();
//   radio.ExitCOMPortDiagMode();   // before the dialog is destroyed
//
// The port settings are read when the dialog is built, through a reader that never writes.
// "Try Port" is disabled while port 0 or a missing device is shown (the device line and the
// button follow the device at the 250 ms link watch). Try asks the frame's client check again
// before it moves the radio, puts the display back to "Elecraft" and the indicators to silver,
// and keeps every button disabled until it has ended; what was clicked meanwhile is dropped.
// "Select Port" is enabled only while the port shown is the radio link's open port and a
// display reply read from that port after the last Try (or the opening) has reached the
// dialog: a silent port can never be selected. It writes only a port that differs from the
// stored one, with the speed, parity and stop bits read at the start (or their defaults, for
// values the configuration sheet could not show).
//
// Threads: OnPortReply runs on the radio link's reply thread; it copies the reply and posts
// it to the GUI thread, where it is dropped unless the dialog is shown. Everything else runs
// on the GUI thread.

#include <QDialog>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "radiolink/radio_services.h"
#include "server/comm_port_rules.h"
#include "server/ds_status.h"

class CDigiStatic;
class CK2RadioPort;
class CStaticEx;
class CxShadeButton;
class QLabel;
class QTimer;
class SteppedValue;

namespace brakton {

class CServerRegistryStore;

inline constexpr const char* kTryPortQuestion =
    "Trying new COM port may cause undesirable\nResult in COM port operation\n"
    "Do you still want to proceed?";
inline constexpr const char* kOpenPortFailed = "Error occurred in Opening Radio Port?";
inline constexpr const char* kSelectPortQuestion =
    "Saving current COM port as the default Brakton COM port?";
inline constexpr const char* kSavePortFailed = "Unable to Save COM Port!";
// The COM-port check's refusal while a client is connected or connecting.
inline constexpr const char* kComPortCheckRefusal =
    "Please Exit Pelorin before performing diagnostic";

class CK2ComPortDiagDlg : public QDialog, public ReplySink {
    Q_OBJECT

  public:
    // `clientPresent`, when given, is the frame's client check, asked again at every Try.
    CK2ComPortDiagDlg(CServerRegistryStore& store, CK2RadioPort& radio, QWidget* parent = nullptr,
                      std::function<bool()> clientPresent = {});
    ~CK2ComPortDiagDlg() override;

    // Reply thread: copies the reply and posts it to the GUI thread. A reply without its
    // generation counts as read from the port open now.
    void OnRadioReply(int code, const std::string& text) override;
    void OnPortReply(int code, const std::string& text, std::uint64_t generation) override;

    // The buttons' commands.
    void OnTryPort();
    void OnSelectPort();
    void OnPortDeltaPos(int delta);

    QWidget* control(int id) const;
    int Port() const { return m_nPort; }
    int SavedPort() const { return m_nSavedPort; }
    QString DisplayText() const;
    // Background of one indicator, 0x00BBGGRR.
    std::uint32_t IndicatorColor(int indicator) const;
    QString DeviceLine() const;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  public slots:
    void reject() override;

  private:
    void onReplyPosted(int code, const std::string& text, std::uint64_t generation);
    void showPort();
    void updateButtons();
    void showOpeningState();
    bool deviceMissing() const;

    CServerRegistryStore& m_store;
    CK2RadioPort& m_radio;

    CxShadeButton* m_btnTryPort = nullptr;
    CxShadeButton* m_btnSelectPort = nullptr;
    CxShadeButton* m_btnDone = nullptr;
    CDigiStatic* m_display = nullptr;
    std::array<CStaticEx*, kIndCount> m_indicators{};
    CStaticEx* m_portStatic = nullptr;
    SteppedValue* m_portUpDown = nullptr;
    QLabel* m_device = nullptr;
    QTimer* m_linkWatch = nullptr;

    int m_nPort = 0;
    int m_nSavedPort = 0;
    PortSpeed m_nSpeed = kDefaultSpeed;
    std::uint8_t m_nParity = 0;
    std::uint8_t m_nStopBits = 1;
    // A display reply of the port generation m_nTryGeneration (or later) has come.
    bool m_bPortUsable = false;
    std::uint64_t m_nTryGeneration = 0;
    bool m_bTrying = false;
    std::function<bool()> m_clientPresent;

    std::atomic<bool> m_accepting{false};
};

}  // namespace brakton
