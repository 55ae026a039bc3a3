#include "client/panel/k2_front_panel_control_dlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDebug>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "client/base/notify_messages.h"
#include "client/base/registry_store.h"
#include "client/panel/about_dlg.h"
#include "client/panel/panel_icons.h"
#include "client/panel/panel_remote.h"
#include "client/panel/place_under_panel.h"
#include "client/panel/server_pinger.h"
#include "controls/clr_button.h"
#include "controls/cx_shade_button.h"
#include "controls/digi_marquee.h"
#include "controls/digi_static.h"
#include "controls/edit_ex.h"
#include "controls/looks.h"
#include "controls/static_ex.h"
#include "controls/turbo_slider_ctrl.h"
#include "platform/message_service.h"
#include "radiolink/k2_status.h"

using namespace front_panel;

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The palette of the plain controls: the fixed system colours of looks.h,
// never the desktop's.
QPalette classicPalette() {
    using looks::SysColor;
    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, SysColor which) {
        palette.setColor(role, looks::sysColor(which));
    };
    set(QPalette::Window, SysColor::BtnFace);
    set(QPalette::WindowText, SysColor::WindowText);
    set(QPalette::Base, SysColor::Window);
    set(QPalette::AlternateBase, SysColor::BtnFace);
    set(QPalette::Text, SysColor::WindowText);
    set(QPalette::Button, SysColor::BtnFace);
    set(QPalette::ButtonText, SysColor::BtnText);
    set(QPalette::Light, SysColor::BtnHighlight);
    set(QPalette::Midlight, SysColor::Light3D);
    set(QPalette::Mid, SysColor::BtnShadow);
    set(QPalette::Dark, SysColor::BtnShadow);
    set(QPalette::Shadow, SysColor::DkShadow3D);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, looks::sysColor(SysColor::GrayText));
    palette.setColor(QPalette::Disabled, QPalette::Text, looks::sysColor(SysColor::GrayText));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, looks::sysColor(SysColor::GrayText));
    return palette;
}

looks::FontDescription fontOf(const Look& look) {
    looks::FontDescription font;
    font.face = QString::fromLatin1(look.face);
    font.height = look.height;
    font.weight = look.weight;
    return font;
}

// An indicator's text sits in the middle of its box. One wider than its box
// ("ANT2" is 25.5 px in the indicators' 10 px face, its box 24 px) is
// condensed to the box's width rather than cut.
void fitIndicatorText(CStaticEx* label) {
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    const qreal advance = QFontMetricsF(font).horizontalAdvance(label->text());
    if (advance > label->width()) {
        font.setStretch(static_cast<int>(std::floor(100.0 * label->width() / advance)));
        label->setFont(font);
    }
}

// A plain or colour button's text wider than the room its style paints it
// in is condensed the same way ("BAND+", "A>B" and "VFO Lock" at the stock font).
void fitButtonTexts(QWidget& panel) {
    for (QAbstractButton* b : panel.findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty() || qobject_cast<CxShadeButton*>(b) != nullptr) {
            continue;
        }
        int room = b->width();
        if (qobject_cast<CClrButton*>(b) == nullptr) {
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = b->text();
            const bool check = qobject_cast<QCheckBox*>(b) != nullptr;
            room = b->style()
                       ->subElementRect(
                           check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents,
                           &opt, b)
                       .width();
        }
        QString shown = b->text();
        shown.remove(QLatin1Char('&'));
        b->setFont(looks::condensedToFit(b->font(), shown, room));
    }
}

PanelTuningRange toPanelRange(const pelorin::TUNING_RANGE_ENTRY& entry) {
    PanelTuningRange range;
    range.name = entry.name;
    range.nBand = entry.band;
    range.ulLowBandEdge = entry.low;
    range.ulHighBandEdge = entry.high;
    return range;
}

}  // namespace

