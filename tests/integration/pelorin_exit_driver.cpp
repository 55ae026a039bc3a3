// Pelorin's own start-up, event loop and exit in a process of its own, with
// the operator's part played from inside: it opens QSO logging on a log
// folder ($HOME/Orvo) that has a 64 KB disk of its own, fills that disk, logs
// one contact and, once that contact could not be written, writes "unsaved"
// on standard output. The test then signals it as a session manager would;
// the exit is Pelorin's own and ends the process with std::_Exit.
//
//   pelorin_exit_driver [ORB options]     (environment as for Pelorin)
//
// A disk of its own needs a mount namespace, which only root may make: else
// it writes "skip: <why>" and ends with 0 before Pelorin starts.

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QApplication>
#include <QString>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "client/app/pelorin_app.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "client/qso/qso_entry_dialog.h"
#include "client/qso/qso_logging_owner.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"

namespace {

namespace fs = std::filesystem;

void say(const char* line) {
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Before any thread exists: the namespace is the whole process's then.
bool mountSmallDisk(const fs::path& folder) {
    fs::create_directories(folder);
    return ::unshare(CLONE_NEWNS) == 0 &&
           ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k,mode=0755") == 0;
}

void fillDisk(const fs::path& folder) {
    const std::string page(4096, 'f');
    for (int n = 0;; ++n) {
        const int fd = ::open((folder / ("filler" + std::to_string(n))).c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            return;
        }
        const bool whole =
            ::write(fd, page.data(), page.size()) == static_cast<ssize_t>(page.size());
        ::close(fd);
        if (!whole) {
            return;
        }
    }
}

// Runs `step` every 20 ms until it answers true.
void every20ms(std::function<bool()> step) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, step = std::move(step)] {
        if (step()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

}  // namespace

int main(int argc, char** argv) {
    const char* home = std::getenv("HOME");
    if (home == nullptr) {
        say("skip: no HOME");
        return 0;
    }
    const fs::path logFolder = fs::path(home) / "Orvo";
    if (!mountSmallDisk(logFolder)) {
        say("skip: a full disk needs a tmpfs of its own, which only root may mount");
        return 0;
    }

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    CPelorinApp pelorin;
    if (!pelorin.InitInstance(std::vector<std::string>(argv, argv + argc))) {
        return 1;
    }
    QsoLoggingOwner& qso = pelorin.qsoLogging();
    pelorin.panel()->OnMenuCommand(CK2FrontPanelControlDlg::ID_QSO_LOGGING);
    bool logged = false;
    every20ms([&] {
        pelorin::CQSOInfoGUIThread* info = qso.info();
        auto* entry =
            info == nullptr ? nullptr : dynamic_cast<QsoEntryDialog*>(info->entryWindow());
        if (entry == nullptr || qso.logger() == nullptr || qso.logger()->window() == nullptr) {
            return false;
        }
        if (!logged) {
            fillDisk(logFolder);
            entry->callEdit()->setText(QStringLiteral("N0CALL"));
            entry->logItButton()->click();
            logged = true;
            return false;
        }
        if (!qso.logger()->unsaved()) {
            return false;
        }
        say("unsaved");
        return true;
    });
    QApplication::exec();
    pelorin.ExitInstance();
    return 0;
}
