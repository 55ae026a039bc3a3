// Pelorin: the K2's virtual front panel, a client of Brakton.

#include <QApplication>

#include <string>
#include <vector>

#include "client/app/pelorin_app.h"
#include "platform/trace_switch.h"

int main(int argc, char** argv) {
    platform::applyTraceSwitch();
    QApplication application(argc, argv);
    // The panel is the only window that matters; its exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    const std::vector<std::string> args(argv, argv + argc);
    return runPelorin(args);
}