CK2FrontPanelControlDlg::CK2FrontPanelControlDlg(PanelRemote& remote,
                                                 pelorin::CRegistryStore& store,
                                                 PanelEntryPoints entryPoints, QWidget* parent)
    : QDialog(parent),
      m_watchedRemote(remote),
      m_remote(m_watchedRemote),
      m_store(store),
      m_entry(std::move(entryPoints)) {
    setWindowTitle(QString::fromLatin1(kFrontPanelTitle));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(looks::dluToPixels(QSize(kDialogWidthDlu, kDialogHeightDlu)));
    setFont(looks::makeFont({QStringLiteral("MS Sans Serif"), -looks::kDefaultFontPixelSize, 400}));
    m_store.ReadWindowsMoveTogether(m_model.m_bWindowsMoveTogether);
    m_strRITValue = m_model.RitValueText();

    BuildControls();
    BindControls();
    ConnectFrequencyControls();

    SetupCommandControls();

    m_remote.setFailureHandler([this](const RemoteFailure&) { OnPanelDisconnected(); });
    m_watchedRemote.setAnswerHandler([this](std::int32_t status) { OnServerAnswer(status); });
    m_pinger = new ServerPinger(
        m_entry.askServerAlive, [this] { return m_model.m_bConnected != 0; },
        [this] { OnPanelDisconnected(); }, this);
    m_registration = std::make_unique<WindowRegistration>(kFrontPanelTitle, this);
}

CK2FrontPanelControlDlg::~CK2FrontPanelControlDlg() {
    delete m_pinger;
    m_pinger = nullptr;
    qApp->removeEventFilter(this);
    // The base class takes the focus away after this body has run; a VFO
    // edit's watcher must not call back into a panel that is half gone.
    const QObjectList kids = children();
    for (QObject* child : kids) {
        if (child->objectName() == QLatin1String(kVfoEditWatcherName))
            delete child;
    }
    m_registration.reset();
    m_watchedRemote.setAnswerHandler({});
    m_remote.setFailureHandler({});
}

