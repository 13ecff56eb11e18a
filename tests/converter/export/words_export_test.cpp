// The real lantrel reading a deck's words through the real office suite (-words): a deck of known
// words, links of every kind, alt text, notes, a table, a group, right-to-left and hostile text,
// as ODF and as PowerPoint; and the images still written when the words cannot be.
#include "tests/converter/export/export_process.h"
#include "tests/converter/export/test_images.h"
#include "wall/deck_words.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cmath>
#include <unistd.h>

namespace {

std::optional<DeckWords> readWords(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (QString::fromUtf8(bytes).toUtf8() != bytes) {
        ADD_FAILURE() << "not valid UTF-8";
    }
    QString error;
    auto words = parseDeckWords(bytes, error);
    EXPECT_TRUE(words) << error.toStdString();
    return words;
}

bool near(double a, double b) {
    return std::fabs(a - b) < 0.005;
}

// The deck's links: where they are, and where they lead.
struct LinkCase {
    int slide;
    WordsLink link;
    bool odfOnly; // the office suite's PowerPoint writer drops shape click actions
};

const LinkCase kLinks[] = {
    {1, {0.059, 0.262, 0.866, 0.21, "https://example.org/docs", 0}, false}, // URL text field
    {1, {0.1, 0.8, 0.2, 0.1, "", 3}, true},                                 // shape jump
    {2, {0.354, 0.472, 0.236, 0.105, "", 1}, false},                        // text jump in a group
    {3, {0.059, 0.262, 0.866, 0.21, "javascript:alert(2)", 0}, false},      // kept for the wall
    {3, {0.5, 0.5, 0.1, 0.1, "https://example.com/shape", 0}, true},        // shape URL
};

bool hasLink(const SlideWords& slide, const WordsLink& expected) {
    for (const WordsLink& link : slide.links) {
        if (link.url == expected.url && link.slide == expected.slide && near(link.x, expected.x) &&
            near(link.y, expected.y) && near(link.w, expected.w) && near(link.h, expected.h)) {
            return true;
        }
    }
    return false;
}

class LantrelWords : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { sandbox_ = makeScratchFolder(); }
    void TearDown() override {
        EXPECT_TRUE(processesMentioning(sandbox_).empty());
        removeScratchFolder(sandbox_);
    }
    std::string sandbox_;
};

TEST_P(LantrelWords, ReadsEverySlidesWordsInTheLoadThatExportsIt) {
    const std::string deck = deckPath(std::string("words.") + GetParam());
    const std::string words = sandbox_ + "/words.json";
    const LantrelRun run = runLantrel({deck, sandbox_ + "/out.jpg", "-words", words}, sandbox_);
    ASSERT_EQ(run.status, 4) << run.err;
    EXPECT_EQ(run.err, "");
    const std::optional<DeckWords> read = readWords(words);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->title, "Known words");
    EXPECT_EQ(read->author, "Ada Lovelace");
    EXPECT_EQ(read->language, "en-GB");
    ASSERT_EQ(read->slides.size(), 4);

    struct TextCase {
        int slide;
        QString title, text, notes;
        QStringList alt;
    };
    const TextCase texts[] = {
        {1,
         "Welcome words",
         "Welcome words\nRead the docs first\nSecond paragraph\nGo to three",
         "Say hello first",
         {}},
        {2,
         "Table slide",
         "Table slide\nCell A1\tCell B1\nCell A2\tCell B2\nGrouped one\nBack home",
         "",
         {"A green square"}},
        {3,
         QString::fromUtf8("مرحبا بالعالم"),
         QString::fromUtf8("مرحبا بالعالم\n<script>alert(1)</script> & bad link\n"
                           "quote \" back\\slash tab\tend\nShape link"),
         "",
         {}},
        {4, "", "", "", {}},
    };
    for (const TextCase& c : texts) {
        const SlideWords& slide = read->slides.at(c.slide - 1);
        EXPECT_EQ(slide.number, c.slide);
        EXPECT_EQ(slide.title, c.title) << "slide " << c.slide;
        EXPECT_EQ(slide.text, c.text) << "slide " << c.slide;
        EXPECT_EQ(slide.notes, c.notes) << "slide " << c.slide;
        EXPECT_EQ(slide.alt, c.alt) << "slide " << c.slide;
    }
    const bool odf = std::string(GetParam()) == "odp";
    int expectedLinks = 0;
    for (const LinkCase& c : kLinks) {
        if (odf || !c.odfOnly) {
            ++expectedLinks;
            EXPECT_TRUE(hasLink(read->slides.at(c.slide - 1), c.link))
                << "slide " << c.slide << " " << c.link.url.toStdString() << c.link.slide;
        }
    }
    int links = 0;
    for (const SlideWords& slide : read->slides) {
        links += static_cast<int>(slide.links.size());
    }
    EXPECT_EQ(links, expectedLinks);
}

INSTANTIATE_TEST_SUITE_P(Formats, LantrelWords, ::testing::Values("odp", "pptx"));

// Words that cannot be written cost the run nothing but one notice: the slides are its result.
TEST_F(LantrelWords, WordsThatCannotBeWrittenLeaveTheImages) {
    const std::string words = sandbox_ + "/missing-folder/words.json";
    const LantrelRun run =
        runLantrel({deckPath("words.pptx"), sandbox_ + "/out.jpg", "-words", words}, sandbox_);
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_EQ(folderEntries(sandbox_ + "/out").size(), 4u);
    EXPECT_NE(run.err.find("words are left out"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("words are left out"), run.err.rfind("words are left out"));
    EXPECT_NE(::access(words.c_str(), F_OK), 0);
}

} // namespace
