// The wall without windows: Apply into the settings file, the background and logo copies, the
// gallery index and its script twin; the image list; the full-screen button edit.
#include "platform/player/gallery_script.h"
#include "tests/wall/scratch.h"
#include "wall/deck_words.h"
#include "wall/locations.h"
#include "wall/wall_folder.h"
#include "wall/wall_project.h"
#include "wall/work_folder.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class WallProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        makeTemplate(app + "flash/");
        setApplicationFolder(app);
        createWorkFolder(work, templateFolder());
        project.loadSettings(settings, app, work);
        project.loadIndex(work);
    }
    void TearDown() override { setApplicationFolder(QString()); }

    QString index() const { return work + "xml/images.xml"; }
    QString startTag() const { return fileLines(index()).value(1); }
    bool twinInStep() const {
        return readFile(work + "xml/images.js") ==
               murano::player::galleryScriptFor(readFile(index()));
    }
    QString picture(const QString& name, const QByteArray& bytes) {
        writeFile(scratch.path() + "/pick/" + name, bytes);
        return scratch.path() + "/pick/" + name;
    }
    WallLook edited(BackgroundMode mode, int position) const {
        WallLook look = project.look();
        look.mode = mode;
        look.position = position;
        look.angle = "45 deg";
        look.logoLink = "http://x.example/?a=1&b=2";
        look.setBook({"Tom & \"Jerry\"", "a@b.c", "<site>", "it's", "first"});
        return look;
    }

    QTemporaryDir scratch;
    QString app = scratch.path() + "/app/";
    QString work = scratch.path() + "/state/Quorvex_Murano/";
    QString settings = scratch.path() + "/state//quorvexmrnoini";
    WallProject project;
};

} // namespace

// A first start shows, and records, the look the new wall plays: the template's stretched
// picture, not a colour the wall does not show.
TEST_F(WallProjectTest, FirstStartTakesTheLookTheWallShows) {
    QFile::remove(settings);
    writeFile(index(), "<?xml version=\"1.0\"?>\n<gallery back_ground=\"2{background/"
                       "background.jpg,stretch}\" logo_img=\"logo/logo.png\" >\n</gallery>\n");
    WallProject first;
    first.loadSettings(settings, app, work);
    const QStringList lines = fileLines(settings);
    EXPECT_EQ(lines.size(), 18);
    EXPECT_EQ(lines.value(13), "#000000");
    EXPECT_EQ(lines.value(17), "01");
    EXPECT_EQ(first.look().mode, BackgroundMode::Image);
    EXPECT_EQ(first.look().position, 1);
    EXPECT_EQ(first.look().backgroundFile, work + "background/background.jpg");
    EXPECT_EQ(first.look().logoFile, work + "logo/logo.png");
    WallProject again;
    again.loadSettings(settings, app, work);
    EXPECT_TRUE(again.look() == first.look()) << "the next start shows the same";
}

// Opening a project into the work folder makes its look the wall's: Apply then keeps it.
TEST_F(WallProjectTest, AnAdoptedWallsLookSurvivesTheNextApply) {
    WallLook projectLook = edited(BackgroundMode::Gradient, 0);
    projectLook.shareHidden = true;
    project.setLook(projectLook);
    ASSERT_TRUE(applyWall(project, work).isEmpty());
    const QString projectTag = startTag();
    WallLook other = edited(BackgroundMode::PureColor, 0);
    other.pureColor = "#cc2222";
    other.bookTitle = "Other wall";
    project.setLook(other);
    ASSERT_TRUE(saveUserSettings(settings, other));

    ASSERT_TRUE(project.adoptWall(work).isEmpty());
    EXPECT_EQ(project.look().bookTitle, projectLook.bookTitle);
    ASSERT_TRUE(applyWall(project, work).isEmpty());
    EXPECT_EQ(startTag(), projectTag);
    WallProject restarted;
    restarted.loadSettings(settings, app, work);
    EXPECT_EQ(restarted.look().mode, BackgroundMode::Gradient);
    EXPECT_TRUE(restarted.look().shareHidden);
}

