#pragma once

// CAboutDlg: Pelorin's About box, shown modally from the panel's menu.
// GUI thread only.

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
