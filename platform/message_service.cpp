#include "platform/message_service.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <QWidget>

#include <atomic>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace {

enum class Kind { Error, Warning, Question };

std::mutex g_recordMutex;
std::deque<bool> g_queuedAnswers;  // guarded by g_recordMutex
std::atomic<bool> g_boxesOffscreen{false};

bool isInteractive() {
    const char* log = std::getenv("ORVO_MESSAGE_LOG");
    if (log != nullptr) {
        return false;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return false;
    }
    if (g_boxesOffscreen) {
        return true;
    }
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// Returns the answer given: Yes only for a question that takes a queued Yes.
bool record(Kind kind, const std::string& text) {
    const std::lock_guard<std::mutex> lock(g_recordMutex);
    bool yes = false;
    if (kind == Kind::Question && !g_queuedAnswers.empty()) {
        yes = g_queuedAnswers.front();
        g_queuedAnswers.pop_front();
    }
    std::string line;
    switch (kind) {
        case Kind::Error:
            line = MessageService::recordLine("error", text);
            break;
        case Kind::Warning:
            line = MessageService::recordLine("warning", text);
            break;
        case Kind::Question:
            line = MessageService::recordLine("question", text, yes ? "Yes" : "No");
            break;
    }
    const char* path = std::getenv("ORVO_MESSAGE_LOG");
    if (path != nullptr && *path != '\0') {
        if (std::FILE* file = std::fopen(path, "ab")) {
            std::fwrite(line.data(), 1, line.size(), file);
            std::fclose(file);
            return yes;
        }
    }
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return yes;
}

QMessageBox::Icon boxIcon(MessageService::Icon icon) {
    switch (icon) {
        case MessageService::Icon::Question:
            return QMessageBox::Question;
        case MessageService::Icon::Exclamation:
            return QMessageBox::Warning;
        case MessageService::Icon::Information:
            return QMessageBox::Information;
        case MessageService::Icon::Stop:
            break;
    }
    return QMessageBox::Critical;
}

// Runs on the GUI thread (or on the caller's when there is no application at all).
bool present(Kind kind, const std::string& text, MessageService::Icon icon) {
    if (!isInteractive()) {
        return record(kind, text);
    }
    const QString title = QCoreApplication::applicationName();
    const QString body = QString::fromStdString(text);
    if (kind == Kind::Error) {
        QMessageBox::critical(nullptr, title, body);
        return false;
    }
    if (kind == Kind::Warning) {
        QMessageBox::warning(nullptr, title, body);
        return false;
    }
    QMessageBox box(boxIcon(icon), title, body, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

// A box modal to `window` only, which goes with it.
QMessageBox* windowBox(QMessageBox::Icon icon, const std::string& text,
                       QMessageBox::StandardButtons buttons, QWidget* window) {
    auto* box = new QMessageBox(icon, QCoreApplication::applicationName(),
                                QString::fromStdString(text), buttons, window);
    box->setWindowModality(Qt::WindowModal);
    return box;
}

bool onGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

bool dispatch(Kind kind, const std::string& text,
              MessageService::Icon icon = MessageService::Icon::Stop) {
    if (onGuiThread()) {
        return present(kind, text, icon);
    }
    // Copy the text into the queued call: the caller's buffer may be gone by the time the
    // GUI loop gets to it.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [kind, text, icon] { present(kind, text, icon); },
        Qt::QueuedConnection);
    return false;
}

}  // namespace

void MessageService::showError(const std::string& text) {
    dispatch(Kind::Error, text);
}

void MessageService::showWarning(const std::string& text) {
    dispatch(Kind::Warning, text);
}

bool MessageService::askYesNo(const std::string& text, Icon icon) {
    return dispatch(Kind::Question, text, icon);
}

namespace {

bool takesWindowBoxes(const QWidget* window) {
    return window != nullptr && window->isVisible() && onGuiThread() && isInteractive();
}

void showNotice(Kind kind, const std::string& text, QWidget* window) {
    if (!takesWindowBoxes(window)) {
        dispatch(kind, text);
        return;
    }
    QMessageBox* box = windowBox(kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Warning,
                                 text, QMessageBox::Ok, window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace

void MessageService::showError(const std::string& text, QWidget* window) {
    showNotice(Kind::Error, text, window);
}

void MessageService::showWarning(const std::string& text, QWidget* window) {
    showNotice(Kind::Warning, text, window);
}

bool MessageService::askYesNo(const std::string& text, Icon icon, QWidget* window) {
    if (!takesWindowBoxes(window)) {
        return dispatch(Kind::Question, text, icon);
    }
    const QPointer<QMessageBox> box =
        windowBox(boxIcon(icon), text, QMessageBox::Yes | QMessageBox::No, window);
    box->setDefaultButton(QMessageBox::No);
    const int answer = box->exec();
    if (box.isNull()) {
        return false;  // the window went, and the box with it
    }
    delete box.data();
    return answer == QMessageBox::Yes;
}

void MessageService::showBoxesOffscreen(bool show) {
    g_boxesOffscreen = show;
}

void MessageService::queueAnswers(const std::vector<bool>& answers) {
    const std::lock_guard<std::mutex> lock(g_recordMutex);
    g_queuedAnswers.assign(answers.begin(), answers.end());
}

std::string MessageService::recordLine(const std::string& kind, const std::string& text,
                                       const std::string& answer) {
    std::string line = kind;
    line += '\t';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            line += "\\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += c;
        }
    }
    if (!answer.empty()) {
        line += '\t';
        line += answer;
    }
    line += '\n';
    return line;
}