QWidget* CK2FrontPanelControlDlg::control(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

template <class T>
T* CK2FrontPanelControlDlg::controlAs(int id) const {
    return qobject_cast<T*>(control(id));
}

// Every control of the layout table at its place, in table order (which is
// also the tab order). Looks come later, in the start-up order.
void CK2FrontPanelControlDlg::BuildControls() {
    m_plainStyle = QStyleFactory::create(QStringLiteral("Windows"));
    if (m_plainStyle != nullptr) {
        m_plainStyle->setParent(this);
    }
    const QPalette palette = classicPalette();
    const auto plain = [this, &palette](QWidget* widget) {
        if (m_plainStyle != nullptr) {
            widget->setStyle(m_plainStyle);
        }
        widget->setPalette(palette);
    };

    for (const LayoutRow& row : layoutRows()) {
        const QString text = QString::fromLatin1(row.text);
        QWidget* widget = nullptr;
        int height = row.height;
        switch (row.cls) {
            case ControlClass::GroupBox:
                widget = new QGroupBox(text, this);
                plain(widget);
                break;
            case ControlClass::Label:
                widget = new QLabel(text, this);
                plain(widget);
                break;
            case ControlClass::PushButton:
                widget = new QPushButton(text, this);
                plain(widget);
                break;
            case ControlClass::CheckBox:
                widget = new QCheckBox(text, this);
                plain(widget);
                break;
            case ControlClass::ComboBox: {
                auto* combo = new QComboBox(this);
                combo->setMaxVisibleItems(9);
                widget = combo;
                plain(widget);
                height = kComboClosedHeightDlu;
                break;
            }
            case ControlClass::PlainEdit: {
                auto* edit = new QLineEdit(this);
                edit->setReadOnly(row.look.readOnly);
                widget = edit;
                plain(widget);
                break;
            }
            case ControlClass::Slider:
                widget = new TrackbarSlider(Qt::Horizontal, this);
                plain(widget);
                break;
            case ControlClass::VerticalSlider:
                widget = new TrackbarSlider(Qt::Vertical, this);
                plain(widget);
                break;
            case ControlClass::TurboSlider:
                widget = new CTurboSliderCtrl(Qt::Horizontal, this);
                plain(widget);
                break;
            case ControlClass::ShadeButton:
                widget = new CxShadeButton(text, this);
                break;
            case ControlClass::ClrButton:
                widget = new CClrButton(text, this);
                break;
            case ControlClass::EditEx:
                widget = new CEditEx(this);
                break;
            case ControlClass::StaticEx:
                widget = new CStaticEx(text, this);
                break;
            case ControlClass::DigiStatic:
                widget = new CDigiStatic(this);
                break;
            case ControlClass::DigiMarquee:
                widget = new CDigiMarquee(this);
                break;
        }
        widget->setGeometry(looks::dluToPixels(row.x, row.y, row.width, height));
        if (row.id != IDC_STATIC) {
            widget->setObjectName(QStringLiteral("ctl%1").arg(row.id));
            m_controls.emplace(row.id, widget);
        }
    }
}

// The member of each control, by id.
void CK2FrontPanelControlDlg::BindControls() {
    m_editVFOA = controlAs<CEditEx>(IDC_VFOA);
    m_editVFOB = controlAs<CEditEx>(IDC_VFOB);
    m_editRITOffset = controlAs<CEditEx>(IDC_RIT_OFFSET);
    m_editRITValue = controlAs<CEditEx>(IDC_RIT_VALUE);
    m_editCWSpeed = controlAs<CEditEx>(IDC_CW_SPEED);
    m_editActiveFreq = controlAs<CEditEx>(IDC_ACTIVE_FREQ);
    m_editSquelch = controlAs<CEditEx>(IDC_SQUELCH);
    m_editPower = controlAs<QLineEdit>(IDC_POWER);
    m_stcXFILBandwidth = controlAs<CStaticEx>(IDC_XFIL_BW);
    m_stcConnectTo = controlAs<CStaticEx>(IDC_CONNECT_TO);
    m_stcNB = controlAs<CStaticEx>(IDC_IND_NB);
    m_stcANT2 = controlAs<CStaticEx>(IDC_IND_ANT2);
    m_stcPRE = controlAs<CStaticEx>(IDC_IND_PRE);
    m_stcATT = controlAs<CStaticEx>(IDC_IND_ATT);
    m_stcVFOB = controlAs<CStaticEx>(IDC_IND_VFOB);
    m_stcRIT = controlAs<CStaticEx>(IDC_IND_RIT);
    m_stcXIT = controlAs<CStaticEx>(IDC_IND_XIT);
    m_btnVFOAGo = controlAs<CClrButton>(IDC_VFOA_GO);
    m_btnVFOBGo = controlAs<CClrButton>(IDC_VFOB_GO);
    for (std::size_t i = 0; i < m_btnSMeter.size(); ++i) {
        m_btnSMeter[i] = controlAs<CClrButton>(kSMeterLampIds[i]);
    }
    m_btnConnect = controlAs<CxShadeButton>(IDC_CONNECT);
    m_btnExit = controlAs<CxShadeButton>(IDOK);
    m_sliderRIT = controlAs<TrackbarSlider>(IDC_RIT_SLIDER);
    m_sliderSquelch = controlAs<TrackbarSlider>(IDC_SQUELCH_SLIDER);
    m_sliderPower = controlAs<TrackbarSlider>(IDC_POWER_SLIDER);
    m_sliderCWSpeed = controlAs<TrackbarSlider>(IDC_CW_SPEED_SLIDER);
    m_sliderTuning = controlAs<CTurboSliderCtrl>(IDC_TUNING_SLIDER);
    m_marqueeStatus = controlAs<CDigiMarquee>(IDC_STATUS);
    m_digiBanner = controlAs<CDigiStatic>(IDC_BANNER);
    m_comboTuningSpan = controlAs<QComboBox>(IDC_SPAN_COMBO);
    m_comboBand = controlAs<QComboBox>(IDC_BAND_COMBO);
    m_checkVFOLock = controlAs<QCheckBox>(IDC_VFO_LOCK);

    // The template's default button is the exit (IDOK): Enter outside a push
    // button and the two VFO readouts (which take it for their ">>") asks the
    // exit question.
    m_btnExit->setDefault(true);
    connect(m_btnExit, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_btnConnect, &QPushButton::clicked, this, [this] { EnsureConnected(); });
}

bool CK2FrontPanelControlDlg::OnInitDialog() {
    BuildSystemMenu();
    StartCommandServices();
    setWindowIcon(panel_icons::windowIcon());
    SetupShadedButtons();
    SetupLedDisplays();
    SetupColoredControls();
    setWindowTitle(QString::fromLatin1(kFrontPanelTitle));

    m_sliderTuning->SetNotifyWindow(this);
    pelorin::TUNING_RANGE_ENTRY range;
    if (m_store.FindTuningRange(m_model.m_ulVFOAFreq, range)) {
        m_model.m_CurTuningRange = toPanelRange(range);
        SetTuningSliderWindow(m_model.m_ulVFOAFreq);
    }

    m_btnVFOAGo->setEnabled(false);
    m_btnVFOBGo->setEnabled(false);
    m_editPower->setReadOnly(true);
    m_editCWSpeed->setReadOnly(true);
    m_editActiveFreq->setReadOnly(true);
    EnableRITControls(0);

    SetupSliders();
    // The first focus goes to a control that no key turns into a command:
    // Space on a focused "Exit Pelorin" would ask the exit question.
    m_sliderTuning->setFocus(Qt::OtherFocusReason);

    m_store.ReadSelectedTuningRange(m_model.m_nTuningSpan);
    m_comboTuningSpan->clear();
    for (const TuningSpan& span : SpanTable) {
        m_comboTuningSpan->addItem(
            QString::fromLatin1(span.text.data(), static_cast<int>(span.text.size())));
    }
    m_comboTuningSpan->setCurrentIndex(m_model.m_nTuningSpan);

    SetupColorButtons();
    UpdateData();
    PlaceWindow();
    ConnectToServer();

    m_splashTimer = new QTimer(this);
    m_splashTimer->setSingleShot(true);
    m_splashTimer->setInterval(kSplashTimerMs);
    connect(m_splashTimer, &QTimer::timeout, this, [this] {
        // Only while the server has not called back yet and may still do so.
        if (m_entry.startSplash && m_model.m_bServerNoticeSeen == 0 && !m_lastConnectFailed) {
            m_entry.startSplash();
        }
    });
    m_splashTimer->start();
    return true;
}

// The window's system-menu commands, on a right-click menu of the panel.
void CK2FrontPanelControlDlg::BuildSystemMenu() {
    m_systemMenu = new QMenu(this);
    m_systemMenu->addSeparator();
    QAction* config = m_systemMenu->addAction(QStringLiteral("System Config"));
    config->setData(IDM_SYSTEM_CONFIG);
    m_systemMenu->addSeparator();
    QAction* about = m_systemMenu->addAction(QStringLiteral("&About Pelorin..."));
    about->setData(IDM_ABOUTBOX);
    connect(m_systemMenu, &QMenu::triggered, this,
            [this](QAction* action) { OnSysCommand(action->data().toInt()); });
}

void CK2FrontPanelControlDlg::SetupShadedButtons() {
    for (const int id : kShadeSetupOrder) {
        const LayoutRow* row = findRow(id);
        auto* button = controlAs<CxShadeButton>(id);
        if (row == nullptr || button == nullptr) {
            continue;
        }
        const Look& look = row->look;
        if (look.face != nullptr) {
            button->SetTextFont(QString::fromLatin1(look.face), look.height, look.weight);
        }
        button->SetToolTipText(QString::fromLatin1(look.tooltip), QString());
        const ShadeLook shade = shadeLook(look.shade);
        button->SetShade(shade.type, kShadeGranularity, shade.highlight, kShadeColoring,
                         shade.color);
        if (look.icon != kNoIcon) {
            button->SetIcon(panel_icons::buttonPicture(look.icon, button->size()), look.iconAlign);
        }
    }
}

void CK2FrontPanelControlDlg::SetupLedDisplays() {
    m_marqueeStatus->ModifyDigiStyle(DIGI_DIGITS14, DIGI_CURVED | DIGI_LITONLY);
    m_marqueeStatus->SetSpeed(250);
    m_marqueeStatus->SetDisplayChars(35);
    m_marqueeStatus->SetScrollText(QString());
    m_marqueeStatus->EnableScrolling(false);
}

// Edits, statics and the banner, in the start-up order.
void CK2FrontPanelControlDlg::SetupColoredControls() {
    const auto setupEdit = [this](int id) {
        const LayoutRow* row = findRow(id);
        auto* edit = controlAs<CEditEx>(id);
        const looks::FontDescription font = fontOf(row->look);
        edit->SetFont(&font);
        edit->SetBkColor(row->look.background);
        edit->SetTextColor(row->look.text);
        if (row->look.readOnly) {
            edit->setReadOnly(true);
        }
    };
    const auto setupStatic = [this](int id) {
        const LayoutRow* row = findRow(id);
        auto* label = controlAs<CStaticEx>(id);
        if (row->look.face != nullptr) {
            const looks::FontDescription font = fontOf(row->look);
            label->SetFont(&font);
        }
        label->SetBkColor(row->look.background);
        label->SetTextColor(row->look.text);
        label->setText(QString::fromLatin1(row->text));
    };

    setupEdit(IDC_VFOA);
    setupEdit(IDC_VFOB);
    m_digiBanner->ModifyDigiStyle(0, DIGI_CURVED | DIGI_SOFTEDGE);
    m_digiBanner->SetText(QStringLiteral("Elecraft"));
    setupEdit(IDC_RIT_OFFSET);
    setupEdit(IDC_CW_SPEED);
    setupEdit(IDC_SQUELCH);
    setupStatic(IDC_XFIL_BW);
    setupEdit(IDC_ACTIVE_FREQ);
    setupEdit(IDC_RIT_VALUE);
    setupStatic(IDC_CONNECT_TO);
    for (const int id : {IDC_IND_NB, IDC_IND_ANT2, IDC_IND_PRE, IDC_IND_ATT, IDC_IND_VFOB,
                         IDC_IND_RIT, IDC_IND_XIT}) {
        setupStatic(id);
        fitIndicatorText(controlAs<CStaticEx>(id));
    }
    fitButtonTexts(*this);
}

void CK2FrontPanelControlDlg::SetupSliders() {
    m_sliderPower->setRange(0, 150);
    m_sliderPower->setValue(m_model.PowerSliderPosition());
    m_sliderCWSpeed->setRange(9, 50);
    m_sliderCWSpeed->setValue(m_model.m_nCWSpeed);
    m_sliderSquelch->setRange(0, 250);
    m_sliderSquelch->setValue(0);
    m_sliderRIT->setRange(0, 2000);
    m_sliderRIT->setValue(m_model.m_nRITSliderPos);
    m_strRITValue = m_model.RitValueText();
}

void CK2FrontPanelControlDlg::SetupColorButtons() {
    for (const int id : {IDC_VFOA_TX, IDC_VFOA_RX, IDC_VFOB_TX, IDC_VFOB_RX, IDC_RIT, IDC_XIT,
                         IDC_VFOA_GO, IDC_VFOB_GO}) {
        controlAs<CClrButton>(id)->SetColor(panel_colors::kBlack, panel_colors::kFace);
    }
    for (CClrButton* lamp : m_btnSMeter) {
        lamp->SetColor(panel_colors::kBlack, panel_colors::kFace);
    }
}

// The stored rectangle when it is large enough and reaches a screen (moved
// wholly onto it), else centred; then the rectangle the panel really has is
// stored, as the original one and as the one its followers are placed
// against: the move handler skips the first move, which is this one, and
// without a window manager no other move may ever come.
void CK2FrontPanelControlDlg::PlaceWindow() {
    StoredWindowRect stored;
    m_store.ReadWindowRect(stored.left, stored.top, stored.right, stored.bottom);
    const QList<QRect> screens = AvailableAreas();
    const QSize windowSize = frameGeometry().size();
    if (const auto position = StoredPanelPosition(stored, size(), windowSize, screens)) {
        move(*position);
    } else {
        const QScreen* primary = QGuiApplication::primaryScreen();
        const QRect area = primary != nullptr ? primary->availableGeometry() : QRect();
        move(CentredPosition(windowSize, area));
    }
    StoreShownFrame();
}

// Before the first show the panel has no frame yet: what is stored then is
// its client area at the frame's corner, and stored again once shown.
void CK2FrontPanelControlDlg::StoreShownFrame() {
    const QRect actual = frameGeometry();
    m_store.WriteOriginalWindowRect(actual.left(), actual.top(), actual.left() + actual.width(),
                                    actual.top() + actual.height());
    m_store.WriteWindowRect(actual.left(), actual.top(), actual.left() + actual.width(),
                            actual.top() + actual.height());
}

void CK2FrontPanelControlDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_frameStored) {
        m_frameStored = true;
        // Once the show has settled where the frame lies.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (frameGeometry() != geometry()) {
                    StoreShownFrame();
                }
            },
            Qt::QueuedConnection);
    }
}

