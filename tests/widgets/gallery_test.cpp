#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

int runGallery(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QStringLiteral(CONTROLS_GALLERY), arguments);
    if (!process.waitForFinished(90000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

TEST(GalleryTest, WritesOneReadablePicturePerControlAndState) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString folder = temp.filePath(QStringLiteral("pictures"));  // created by the gallery
    ASSERT_EQ(runGallery({folder}), 0);

    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QFileInfo& file : files) {
        EXPECT_EQ(file.suffix(), QStringLiteral("png")) << file.fileName().toStdString();
        EXPECT_GT(file.size(), 0) << file.fileName().toStdString();
        EXPECT_FALSE(QImage(file.filePath()).isNull()) << file.fileName().toStdString();
    }

    const struct {
        const char* name;
        QSize size;
    } expected[] = {
        {"led_7seg_straight", {360, 50}},
        {"led_7seg_curved", {360, 50}},
        {"led_14seg_digits_straight", {360, 50}},
        {"led_14seg_digits_curved", {360, 50}},
        {"led_14seg_letters_straight", {390, 50}},
        {"led_14seg_letters_curved", {390, 50}},
        {"led_signs", {300, 50}},
        {"led_keepaspect", {300, 80}},
        {"led_stretched", {300, 80}},
        {"led_litonly", {300, 50}},
        {"led_softedge", {120, 100}},
        {"led_hardedge", {120, 100}},
        {"led_empty", {120, 40}},
        {"led_banner", {198, 49}},
        {"marquee_start", {226, 28}},
        {"marquee_after_5_ticks", {226, 28}},
        {"clock_start", {200, 40}},
        {"clock_after_3_ticks", {200, 40}},
        {"clock_alarm_blank", {200, 40}},
    };
    for (const auto& picture : expected) {
        const QImage image(QDir(folder).filePath(QLatin1String(picture.name) + ".png"));
        EXPECT_EQ(image.size(), picture.size) << picture.name;
    }
}

TEST(GalleryTest, WithoutAFolderPrintsUsage) {
    EXPECT_EQ(runGallery({}), 2);
}

}  // namespace
