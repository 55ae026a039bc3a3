// controls_gallery <folder>: writes one PNG per control and state into the
// folder (created when missing). Runs offscreen unless a platform is chosen.

#include "controls/gallery.h"
#include "controls/gallery_buttons.h"
#include "controls/looks.h"

#include <QApplication>
#include <QByteArray>

#include <cstdio>

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
    renderButtonGallery(gallery);

    std::printf("controls_gallery: %lld pictures in %s\n",
                static_cast<long long>(gallery.written().size()),
                qPrintable(folder.absolutePath()));
    return gallery.failures() == 0 ? 0 : 1;
}
