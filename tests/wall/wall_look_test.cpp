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
              "website=\"\" display_name=\"\" description=\"\" autoplay=\"off\" "
              "direction=\"ltr\" >");
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

// Opening a project reads its look back from its index: every mode comes back as the start tag
// gave it, with the wall's own copies of the pictures and the free text as typed.
TEST(LookFromStartTag, GivesBackTheLookTheTagWasWrittenFrom) {
    WallLook written;
    written.logoFile = "/home/ann/brand.png";
    written.logoLink = "http://x.org/?a=1&b=\"2\"";
    written.logoHidden = true;
    written.shareHidden = true;
    written.setBook({"Week 12 <Review> & Plans", "a@b.c", "<site>", "Ann", "one\ntwo"});
    const struct {
        BackgroundMode mode;
        int position;
    } cases[] = {{BackgroundMode::PureColor, 0},
                 {BackgroundMode::Gradient, 0},
                 {BackgroundMode::Image, 0},
                 {BackgroundMode::Image, 1},
                 {BackgroundMode::Image, 2}};
    for (const auto& c : cases) {
        WallLook look = written;
        look.mode = c.mode;
        look.position = c.position;
        look.pureColor = "#cc2222";
        look.gradientStart = "#1e3c72";
        look.gradientEnd = "#2a9df4";
        look.angle = "45";
        look.backgroundFile = "/home/ann/sky.png";
        const WallLook read = lookFromStartTag(galleryStartTag(look), "/w/", WallLook());
        WallLook expected = look;
        expected.logoFile = "/w/logo/logo.png";
        expected.backgroundFile = "/w/background/background.png";
        // What the tag does not carry stays as the base had it.
        if (c.mode != BackgroundMode::Image) {
            expected.backgroundFile.clear();
            expected.position = 0;
        }
        if (c.mode != BackgroundMode::PureColor) {
            expected.pureColor = WallLook().pureColor;
        }
        if (c.mode != BackgroundMode::Gradient) {
            expected.gradientStart = WallLook().gradientStart;
            expected.gradientEnd = WallLook().gradientEnd;
            expected.angle = WallLook().angle;
        }
        EXPECT_TRUE(read == expected) << galleryStartTag(look).toStdString();
    }
}

TEST(LookFromStartTag, FollowsNoPictureOutsideTheWallAndDefaultsMissingAttributes) {
    WallLook base;
    base.logoFile = "/home/ann/brand.png";
    base.backgroundFile = "/home/ann/sky.png";
    base.mode = BackgroundMode::Gradient;
    const WallLook read = lookFromStartTag(
        "<gallery back_ground=\"2{../../.ssh/id_rsa,center}\" logo_img=\"logo/../../x.png\" >",
        "/w", base);
    EXPECT_EQ(read.backgroundFile, base.backgroundFile);
    EXPECT_EQ(read.mode, BackgroundMode::Gradient);
    EXPECT_EQ(read.logoFile, base.logoFile);
    // The player shows what a tag leaves out: the logo and both buttons, no slideshow, left to
    // right.
    EXPECT_FALSE(read.logoHidden);
    EXPECT_FALSE(read.shareHidden);
    EXPECT_FALSE(read.infoHidden);
    EXPECT_EQ(read.autoplaySeconds, 0);
    EXPECT_FALSE(read.rightToLeft);
}

TEST(LookFromStartTag, CarriesTheSlideshowAndTheReadingDirection) {
    WallLook look;
    look.autoplaySeconds = 12;
    look.rightToLeft = true;
    const QString tag = galleryStartTag(look);
    EXPECT_TRUE(tag.contains("autoplay=\"12\" direction=\"rtl\" >")) << tag.toStdString();
    const WallLook read = lookFromStartTag(tag, "/w", WallLook());
    EXPECT_EQ(read.autoplaySeconds, 12);
    EXPECT_TRUE(read.rightToLeft);
    EXPECT_TRUE(galleryStartTag(WallLook()).contains("autoplay=\"off\" direction=\"ltr\" >"));
    // Values the program does not write read as the player takes them: off, left to right.
    for (const char* value : {"off", "0", "-4", "3601", "2.5", "x", ""}) {
        const QString odd =
            QStringLiteral("<gallery autoplay=\"%1\" direction=\"%1\" >").arg(value);
        EXPECT_EQ(lookFromStartTag(odd, "/w", WallLook()).autoplaySeconds, 0) << value;
        EXPECT_FALSE(lookFromStartTag(odd, "/w", WallLook()).rightToLeft) << value;
    }
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