void CK2FrontPanelControlDlg::UpdateData() {
    m_editVFOA->setText(qs(m_model.VfoAText()));
    m_editVFOB->setText(qs(m_model.VfoBText()));
    m_editPower->setText(qs(m_model.PowerText()));
    m_editRITOffset->setText(qs(m_model.m_strRITOffset));
    m_stcXFILBandwidth->setText(qs(m_model.m_strXFILBandwidth));
    m_editActiveFreq->setText(qs(m_model.m_strActiveFreq));
    m_stcConnectTo->setText(qs(m_model.m_strConnectTo));
    m_stcATT->setText(qs(m_model.m_strATT));
    m_stcANT2->setText(qs(m_model.m_strANT2));
    m_stcNB->setText(qs(m_model.m_strNB));
    m_stcPRE->setText(qs(m_model.m_strPRE));
    m_stcRIT->setText(qs(m_model.m_strRIT));
    m_stcVFOB->setText(qs(m_model.m_strVFOB));
    m_stcXIT->setText(qs(m_model.m_strXIT));
    m_editRITValue->setText(qs(m_strRITValue));
    m_editCWSpeed->setText(QString::number(m_model.m_nCWSpeed));
    m_editSquelch->setText(QString::number(m_model.m_nSquelch));
}

void CK2FrontPanelControlDlg::EnableRITControls(int enable) {
    m_model.EnableRITControls(enable);
    if (enable != 0) {
        const QSignalBlocker blocker(m_sliderRIT);
        m_sliderRIT->setValue(m_model.m_nRITSliderPos);
    }
    for (const int id : {IDC_RIT_DOWN, IDC_RIT_UP, IDC_RIT_SLIDER}) {
        control(id)->setEnabled(enable != 0);
    }
}

