// Slide images from a staging folder become the wall's images and thumbnails.
#include "import/image_intake.h"
#include "wall/deck_words.h"
#include "wall/wall_folder.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>

namespace {

// Slide n is filled with a colour that tells its number back.
QColor slideColour(int n) {
    return QColor(n * 20 % 256, 255 - n * 20 % 256, (n * 53) % 256);
}

int slideNumberOf(const QImage& image, int slides) {
    const QColor seen = image.pixelColor(image.width() / 2, image.height() / 2);
    for (int n = 1; n <= slides; ++n) {
        const QColor want = slideColour(n);
        if (std::abs(seen.red() - want.red()) < 12 && std::abs(seen.green() - want.green()) < 12 &&
            std::abs(seen.blue() - want.blue()) < 12) {
            return n;
        }
    }
    return -1;
}

class IntakeTest : public ::testing::Test {
protected:
    void SetUp() override {
        work = dir.path() + "/";
        QDir().mkpath(work + ".laq");
        QDir().mkpath(work + "wallimages/thumbs");
    }
    void stageSlides(int count, QSize size = QSize(960, 720)) {
        for (int n = 1; n <= count; ++n) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(slideColour(n));
            ASSERT_TRUE(image.save(work + QString(".laq/Slide%1.JPG").arg(n), "JPEG", 95));
        }
    }
    IntakeRequest allPages(int count) {
        IntakeRequest request;
        request.workFolder = work;
        request.allPages = true;
        request.imageCount = count;
        request.lastIndex = count;
        return request;
    }
    IntakeRequest customRange(int count, const QStringList& pages) {
        IntakeRequest request = allPages(count);
        request.allPages = false;
        request.chooesPage = pages;
        request.chooesPageNum = static_cast<int>(pages.size());
        return request;
    }
    QStringList wallImages(const QString& sub = "wallimages") {
        return QDir(work + sub).entryList(QDir::Files, QDir::Name);
    }
    int slideIn(const QString& path, int slides) {
        return slideNumberOf(QImage(work + path), slides);
    }

    QTemporaryDir dir;
    QString work;
};

TEST_F(IntakeTest, AllPagesBecomeNumberedImagesAndThumbnailsInSlideOrder) {
    stageSlides(12);
    QFile::copy(work + ".laq/Slide1.JPG", work + "wallimages/99.jpg");
    QFile stale(work + "wallimages/notes.txt");
    stale.open(QIODevice::WriteOnly);
    stale.close();

    const IntakeResult result = runImageIntake(allPages(12));

    EXPECT_EQ(result.pixSize, QSize(960, 720));
    QStringList expected{"notes.txt"};
    for (int i = 0; i < 12; ++i) {
        expected.append(QString("%1.jpg").arg(i));
    }
    QStringList images = wallImages();
    images.sort();
    expected.sort();
    EXPECT_EQ(images, expected) << "old JPEGs go, other files stay";
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(slideIn(QString("wallimages/%1.jpg").arg(i), 12), i + 1);
        const QImage thumbnail(work + QString("wallimages/thumbs/%1.jpg").arg(i));
        EXPECT_EQ(thumbnail.size(), QSize(180, 135));
        EXPECT_EQ(slideNumberOf(thumbnail, 12), i + 1);
    }
    EXPECT_FALSE(QDir(work + ".laq").exists());
}

TEST_F(IntakeTest, AStoppedIntakeLeavesTheWallsSlidesAndNoStaging) {
    stageSlides(3);
    runImageIntake(allPages(3));
    const QStringList before = wallImages();
    QDir().mkpath(work + ".laq");
    stageSlides(12);
    std::atomic<bool> cancelled{false};
    IntakeRequest request = allPages(12);
    request.cancelled = &cancelled;
    request.threads = 1;
    const IntakeResult result =
        runImageIntake(request, [&](int, int) { cancelled = true; }); // the user's Cancel
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(wallImages(), before);
    EXPECT_EQ(wallImages("wallimages/thumbs").size(), 3);
    EXPECT_EQ(QDir(work).entryList({".laq", ".murano-staging-*"}, QDir::Hidden | QDir::AllEntries),
              QStringList());
}

TEST_F(IntakeTest, CustomRangeCopiesInEntryOrderUnderTheTypedNumbers) {
    stageSlides(12);
    const IntakeResult result = runImageIntake(customRange(12, {"3", " 1", "20", "3"}));
    EXPECT_EQ(result.copiedImages,
              (QStringList{work + "wallimages/3.jpg", work + "wallimages/1.jpg"}));
    EXPECT_EQ(wallImages(), (QStringList{"1.jpg", "3.jpg"}));
    EXPECT_EQ(slideIn("wallimages/3.jpg", 12), 3);
    EXPECT_EQ(slideIn("wallimages/1.jpg", 12), 1);
    EXPECT_EQ(slideNumberOf(QImage(work + "wallimages/thumbs/3.jpg"), 12), 3);
}

