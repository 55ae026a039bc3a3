#include "controls/dialog_group.h"

void DialogGroup::add(QWidget* member) {
    if (member != nullptr && !members().contains(member)) {
        m_members.append(QPointer<QWidget>(member));
    }
}

void DialogGroup::remove(QWidget* member) {
    m_members.removeIf([member](const QPointer<QWidget>& p) { return p.isNull() || p == member; });
}

QList<QWidget*> DialogGroup::members() const {
    QList<QWidget*> result;
    for (const QPointer<QWidget>& p : m_members) {
        if (!p.isNull()) {
            result.append(p.data());
        }
    }
    return result;
}