void CK2FrontPanelControlDlg::ApplyConnectTo() {
    m_stcConnectTo->SetBkColor(m_model.m_connectToBk);
    m_stcConnectTo->SetTextColor(m_model.m_connectToText);
    m_stcConnectTo->setText(qs(m_model.m_strConnectTo));
}

void CK2FrontPanelControlDlg::ShowStatus(int kind, const std::string& text) {
    m_statusKind = kind;
    m_statusText = text;
    m_marqueeStatus->EnableScrolling(!text.empty());
    if (kind == kStatusError) {
        m_marqueeStatus->SetColor(panel_colors::kStatusErrorOff, panel_colors::kStatusErrorOn);
    } else {
        m_marqueeStatus->SetColor(panel_colors::kStatusOff, panel_colors::kStatusOn);
    }
    m_marqueeStatus->SetScrollText(qs(text));
}

void CK2FrontPanelControlDlg::ConnectToServer() {
    ShowStatus(kStatusNormal, kConnectingStatus);
    m_lastConnectFailed = false;
    bool connected = m_remote.resolve(kOrbReadyWait);
    if (connected) {
        // Only the server's callback makes the link; a refusal has shown its
        // words through OnServerAnswer.
        connected = m_remote.Connect(kClientName).has_value();
    }
    if (!connected) {
        m_lastConnectFailed = true;
        // No server will call back: the splash must not stand over the box.
        if (m_entry.hideSplash) {
            m_entry.hideSplash();
        }
        MessageService::showError(kConnectFailedBox);
        ShowStatus(kStatusError, kConnectFailedStatus);
        m_remote.reset();
    }
}

