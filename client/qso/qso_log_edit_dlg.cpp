#include "client/qso/qso_log_edit_dlg.h"

#include <QLabel>
#include <QToolButton>

#include <utility>

#include "client/qso/qso_log_file.h"
#include "client/qso/qso_text_filter.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/green_shade.h"
#include "controls/static_ex.h"
#include "platform/message_service.h"

namespace pelorin {
namespace {

constexpr COLORREF kWhite = 0xFFFFFF;

// Two columns of labelled boxes: label and box x and widths, in dialog units.
constexpr int kLeftLabelX = 6;
constexpr int kRightLabelX = 128;
constexpr int kLabelWidth = 36;  // "Comment" and "Exchange" whole
constexpr int kRightLabelWidth = 28;
constexpr int kLeftBoxWidth = 80;
constexpr int kRightBoxWidth = 86;
constexpr int kWideBoxWidth = 200;
constexpr int kSpinnerTextWidth = 60;
constexpr int kRowPitch = 18;
constexpr int kFirstRow = 6;
constexpr int kBigBoxHeight = 16;
constexpr int kBoxHeight = 14;
constexpr int kDialogWidth = 250;

constexpr int rowY(int row) {
    return kFirstRow + row * kRowPitch;
}

QToolButton* arrowButton(Qt::ArrowType arrow, const char* name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setObjectName(QString::fromLatin1(name));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

CQSOLogEditDlg::CQSOLogEditDlg(const QSO_LOG_ENTRY& entry, BandLookup bandOf, QWidget* parent)
    : QDialog(parent), m_entry(entry), m_bandOf(std::move(bandOf)), m_form(EditFormOf(entry)) {
    setFont(looks::makeFont({QStringLiteral("MS Sans Serif"), -looks::kDefaultFontPixelSize, 400}));
    m_call = makeBox(kBlue, kBigHeight, kMaxCallLength, QsoBlanks::Refused);
    m_date = makeBox(kTeal, kHeight);
    m_time = makeBox(kTeal, kHeight);
    m_band = makeBox(kTeal, kHeight);
    m_band->setReadOnly(true);
    m_freq = makeBox(kTeal, kHeight);
    m_comment = makeBox(kTeal, kHeight, kMaxCommentLength, QsoBlanks::Allowed);

    m_modeText = new CStaticEx(this);
    m_modeText->SetBkColor(kWhite);
    m_modeText->SetTextColor(kTeal);
    const looks::FontDescription modeFont{QStringLiteral("Times New Roman"), kHeight, 700};
    m_modeText->SetFont(&modeFont);
    m_modeText->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_modeText->setAutoFillBackground(true);
    m_modeUp = arrowButton(Qt::UpArrow, "modeUp", this);
    m_modeDown = arrowButton(Qt::DownArrow, "modeDown", this);

    m_qslText = new QLabel(this);
    m_qslText->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_qslUp = arrowButton(Qt::UpArrow, "qslUp", this);
    m_qslDown = arrowButton(Qt::DownArrow, "qslDown", this);

    const auto stepMode = [this](int step) {
        m_form.modeIndex = StepModeIndex(m_form.modeIndex, step);
        showMode();
    };
    const auto stepQsl = [this](int step) {
        m_form.qslStatus = StepQslStatus(m_form.qslStatus, step);
        showQsl();
    };
    connect(m_modeUp, &QToolButton::clicked, this, [stepMode] { stepMode(-1); });
    connect(m_modeDown, &QToolButton::clicked, this, [stepMode] { stepMode(+1); });
    connect(m_qslUp, &QToolButton::clicked, this, [stepQsl] { stepQsl(-1); });
    connect(m_qslDown, &QToolButton::clicked, this, [stepQsl] { stepQsl(+1); });

    m_btnModify = new CxShadeButton(QStringLiteral("Modify"), this);
    m_btnCancel = new CxShadeButton(QStringLiteral("Cancel"), this);
    m_btnDelete = new CxShadeButton(QStringLiteral("Delete"), this);
    for (CxShadeButton* button : {m_btnModify, m_btnCancel, m_btnDelete}) {
        green_shade::style(*button);
        button->setAutoDefault(false);
    }
    // Enter in a box is Modify, as the dialog's OK.
    m_btnModify->setDefault(true);
    connect(m_btnModify, &QPushButton::clicked, this, &CQSOLogEditDlg::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &CQSOLogEditDlg::reject);
    connect(m_btnDelete, &QPushButton::clicked, this, &CQSOLogEditDlg::OnDelete);
}

CEditEx* CQSOLogEditDlg::makeBox(COLORREF color, int height) {
    auto* box = new CEditEx(this);
    box->SetBkColor(kWhite);
    box->SetTextColor(color);
    const looks::FontDescription font{QStringLiteral("Times New Roman"), height, 700};
    box->SetFont(&font);
    return box;
}

CEditEx* CQSOLogEditDlg::makeBox(COLORREF color, int height, std::size_t maxChars,
                                 QsoBlanks blanks) {
    CEditEx* box = makeBox(color, height);
    InstallQsoTextFilter(*box, maxChars, blanks);
    return box;
}

void CQSOLogEditDlg::placeLabelled(const char* label, QWidget* box, int x, int y, int labelWidth,
                                   int boxWidth, int height) {
    auto* text = new QLabel(QString::fromLatin1(label), this);
    text->setGeometry(looks::dluToPixels(x, y, labelWidth, height));
    text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    text->setBuddy(box);
    box->setGeometry(looks::dluToPixels(x + labelWidth + 2, y, boxWidth, height));
}

void CQSOLogEditDlg::placeSpinner(const char* label, QWidget* text, QToolButton* up,
                                  QToolButton* down, int x, int y, int labelWidth, int textWidth,
                                  int height) {
    placeLabelled(label, text, x, y, labelWidth, textWidth, height);
    const QRect buttons = looks::dluToPixels(x + labelWidth + 2 + textWidth + 1, y, 10, height);
    const int half = buttons.height() / 2;
    up->setGeometry(buttons.x(), buttons.y(), buttons.width(), half);
    down->setGeometry(buttons.x(), buttons.y() + half, buttons.width(), buttons.height() - half);
}

void CQSOLogEditDlg::placeLeft(const char* label, QWidget* box, int row, int boxWidth, int height) {
    placeLabelled(label, box, kLeftLabelX, rowY(row), kLabelWidth, boxWidth, height);
}

void CQSOLogEditDlg::placeRight(const char* label, QWidget* box, int row) {
    placeLabelled(label, box, kRightLabelX, rowY(row), kRightLabelWidth, kRightBoxWidth,
                  kBoxHeight);
}

void CQSOLogEditDlg::placeQslSpinner(int row) {
    placeSpinner("QSL", m_qslText, m_qslUp, m_qslDown, kLeftLabelX, rowY(row), kLabelWidth,
                 kSpinnerTextWidth, kBoxHeight);
}

void CQSOLogEditDlg::placeModeSpinner(int row) {
    placeSpinner("Mode", m_modeText, m_modeUp, m_modeDown, kRightLabelX, rowY(row),
                 kRightLabelWidth, kSpinnerTextWidth, kBoxHeight);
}

void CQSOLogEditDlg::placeButtons(int row) {
    constexpr int kButtonWidth = 50;
    constexpr int kGap = 8;
    const int y = rowY(row) + 2;
    const int left = (kDialogWidth - 3 * kButtonWidth - 2 * kGap) / 2;
    int x = left;
    for (CxShadeButton* button : {m_btnModify, m_btnCancel, m_btnDelete}) {
        button->setGeometry(looks::dluToPixels(x, y, kButtonWidth, kBigBoxHeight));
        x += kButtonWidth + kGap;
    }
    setFixedSize(looks::dluToPixels(QSize(kDialogWidth, y + kBigBoxHeight + 7)));
}

void CQSOLogEditDlg::chainTabOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous != nullptr)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

void CQSOLogEditDlg::fillBoxes() {
    SetQsoText(*m_call, m_form.call);
    SetQsoText(*m_comment, m_form.comment);
    SetQsoText(*m_date, m_form.date);
    SetQsoText(*m_time, m_form.time);
    SetQsoText(*m_band, std::string(BandName(m_entry.nBand)));
    SetQsoText(*m_freq, m_form.frequency);
    fillOwnBoxes(m_form);
    showMode();
    showQsl();
}

void CQSOLogEditDlg::showMode() {
    const int mode = m_form.modeIndex >= 0
                         ? kEditorModes[static_cast<std::size_t>(m_form.modeIndex)]
                         : m_entry.nMode;
    m_modeText->setText(QString::fromLatin1(ModeName(mode)));
}

void CQSOLogEditDlg::showQsl() {
    m_qslText->setText(QString::fromLatin1(QslStatusName(m_form.qslStatus)));
}

CEditEx* CQSOLogEditDlg::boxOf(QsoEditField field) const {
    switch (field) {
        case QsoEditField::Date:
            return m_date;
        case QsoEditField::Time:
            return m_time;
        case QsoEditField::Frequency:
            return m_freq;
        case QsoEditField::Call:
            break;
    }
    return m_call;
}

void CQSOLogEditDlg::accept() {
    QsoEditForm form = m_form;
    form.call = QsoText(*m_call);
    form.comment = QsoText(*m_comment);
    form.date = QsoText(*m_date);
    form.time = QsoText(*m_time);
    form.frequency = QsoText(*m_freq);
    readOwnBoxes(form);
    const QsoEditResult result = ApplyQsoEdit(m_entry, form, m_bandOf);
    if (!result.entry) {
        MessageService::showError(result.error, this);
        CEditEx* bad = boxOf(result.badField);
        bad->setFocus();
        bad->selectAll();
        return;
    }
    m_entry = *result.entry;
    m_action = Action::Modify;
    QDialog::accept();
}

void CQSOLogEditDlg::OnDelete() {
    m_action = Action::Delete;
    QDialog::accept();
}

// --- "Edit QSO Log" ----------------------------------------------------------------------

CNormalQSOLogEditDlg::CNormalQSOLogEditDlg(const QSO_LOG_ENTRY& entry, BandLookup bandOf,
                                           QWidget* parent)
    : CQSOLogEditDlg(entry, std::move(bandOf), parent) {
    setWindowTitle(QStringLiteral("Edit QSO Log"));
    m_name = makeBox(kTeal, kBigHeight, kMaxNameLength, QsoBlanks::Allowed);
    m_qth = makeBox(kTeal, kHeight, kMaxQthLength, QsoBlanks::Allowed);
    m_hisSig = makeBox(kTeal, kHeight, kMaxSignalReportLength, QsoBlanks::Allowed);
    m_mySig = makeBox(kTeal, kHeight, kMaxSignalReportLength, QsoBlanks::Allowed);

    placeLeft("Call", callEdit(), 0, kLeftBoxWidth, kBigBoxHeight);
    placeLeft("Name", m_name, 1, kLeftBoxWidth, kBigBoxHeight);
    placeLeft("QTH", m_qth, 2, kLeftBoxWidth, kBoxHeight);
    placeLeft("RSTR", m_hisSig, 3, kLeftBoxWidth, kBoxHeight);
    placeLeft("RSTS", m_mySig, 4, kLeftBoxWidth, kBoxHeight);
    placeQslSpinner(5);
    placeLeft("Comment", commentEdit(), 6, kWideBoxWidth, kBoxHeight);
    placeRight("QSO on", dateEdit(), 0);
    placeRight("At", timeEdit(), 1);
    placeRight("Band", bandEdit(), 2);
    placeRight("Freq", frequencyEdit(), 3);
    placeModeSpinner(4);
    placeButtons(7);

    // Tab order as the boxes read.
    chainTabOrder({callEdit(), m_name, m_qth, m_hisSig, m_mySig, commentEdit(), dateEdit(),
                   timeEdit(), frequencyEdit(), modifyButton(), cancelButton(), deleteButton()});
    fillBoxes();
}

void CNormalQSOLogEditDlg::fillOwnBoxes(const QsoEditForm& form) {
    SetQsoText(*m_name, form.name);
    SetQsoText(*m_qth, form.qth);
    SetQsoText(*m_hisSig, form.hisSig);
    SetQsoText(*m_mySig, form.mySig);
}

void CNormalQSOLogEditDlg::readOwnBoxes(QsoEditForm& form) const {
    form.name = QsoText(*m_name);
    form.qth = QsoText(*m_qth);
    form.hisSig = QsoText(*m_hisSig);
    form.mySig = QsoText(*m_mySig);
}

// --- "Edit Contest QSO Log" ----------------------------------------------------------------

CContestQSOLogEditDlg::CContestQSOLogEditDlg(const QSO_LOG_ENTRY& entry, BandLookup bandOf,
                                             QWidget* parent)
    : CQSOLogEditDlg(entry, std::move(bandOf), parent) {
    setWindowTitle(QStringLiteral("Edit Contest QSO Log"));
    m_exchange = makeBox(kTeal, kHeight, kMaxExchangeLength, QsoBlanks::Allowed);

    placeLeft("Call", callEdit(), 0, kLeftBoxWidth, kBigBoxHeight);
    placeLeft("Band", bandEdit(), 1, kLeftBoxWidth, kBoxHeight);
    placeLeft("Freq", frequencyEdit(), 2, kLeftBoxWidth, kBoxHeight);
    placeQslSpinner(3);
    placeLeft("Exchange", m_exchange, 4, kWideBoxWidth, kBoxHeight);
    placeLeft("Comment", commentEdit(), 5, kWideBoxWidth, kBoxHeight);
    placeRight("QSO on", dateEdit(), 0);
    placeRight("At", timeEdit(), 1);
    placeModeSpinner(2);
    placeButtons(6);

    chainTabOrder({callEdit(), frequencyEdit(), m_exchange, commentEdit(), dateEdit(), timeEdit(),
                   modifyButton(), cancelButton(), deleteButton()});
    fillBoxes();
}

void CContestQSOLogEditDlg::fillOwnBoxes(const QsoEditForm& form) {
    SetQsoText(*m_exchange, form.exchange);
}

void CContestQSOLogEditDlg::readOwnBoxes(QsoEditForm& form) const {
    form.exchange = QsoText(*m_exchange);
}

}  // namespace pelorin