// The deck's words beside the index follow the wall's images, whatever the converter left: words
// for every slide, none, or a file that is not words. A wall never keeps an earlier deck's words.
TEST_F(IntakeTest, TheDecksWordsFollowTheWallsImagesOrLeaveNoStaleWords) {
    const QByteArray deckWords = R"json({"version":1,"title":"Deck","author":"Ann","slides":[
        {"number":1,"title":"One","text":"first","notes":"n1","alt":[],"links":[]},
        {"number":2,"title":"Two","text":"second","alt":[],"links":[
            {"x":0.1,"y":0.1,"w":0.2,"h":0.2,"slide":3},
            {"x":0.1,"y":0.5,"w":0.2,"h":0.2,"slide":1},
            {"x":0.5,"y":0.5,"w":0.2,"h":0.2,"url":"javascript:alert(1)"}]},
        {"number":3,"title":"Three","text":"third","alt":[],"links":[]}]})json";
    const struct {
        const char* name;
        bool allPages;
        QStringList pages;
        std::optional<QByteArray> converterWords;
        QStringList titles; // of the wall's words; empty: the wall has none
        int jumpOfFirst;    // the first wall slide's first link's jump, 0 for none
    } cases[] = {
        {"all pages", true, {}, deckWords, {"One", "Two", "Three"}, 0},
        {"a range renumbers jumps", false, {"2", "3"}, deckWords, {"Two", "Three"}, 2},
        {"a range drops jumps out of it", false, {"2", "1"}, deckWords, {"Two", "One"}, 2},
        {"no words file", true, {}, std::nullopt, {}, 0},
        {"not words", true, {}, QByteArray("<html>"), {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WallFolder wall(work);
        QDir().mkpath(work + "xml");
        QDir().mkpath(wall.conversionStaging());
        QString error;
        ASSERT_TRUE(writeWallWords(wall, DeckWords{"Stale", "", "", {SlideWords{}}}, error));
        stageSlides(3);
        if (c.converterWords) {
            QFile file(wall.conversionWords());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*c.converterWords);
        }
        runImageIntake(c.allPages ? allPages(3) : customRange(3, c.pages));
        const std::optional<DeckWords> words = readWallWords(wall);
        EXPECT_EQ(words.has_value(), !c.titles.isEmpty());
        EXPECT_EQ(QFile::exists(wall.wordsScript()), !c.titles.isEmpty());
        if (!words) {
            continue;
        }
        QStringList titles;
        for (const SlideWords& slide : words->slides) {
            titles << slide.title;
            EXPECT_EQ(slide.number, 0);
            for (const WordsLink& link : slide.links) {
                EXPECT_TRUE(link.url.isEmpty()) << "only the javascript: URL was offered";
            }
        }
        EXPECT_EQ(titles, c.titles);
        EXPECT_EQ(words->author, "Ann");
        const QList<WordsLink>& first = words->slides.first().links;
        EXPECT_EQ(first.isEmpty() ? 0 : first.first().slide, c.jumpOfFirst);
    }
}

TEST_F(IntakeTest, APageBeyondTheDeckCopiesNothing) {
    stageSlides(12);
    runImageIntake(customRange(12, {"20"}));
    EXPECT_EQ(wallImages(), QStringList{});
    EXPECT_EQ(wallImages("wallimages/thumbs"), QStringList{});
}

TEST_F(IntakeTest, ThumbnailsAre180WideAndKeepTheSlideShape) {
    for (const auto& [slide, thumbnail] :
         {std::pair{QSize(1280, 720), QSize(180, 101)}, std::pair{QSize(720, 960), QSize(180, 240)},
          std::pair{QSize(4000, 10), QSize(180, 1)}}) {
        QDir().mkpath(work + ".laq");
        stageSlides(2, slide);
        const IntakeResult result = runImageIntake(allPages(2));
        EXPECT_EQ(result.pixSize, slide);
        EXPECT_EQ(QImage(work + "wallimages/thumbs/1.jpg").size(), thumbnail) << slide.width();
        EXPECT_EQ(slideNumberOf(QImage(work + "wallimages/thumbs/1.jpg"), 2), 2);
    }
}

