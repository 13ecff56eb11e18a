#include "publish/book_copy.h"
#include "publish/page_words.h"
#include "tests/publish/wall_fixture.h"
#include "tests/wall/scratch.h"
#include "wall/deck_words.h"
#include "wall/wall_folder.h"

#include <gtest/gtest.h>

namespace {

DeckWords wordsOf(const QString& language, const QList<SlideWords>& slides) {
    DeckWords words;
    words.language = language;
    words.slides = slides;
    return words;
}

SlideWords slide(const QString& title, const QString& text) {
    SlideWords words;
    words.title = title;
    words.text = text;
    return words;
}

} // namespace

struct SectionCase {
    const char* what;
    QString title;
    QString text;
    QByteArray expected;
};

class PageWordsSection : public testing::TestWithParam<SectionCase> {};

TEST_P(PageWordsSection, EscapesEveryTextIntoPrintableAscii) {
    const SectionCase& c = GetParam();
    SCOPED_TRACE(c.what);
    const QByteArray section =
        pageWordsSection(wordsOf("en", {slide("First", ""), slide(c.title, c.text)}));
    EXPECT_EQ(section, "<section id=\"murano-words\" aria-label=\"Slides\">\n<h2>First</h2>\n" +
                           c.expected + "</section>\n");
    for (const char byte : section) {
        EXPECT_TRUE((byte >= 0x20 && byte < 0x7f) || byte == '\n') << int(byte);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PageWordsSection,
    testing::Values(
        SectionCase{"markup shows as text", "<script>alert(\"x\")</script> & co",
                    "<img src=x onerror=alert(1)>",
                    "<h2>&lt;script&gt;alert(\"x\")&lt;/script&gt; &amp; co</h2>\n"
                    "<p>&lt;img src=x onerror=alert(1)&gt;</p>\n"},
        SectionCase{
            "letters beyond ASCII and line ends", u8"Été", u8"zwei\nשלום 😀",
            "<h2>&#xc9;t&#xe9;</h2>\n<p>zwei<br>&#x5e9;&#x5dc;&#x5d5;&#x5dd; &#x1f600;</p>\n"},
        SectionCase{"control characters go",
                    QString::fromUtf8("a\x01"
                                      "b\x7f"
                                      "c\u0085d"),
                    "x\ty\x1b", "<h2>abcd</h2>\n<p>x y</p>\n"},
        SectionCase{"a slide without words keeps a heading", "  ", "", "<h2>Slide 2</h2>\n"}));

struct LanguageCase {
    QByteArray page;
    QString language;
    QByteArray expected;
};

class PageLanguage : public testing::TestWithParam<LanguageCase> {};

TEST_P(PageLanguage, TakesTheDecksLanguageTagOnly) {
    const LanguageCase& c = GetParam();
    EXPECT_EQ(withPageWords(c.page, wordsOf(c.language, {})), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageLanguage,
    testing::Values(LanguageCase{"<!DOCTYPE html>\n<html lang=\"en\">\n<body>", "de-DE",
                                 "<!DOCTYPE html>\n<html lang=\"de-DE\">\n<body>"},
                    LanguageCase{"<html>\n<body>", "he", "<html lang=\"he\">\n<body>"},
                    LanguageCase{"<HTML class=x LANG='en'>", "fr", "<HTML class=x lang=\"fr\">"},
                    LanguageCase{"<html lang=\"en\">", "en\"><script>", "<html lang=\"en\">"},
                    LanguageCase{"<html lang=\"en\">", "", "<html lang=\"en\">"}));

TEST(PageWords, GoesAfterTheWallsElementElseBeforeTheEndOfTheBody) {
    const DeckWords words = wordsOf("en", {slide("One", "")});
    const QByteArray section = pageWordsSection(words);
    EXPECT_EQ(
        withPageWords("<body>\n<div id=\"murano-wall\"></div>\n<noscript></noscript>\n</body>",
                      words),
        "<body>\n<div id=\"murano-wall\"></div>\n" + section + "<noscript></noscript>\n</body>");
    EXPECT_EQ(withPageWords("<body><p>x</p></body>", words),
              "<body><p>x</p>" + section + "</body>");
}

// The published page through copyBook: the wall's words in it, notes never; a wall without words
// publishes the page as before.
TEST(PageWords, APublishedPageCarriesTheWallsWords) {
    QTemporaryDir scratch;
    const QString work = scratch.path() + "/work/";
    makeWall(work, WallFixture{});
    ASSERT_TRUE(copyBook(WallFolder(work), scratch.path() + "/plain", {"book", {"T", "", ""}}).ok());
    DeckWords words =
        wordsOf("nl", {slide("Kwartaal", "Omzet <groeit>"), slide("Twee", ""), slide("Drie", "")});
    words.slides[0].notes = "Private note";
    QString error;
    ASSERT_TRUE(writeWallWords(WallFolder(work), words, error)) << qPrintable(error);
    ASSERT_TRUE(copyBook(WallFolder(work), scratch.path() + "/words", {"book", {"T", "", ""}}).ok());
    const QByteArray plain = readFile(scratch.path() + "/plain/book.html");
    const QByteArray page = readFile(scratch.path() + "/words/book.html");
    EXPECT_TRUE(plain.contains("<meta name=\"murano-words\" content=\"none\">\n</head>"));
    EXPECT_FALSE(plain.contains("<section"));
    EXPECT_TRUE(page.contains("<html lang=\"nl\">"));
    EXPECT_TRUE(page.contains("<h2>Kwartaal</h2>\n<p>Omzet &lt;groeit&gt;</p>\n<h2>Twee</h2>"));
    EXPECT_FALSE(page.contains("Private note"));
    EXPECT_FALSE(page.contains("content=\"none\""));
}
