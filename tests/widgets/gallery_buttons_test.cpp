#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QWidget>

#include "controls/gallery.h"
#include "controls/gallery_buttons.h"

// The gallery program's own Gallery lives with its main(); this test program
// saves the same way, into the test's temporary folder.
Gallery::Gallery(const QDir& folder) : m_folder(folder) {}

bool Gallery::save(QWidget& widget, const QString& name) {
    const QString path = m_folder.filePath(name + QStringLiteral(".png"));
    if (!widget.grab().save(path, "PNG")) {
        ++m_failures;
        return false;
    }
    m_written << path;
    return true;
}

namespace {

TEST(ButtonGallery, WritesOneNonEmptyPicturePerControlAndState) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Gallery gallery{QDir(dir.path())};
    renderButtonGallery(gallery);
    EXPECT_EQ(gallery.failures(), 0);

    QStringList written = gallery.written();
    // Nine shades x five states x with and without icon, and the rest.
    EXPECT_GE(written.size(), 9 * 5 * 2 + 6 + 8 + 6 + 3);
    EXPECT_EQ(written.removeDuplicates(), 0) << "every picture has its own name";
    for (const QString& path : written) {
        EXPECT_GT(QFileInfo(path).size(), 0) << path.toStdString();
        EXPECT_FALSE(QImage(path).isNull()) << path.toStdString();
    }
    EXPECT_EQ(QImage(QDir(dir.path()).filePath("shade_button_type8_focused_icon.png")).size(),
              QSize(93, 28));
    EXPECT_TRUE(QFileInfo::exists(QDir(dir.path()).filePath("clr_button_lamps.png")));
}

TEST(ButtonGallery, PressedPicturesDifferFromTheNormalOnes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Gallery gallery{QDir(dir.path())};
    renderButtonGallery(gallery);
    for (const char* button : {"clr_button", "highlight_button", "highlight_tt_button"}) {
        const QString stem = QDir(dir.path()).filePath(QLatin1String(button));
        const QImage normal(stem + QStringLiteral("_normal.png"));
        const QImage pressed(stem + QStringLiteral("_pressed.png"));
        ASSERT_FALSE(normal.isNull() || pressed.isNull()) << button;
        EXPECT_NE(normal, pressed) << button;
    }
}

TEST(ButtonGallery, UnwritableFolderIsCounted) {
    Gallery gallery{QDir("/nonexistent/folder")};
    renderButtonGallery(gallery);
    EXPECT_GT(gallery.failures(), 0);
    EXPECT_TRUE(gallery.written().isEmpty());
}

}  // namespace
