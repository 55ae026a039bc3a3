#include "client/qso/qso_logging_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QTableWidget>

#include <algorithm>
#include <utility>

#include "client/base/registry_store.h"
#include "client/panel/hot_keys.h"
#include "client/panel/place_under_panel.h"
#include "client/panel/qso_log_name.h"
#include "client/qso/qso_log_edit_dlg.h"
#include "controls/cx_shade_button.h"
#include "controls/green_shade.h"
#include "controls/looks.h"
#include "platform/message_service.h"
#include "platform/windows_path.h"

namespace pelorin {
namespace {

// The remote commands the keys send to the front panel.
constexpr int kMemoryKeyCmd = 10;
constexpr int kEscParam = 27;
constexpr int kExitCmd = 9;

constexpr QSize kDialogSize(172, 245);  // dialog units
constexpr int kSearchColumnWidth = 300;
// How long after a quiet show an activation counts as the platform's.
constexpr qint64 kQuietShowMs = 500;

// The statistics: four columns of a label and its count, in three rows.
constexpr int kColumnX[] = {8, 47, 86, 125};
constexpr int kCountLabelWidth = 19;
constexpr int kCountWidth = 19;
constexpr int kRowY[] = {156, 167, 178};

void styleList(QTableWidget& list) {
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    list.verticalHeader()->setVisible(false);
    list.verticalHeader()->setDefaultSectionSize(17);
    list.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list.horizontalHeader()->setHighlightSections(false);
}

QString latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

QsoLogWindowLinks LoggerLinks(PostToLogger post) {
    QsoLogWindowLinks links;
    links.open = [post](const std::string& path) {
        post([path](CQSOLoggerGUIThread& logger) { logger.OnOpenLogFile(1, path); });
    };
    links.save = [post](const std::string& path) {
        post([path](CQSOLoggerGUIThread& logger) { logger.OnSaveLogFile(path); });
    };
    links.newLog = [post] { post([](CQSOLoggerGUIThread& logger) { logger.OnNewLogFile(); }); };
    links.modify = [post](int index, const QSO_LOG_ENTRY& entry) {
        post(
            [index, entry](CQSOLoggerGUIThread& logger) { logger.OnModifyLogEntry(index, entry); });
    };
    links.remove = [post](int index) {
        post([index](CQSOLoggerGUIThread& logger) { logger.OnDeleteLogEntry(index); });
    };
    links.toggleInfo = [post] {
        post([](CQSOLoggerGUIThread& logger) { logger.OnToggleLoginfoWindow(0, 0); });
    };
    links.searchResult = [post](int index, const std::string& call) {
        post([index, call](CQSOLoggerGUIThread& logger) {
            logger.OnSearchQsoLogResultCmd(index, call);
        });
    };
    links.executeRemoteCmd = [post](int cmd, long param) {
        post([cmd, param](CQSOLoggerGUIThread& logger) { logger.OnExecuteRemoteCmd(cmd, param); });
    };
    return links;
}

// --- The file dialog -------------------------------------------------------------------------

std::optional<std::string> QsoLogFileDialogChooser::Choose(QWidget* parent, Purpose purpose,
                                                           const std::string& offered) {
    const bool save = purpose == Purpose::Save;
    const QString path = QFile::decodeName(QByteArray::fromStdString(offered));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    QFileDialog dialog(parent, save ? QStringLiteral("Save As") : QStringLiteral("Open"),
                       slash >= 0 ? path.left(slash) : QString(),
                       QStringLiteral("Log Files (*.log)"));
    // Our own dialog: its "*.log" also lists "*.QSO.Log".
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Only the window that asked waits; the front panel goes on working.
    dialog.setWindowModality(parent != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setDefaultSuffix(QStringLiteral("log"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.selectFile(slash >= 0 ? path.mid(slash + 1) : path);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

BandLookup StoreBandLookup(const CRegistryStore& store) {
    return [&store](std::int64_t hz) {
        TUNING_RANGE_ENTRY range;
        if (hz < 0 || hz > 0xFFFFFFFFLL ||
            !store.FindTuningRange(static_cast<std::uint32_t>(hz), range))
            return -1;
        return range.band;
    };
}

// --- The window ------------------------------------------------------------------------------

CQSOLoggingDlg::CQSOLoggingDlg(CRegistryStore& store, QsoLogWindowLinks links, BandLookup bandOf,
                               std::unique_ptr<IQsoLogFileChooser> chooser, QWidget* panel)
    : QDialog(nullptr),
      m_store(store),
      m_links(std::move(links)),
      m_bandOf(std::move(bandOf)),
      m_chooser(chooser ? std::move(chooser) : std::make_unique<QsoLogFileDialogChooser>()),
      m_panel(panel),
      m_runModal([](QDialog& dialog) { return dialog.exec(); }) {
    setWindowTitle(QStringLiteral("QSO Logging"));
    buildControls();

    m_store.ReadHomeDir(m_strHomeDir);
    std::string call;
    m_store.GetStringSlot(1, call);
    m_strFileDlgName = joinLocalPath(m_strHomeDir, QsoLogFileName(call));

    int mode = kNormalLogStyle;
    m_store.ReadQsoLoggingMode(mode);
    RebuildColumns(mode);
    installKeyFilter(this);
    Place();
}

CQSOLoggingDlg::~CQSOLoggingDlg() = default;

void CQSOLoggingDlg::buildControls() {
    setFont(looks::makeFont({QStringLiteral("MS Sans Serif"), -looks::kDefaultFontPixelSize, 400}));
    resize(looks::dluToPixels(kDialogSize));

    m_list = new QTableWidget(this);
    m_list->setObjectName(QStringLiteral("list1198"));
    m_list->setGeometry(looks::dluToPixels(6, 4, 160, 141));
    styleList(*m_list);
    m_list->setShowGrid(true);
    // Queued: the editor runs from the event loop, not from inside the
    // list's mouse handling, so the window may go while the editor is open.
    connect(
        m_list, &QTableWidget::cellDoubleClicked, this, [this] { OnDblclkEntryList(); },
        Qt::QueuedConnection);

    auto* group = new QGroupBox(QStringLiteral("Statistics"), this);
    group->setGeometry(looks::dluToPixels(5, 146, 162, 44));
    const auto placeCount = [this](const char* label, int column, int row, int id) {
        auto* text = new QLabel(QString::fromLatin1(label), this);
        text->setGeometry(looks::dluToPixels(kColumnX[column], kRowY[row], kCountLabelWidth, 10));
        auto* count = new QLabel(this);
        count->setObjectName(QStringLiteral("count%1").arg(id));
        count->setGeometry(
            looks::dluToPixels(kColumnX[column] + kCountLabelWidth, kRowY[row], kCountWidth, 10));
        count->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // Condensed so five digits fit, and the longest band name.
        text->setFont(looks::condensedToFit(text->font(), text->text(), text->width()));
        count->setFont(looks::condensedToFit(count->font(), QStringLiteral("99999"),
                                             count->contentsRect().width()));
        return count;
    };
    struct CountPlace {
        const char* label;
        int column;
        int row;
    };
    m_totalCount = placeCount("QSO:", 0, 0, 1239);
    constexpr CountPlace kBands[kCountedBands] = {
        {"10M", 1, 0}, {"12M", 2, 0}, {"15M", 0, 1}, {"17M", 1, 1},  {"20M", 2, 1},
        {"30M", 3, 1}, {"40M", 0, 2}, {"80M", 1, 2}, {"160M", 2, 2},
    };
    for (int band = 0; band < kCountedBands; ++band) {
        const CountPlace& at = kBands[band];
        m_bandCounts[static_cast<std::size_t>(band)] =
            placeCount(at.label, at.column, at.row, 1240 + band);
    }

    m_searchList = new QTableWidget(this);
    m_searchList->setObjectName(QStringLiteral("list1249"));
    m_searchList->setGeometry(looks::dluToPixels(5, 192, 162, 35));
    styleList(*m_searchList);
    m_searchList->setShowGrid(false);
    m_searchList->horizontalHeader()->setVisible(false);
    m_searchList->setColumnCount(1);
    m_searchList->setColumnWidth(0, kSearchColumnWidth);
    connect(m_searchList, &QTableWidget::cellDoubleClicked, this, [this] { OnDblclkSearchList(); });

    m_btnLogInfo = new CxShadeButton(QStringLiteral("LogInfo"), this);
    m_btnNew = new CxShadeButton(QStringLiteral("New"), this);
    m_btnLoad = new CxShadeButton(QStringLiteral("Load"), this);
    m_btnSave = new CxShadeButton(QStringLiteral("Save"), this);
    int x = 6;
    for (CxShadeButton* button : {m_btnLogInfo, m_btnNew, m_btnLoad, m_btnSave}) {
        button->setGeometry(looks::dluToPixels(x, 229, 37, 13));
        green_shade::style(*button);
        button->setAutoDefault(false);
        x += 41;
    }
    connect(m_btnLogInfo, &QPushButton::clicked, this, &CQSOLoggingDlg::OnLogInfo);
    connect(m_btnNew, &QPushButton::clicked, this, &CQSOLoggingDlg::OnNew);
    connect(m_btnLoad, &QPushButton::clicked, this, &CQSOLoggingDlg::OnLoad);
    connect(m_btnSave, &QPushButton::clicked, this, &CQSOLoggingDlg::OnSave);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        m_designed.emplace_back(child, child->geometry());
    }
    refreshCounts();
}

void CQSOLoggingDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const QSize designed = looks::dluToPixels(kDialogSize);
    const int dx = std::max(0, width() - designed.width());
    const int dy = std::max(0, height() - designed.height());
    for (const auto& [child, at] : m_designed) {
        if (child == m_list) {
            child->setGeometry(at.adjusted(0, 0, dx, dy));
        } else {
            child->move(at.topLeft() + QPoint(0, dy));
        }
    }
}

void CQSOLoggingDlg::SetModalRunner(ModalRunner runner) {
    m_runModal = runner ? std::move(runner) : [](QDialog& dialog) { return dialog.exec(); };
}

// --- Calls of the logger ---------------------------------------------------------------------

void CQSOLoggingDlg::RebuildColumns(int style) {
    m_nColumnsStyle = style;
    const std::span<const LogColumn> columns = LogColumns(style);
    m_list->clear();
    m_list->setColumnCount(static_cast<int>(columns.size()));
    QStringList titles;
    for (const LogColumn& column : columns)
        titles << QString::fromLatin1(column.title.data(),
                                      static_cast<qsizetype>(column.title.size()));
    m_list->setHorizontalHeaderLabels(titles);
    for (int c = 0; c < static_cast<int>(columns.size()); ++c)
        m_list->setColumnWidth(c, columns[static_cast<std::size_t>(c)].width);
    ClearList();
}

void CQSOLoggingDlg::ClearList() {
    m_list->setRowCount(0);
    m_entries.clear();
    m_rowIds.clear();
    m_counts = {};
    refreshCounts();
}

void CQSOLoggingDlg::AddEntry(const QSO_LOG_ENTRY& entry) {
    AddEntries({entry});
}

void CQSOLoggingDlg::AddEntries(const std::vector<QSO_LOG_ENTRY>& entries) {
    if (entries.empty())
        return;
    showQuietly();
    const int first = m_list->rowCount();
    m_list->setUpdatesEnabled(false);
    m_entries.insert(m_entries.end(), entries.begin(), entries.end());
    for (std::size_t i = 0; i < entries.size(); ++i)
        m_rowIds.push_back(++m_nLastRowId);
    m_list->setRowCount(first + static_cast<int>(entries.size()));
    for (int row = first; row < m_list->rowCount(); ++row)
        showRow(row);
    for (const QSO_LOG_ENTRY& entry : entries)
        m_counts.Add(entry);
    m_list->setUpdatesEnabled(true);
    if (QTableWidgetItem* item = m_list->item(m_list->rowCount() - 1, 0))
        m_list->scrollToItem(item);
    refreshCounts();
}

// A contact logged or a log loaded shows the window but leaves the focus
// where the operator is typing; a window already shown stays where it is in
// the stack.
void CQSOLoggingDlg::showQuietly() {
    if (isVisible())
        return;
    QWidget* active = QApplication::activeWindow();
    m_giveFocusBackTo = active != this ? active : nullptr;
    m_quietShow.start();
    const bool wasQuiet = testAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, wasQuiet);
}

// Some platforms activate every window they show, the request not to
// notwithstanding: an activation that follows a quiet show at once goes back
// to the window the operator was in. A later one is the operator's own.
bool CQSOLoggingDlg::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && m_giveFocusBackTo) {
        const QPointer<QWidget> back = m_giveFocusBackTo;
        m_giveFocusBackTo = nullptr;
        if (back && back->isVisible() && m_quietShow.isValid() &&
            m_quietShow.elapsed() < kQuietShowMs)
            back->activateWindow();
    }
    return handled;
}

void CQSOLoggingDlg::showRow(int row) {
    const std::vector<std::string> texts =
        LogRowTexts(m_entries[static_cast<std::size_t>(row)], m_nColumnsStyle, row + 1);
    for (int c = 0; c < static_cast<int>(texts.size()) && c < m_list->columnCount(); ++c)
        m_list->setItem(row, c, new QTableWidgetItem(latin1(texts[static_cast<std::size_t>(c)])));
}

void CQSOLoggingDlg::refreshCounts() {
    m_totalCount->setText(QString::fromLatin1(FormatCount(m_counts.total)));
    for (int band = 0; band < kCountedBands; ++band) {
        m_bandCounts[static_cast<std::size_t>(band)]->setText(
            QString::fromLatin1(FormatCount(m_counts.bands[static_cast<std::size_t>(band)])));
    }
}

QString CQSOLoggingDlg::totalText() const {
    return m_totalCount->text();
}

QString CQSOLoggingDlg::bandCountText(int band) const {
    return m_bandCounts.at(static_cast<std::size_t>(band))->text();
}

void CQSOLoggingDlg::SetCaption(const std::string& fileName) {
    setWindowTitle(QFile::decodeName(QByteArray::fromStdString(fileName)));
}

void CQSOLoggingDlg::Show() {
    m_giveFocusBackTo = nullptr;
    show();
    raise();
    activateWindow();
}

void CQSOLoggingDlg::Place() {
    // The panel is compared with the window's own size, not with a height
    // taken from an earlier placement: that one may have been made before the
    // window had its frame.
    FollowerRequest request =
        RequestBesidePanel(*this, m_store, FollowerPlace::Right, WhenAnchorSmaller::Stay);
    const int frameExtra = request.current.height() - height();
    request.size.setHeight(looks::dluToPixels(kDialogSize).height() + frameExtra);
    request.current.setHeight(request.size.height());
    ApplyFollowerFrame(*this, PlaceFollower(request).frame);
}

void CQSOLoggingDlg::ClearSearchResults() {
    m_searchList->setRowCount(0);
}

void CQSOLoggingDlg::AddSearchResult(const std::string& line) {
    const int row = m_searchList->rowCount();
    m_searchList->insertRow(row);
    m_searchList->setItem(row, 0, new QTableWidgetItem(latin1(line)));
}

// --- Buttons ---------------------------------------------------------------------------------

std::optional<std::string> CQSOLoggingDlg::choose(IQsoLogFileChooser::Purpose purpose) {
    std::optional<std::string> path = m_chooser->Choose(this, purpose, m_strFileDlgName);
    if (path)
        m_strFileDlgName = *path;
    return path;
}

void CQSOLoggingDlg::OnLoad() {
    const std::optional<std::string> path = choose(IQsoLogFileChooser::Purpose::Open);
    if (path && m_links.open)
        m_links.open(*path);
}

void CQSOLoggingDlg::OnNew() {
    if (MessageService::askYesNo("Ok to Start a New Log?", MessageService::Icon::Question, this) &&
        m_links.newLog)
        m_links.newLog();
}

void CQSOLoggingDlg::OnSave() {
    if (m_list->rowCount() == 0) {
        MessageService::showWarning("Log is empty!", this);
        return;
    }
    const std::optional<std::string> path = choose(IQsoLogFileChooser::Purpose::Save);
    if (path && m_links.save)
        m_links.save(*path);
}

void CQSOLoggingDlg::OnLogInfo() {
    if (m_links.toggleInfo)
        m_links.toggleInfo();
}

void CQSOLoggingDlg::OnDblclkSearchList() {
    const QList<QTableWidgetItem*> selected = m_searchList->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = selected.first()->row();
    const std::string line = selected.first()->text().toLatin1().toStdString();
    if (m_links.searchResult)
        m_links.searchResult(row, SearchLineCall(line));
}

// --- Editing ---------------------------------------------------------------------------------

void CQSOLoggingDlg::OnDblclkEntryList() {
    qDebug("OnDblclkMemnameListctrl");
    const QList<QTableWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    const int openedAt = selected.first()->row();
    if (openedAt < 0 || openedAt >= static_cast<int>(m_entries.size()))
        return;
    const QSO_LOG_ENTRY opened = m_entries[static_cast<std::size_t>(openedAt)];
    const std::uint64_t openedId = m_rowIds[static_cast<std::size_t>(openedAt)];

    // A child of the window: should the window go while the editor runs, the
    // editor goes with it.
    QPointer<CQSOLogEditDlg> editor;
    if (opened.nLogStyle == kContestLogStyle)
        editor = new CContestQSOLogEditDlg(opened, m_bandOf, this);
    else
        editor = new CNormalQSOLogEditDlg(opened, m_bandOf, this);
    PlaceWindowUnder(*editor, *this);
    // Modal to this window only: the front panel and the entry windows go on
    // taking input, and whatever they do meanwhile is checked when it ends.
    editor->setWindowModality(Qt::WindowModal);

    // The runner is copied: it must outlive a window gone meanwhile.
    const QPointer<CQSOLoggingDlg> self(this);
    const ModalRunner run = m_runModal;
    const int result = run(*editor);
    if (!self || !editor)
        return;
    const CQSOLogEditDlg::Action action = editor->action();
    const QSO_LOG_ENTRY edited = editor->entry();
    delete editor;
    if (result != QDialog::Accepted)
        return;
    // The rows may have been refilled while the editor was open.
    const std::optional<int> row = editedRow(openedId, openedAt, opened);
    if (!row) {
        MessageService::showError("The log changed while the contact was edited: edit it again",
                                  this);
        return;
    }
    const int index = *row;
    if (action == CQSOLogEditDlg::Action::Delete) {
        removeRow(index);
        if (m_links.remove)
            m_links.remove(index);
        return;
    }
    if (action != CQSOLogEditDlg::Action::Modify)
        return;
    m_entries[static_cast<std::size_t>(index)] = edited;
    showRow(index);
    m_counts = CountBands(m_entries);
    refreshCounts();
    if (m_links.modify)
        m_links.modify(index, edited);
}

// The row of the id; else, after a refill, the row at the editor's place
// when it holds the entry as opened: the same log loaded again keeps the edit.
std::optional<int> CQSOLoggingDlg::editedRow(std::uint64_t id, int index,
                                             const QSO_LOG_ENTRY& opened) const {
    const auto found = std::find(m_rowIds.begin(), m_rowIds.end(), id);
    if (found != m_rowIds.end())
        return static_cast<int>(found - m_rowIds.begin());
    if (index < static_cast<int>(m_entries.size()) &&
        m_entries[static_cast<std::size_t>(index)] == opened)
        return index;
    return std::nullopt;
}

void CQSOLoggingDlg::removeRow(int index) {
    m_entries.erase(m_entries.begin() + index);
    m_rowIds.erase(m_rowIds.begin() + index);
    m_list->removeRow(index);
    // Only the numbers of the later rows change. Each gets a new item: a
    // changed item looks for its own place in the whole table, a new one is
    // put at its place. The view hears of them once, not once a row.
    const int rows = m_list->rowCount();
    if (index < rows) {
        QAbstractItemModel* model = m_list->model();
        {
            const QSignalBlocker quiet(model);
            for (int row = index; row < rows; ++row)
                m_list->setItem(row, 0,
                                new QTableWidgetItem(QString::fromLatin1(FormatCount(row + 1))));
        }
        emit model->dataChanged(model->index(index, 0), model->index(rows - 1, 0));
    }
    m_counts = CountBands(m_entries);
    refreshCounts();
}

// --- Keys and closing ------------------------------------------------------------------------

void CQSOLoggingDlg::installKeyFilter(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->installEventFilter(this);
}

void CQSOLoggingDlg::sendRemote(int cmd, long param) {
    if (m_links.executeRemoteCmd)
        m_links.executeRemoteCmd(cmd, param);
}

bool CQSOLoggingDlg::handleKey(const QKeyEvent& key) {
    const bool alt = (key.modifiers() & Qt::AltModifier) != 0;
    const int k = key.key();
    if (k == Qt::Key_Escape) {
        qDebug("ESC is PRESSED! (Aborting)");
        m_bEscPressed = true;
        sendRemote(kMemoryKeyCmd, kEscParam);
        // The key then does what Esc does in a dialog; the flag keeps the
        // window open.
        reject();
        return true;
    }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F11) {
        const int n = k - Qt::Key_F1;
        if (!alt)
            qDebug("F%d is PRESSED!", n + 1);
        sendRemote(kMemoryKeyCmd, n);
        return true;
    }
    if (!alt)
        return false;
    switch (k) {
        case Qt::Key_X:
            sendRemote(kExitCmd, 0);
            return true;
        case Qt::Key_L:
            qDebug("ALT-L is PRESSED!");
            return true;
        case Qt::Key_C:
            qDebug("ALT-C is PRESSED!");
            return true;
        case Qt::Key_S:
            qDebug("ALT-S is PRESSED!");
            return true;
        default:
            return false;
    }
}

bool CQSOLoggingDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        // A press travels from the focus widget up to the window; it acts
        // once, where it arrives first. A held key acts once.
        if (IsRepeatedHotKey(*static_cast<QKeyEvent*>(event)))
            return true;
        if (handleKey(*static_cast<QKeyEvent*>(event)))
            return true;
    }
    if (event->type() == QEvent::ChildAdded) {
        auto* childEvent = static_cast<QChildEvent*>(event);
        if (childEvent->child()->isWidgetType())
            childEvent->child()->installEventFilter(this);
    }
    return QDialog::eventFilter(watched, event);
}

void CQSOLoggingDlg::reject() {
    if (m_bEscPressed) {
        m_bEscPressed = false;
        return;
    }
    hide();
}

void CQSOLoggingDlg::closeEvent(QCloseEvent* event) {
    m_bEscPressed = false;
    event->accept();  // hidden, never destroyed: the logger owns the window
}

}  // namespace pelorin
