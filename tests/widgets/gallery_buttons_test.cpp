#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "controls/gallery_buttons.h"

namespace {

TEST(ButtonGallery, WritesOneNonEmptyPicturePerControlAndState) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList written;
    QString error;
    ASSERT_TRUE(renderButtonGallery(dir.path(), &written, &error)) << error.toStdString();

    // Nine shades x five states x with and without icon, and the rest.
    EXPECT_GE(written.size(), 9 * 5 * 2 + 6 + 8 + 6 + 3);
    EXPECT_EQ(written.removeDuplicates(), 0) << "every picture has its own name";
    for (const QString& name : written) {
        const QString path = QDir(dir.path()).filePath(name);
        EXPECT_GT(QFileInfo(path).size(), 0) << name.toStdString();
        EXPECT_FALSE(QImage(path).isNull()) << name.toStdString();
    }
    EXPECT_TRUE(written.contains("shade_button_type8_focused_icon.png"));
    EXPECT_TRUE(written.contains("clr_button_lamps.png"));
}

TEST(ButtonGallery, UnwritableFolderIsReported) {
    QStringList written;
    QString error;
    EXPECT_FALSE(renderButtonGallery("/nonexistent/folder", &written, &error));
    EXPECT_TRUE(written.isEmpty());
    EXPECT_TRUE(error.contains("/nonexistent/folder")) << error.toStdString();
}

}  // namespace