void CK2FrontPanelControlDlg::EnsureConnected() {
    if (m_model.m_bConnected != 0) {
        // The panel may be wrong: the server may have gone, or stopped calling
        // back after a failed call-back. A server that does not answer takes
        // the disconnected path; one that does is asked to connect again, which
        // turns its call-backs on again.
        m_remote.EchoString(kClientName);
    }
    ConnectToServer();
}

void CK2FrontPanelControlDlg::OnSysCommand(int id, std::intptr_t /*param*/) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.exec();
    } else if (id == IDM_SYSTEM_CONFIG) {
        if (m_entry.showConfigSheet) {
            m_entry.showConfigSheet();
        }
    }
}

void CK2FrontPanelControlDlg::SetTuningSliderWindow(std::int64_t f) {
    m_model.SetTuningSliderWindow(f);
    const auto low = static_cast<int>(m_model.m_ulSliderLow / 10);
    const auto high = static_cast<int>(m_model.m_ulSliderHigh / 10);
    const QSignalBlocker blocker(m_sliderTuning);
    m_sliderTuning->setRange(low, high);
    m_sliderTuning->setValue(static_cast<int>(f / 10));
    m_sliderTuning->update();
    m_editActiveFreq->setText(qs(m_model.m_strActiveFreq));
}

