#pragma once

// The controls gallery: renders every control in its states to PNG files,
// offscreen, for people to look at. One function per control family fills
// the gallery; gallery_main.cpp calls them in turn.

#include <QDir>
#include <QString>
#include <QStringList>

class QWidget;

class Gallery {
  public:
    explicit Gallery(const QDir& folder);

    // Renders the widget at its current size into <name>.png in the folder.
    // A failure is reported on stderr and counted.
    bool save(QWidget& widget, const QString& name);

    QStringList written() const { return m_written; }
    int failures() const { return m_failures; }

  private:
    QDir m_folder;
    QStringList m_written;
    int m_failures = 0;
};

// LED displays, marquee and clock.
void renderLedGallery(Gallery& gallery);