TEST_F(WallProjectTest, ApplyWritesTheStartTagForEveryBackground) {
    const struct {
        BackgroundMode mode;
        int position;
        const char* background;
        const char* modeLine;
    } cases[] = {
        {BackgroundMode::PureColor, 0, "0{0x000000}", "10"},
        {BackgroundMode::Gradient, 1, "1{0x1e3c72,0x2a9df4,45 deg}", "21"},
        {BackgroundMode::Image, 0, "2{background/background.jpg,center}", "00"},
        {BackgroundMode::Image, 1, "2{background/background.jpg,stretch}", "01"},
        {BackgroundMode::Image, 2, "2{background/background.jpg,titl}", "02"},
    };
    const QString declaration = fileLines(index()).value(0);
    for (const auto& c : cases) {
        project.setLook(edited(c.mode, c.position));
        ASSERT_TRUE(applyWall(project, work).isEmpty());
        EXPECT_EQ(startTag(),
                  QString("<gallery imagesFolder=\"wallimages/\" "
                          "thumbnailsFolder=\"wallimages/thumbs/\" back_ground=\"%1\" "
                          "logo_visible=\"1\" logo_img=\"logo/logo.png\" "
                          "logo_link=\"http://x.example/?a=1&amp;b=2\" btn_fullscreen=\"0\" "
                          "btn_share=\"1\" btn_reload=\"0\" btn_info=\"1\" "
                          "book_title=\"Tom &amp; &quot;Jerry&quot;\" email=\"a@b.c\" "
                          "website=\"&lt;site&gt;\" display_name=\"it&apos;s\" "
                          "description=\"first\" autoplay=\"off\" direction=\"ltr\" >")
                      .arg(c.background));
        EXPECT_EQ(fileLines(index()).value(0), declaration);
        EXPECT_TRUE(twinInStep());
        const QStringList lines = fileLines(settings);
        EXPECT_EQ(lines.size(), 19);
        EXPECT_EQ(lines.value(3), "http://x.example/?a=1&b=2");
        EXPECT_EQ(lines.value(8), "Tom & \"Jerry\"");
        EXPECT_EQ(lines.value(17), c.modeLine);
    }
    // Apply again: the same files.
    const QByteArray written = readFile(index());
    applyWall(project, work);
    EXPECT_EQ(readFile(index()), written);
}

TEST_F(WallProjectTest, ANewLogoEmptiesTheLogoFolderAndItsOwnCopyIsNotCopiedAgain) {
    writeFile(work + "logo/stray.png", "stray");
    WallLook look = project.look();
    look.logoFile = picture("mine.jpg", "mine");
    project.setLook(look);
    applyWall(project, work);
    EXPECT_EQ(QDir(work + "logo").entryList(QDir::Files), QStringList{"logo.jpg"});
    EXPECT_TRUE(startTag().contains("logo_img=\"logo/logo.jpg\" "));

    look.logoFile = work + "logo/logo.jpg";
    project.setLook(look);
    applyWall(project, work);
    EXPECT_EQ(readFile(work + "logo/logo.jpg"), "mine");
}

TEST_F(WallProjectTest, APngBackgroundLeavesTheJpgOneAndOtherModesCopyNothing) {
    WallLook look = project.look();
    look.backgroundFile = picture("sky.png", "png");
    applyWall(project, work);
    EXPECT_FALSE(QFile::exists(work + "background/background.png")) << "pure colour copies none";

    look.mode = BackgroundMode::Image;
    project.setLook(look);
    applyWall(project, work);
    EXPECT_EQ(readFile(work + "background/background.png"), "png");
    EXPECT_EQ(readFile(work + "background/background.jpg"), "jpg");
    EXPECT_TRUE(startTag().contains("back_ground=\"2{background/background.png,"));
}

TEST_F(WallProjectTest, ImagesReplaceTheImageLinesAndRepairRestoresThePlayer) {
    QFile::remove(work + "main.swf");
    QSignalSpy changed(&project, &WallProject::changed);
    project.setImages({"0", "1", "2"});
    applyWall(project, work);
    project.setImages({"5"});
    applyWall(project, work);
    EXPECT_EQ(changed.count(), 2);
    const QStringList lines = fileLines(index());
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.value(2), "\t<img src=\"5.jpg\" width=\"960\" height=\"720\" />");
    EXPECT_EQ(lines.value(3), "</gallery>");
    EXPECT_TRUE(QFile::exists(work + "main.swf"));
}

TEST_F(WallProjectTest, EditsSignalOnlyRealChanges) {
    QSignalSpy changed(&project, &WallProject::changed);
    project.setBook(project.look().book());
    project.setHiddenButtons({true, false});
    project.setHiddenButtons({true, false});
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(project.look().infoHidden);
}

