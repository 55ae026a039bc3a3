#pragma once

// CLogConfigDlg: the "Config Log" dialog, which picks the log level and destination.
//
// It starts from the two values it is given; clicking a radio button changes its value at
// once. The main frame takes Level() and Destination() only when the dialog ends with "Done";
// "Cancel" leaves the frame's values as they were. GUI thread only.

#include <QDialog>

class QButtonGroup;

class CLogConfigDlg : public QDialog {
    Q_OBJECT

  public:
    // Level: 1 errors, 2 information, 3 both. Destination: 1 screen, 2 file, 3 both.
    CLogConfigDlg(short level, short destination, QWidget* parent = nullptr);

    short Level() const { return m_nLogLevel; }
    short Destination() const { return m_nLogDestination; }

  private:
    void check();

    short m_nLogLevel;
    short m_nLogDestination;
    QButtonGroup* m_levels;
    QButtonGroup* m_destinations;
};
