// QSO log benchmark: Log It of one contact onto a long log, Modify and
// Delete of one contact as the operator does them in the log window, and the
// log file's rewrite on its own. Not part of the test run. Runs offscreen, in a settings folder and
// a log folder of its own under the system's temporary folder.
//
//   qso_log_bench [--contacts N] [--runs N]
//
//   log it   a contact reaching the logger -> its row added and its line
//            appended to the file
//   modify   the editor's Modify result -> the window's row rewritten, the
//            logger's entry changed and the whole log saved
//   delete   the editor's Delete result -> the row gone, the later rows
//            renumbered, the logger's entry gone and the whole log saved
//   rewrite  the log file saved on its own
//
// Prints a Markdown table: N, median, p90 and max in milliseconds.

#include <QApplication>
#include <QTableWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/base/registry_store.h"
#include "client/qso/qso_log_edit_dlg.h"
#include "client/qso/qso_log_file.h"
#include "client/qso/qso_logger.h"
#include "client/qso/qso_logging_dlg.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "tests/support/qso_test_entries.h"
#include "tests/support/settings_sandbox.h"

namespace {

using namespace pelorin;
using qsotest::normalEntry;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Settings : IQsoLogSettings {
    int mode = kNormalLogStyle;
    std::string name = kDefaultLogFileName;
    int ReadQsoLoggingMode() const override { return mode; }
    void WriteQsoLoggingMode(int m) override { mode = m; }
    std::string ReadCurrentLogFileName() const override { return name; }
    void WriteCurrentLogFileName(const std::string& n) override { name = n; }
};

struct Notices : IQsoNotices {
    int shown = 0;
    void Error(const std::string& text) override {
        ++shown;
        std::fprintf(stderr, "error: %s\n", text.c_str());
    }
    void Warning(const std::string& text) override {
        ++shown;
        std::fprintf(stderr, "warning: %s\n", text.c_str());
    }
    bool AskYesNo(const std::string&) override { return false; }
};

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void row(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    const auto at = [&times](double q) {
        return times[std::min(times.size() - 1,
                              static_cast<std::size_t>(q * static_cast<double>(times.size())))];
    };
    std::printf("| %-8s | %4zu | %8.2f | %8.2f | %8.2f |\n", what, times.size(), at(0.5), at(0.9),
                times.back());
}

int intArg(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const int contacts = std::max(2, intArg(argc, argv, "--contacts", 20000));
    const int runs = std::max(1, intArg(argc, argv, "--runs", 20));
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    SettingsSandbox sandbox("qso-log-bench");
    QApplication app(argc, argv);

    const fs::path home = sandbox.dir() / "Orvo";
    fs::create_directories(home);
    CRegistryStore store;
    store.WriteString("", "HomeDir", home.string());
    store.SetStringSlot(1, "N0CALL");
    store.WriteQsoLoggingMode(kNormalLogStyle);

    std::vector<QSO_LOG_ENTRY> log;
    log.reserve(static_cast<std::size_t>(contacts));
    for (int n = 0; n < contacts; ++n)
        log.push_back(normalEntry("K" + std::to_string(n)));
    const std::string path = (home / kDefaultLogFileName).string();
    if (SaveLogFile(path, log, {}) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }

    Settings settings;
    Notices notices;
    CQSOLoggerGUIThread logger(home.string(), settings, notices, {});
    // The window's requests run on the logger at once, so that the time
    // taken ends with the save.
    const PostToLogger post = [&logger](std::function<void(CQSOLoggerGUIThread&)> call) {
        call(logger);
    };
    auto owned = std::make_unique<CQSOLoggingDlg>(store, LoggerLinks(post), StoreBandLookup(store));
    CQSOLoggingDlg& window = *owned;
    const auto loadStart = Clock::now();
    logger.OnParamCmd(std::move(owned));
    QCoreApplication::processEvents();
    const double loadMs = ms(Clock::now() - loadStart);
    if (window.entryList()->rowCount() != contacts) {
        std::fprintf(stderr, "the window lists %d rows of %d\n", window.entryList()->rowCount(),
                     contacts);
        return 1;
    }

    // The editor is worked from inside and the clock starts as it ends.
    Clock::time_point resultAt;
    const auto edit = [&](int index, const std::function<void(CQSOLogEditDlg&)>& drive) {
        window.SetModalRunner([&](QDialog& dialog) {
            drive(dynamic_cast<CQSOLogEditDlg&>(dialog));
            resultAt = Clock::now();
            return dialog.result();
        });
        window.entryList()->selectRow(index);
        window.OnDblclkEntryList();
        return ms(Clock::now() - resultAt);
    };

    std::vector<double> logIt, modify, remove, rewrite;
    for (int run = 0; run < runs; ++run) {
        const QSO_LOG_ENTRY entry = normalEntry("L" + std::to_string(run));
        const auto start = Clock::now();
        logger.OnRequestQsoLogCmd(1, entry);
        logIt.push_back(ms(Clock::now() - start));
        QCoreApplication::processEvents();
    }
    for (int run = 0; run < runs; ++run) {
        const int index = contacts / 2 + run;
        modify.push_back(edit(index, [run](CQSOLogEditDlg& editor) {
            editor.callEdit()->setText(QStringLiteral("W%1X").arg(run));
            editor.modifyButton()->click();
        }));
        QCoreApplication::processEvents();
    }
    for (int run = 0; run < runs; ++run) {
        // Early rows: the most later rows to renumber.
        remove.push_back(edit(run, [](CQSOLogEditDlg& editor) { editor.deleteButton()->click(); }));
        QCoreApplication::processEvents();
    }
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        if (SaveLogFile(path, logger.entries(), {}) != 0)
            return 1;
        rewrite.push_back(ms(Clock::now() - start));
    }
    if (notices.shown != 0 || logger.unsaved() ||
        logger.entries().size() != static_cast<std::size_t>(contacts))
        return 1;

    std::printf("QSO log of %d contacts (load and listing: %.0f ms)\n\n", contacts, loadMs);
    std::printf("| what     |    N |   median |      p90 |      max |\n");
    std::printf("|----------|------|----------|----------|----------|\n");
    row("log it", logIt);
    row("modify", modify);
    row("delete", remove);
    row("rewrite", rewrite);
    logger.ExitInstance();
    return 0;
}
