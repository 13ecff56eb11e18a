// The start tag the player reads, and the background and logo files that go with it.
#include "wall/wall_look.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

TEST(GalleryStartTag, HoldsEveryAttributeInOrderWithOneSpaceEach) {
    WallLook look;
    look.mode = BackgroundMode::PureColor;
    look.pureColor = "#00FF7F";
    look.logoFile = "/home/ann/Pictures/brand.png";
    look.logoLink = "http://example.org/";
    look.shareHidden = true;
    look.bookTitle = "Annual report";
    EXPECT_EQ(galleryStartTag(look),
              "<gallery imagesFolder=\"wallimages/\" thumbnailsFolder=\"wallimages/thumbs/\" "
              "back_ground=\"0{0x00ff7f}\" logo_visible=\"1\" logo_img=\"logo/logo.png\" "
              "logo_link=\"http://example.org/\" btn_fullscreen=\"0\" btn_share=\"0\" "
              "btn_reload=\"0\" btn_info=\"1\" book_title=\"Annual report\" email=\"\" "
              "website=\"\" display_name=\"\" description=\"\" >");
}

TEST(GalleryStartTag, HiddenLogoAndInfoButtonGiveZeros) {
    WallLook look;
    look.logoHidden = true;
    look.infoHidden = true;
    const QString tag = galleryStartTag(look);
    EXPECT_TRUE(tag.contains("logo_visible=\"0\" "));
    EXPECT_TRUE(tag.contains("btn_share=\"1\" "));
    EXPECT_TRUE(tag.contains("btn_info=\"0\" "));
    EXPECT_TRUE(tag.contains("book_title=\"\" "));
}

TEST(BackgroundValue, HasOneFormPerMode) {
    WallLook look;
    look.mode = BackgroundMode::Gradient;
    look.gradientStart = "#102030";
    look.gradientEnd = "#abcdef";
    look.angle = "45";
    EXPECT_EQ(backgroundValue(look), "1{0x102030,0xabcdef,45}");

    look.mode = BackgroundMode::Image;
    look.backgroundFile = "/pictures/sea.v2.JPG";
    look.position = 2;
    EXPECT_EQ(backgroundValue(look), "2{background/background.JPG,titl}");
    look.position = 0;
    EXPECT_EQ(backgroundValue(look), "2{background/background.JPG,center}");
    look.position = 1;
    EXPECT_EQ(backgroundValue(look), "2{background/background.JPG,stretch}");
}

TEST(FileExtension, IsTakenFromTheFileNameOnly) {
    EXPECT_EQ(fileExtension("/a/b/logo.png"), ".png");
    EXPECT_EQ(fileExtension("/a.d/logo"), "");
    EXPECT_EQ(fileExtension("/a/archive.tar.gz"), ".gz");
}

TEST(GalleryStartTag, FreeTextKeepsTheIndexWellFormedAndReadsBackAsTyped) {
    WallLook look;
    look.logoLink = "http://x.org/?a=1&b=\"2\"";
    look.bookTitle = "Tom & Jerry's <b>best</b>";
    look.description = "line one\nline two";
    look.displayName = QString::fromUtf8("\xe5\xbc\xa0\xe4\xb8\x89");
    look.angle = "4\"5";
    look.mode = BackgroundMode::Gradient;
    const QString xml = galleryStartTag(look) + "</gallery>";
    QXmlStreamReader reader(xml);
    ASSERT_TRUE(reader.readNextStartElement()) << reader.errorString().toStdString();
    const QXmlStreamAttributes attributes = reader.attributes();
    EXPECT_EQ(attributes.value("logo_link").toString(), look.logoLink);
    EXPECT_EQ(attributes.value("book_title").toString(), look.bookTitle);
    EXPECT_EQ(attributes.value("description").toString(), look.description);
    EXPECT_EQ(attributes.value("display_name").toString(), look.displayName);
    EXPECT_EQ(attributes.value("back_ground").toString(), "1{0x000000,0x000000,4\"5}");
}

class InstallTest : public ::testing::Test {
protected:
    QString work() const { return dir.filePath("work"); }
    QString make(const QString& path, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return path;
    }
    QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList entries(const QString& folder) {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }
    QTemporaryDir dir;
};

TEST_F(InstallTest, ANewLogoEmptiesTheLogoFolderFirst) {
    make(work() + "/logo/logo.png", "old png");
    make(work() + "/logo/stray.gif", "stray");
    const QString source = make(dir.filePath("pick/brand.jpg"), "new jpg");
    EXPECT_EQ(installLogo(source, work()), "logo/logo.jpg");
    EXPECT_EQ(entries(work() + "/logo"), QStringList{"logo.jpg"});
    EXPECT_EQ(read(work() + "/logo/logo.jpg"), "new jpg");
}

TEST_F(InstallTest, ChoosingTheWallsOwnCopyCopiesNothing) {
    make(work() + "/logo/logo.png", "kept");
    make(work() + "/logo/other.png", "kept too");
    EXPECT_EQ(installLogo(work() + "//logo/logo.png", work()), "logo/logo.png");
    EXPECT_EQ(entries(work() + "/logo"), (QStringList{"logo.png", "other.png"}));

    const QString own = make(work() + "/background/background.jpg", "own");
    EXPECT_EQ(installBackground(own, work()), "background/background.jpg");
    EXPECT_EQ(read(own), "own");
}

TEST_F(InstallTest, ABackgroundOfAnotherTypeLeavesTheOldFileBesideIt) {
    make(work() + "/background/background.jpg", "old jpg");
    make(work() + "/background/background.png", "older png");
    const QString source = make(dir.filePath("pick/sky.png"), "new png");
    EXPECT_EQ(installBackground(source, work()), "background/background.png");
    EXPECT_EQ(read(work() + "/background/background.png"), "new png");
    EXPECT_EQ(read(work() + "/background/background.jpg"), "old jpg");
}

TEST_F(InstallTest, MissingFoldersAreCreated) {
    const QString source = make(dir.filePath("pick/sky.jpg"), "sky");
    installBackground(source, work());
    EXPECT_EQ(read(work() + "/background/background.jpg"), "sky");
}

} // namespace
