#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "client/qso/qso_log_entry.h"
#include "client/qso/qso_log_view.h"
#include "client/qso/qso_logger.h"

class CxShadeButton;
class QLabel;
class QTableWidget;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

// "QSO Logging": the logger's window. It lists the entries of the open log,
// counts them per band, shows the results of a search and offers Load, New,
// Save and LogInfo; a double click on a row opens the entry's editor, a double
// click on a search line sends that entry to the entry window.
//
// The logger calls it through IQsoLogWindow; everything the window asks of
// the logger goes through QsoLogWindowLinks, which its owner queues to the
// logger, so the window never touches the log. It keeps its own copy of each
// entry it shows, each row under an id of its own: the editors work on that
// copy, never on the row texts, and an edit goes to the row it was opened on.
//
// GUI thread only; a top-level window without a parent, owned by the logger.
namespace pelorin {

// What the log window asks of the logger (an unset link is not called).
struct QsoLogWindowLinks {
    std::function<void(const std::string& path)> open;  // Load
    std::function<void(const std::string& path)> save;
    std::function<void()> newLog;
    std::function<void(int index, const QSO_LOG_ENTRY& entry)> modify;
    std::function<void(int index)> remove;
    std::function<void()> toggleInfo;
    std::function<void(int index, const std::string& call)> searchResult;
    std::function<void(int cmd, long param)> executeRemoteCmd;  // for the front panel
};

// The links as calls on the logger, each handed to `post`, which runs it on
// the logger later (queued, as the owner does).
using PostToLogger = std::function<void(std::function<void(CQSOLoggerGUIThread&)>)>;
QsoLogWindowLinks LoggerLinks(PostToLogger post);

// Picks a log file to open or to save as; nothing when the operator cancels.
class IQsoLogFileChooser {
  public:
    enum class Purpose { Open, Save };
    virtual ~IQsoLogFileChooser() = default;
    virtual std::optional<std::string> Choose(QWidget* parent, Purpose purpose,
                                              const std::string& offered) = 0;
};

// The file dialog: "Log Files (*.log)", suffix "log", the offered path
// selected; Save asks before it replaces a file.
class QsoLogFileDialogChooser : public IQsoLogFileChooser {
  public:
    std::optional<std::string> Choose(QWidget* parent, Purpose purpose,
                                      const std::string& offered) override;
};

// The band of the store's tuning range holding a frequency; -1 for none or
// while no band table is loaded.
BandLookup StoreBandLookup(const CRegistryStore& store);

class CQSOLoggingDlg : public QDialog, public IQsoLogWindow {
    Q_OBJECT

  public:
    // Runs a modal editor; returns its result. The default runs exec().
    using ModalRunner = std::function<int(QDialog&)>;

    // `chooser` null: the file dialog. `panel` (may be null) picks the screen
    // a window placed off-screen is centred on.
    CQSOLoggingDlg(CRegistryStore& store, QsoLogWindowLinks links, BandLookup bandOf,
                   std::unique_ptr<IQsoLogFileChooser> chooser = nullptr, QWidget* panel = nullptr);
    ~CQSOLoggingDlg() override;

    // IQsoLogWindow
    void ClearList() override;
    void AddEntry(const QSO_LOG_ENTRY& entry) override;
    void AddEntries(const std::vector<QSO_LOG_ENTRY>& entries) override;
    void SetCaption(const std::string& fileName) override;
    void Show() override;
    void Place() override;
    void ClearSearchResults() override;
    void AddSearchResult(const std::string& line) override;
    void RebuildColumns(int style) override;
    int ColumnsStyle() const override { return m_nColumnsStyle; }

    void SetModalRunner(ModalRunner runner);

    // The buttons and double clicks.
    void OnLoad();
    void OnNew();
    void OnSave();
    void OnLogInfo();
    void OnDblclkEntryList();
    void OnDblclkSearchList();

    // For tests and the owner.
    QTableWidget* entryList() const { return m_list; }
    QTableWidget* searchList() const { return m_searchList; }
    CxShadeButton* loadButton() const { return m_btnLoad; }
    CxShadeButton* newButton() const { return m_btnNew; }
    CxShadeButton* saveButton() const { return m_btnSave; }
    CxShadeButton* logInfoButton() const { return m_btnLogInfo; }
    QString totalText() const;
    QString bandCountText(int band) const;
    const std::vector<QSO_LOG_ENTRY>& entries() const { return m_entries; }
    const std::string& fileDialogName() const { return m_strFileDlgName; }

  public slots:
    void reject() override;

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // The list takes what the window grows by; what lies under it moves down.
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildControls();
    void installKeyFilter(QWidget* widget);
    bool handleKey(const QKeyEvent& key);
    void sendRemote(int cmd, long param);
    void showQuietly();
    void showRow(int row);
    void refreshCounts();
    void removeRow(int index);
    // Where the row an editor opened at `index` with `opened` now is.
    std::optional<int> editedRow(std::uint64_t id, int index, const QSO_LOG_ENTRY& opened) const;
    std::optional<std::string> choose(IQsoLogFileChooser::Purpose purpose);

    CRegistryStore& m_store;
    QsoLogWindowLinks m_links;
    BandLookup m_bandOf;
    std::unique_ptr<IQsoLogFileChooser> m_chooser;
    QWidget* m_panel;
    ModalRunner m_runModal;

    int m_nColumnsStyle = -1;
    std::string m_strHomeDir;
    std::string m_strFileDlgName;
    std::vector<QSO_LOG_ENTRY> m_entries;  // one per row, in row order
    std::vector<std::uint64_t> m_rowIds;   // the same rows' ids
    std::uint64_t m_nLastRowId = 0;
    BandCounts m_counts;
    bool m_bEscPressed = false;
    // The window active before a quiet show, and when that show was.
    QPointer<QWidget> m_giveFocusBackTo;
    QElapsedTimer m_quietShow;

    QTableWidget* m_list = nullptr;
    // Where the controls lie in the window at its designed size.
    std::vector<std::pair<QWidget*, QRect>> m_designed;
    QTableWidget* m_searchList = nullptr;
    QLabel* m_totalCount = nullptr;
    std::array<QLabel*, kCountedBands> m_bandCounts{};
    CxShadeButton* m_btnLogInfo = nullptr;
    CxShadeButton* m_btnNew = nullptr;
    CxShadeButton* m_btnLoad = nullptr;
    CxShadeButton* m_btnSave = nullptr;
};

}  // namespace pelorin
