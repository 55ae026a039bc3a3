#include "server/k2_com_port_diag_dlg.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QLabel>
#include <QMetaObject>
#include <QTimer>

#include <filesystem>
#include <system_error>
#include <utility>

#include "controls/cx_shade_button.h"
#include "controls/digi_char.h"
#include "controls/digi_static.h"
#include "controls/green_shade.h"
#include "controls/looks.h"
#include "controls/static_ex.h"
#include "controls/stepped_value.h"
#include "platform/message_service.h"
#include "radiolink/k2_radio_port.h"
#include "server/comm_port_rules.h"
#include "server/server_registry_store.h"
#include "server/server_settings_reader.h"

namespace brakton {

namespace {

constexpr int kIndicatorIds[kIndCount] = {1072, 1073, 1074, 1075, 1076, 1077, 1078};
constexpr int kPortStaticId = 1070;
constexpr int kPortUpDownId = 1071;
constexpr int kDisplayId = 1045;
constexpr int kTryId = 1068;
constexpr int kSelectId = 1069;
constexpr int kDoneId = 1;

// How often the buttons follow the radio link (a device that hangs up closes the port).
constexpr int kLinkWatchMs = 250;

looks::FontDescription indicatorFont(int height) {
    looks::FontDescription font;
    font.face = QStringLiteral("Times New Roman");
    font.height = height;
    font.weight = 100;
    return font;
}

}  // namespace

CK2ComPortDiagDlg::CK2ComPortDiagDlg(CServerRegistryStore& store, CK2RadioPort& radio,
                                     QWidget* parent, std::function<bool()> clientPresent)
    : QDialog(parent),
      m_store(store),
      m_radio(radio),
      m_nTryGeneration(radio.PortGeneration()),
      m_clientPresent(std::move(clientPresent)) {
    setWindowTitle(QStringLiteral("K2 COM Port Diagnostics"));
    setObjectName(QStringLiteral("CK2ComPortDiagDlg"));

    {
        const ServerSettingsReader reader;
        const auto port = reader.read(settings::kCommPort);
        const CommPortShown shown = showStoredCommPort(reader);
        // An unreadable port shows as 0; one above 18 as it is.
        m_nPort = port.ok() ? port.value : 0;
        m_nSavedPort = m_nPort;
        m_nSpeed = shown.speed;
        m_nParity = static_cast<std::uint8_t>(shown.parity);
        m_nStopBits = static_cast<std::uint8_t>(shown.stopBits);
    }

    // Dialog units.
    setFixedSize(looks::dluToPixels(QSize(226, 150)));

    m_display = new CDigiStatic(this);
    m_display->setGeometry(looks::dluToPixels(10, 10, 206, 30));
    m_display->ModifyDigiStyle(0, DIGI_CURVED | DIGI_SOFTEDGE);
    m_display->SetText(QStringLiteral("Elecraft"));

    const looks::FontDescription small = indicatorFont(-12);
    for (int i = 0; i < kIndCount; ++i) {
        auto* indicator = new CStaticEx(QString::fromLatin1(indicatorText(i)), this);
        indicator->setGeometry(looks::dluToPixels(10 + i * 30, 46, 26, 11));
        indicator->setAlignment(Qt::AlignCenter);
        indicator->SetFont(&small);
        indicator->SetBkColor(kIndicatorOff);
        indicator->SetTextColor(0);
        m_indicators[static_cast<std::size_t>(i)] = indicator;
    }

    const looks::FontDescription large = indicatorFont(-34);
    m_portStatic = new CStaticEx(this);
    m_portStatic->setGeometry(looks::dluToPixels(10, 66, 90, 26));
    m_portStatic->SetFont(&large);
    m_portStatic->SetTextColor(0);
    m_portUpDown = new SteppedValue(this);
    m_portUpDown->setGeometry(looks::dluToPixels(100, 66, 10, 26));
    m_device = new QLabel(this);
    m_device->setObjectName(QStringLiteral("deviceLine"));
    m_device->setGeometry(looks::dluToPixels(10, 96, 206, 9));

    const auto makeButton = [this](const char* text, int x) {
        auto* button = new CxShadeButton(QString::fromLatin1(text), this);
        button->setGeometry(looks::dluToPixels(x, 118, 62, 20));
        green_shade::style(*button);
        return button;
    };
    m_btnTryPort = makeButton("Try Port", 10);
    m_btnSelectPort = makeButton("Select Port", 82);
    m_btnDone = makeButton("Done", 154);
    m_btnDone->setDefault(true);

    connect(m_portUpDown, &SteppedValue::stepped, this, &CK2ComPortDiagDlg::OnPortDeltaPos);
    connect(m_btnTryPort, &QPushButton::clicked, this, &CK2ComPortDiagDlg::OnTryPort);
    connect(m_btnSelectPort, &QPushButton::clicked, this, &CK2ComPortDiagDlg::OnSelectPort);
    connect(m_btnDone, &QPushButton::clicked, this, &QDialog::accept);

    m_linkWatch = new QTimer(this);
    m_linkWatch->setInterval(kLinkWatchMs);
    connect(m_linkWatch, &QTimer::timeout, this, &CK2ComPortDiagDlg::updateButtons);

    showPort();
}

CK2ComPortDiagDlg::~CK2ComPortDiagDlg() {
    m_accepting = false;
}

QWidget* CK2ComPortDiagDlg::control(int id) const {
    switch (id) {
        case kDoneId:
            return m_btnDone;
        case kTryId:
            return m_btnTryPort;
        case kSelectId:
            return m_btnSelectPort;
        case kDisplayId:
            return m_display;
        case kPortStaticId:
            return m_portStatic;
        case kPortUpDownId:
            return m_portUpDown;
        default:
            break;
    }
    for (int i = 0; i < kIndCount; ++i) {
        if (kIndicatorIds[i] == id) {
            return m_indicators[static_cast<std::size_t>(i)];
        }
    }
    return nullptr;
}

QString CK2ComPortDiagDlg::DisplayText() const {
    return m_display->GetText();
}

std::uint32_t CK2ComPortDiagDlg::IndicatorColor(int indicator) const {
    return m_indicators[static_cast<std::size_t>(indicator)]->GetBkColor();
}

QString CK2ComPortDiagDlg::DeviceLine() const {
    return m_device->text();
}

void CK2ComPortDiagDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    updateButtons();
    m_linkWatch->start();
    m_accepting = true;
}