void CK2FrontPanelControlDlg::onWindowMessage(const WindowMessage& message) {
    m_pinger->noteCallback();
    switch (message.message) {
        case WM_NOTIFY_SERVER_STATUS:
            OnNotifyServerStatus(message.wParam, message.lParam, message.text);
            break;
        case WM_RADIO_REPLY:
            OnRadioReply(message.wParam, message.text);
            break;
        case WM_NOTIFY_TXTMESG_SENT:
            OnTextMessageSent(message.wParam, message.text);
            break;
        default:
            qDebug("CK2FrontPanelControlDlg: message 0x%X ignored", message.message);
            break;
    }
}

void CK2FrontPanelControlDlg::OnNotifyServerStatus(int wParam, long lParam,
                                                   const std::string& text) {
    if (m_model.m_bServerNoticeSeen == 0) {
        if (m_entry.hideSplash) {
            m_entry.hideSplash();
        }
        m_model.MarkLinkUp();
        ApplyConnectTo();
        UpdateData();
        ShowStatus(kStatusNormal, std::string());
    }
    switch (wParam) {
        case SERVER_STATUS_CONNECT_NOTICE:
            if (m_model.m_bConnected != 0) {
                m_remote.EchoString(text);
            }
            break;
        case SERVER_STATUS_CONNECTED:
            OnConnectedNotice();
            break;
        case SERVER_STATUS_RF_AMP_OPTION:
            m_model.m_bRFAmpOption = lParam != 0 ? 1 : 0;
            break;
        default:
            break;
    }
}

// The link is up: the band table, the VFO bank, the band list and the radio's
// whole state. A failed call has already marked the panel disconnected; the
// rest is skipped, and so is it after an answer that the server does not
// count this client as connected.
void CK2FrontPanelControlDlg::OnConnectedNotice() {
    m_model.m_bConnected = 1;
    // What the panel shows now is from before this connect.
    m_model.m_bRadioAnswered = 0;
    const auto answered = [this](const RemoteStatus& status) {
        return status.has_value() && m_model.m_bConnected != 0;
    };

    HamRadioBandInfo bands;
    if (!answered(m_remote.ReadHAMRadioBandInfo(bands))) {
        return;
    }
    pelorin::TuningRangeTable ranges{};
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const RadioBandInfo& info = bands.Info[i];
        pelorin::TUNING_RANGE_ENTRY& entry = ranges[i];
        const int band = info.uiBandFreq;
        entry.name = band >= 0 && band < static_cast<int>(kBandNames.size())
                         ? std::string(kBandNames[static_cast<std::size_t>(band)])
                         : std::string();
        entry.band = band;
        entry.low = static_cast<std::uint32_t>(info.ulLowBandEdge);
        entry.high = static_cast<std::uint32_t>(info.ulHighBandEdge);
    }
    m_store.SetTuningRanges(ranges);

    LastFreqVisitArray cache;
    if (!answered(m_remote.ReadVFOFreqCache(cache))) {
        return;
    }
    for (std::size_t band = 0; band < cache.VfoBank.size(); ++band) {
        for (std::size_t vfo = 0; vfo < 2; ++vfo) {
            m_model.m_VfoBank[band][vfo] = static_cast<std::uint32_t>(cache.VfoBank[band][vfo]);
        }
    }

    pelorin::TUNING_RANGE_ENTRY range;
    if (m_store.FindTuningRange(m_model.m_ulVFOAFreq, range)) {
        m_model.m_CurTuningRange = toPanelRange(range);
    }
    SetTuningSliderWindow(m_model.m_ulVFOAFreq);

    // A second notice (a second connect) refills the list; it never grows.
    m_comboBand->clear();
    for (int i = 0; i < pelorin::kTuningRangeCount; ++i) {
        m_comboBand->addItem(qs(m_store.GetTuningRangeName(i)));
    }
    const int band = m_model.m_CurTuningRange.nBand;
    m_comboBand->setCurrentIndex(band >= 0 && band < pelorin::kTuningRangeCount ? band : -1);

    if (!answered(m_remote.GetInitialRadioInfo())) {
        return;
    }
    int rfAmp = 0;
    if (!answered(m_remote.QueryRFAmpStatus(rfAmp))) {
        return;
    }
    m_model.m_bRFAmpOption = rfAmp != 0 ? 1 : 0;
    if (!answered(m_remote.EnableStatusQuery(1))) {
        return;
    }
    UpdateData();
}

