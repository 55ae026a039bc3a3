#pragma once

// CStaticEx: a static text with its own text colour, filled background colour
// and font (TextLooks): the labels and readouts of both programs' dialogs.
//
// It can also act as a link: with a URL set, a click opens it (through an
// injectable opener) and the text takes the visited colour afterwards; a URL
// that cannot be opened beeps and shows "Unable to open <URL>." and stays
// unvisited. A click can also toggle a companion window, run a dialog and call
// a notify hook, in that order, once the control takes clicks (ModifyNotify,
// or automatically with a URL). No dialog uses the link behaviour so far.
//
// GUI thread only.

#include <QDialog>
#include <QLabel>
#include <QPointer>

#include <functional>

#include "controls/looks.h"
#include "controls/text_looks.h"

class CStaticEx : public QLabel, public TextLooks {
    Q_OBJECT

  public:
    // Opens a URL; false when it could not.
    using UrlOpener = std::function<bool(const QString& url)>;
    // Shows an information message for `parent`.
    using MessageHook = std::function<void(QWidget* parent, const QString& text)>;

    // Process-wide; an empty hook restores the default (QDesktopServices,
    // QMessageBox). Returns the previous hook.
    static UrlOpener SetUrlOpener(UrlOpener opener);
    static MessageHook SetMessageHook(MessageHook hook);

    static constexpr COLORREF kDefaultVisitedColor = 0xC08000;

    explicit CStaticEx(QWidget* parent = nullptr);
    CStaticEx(const QString& text, QWidget* parent);
    ~CStaticEx() override;

    // Returns the previous colour.
    COLORREF SetVisitedColor(COLORREF color);
    // The colour of a link not yet visited (the text colour).
    void SetLinkColor(COLORREF color) { SetTextColor(color); }
    COLORREF GetVisitedColor() const { return m_visitedColor; }

    void SetURL(const QString& url) { m_url = url; }
    QString GetURL() const { return m_url; }
    bool IsVisited() const { return m_visited; }

    // Whether the control takes clicks at all.
    void ModifyNotify(bool notify) { m_notify = notify; }
    bool IsNotify() const { return m_notify; }

    // Optional click hooks (not owned).
    void SetCompanionWindow(QWidget* window) { m_companion = window; }
    void SetClickDialog(QDialog* dialog) { m_clickDialog = dialog; }
    void SetClickNotify(std::function<void()> notify) { m_clickNotify = std::move(notify); }
    // Shows the pointing hand over the control.
    void SetLinkCursor(bool on);

    // Takes the other control's colours, font, link and click hooks; nothing
    // for itself.
    void Assign(const CStaticEx& other);

    // What a click does (also called by a left-button release on the control).
    void Click();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void applyColors() override;
    void applyFont(const QFont& font) override { setFont(font); }

    QPointer<QWidget> m_companion;
    std::function<void()> m_clickNotify;
    QPointer<QDialog> m_clickDialog;
    bool m_linkCursor = false;
    bool m_visited = false;
    bool m_notify = false;
    QString m_url;
    COLORREF m_visitedColor = kDefaultVisitedColor;
};
