#pragma once

// CxShadeButton: the shaded push button, check box and radio button of nearly
// every dialog of both programs.
//
// Its face is an 8-bit bitmap filled once by SetShade with one of nine shade
// patterns, tinted towards a colour; a lighter copy shows while the cursor is
// over it and while it is pressed or checked. It carries an optional icon
// (normal, pressed, hover), its own text colour and font, and a tooltip with
// a second text for the checked state. Check boxes toggle and radio buttons
// set themselves on a click or the space bar; a checked radio button unchecks
// the other shaded buttons of its DialogGroup at once.
//
// Dialogs build it with the button style of their template, then call
// SetTextFont, SetToolTipText, SetShade and SetIcon. The faces keep the
// SetShade parameters and are rebuilt whenever the button is resized.
//
// GUI thread only.

#include <QPixmap>
#include <QPushButton>
#include <QString>

#include <cstdint>
#include <optional>

#include "controls/looks.h"
#include "controls/shade_faces.h"

class DialogGroup;

class CxShadeButton : public QPushButton {
    Q_OBJECT

  public:
    // Button style bits of a dialog template.
    static constexpr unsigned kStyleAutoCheckBox = 0x0003;
    static constexpr unsigned kStyleAutoRadioButton = 0x0009;
    static constexpr unsigned kStyleLeft = 0x0100;
    static constexpr unsigned kStyleRight = 0x0200;
    static constexpr unsigned kStyleCenter = 0x0300;
    static constexpr unsigned kStylePushLike = 0x1000;
    static constexpr unsigned kStyleFlat = 0x8000;

    // What the button behaves as.
    enum Kind { kPushButton = 0, kCheckBox = 2, kRadioButton = 4 };

    // Icon alignment values of SetIcon; any other value means centred.
    static constexpr int kIconLeft = 0x100;
    static constexpr int kIconRight = 0x200;
    static constexpr int kIconCenter = 0x300;

    explicit CxShadeButton(QWidget* parent = nullptr, unsigned style = 0);
    CxShadeButton(const QString& text, QWidget* parent, unsigned style = 0);
    ~CxShadeButton() override;

    // Builds the faces for the current size (see shade_faces.h) and keeps the
    // parameters, so a resize builds them again.
    void SetShade(unsigned shadeType, std::uint8_t granularity, std::uint8_t highlight,
                  std::uint8_t coloring, COLORREF color);

    // The button's own font. The face name is cut to 31 characters.
    bool SetTextFont(const QString& faceName, int height, int weight, bool italic = false,
                     bool underline = false);
    // Copies the whole description; false for a null one.
    bool SetFont(const looks::FontDescription* description);
    // The last font set, or null.
    const looks::FontDescription* GetFont() const;

    // Returns the previous text colour.
    COLORREF SetTextColor(COLORREF color);
    void SetFlat(bool flat);

    // `checkedText` is shown instead of `text` while checked, when not empty.
    void SetToolTipText(const QString& text, const QString& checkedText = QString());

    // The icon and its pressed and hover variants. A null pressed or hover
    // picture falls back to `icon`; a null `icon` (a picture that did not
    // load) leaves the button without any icon. `alignment` is kIconLeft,
    // kIconRight or anything else for centred.
    void SetIcon(const QPixmap& icon, int alignment, const QPixmap& pressedIcon = QPixmap(),
                 const QPixmap& hoverIcon = QPixmap());

    // Re-derives push-like, flat and kind from a template style; a push
    // button loses its check.
    void SetButtonStyle(unsigned style, bool redraw = true);

    // Sets the check of a check box or radio button (any non-zero value
    // checks). Checking a radio button unchecks the other shaded buttons of
    // its group before this returns. A push button never stays checked.
    void SetCheck(int check);
    int GetCheck() const { return m_checked; }

    // The dialog group the button belongs to (not owned; may be null).
    void SetGroup(DialogGroup* group) { m_group = group; }

    Kind GetKind() const { return m_kind; }
    bool IsPushLike() const { return m_pushLike; }
    bool IsFlat() const { return m_flat; }
    // Where the icon is drawn; empty without an icon.
    QRect IconRect() const { return m_iconRect; }
    bool HasFaces() const { return m_faces.normal.IsValid(); }
    const ShadeFaces& Faces() const { return m_faces; }
    bool IsHovering() const { return m_hovering; }
    // The font the text is painted in, and the margin kept free for the
    // focus lines on each side (the text starts 2 px inside it).
    QFont DrawingFont() const { return drawingFont(); }
    int FocusMargin() const { return m_focusMargin; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    // Another member of the group was checked.
    void OnCxShadeRadio();
    void applyStyle(unsigned style);
    void placeIcon();
    void updateToolTip();
    QFont drawingFont() const;

    std::optional<looks::FontDescription> m_fontDescription;
    QString m_tipText;
    QString m_tipTextChecked;
    bool m_tipCreated = false;
    int m_checked = 0;
    bool m_pushLike = true;
    Kind m_kind = kPushButton;
    ShadeFaces m_faces;
    std::optional<ShadeParams> m_shade;
    bool m_hovering = false;
    bool m_pressed = false;
    int m_focusMargin = 4;
    COLORREF m_textColor;
    bool m_border = true;
    QPixmap m_icon;
    QPixmap m_iconPressed;
    QPixmap m_iconHover;
    QRect m_iconRect;
    int m_iconAlign = kIconCenter;
    Qt::Alignment m_textAlign = Qt::AlignHCenter;
    bool m_flat = false;
    DialogGroup* m_group = nullptr;
};
