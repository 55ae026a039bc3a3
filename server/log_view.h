#pragma once

// The server's log window: CLogView shows the activity log, CLogFrame is the MDI child that
// holds it.
//
// CLogView is a read-only QPlainTextEdit whose text follows a LogTextModel: each record goes
// through the model's rules (line splitting, the 400-line restart) and the widget shows the
// model's text with plain line ends. Operator edits are impossible, so closing a log window
// never asks anything.
//
// CLogFrame shows maximised, without a system menu or close button. Both live on the GUI
// thread; records reach them only through the main frame.

#include <QMdiSubWindow>
#include <QPlainTextEdit>

#include <string>

#include "server/log_text_model.h"

class CLogView : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit CLogView(QWidget* parent = nullptr);

    // Adds one record's text; the level is not used by the window.
    void AppendLogText(int level, const std::string& text);

    const LogTextModel& Model() const { return m_model; }

  private:
    LogTextModel m_model;
    std::string m_shown;  // the model's text as the widget shows it now
};

class CLogFrame : public QMdiSubWindow {
    Q_OBJECT

  public:
    // A title and the minimise and maximise buttons; no system menu, no close button.
    static constexpr Qt::WindowFlags kWindowFlags{Qt::SubWindow | Qt::CustomizeWindowHint |
                                                  Qt::WindowTitleHint |
                                                  Qt::WindowMinMaxButtonsHint};

    explicit CLogFrame(CLogView* view, QWidget* parent = nullptr);

    CLogView* View() const { return m_view; }

  signals:
    // The operator closed the window; it is deleted soon after.
    void closed(CLogFrame* frame);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    CLogView* m_view;
};
