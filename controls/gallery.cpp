#include "controls/gallery.h"

#include <QPixmap>
#include <QWidget>

#include <cstdio>

Gallery::Gallery(const QDir& folder) : m_folder(folder) {}

bool Gallery::save(QWidget& widget, const QString& name) {
    const QString path = m_folder.filePath(name + QStringLiteral(".png"));
    if (!widget.grab().save(path, "PNG")) {
        std::fprintf(stderr, "controls_gallery: cannot write %s\n", qPrintable(path));
        ++m_failures;
        return false;
    }
    m_written << path;
    return true;
}
