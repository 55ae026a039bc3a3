#pragma once

// DialogGroup: the controls of one dialog group (a run of radio buttons that
// exclude each other). The dialog builder fills it in tab order; a shaded
// radio button that gets checked unchecks the other members through it.
//
// GUI thread only. Members are held weakly: a deleted control drops out.

#include <QList>
#include <QPointer>
#include <QWidget>

class DialogGroup {
  public:
    void add(QWidget* member);
    void remove(QWidget* member);
    // The living members, in the order they were added.
    QList<QWidget*> members() const;

  private:
    QList<QPointer<QWidget>> m_members;
};
