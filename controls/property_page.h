#pragma once

// PropertyPage: what a configuration sheet asks of each of its pages. The
// sheet runs every page's check() before it applies any, so a refusal
// anywhere writes nothing; check() shows its own message and selects the
// field it refuses. apply() writes the page's values and is false when a
// write failed (the page then stays modified). A page marks itself modified
// on every edit; the sheet enables Apply while any page is.
//
// GUI thread only.

#include <QWidget>

class PropertyPage : public QWidget {
    Q_OBJECT

  public:
    using QWidget::QWidget;

    virtual bool check() = 0;
    virtual bool apply() = 0;

    bool isModified() const { return m_modified; }
    void setModified(bool on) {
        if (m_modified != on) {
            m_modified = on;
            emit modified(on);
        }
    }

  signals:
    void modified(bool on);

  private:
    bool m_modified = false;
};