void CK2ComPortDiagDlg::hideEvent(QHideEvent* event) {
    m_accepting = false;
    m_linkWatch->stop();
    QDialog::hideEvent(event);
}

void CK2ComPortDiagDlg::OnRadioReply(int code, const std::string& text) {
    OnPortReply(code, text, m_radio.PortGeneration());
}

void CK2ComPortDiagDlg::OnPortReply(int code, const std::string& text, std::uint64_t generation) {
    if (!m_accepting) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, code, text, generation] { onReplyPosted(code, text, generation); },
        Qt::QueuedConnection);
}

void CK2ComPortDiagDlg::onReplyPosted(int code, const std::string& text, std::uint64_t generation) {
    if (!isVisible()) {
        return;
    }
    // A debugging trace: written only with the program's trace switch on.
    qDebug().noquote() << "Cmd =" << QString::fromStdString(text);
    // Read before the last Try ended: another port's, or this one's from before.
    if (generation < m_nTryGeneration) {
        return;
    }
    const std::optional<DsStatus> ds = parseDsReply(code, text);
    if (!ds) {
        return;
    }
    m_bPortUsable = true;
    updateButtons();
    m_display->SetText(QString::fromStdString(ds->display));
    const auto colors = indicatorColors(ds->first, ds->second);
    for (int i = 0; i < kIndCount; ++i) {
        m_indicators[static_cast<std::size_t>(i)]->SetBkColor(colors[static_cast<std::size_t>(i)]);
    }
}

