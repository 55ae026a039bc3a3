#pragma once

// CKeySwitchEmulationPanel1Dlg: the key-switch panel's "Basic" page, one
// shaded button per key of the radio. A key's press queues command 15 with
// its code for the target; the menu button (1272) cycles the main keys'
// labels through tap, numeric and hold, the configuration button (1338)
// switches between the two configuration sets. What a button reads, its
// shade and its code come from key_switch::BasicPageModel.
//
// A page of the key-switch panel (modeless); GUI thread only.

#include <QFont>
#include <QPointer>
#include <QWidget>

#include <map>

#include "client/memory/key_switch_model.h"

class CxShadeButton;
class KeySwitchTarget;

class CKeySwitchEmulationPanel1Dlg : public QWidget {
    Q_OBJECT

  public:
    static constexpr int IDD = 169;

    // `target` may be null (nothing is sent).
    CKeySwitchEmulationPanel1Dlg(KeySwitchTarget* target, QWidget* parent = nullptr);

    // Tap labels; the configuration set as it was.
    void OnInitDialog();
    // A button's press, by id.
    void OnButton(int id);

    CxShadeButton* button(int id) const;
    const key_switch::BasicPageModel& model() const { return m_model; }

  private:
    void SendKeyCode(int code);
    void ApplyLabels();

    KeySwitchTarget* m_target;
    QPointer<QObject> m_targetObject;
    key_switch::BasicPageModel m_model;
    std::map<int, CxShadeButton*> m_buttons;
    // Each button's own font, before any condensing.
    std::map<int, QFont> m_fonts;
};
