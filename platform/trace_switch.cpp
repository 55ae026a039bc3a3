#include "platform/trace_switch.h"

#include <QLoggingCategory>
#include <QtGlobal>

#include <atomic>
#include <cstring>

namespace platform {

namespace {

std::atomic<bool> g_tracesOn{false};
QLoggingCategory::CategoryFilter g_previousFilter = nullptr;

bool isQtCategory(const char* name) {
    return std::strncmp(name, "qt.", 3) == 0;
}

// Runs under the logging registry's lock, for every category there is and
// for each one made later.
void traceFilter(QLoggingCategory* category) {
    if (g_previousFilter != nullptr) {
        g_previousFilter(category);
    }
    if (isQtCategory(category->categoryName())) {
        return;
    }
    const bool on = g_tracesOn.load();
    category->setEnabled(QtDebugMsg, on);
    if (on) {
        category->setEnabled(QtInfoMsg, true);
    }
}

}  // namespace

bool applyTraceSwitch() {
    g_tracesOn = qEnvironmentVariable(kTraceVariable) == QLatin1String("1");
    // The filter in place before ours still decides first; installing a
    // filter applies it to every category at once.
    const QLoggingCategory::CategoryFilter previous = QLoggingCategory::installFilter(nullptr);
    if (previous != traceFilter) {
        g_previousFilter = previous;
    }
    QLoggingCategory::installFilter(traceFilter);
    return g_tracesOn;
}

}  // namespace platform
