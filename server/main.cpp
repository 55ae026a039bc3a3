// Brakton: the radio server. Start-up builds the program's objects here, in
// order, and shut-down takes them down in reverse once every thread has
// stopped; nothing is built during static initialisation, so a message box
// shown at start-up always has its application.

#include <ace/Init_ACE.h>

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "controls/looks.h"
#include "platform/message_service.h"
#include "platform/signal_pipe.h"
#include "platform/trace_switch.h"
#include "radiolink/k2_radio_port.h"
#include "server/bounded_step.h"
#include "server/brakton_app.h"
#include "server/log_view.h"
#include "server/main_frame.h"
#include "server/message_logger_thread.h"
#include "server/radio_link_services.h"
#include "server/server_registry_store.h"

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

int main(int argc, char* argv[]) {
    platform::applyTraceSwitch();
    ACE::init();

    // The ORB gets the whole command line as it was; the GUI toolkit takes
    // its own options out of argv. Positional arguments mean nothing here.
    const std::vector<std::string> args(argv, argv + argc);

    // Without any display the program runs head-less and records its messages.
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY") && !isSet("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    int exitCode = 0;
    {
        QApplication application(argc, argv);
        application.setApplicationName(QStringLiteral("Brakton"));
        // The dialog faces must be known before the first window is built.
        looks::loadApplicationFonts();

        // A signal is only noted until the event loop runs; then it closes the
        // main window, the File > Exit path.
        CMainFrame* frame = nullptr;
        bool exitRequested = false;
        bool loopRunning = false;
        platform::SignalPipe signalPipe([&](int) {
            exitRequested = true;
            if (loopRunning && frame != nullptr) {
                frame->RequestExit();
            }
        });

        CBraktonApp app(brakton::theRegistryStore, args, std::cerr);
        CK2RadioPort radio(app.RadioServices(), ReadRadioLoggingMode(brakton::theRegistryStore));
        app.AttachRadio(radio);
        CMessageLoggerThread logger;
        {
            // The COM-port check asks the client link whether a client is there.
            CMainFrame mainFrame(brakton::theRegistryStore, logger, radio,
                                 std::bind_front(&ClientLink::IsClientPresent, &app.Link()));
            mainFrame.SetPAOptionNotifier(
                [&app](bool on) { app.Link().NotifyRFAmpOptionChange(on); });
            frame = &mainFrame;
            // A server that can serve nothing says so and exits 1, whichever
            // thread finds out.
            bool orbFailed = false;
            app.SetOrbFailureHandler([&](const std::string& text) {
                QMetaObject::invokeMethod(
                    &mainFrame,
                    [&, text] {
                        orbFailed = true;
                        MessageService::showError(text);
                        mainFrame.RequestExit();
                    },
                    Qt::QueuedConnection);
            });
            app.StartAudioProgram();
            app.OpenRadioPort();
            app.StartOrbThread();
            mainFrame.ShowStartupMinimised();

            QTimer::singleShot(0, &mainFrame, [&] {
                loopRunning = true;
                if (exitRequested) {
                    mainFrame.RequestExit();
                }
            });
            if (!exitRequested) {
                exitCode = application.exec();
            }
            if (orbFailed) {
                exitCode = 1;
            }

            // Shut-down, in order; the frame is closed but still exists.
            app.StopConnectBacks();
            app.StopCallbacks();
            app.StopServing();
            app.CloseRadio();
            app.DestroyOrb();
            frame = nullptr;
        }
        runBounded(
            "logger thread", kJoinBound, [&] { logger.stop(); }, std::cerr);
    }
    ACE::fini();
    return exitCode;
}