// Thumbnails are first shrunk by whole blocks of pixels; the narrower blocks left at the right and
// bottom edges still count, so a thin line along an edge stays in the thumbnail.
TEST_F(IntakeTest, ThumbnailsKeepThePicturesEdgesInEveryPixelFormat) {
    for (const QImage::Format format : {QImage::Format_RGB888, QImage::Format_RGB32}) {
        QImage picture(1283, 725, format); // 7-pixel blocks leave 2 columns and 4 rows over
        picture.fill(Qt::white);
        for (int y = 0; y < picture.height(); ++y) {
            picture.setPixelColor(1281, y, Qt::red);
            picture.setPixelColor(1282, y, Qt::red);
        }
        for (int y = 721; y < 725; ++y) {
            for (int x = 0; x < 1281; ++x) {
                picture.setPixelColor(x, y, Qt::blue);
            }
        }
        ASSERT_TRUE(saveThumbnail(picture, work + "edges.jpg"));
        const QImage thumbnail(work + "edges.jpg");
        ASSERT_EQ(thumbnail.size(), QSize(180, 102));
        const QColor right = thumbnail.pixelColor(179, 50);
        const QColor bottom = thumbnail.pixelColor(90, 101);
        const QColor middle = thumbnail.pixelColor(90, 50);
        EXPECT_GT(right.red() - right.green(), 60) << format;
        EXPECT_GT(bottom.blue() - bottom.red(), 60) << format;
        EXPECT_GT(middle.lightness(), 245) << format;
    }
}

TEST_F(IntakeTest, AnUnreadableSlideGetsAPlaceholderSoLaterThumbnailsStayWithTheirSlides) {
    stageSlides(3);
    QFile broken(work + ".laq/Slide2.JPG");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("not a jpeg");
    broken.close();
    runImageIntake(allPages(3));
    EXPECT_EQ(wallImages("wallimages/thumbs"), (QStringList{"0.jpg", "1.jpg", "2.jpg"}));
    EXPECT_EQ(slideNumberOf(QImage(work + "wallimages/thumbs/0.jpg"), 3), 1);
    EXPECT_EQ(QImage(work + "wallimages/thumbs/1.jpg").size(), QSize(180, 135));
    EXPECT_EQ(slideNumberOf(QImage(work + "wallimages/thumbs/1.jpg"), 3), -1);
    EXPECT_EQ(slideNumberOf(QImage(work + "wallimages/thumbs/2.jpg"), 3), 3);
}

TEST_F(IntakeTest, ParallelThumbnailsAreByteForByteTheSingleThreadedOnes) {
    stageSlides(9);
    const QString single = dir.path() + "/single/";
    const QString parallel = dir.path() + "/parallel/";
    std::atomic<int> calls{0};
    int lastTotal = 0;
    MakeThumbnails(work + ".laq/", single, 1, {});
    MakeThumbnails(work + ".laq/", parallel, 4, [&](int, int total) {
        ++calls;
        lastTotal = total;
    });
    EXPECT_EQ(calls.load(), 9);
    EXPECT_EQ(lastTotal, 9);
    for (int n = 1; n <= 9; ++n) {
        QFile a(single + QString("zapper%1.jpg").arg(n));
        QFile b(parallel + QString("zapper%1.jpg").arg(n));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_EQ(a.readAll(), b.readAll()) << n;
    }
}

TEST(SlideOrder, PutsShorterNamesFirstAndComparesLowerCase) {
    QStringList paths{"/s/Slide10.JPG", "/s/slide2.jpg", "/s/Slide1.JPG", "/s/zapper9.jpg",
                      "/s/SLIDE3.JPG"};
    SlideOrder(paths, 5);
    // Equal lengths compare as text: slide10 before zapper9.
    EXPECT_EQ(paths, (QStringList{"/s/Slide1.JPG", "/s/slide2.jpg", "/s/SLIDE3.JPG",
                                  "/s/Slide10.JPG", "/s/zapper9.jpg"}));
    QStringList partly{"/b10.jpg", "/b2.jpg", "/a1.jpg"};
    SlideOrder(partly, 2);
    EXPECT_EQ(partly, (QStringList{"/b2.jpg", "/b10.jpg", "/a1.jpg"}));
}

TEST(ListJpegs, KeepsRealNamesAndTakesJpgAnywhereInTheName) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    for (const char* name : {"Slide1.JPG", "photo.jpg.bak", "notes.txt", "image.jpeg"}) {
        QFile file(folder + name);
        file.open(QIODevice::WriteOnly);
    }
    QDir().mkpath(folder + "sub.jpg");
    QStringList listed = listJpegs(folder);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{folder + "Slide1.JPG", folder + "photo.jpg.bak"}));
}

} // namespace