TEST_F(WallProjectTest, TheFullScreenButtonIsEditedInPlace) {
    applyWall(project, work);
    showFullScreenButton(work, true);
    EXPECT_TRUE(startTag().contains("btn_fullscreen=\"1\""));
    EXPECT_TRUE(twinInStep());
    showFullScreenButton(work, false);
    EXPECT_TRUE(startTag().contains("btn_fullscreen=\"0\""));

    QFile::remove(index());
    showFullScreenButton(work, true);
    EXPECT_FALSE(QFile::exists(index())) << "a missing index is never written";
}

TEST_F(WallProjectTest, AMovedLogoOrBackgroundLeavesTheWallsCopyAndSaysSo) {
    WallLook look = project.look();
    look.logoFile = scratch.path() + "/moved/brand.png";
    look.backgroundFile = scratch.path() + "/moved/sky.jpg";
    look.mode = BackgroundMode::Image;
    project.setLook(look);
    const QStringList problems = applyWall(project, work);
    ASSERT_EQ(problems.size(), 2);
    EXPECT_TRUE(problems.at(0).contains(look.logoFile));
    EXPECT_EQ(readFile(work + "logo/logo.png"), "png");
    EXPECT_TRUE(startTag().contains("logo_img=\"logo/logo.png\" "));
    EXPECT_TRUE(startTag().contains("back_ground=\"2{background/background.jpg,center}\" "));
}

TEST_F(WallProjectTest, AnIndexThatCannotBeWrittenIsReportedWithItsPlace) {
    QFile::remove(index());
    QDir().mkpath(index()); // images.xml replaced by a folder
    const QStringList problems = applyWall(project, work);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.at(0).contains(index()));
}

TEST_F(WallProjectTest, ControlCharactersInTheDescriptionKeepTheIndexValidXml) {
    WallLook look = project.look();
    look.description = QString("bell\x07 and\x1b escape\nnext");
    project.setLook(look);
    applyWall(project, work);
    EXPECT_TRUE(startTag().contains("description=\"bell and escape&#10;next\" "));
}

TEST_F(WallProjectTest, BlankLinesAndOneLineIndexesKeepEveryImage) {
    const QByteArray declaration = "<?xml version=\"1.0\"?>";
    const QByteArray images = "<img src=\"0.jpg\" /><img src=\"1.jpg\" />";
    const struct {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"blank line", declaration + "\n<gallery >\n\t<img src=\"0.jpg\" />\n\n"
                                     "\t<img src=\"1.jpg\" />\n</gallery>\n"},
        {"one line", declaration + "<gallery a=\"1\">" + images + "</gallery>"},
    };
    for (const auto& c : cases) {
        writeFile(index(), c.content);
        project.loadIndex(work);
        applyWall(project, work);
        const QStringList lines = fileLines(index());
        EXPECT_EQ(lines.filter("<gallery").size(), 1) << c.name;
        EXPECT_EQ(lines.filter("<img").size(), 2) << c.name;
        EXPECT_EQ(lines.filter("</gallery>").size(), 1) << c.name;
    }
}

// An import's words bring the deck's title, author and reading direction; what the user set stays.
TEST_F(WallProjectTest, TheDecksWordsFillTheBookAndTurnARightToLeftDeck) {
    struct Case {
        const char* language;
        bool rightToLeftBefore, rightToLeftAfter;
    };
    const Case cases[] = {{"he-IL", false, true},       {"ar", false, true},
                          {"fa-IR", false, true},       {"en-US", false, false},
                          {"en-US", true, true},        {"", false, false},
                          {"zz-Nonsense", false, false}};
    for (const Case& c : cases) {
        WallLook look = project.look();
        look.rightToLeft = c.rightToLeftBefore;
        look.setBook({"", "", "", "", "Mine"});
        project.setLook(look);
        DeckWords words;
        words.title = "Deck title";
        words.author = "Deck author";
        words.language = c.language;
        QString error;
        ASSERT_TRUE(writeWallWords(WallFolder(work), words, error));

        project.takeDeckDetails(work);
        EXPECT_EQ(project.look().rightToLeft, c.rightToLeftAfter) << c.language;
        EXPECT_EQ(project.look().book().title, "Deck title");
        EXPECT_EQ(project.look().book().description, "Mine");
    }
}
