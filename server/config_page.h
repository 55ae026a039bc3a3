#pragma once

// ConfigPage: what the "System Configuration" sheet needs of each of its pages, and the few
// pieces the pages share (controls reached by their ids, the notice line, fields that hold
// no more than a stored text can).
//
// A page reads its values when it is built, through a SettingsReader, so it never stores
// anything by being looked at. It is checked and written only once it has been shown; a page
// with a notice (a stored value it could not show as stored) counts as modified from then on.
//
// GUI thread only.

#include <QHash>
#include <QLabel>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QLineEdit;
class QScrollArea;

namespace brakton {

// A field the checks refused: the message to show and the field to select.
struct Refusal {
    std::string message;
    QLineEdit* field = nullptr;
};

class ConfigPage : public QWidget {
    Q_OBJECT

  public:
    explicit ConfigPage(QWidget* parent = nullptr);

    // The tab's text.
    virtual QString Title() const = 0;
    // The first field refused, if any. Only called for a shown page.
    virtual std::optional<Refusal> Check() const = 0;
    // Writes the page's values (checked before). False when a write failed; the page then
    // stays modified.
    virtual bool Apply() = 0;

    bool IsModified() const { return m_modified; }
    void SetModified(bool modified);
    bool WasShown() const { return m_shown; }
    QString Notices() const { return m_notices; }

    QWidget* control(int id) const { return m_controls.value(id, nullptr); }

  signals:
    void modifiedChanged(bool modified);

  protected:
    void showEvent(QShowEvent* event) override;

    // A field placed at a dialog-unit rectangle, with its id.
    QLineEdit* addEdit(int id, int x, int y, int width, int height);
    QLabel* addLabel(const QString& text, int x, int y, int width, int height);
    void registerControl(int id, QWidget* widget) { m_controls.insert(id, widget); }
    // The notice area at the page's foot, hidden when every value was shown as stored. It
    // reaches down to the page's foot and scrolls when the notices need more, so that every
    // one can be read.
    void setNotices(const QString& notices, int x, int y, int width, int height);
    void resizeEvent(QResizeEvent* event) override;
    void markModified() { SetModified(true); }

  private:
    QHash<int, QWidget*> m_controls;
    QString m_notices;
    QScrollArea* m_noticeArea = nullptr;
    QRect m_noticeRect;  // as placed, in pixels
    bool m_modified = false;
    bool m_shown = false;
};

}  // namespace brakton
