// An import through the real converter and office suite takes the deck's words into the wall:
// slide for slide as the wall's images, a page range keeping each slide's words and renumbering
// its jumps, and the book information taken from the deck where the user left it empty.
#include "import/import_job.h"
#include "wall/deck_words.h"
#include "wall/wall_folder.h"
#include "wall/wall_project.h"

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class WordsImport : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "words_import_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) {
            new QCoreApplication(argc, argv);
        }
    }
    QTemporaryDir scratch;
    QString work = scratch.path() + "/wall/";
};

TEST_F(WordsImport, APageRangeKeepsEachSlidesWordsAndRenumbersItsJumps) {
    const struct {
        const char* name;
        bool allPages;
        QStringList pages;
        QStringList images; // the wall's images, in wall order
        QStringList titles;
        QList<int> jumps; // every jump of the wall's words, slide by slide
    } cases[] = {
        {"all pages",
         true,
         {},
         {"0.jpg", "1.jpg", "2.jpg", "3.jpg"},
         {"Welcome words", "Table slide", QString::fromUtf8("مرحبا بالعالم"), "Slide 4"},
         {3, 1}},
        {"slides 3 and 1",
         false,
         {"3", "1"},
         {"3.jpg", "1.jpg"},
         {QString::fromUtf8("مرحبا بالعالم"), "Welcome words"},
         {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(work).removeRecursively();
        QDir().mkpath(work + "wallimages/thumbs");
        ImportJob job;
        QSignalSpy ended(&job, &Job::finished);
        job.setRequest({MURANO_BIN_DIR "/lantrel.dll", WORDS_DECK, work, c.allPages, c.pages});
        ASSERT_TRUE(job.start());
        ASSERT_TRUE(ended.wait(180000));
        ASSERT_TRUE(job.result().ok()) << job.result().message.toStdString();
        for (const QString& image : c.images) {
            EXPECT_TRUE(QFile::exists(work + "wallimages/" + image)) << image.toStdString();
        }
        const std::optional<DeckWords> words = readWallWords(WallFolder(work));
        ASSERT_TRUE(words);
        QStringList titles;
        QList<int> jumps;
        for (const SlideWords& slide : words->slides) {
            titles << slide.title;
            for (const WordsLink& link : slide.links) {
                if (link.url.isEmpty()) {
                    jumps << link.slide;
                }
                EXPECT_FALSE(link.url.startsWith("javascript")) << "only web and mail links";
            }
        }
        EXPECT_EQ(titles, c.titles);
        EXPECT_EQ(jumps, c.jumps);
        EXPECT_EQ(words->slides.last().notes.isEmpty(), c.allPages);

        WallProject project;
        project.setBook({"", "ann@example.org", "", "", ""});
        project.takeDeckDetails(work);
        EXPECT_EQ(project.look().bookTitle, "Known words");
        EXPECT_EQ(project.look().displayName, "Ada Lovelace");
        EXPECT_EQ(project.look().email, "ann@example.org");
        project.setBook({"Mine", "", "", "Me", ""});
        project.takeDeckDetails(work);
        EXPECT_EQ(project.look().bookTitle, "Mine");
        EXPECT_EQ(project.look().displayName, "Me");
    }
}

} // namespace