void CK2ComPortDiagDlg::reject() {
    // An Esc that came while a Try held the GUI thread ends with it.
    if (!m_bTrying) {
        QDialog::reject();
    }
}

void CK2ComPortDiagDlg::OnPortDeltaPos(int delta) {
    m_nPort = stepDialogPort(m_nPort, stepOfDelta(delta));
    showPort();
}

void CK2ComPortDiagDlg::showPort() {
    m_portStatic->setText(QString::fromStdString(dialogPortText(m_nPort)));
    updateButtons();
}

bool CK2ComPortDiagDlg::deviceMissing() const {
    const auto device =
        platform::resolveSerialPort(static_cast<unsigned>(m_nPort), m_radio.SerialDir());
    std::error_code ec;
    return !device || !std::filesystem::exists(*device, ec);
}

void CK2ComPortDiagDlg::updateButtons() {
    // The device line and Try follow the device: an adapter plugged in or pulled out shows.
    m_device->setText(QString::fromStdString(deviceLine(m_nPort, m_radio.SerialDir())));
    if (m_bTrying) {
        return;  // everything stays disabled until the Try has ended
    }
    m_btnTryPort->setEnabled(m_nPort > 0 && !deviceMissing());
    const bool open = m_radio.IsOpen() && m_radio.PortNumber() == m_nPort;
    m_btnSelectPort->setEnabled(m_bPortUsable && open);
    m_btnDone->setEnabled(true);
    m_portUpDown->setEnabled(true);
}

void CK2ComPortDiagDlg::showOpeningState() {
    m_display->SetText(QStringLiteral("Elecraft"));
    for (CStaticEx* indicator : m_indicators) {
        indicator->SetBkColor(kIndicatorOff);
    }
}

void CK2ComPortDiagDlg::OnTryPort() {
    updateButtons();
    if (m_bTrying || !m_btnTryPort->isEnabled()) {
        return;
    }
    const auto clientThere = [this] {
        if (m_clientPresent && m_clientPresent()) {
            MessageService::showError(kComPortCheckRefusal);
            return true;
        }
        return false;
    };
    if (clientThere() ||
        !MessageService::askYesNo(kTryPortQuestion, MessageService::Icon::Question) ||
        clientThere()) {
        return;
    }

    m_bTrying = true;
    for (QWidget* control :
         {static_cast<QWidget*>(m_btnTryPort), static_cast<QWidget*>(m_btnSelectPort),
          static_cast<QWidget*>(m_btnDone), static_cast<QWidget*>(m_portUpDown)}) {
        control->setEnabled(false);
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    showOpeningState();
    m_bPortUsable = false;
    const std::uint32_t status = m_radio.ReopenRadioPort(static_cast<std::uint16_t>(m_nPort));
    // Only what is read from now on counts, whether the new port opened or the old one stayed.
    m_nTryGeneration = m_radio.PortGeneration();
    // Clicks that came while the GUI thread was held reach the disabled buttons and end there.
    QCoreApplication::processEvents();
    QGuiApplication::restoreOverrideCursor();
    m_bTrying = false;
    if (status != 0) {
        MessageService::showError(kOpenPortFailed);
    }
    updateButtons();
}

void CK2ComPortDiagDlg::OnSelectPort() {
    updateButtons();
    if (!m_btnSelectPort->isEnabled()) {
        return;
    }
    if (!MessageService::askYesNo(kSelectPortQuestion, MessageService::Icon::Question)) {
        return;
    }
    if (m_nPort == m_nSavedPort) {
        return;
    }
    if (!m_store.WriteCommPort(static_cast<std::uint8_t>(m_nPort), m_nSpeed, m_nParity,
                               m_nStopBits)) {
        MessageService::showError(kSavePortFailed);
        return;
    }
    m_nSavedPort = m_nPort;
}

}  // namespace brakton
