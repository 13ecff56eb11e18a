// The deck's words as a wall keeps them: what hostile or broken input becomes, which slides and
// jumps a page range keeps, and the file and its twin read back.
#include "tests/wall/scratch.h"
#include "wall/deck_words.h"
#include "wall/wall_folder.h"

#include <gtest/gtest.h>

namespace {

SlideWords slideWithLinks(int number, QList<WordsLink> links) {
    SlideWords slide;
    slide.number = number;
    slide.title = QStringLiteral("Deck slide %1").arg(number);
    slide.links = std::move(links);
    return slide;
}

WordsLink jumpTo(int slide) {
    return {0.1, 0.1, 0.2, 0.2, QString(), slide};
}
WordsLink urlLink(const QString& url) {
    return {0.1, 0.1, 0.2, 0.2, url, 0};
}

TEST(DeckWords, CleaningKeepsOnlyWhatIsSafeToShow) {
    struct Case {
        const char* name;
        QString in, out;
    };
    const QString high(QChar(0xd83d));
    const Case texts[] = {
        {"line breaks and tabs stay", QStringLiteral("a\nb\tc"), QStringLiteral("a\nb\tc")},
        {"control characters go",
         QStringLiteral("a\x01\x1b"
                        "b\x7f") +
             QChar(0x85),
         "ab"},
        {"unpaired surrogates go", QStringLiteral("x") + high + QStringLiteral("y"), "xy"},
        {"paired surrogates stay", QString::fromUtf8("\xf0\x9f\x98\x80"),
         QString::fromUtf8("\xf0\x9f\x98\x80")},
        {"markup stays text", QStringLiteral("<script>alert(1)</script>"),
         QStringLiteral("<script>alert(1)</script>")},
    };
    for (const Case& c : texts) {
        DeckWords words;
        words.slides << SlideWords{0, QStringLiteral("t"), c.in, {}, {}, {}};
        EXPECT_EQ(cleanedWords(words).slides[0].text, c.out) << c.name;
    }
}

TEST(DeckWords, LongTextIsCutAtAWordAndUntitledSlidesAreNamed) {
    DeckWords words;
    const QString word = QString::fromUtf8("w\xc3\xa9rd "); // 6 UTF-8 bytes
    SlideWords slide;
    slide.text = word.repeated(kMaxSlideTextBytes / 6 + 100);
    words.slides << SlideWords{} << slide;
    const DeckWords cleaned = cleanedWords(words);
    EXPECT_EQ(cleaned.slides[0].title, "Slide 1");
    EXPECT_EQ(cleaned.slides[1].title, "Slide 2");
    const QString& text = cleaned.slides[1].text;
    EXPECT_LE(text.toUtf8().size(), kMaxSlideTextBytes);
    EXPECT_GT(text.toUtf8().size(), kMaxSlideTextBytes - 8);
    EXPECT_TRUE(text.endsWith(QString::fromUtf8("w\xc3\xa9rd"))) << "cut inside a word";
}

TEST(DeckWords, OnlyWebAndMailLinksAndRealJumpsAreKept) {
    struct Case {
        WordsLink link;
        bool kept;
    };
    const Case cases[] = {
        {urlLink("https://example.org/a?b=c"), true},
        {urlLink("HTTP://example.org/"), true},
        {urlLink("mailto:someone@example.org"), true},
        {urlLink("javascript:alert(1)"), false},
        {urlLink(" JavaScript:alert(1)"), false},
        {urlLink("java\x01script:alert(1)"), false},
        {urlLink("data:text/html,<b>x</b>"), false},
        {urlLink("file:///etc/passwd"), false},
        {jumpTo(2), true},
        {jumpTo(0), false},
        {WordsLink{0.9, 0.9, 0.5, 0.5, "https://example.org/", 0}, true},
        {WordsLink{0.5, 0.5, 0, 0.1, "https://example.org/", 0}, false},
    };
    for (const Case& c : cases) {
        DeckWords words;
        words.slides << slideWithLinks(1, {c.link});
        const DeckWords cleaned = cleanedWords(words);
        EXPECT_EQ(cleaned.slides[0].links.size(), c.kept ? 1 : 0) << c.link.url.toStdString();
        for (const WordsLink& link : cleaned.slides[0].links) {
            EXPECT_LE(link.x + link.w, 1.0);
            EXPECT_LE(link.y + link.h, 1.0);
        }
    }
}

TEST(DeckWords, APageRangeKeepsEachSlidesWordsAndRenumbersItsJumps) {
    DeckWords deck;
    deck.title = "Deck";
    for (int number = 1; number <= 6; ++number) {
        deck.slides << slideWithLinks(number, {jumpTo(6), jumpTo(2), urlLink("https://x.org/")});
    }
    deck.slides.removeAt(4); // slide 5 has no words: the converter could not read them

    const DeckWords wall = wallWords(deck, {2, 5, 6});
    ASSERT_EQ(wall.slides.size(), 3);
    EXPECT_EQ(wall.title, "Deck");
    EXPECT_EQ(wall.slides[0].title, "Deck slide 2");
    EXPECT_EQ(wall.slides[1].title, "Slide 2");
    EXPECT_EQ(wall.slides[2].title, "Deck slide 6");
    EXPECT_EQ(wall.slides[0].number, 0);
    // Slide 6 is the wall's third, slide 2 its first.
    EXPECT_EQ(wall.slides[0].links,
              (QList<WordsLink>{jumpTo(3), jumpTo(1), urlLink("https://x.org/")}));

    const DeckWords jumpsOut = wallWords(deck, {1, 3});
    EXPECT_EQ(jumpsOut.slides[0].links, QList<WordsLink>{urlLink("https://x.org/")});
}

TEST(DeckWords, EmptyBookInformationTakesTheDecksTitleAndAuthor) {
    const DeckWords deck{"Deck title", "Deck author", "", {}};
    const struct {
        BookDetails book;
        QString title, displayName;
    } cases[] = {
        {{}, "Deck title", "Deck author"},
        {{"Mine", "", "", "", ""}, "Mine", "Deck author"},
        {{"", "", "", "Me", ""}, "Deck title", "Me"},
        {{" ", "", "", "  ", ""}, "Deck title", "Deck author"},
    };
    for (const auto& c : cases) {
        const BookDetails book = bookWithDeckDetails(c.book, deck);
        EXPECT_EQ(book.title, c.title);
        EXPECT_EQ(book.displayName, c.displayName);
    }
}

TEST(DeckWords, AWallsWordsAndTheirTwinReadBack) {
    QTemporaryDir scratch;
    const WallFolder wall(scratch.path());
    QDir().mkpath(wall.root() + "xml");
    DeckWords words;
    words.title = QString::fromUtf8("Caf\xc3\xa9 </script>");
    words.language = "ar-EG";
    words.slides << SlideWords{0, "One", "text", "private notes", {"a chart"}, {jumpTo(1)}};

    QString error;
    ASSERT_TRUE(writeWallWords(wall, words, error)) << error.toStdString();
    EXPECT_EQ(readWallWords(wall), words);
    EXPECT_EQ(withoutNotes(words).slides[0].notes, QString());

    const QByteArray twin = readFile(wall.wordsScript());
    EXPECT_TRUE(twin.startsWith("window.muranoWords = \""));
    EXPECT_FALSE(twin.contains("</script>"));

    writeFile(wall.words(), "[1, 2]");
    EXPECT_FALSE(readWallWords(wall));
    removeWallWords(wall);
    EXPECT_FALSE(QFile::exists(wall.words()) || QFile::exists(wall.wordsScript()));
}

} // namespace