void CK2FrontPanelControlDlg::OnRadioReply(int code, const std::string& text) {
    ParseRadioReply(code, text);
}

void CK2FrontPanelControlDlg::OnTextMessageSent(int kind, const std::string& text) {
    if (m_entry.notifyTextMessageSent) {
        m_entry.notifyTextMessageSent(kind, text);
    }
}

void CK2FrontPanelControlDlg::executeRemoteCmd(int command, std::intptr_t param) {
    ExecuteRemoteCommand(command, param);
}

// A server call failed: the server is gone or hung. The panel stays usable and
// can connect again.
void CK2FrontPanelControlDlg::OnPanelDisconnected() {
    m_model.MarkLinkDown();
    ApplyConnectTo();
    ShowStatus(kStatusError, kLostConnectionStatus);
}

void CK2FrontPanelControlDlg::OnServerAnswer(std::int32_t status) {
    if (status == 0) {
        return;
    }
    const std::string text = RefusalText(status);
    const auto code = static_cast<std::uint32_t>(status);
    if (code == K2ERR_PORT_NOT_OPEN || code == K2ERR_PORT_WRITE_FAILED) {
        // The radio cannot be reached: the panel's values stay what they
        // were until it answers again.
        m_model.m_bRadioAnswered = 0;
    }
    if (code == K2ERR_CLIENT_NOT_CONNECTED) {
        // The server no longer counts this client as connected (another
        // client's Disconnect, a server restart): the operator connects again.
        m_model.MarkLinkDown();
        ApplyConnectTo();
    }
    if (m_statusKind == kStatusError && m_statusText == text) {
        return;
    }
    ShowStatus(kStatusError, text);
}

void CK2FrontPanelControlDlg::OnOK() {
    if (m_exiting) {
        return;
    }
    ShowStatus(kStatusNormal, std::string());
    if (!MessageService::askYesNo(kExitQuestion, MessageService::Icon::Question)) {
        return;
    }
    RunExit(true);
}

void CK2FrontPanelControlDlg::ExitWithoutQuestion() {
    if (!m_exiting) {
        RunExit(false);
    }
}

void CK2FrontPanelControlDlg::RunExit(bool interactive) {
    m_exiting = true;
    if (m_entry.saveQsoLogForExit && !m_entry.saveQsoLogForExit(interactive)) {
        m_exiting = false;
        return;
    }
    if (m_entry.stopQsoThreads) {
        m_entry.stopQsoThreads();
    }
    if (m_model.m_bCWWindowOpen != 0) {
        if (m_entry.closeKeyboardCw) {
            m_entry.closeKeyboardCw();
        }
        m_model.m_bCWWindowOpen = 0;
    }
    if (m_model.m_bConnected != 0) {
        // A failure is logged by the proxy; the exit goes on.
        m_remote.Disconnect();
    }
    // The server takes the bank after the disconnect as well.
    WriteVFOBankBack();
    if (m_entry.panelDestroyWork) {
        m_entry.panelDestroyWork();
    }
    if (m_splashTimer != nullptr) {
        m_splashTimer->stop();
    }
    accept();
}

void CK2FrontPanelControlDlg::reject() {}

void CK2FrontPanelControlDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnOK();
}

void CK2FrontPanelControlDlg::contextMenuEvent(QContextMenuEvent* event) {
    if (!OpensCommandMenu(event->pos())) {
        event->ignore();
        return;
    }
    m_systemMenu->popup(event->globalPos());
    event->accept();
}
