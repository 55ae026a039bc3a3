// controls_gallery <folder>: writes one PNG per control and state into the
// folder (created when missing). Runs offscreen unless a platform is chosen.

#include "controls/gallery.h"
#include "controls/looks.h"

#include <QApplication>
#include <QByteArray>
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

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: controls_gallery <folder>\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    if (qEnvironmentVariableIsEmpty("QT_FONT_DPI")) {
        qputenv("QT_FONT_DPI", QByteArray("96"));
    }
    QApplication app(argc, argv);
    looks::loadApplicationFonts();

    const QString folderName = QString::fromLocal8Bit(argv[1]);
    QDir folder(folderName);
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "controls_gallery: cannot create folder %s\n", argv[1]);
        return 1;
    }

    Gallery gallery(folder);
    renderLedGallery(gallery);

    std::printf("controls_gallery: %lld pictures in %s\n",
                static_cast<long long>(gallery.written().size()),
                qPrintable(folder.absolutePath()));
    return gallery.failures() == 0 ? 0 : 1;
}
