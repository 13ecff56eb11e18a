// The option parser and the usage listing, exercised on the real option table and on small tables.
#include "converter/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A mutable argv built from words, as the parser rewrites it in place.
class Argv {
public:
    Argv(std::initializer_list<std::string> words) : storage_(words) {
        for (std::string& word : storage_) {
            pointers_.push_back(word.data());
        }
        pointers_.push_back(nullptr);
        argc = static_cast<int>(storage_.size());
    }
    char** argv() { return pointers_.data(); }
    std::vector<std::string> remaining() const {
        return {pointers_.begin(), pointers_.begin() + argc};
    }
    int argc = 0;

private:
    std::vector<std::string> storage_;
    std::vector<char*> pointers_;
};

class ParserTest : public ::testing::Test {
protected:
    void SetUp() override { setDefaultOptions(options); }
    bool parse(Argv& args) { return Parse(optionTable(options).data(), args.argc, args.argv()); }
    ConverterOptions options;
};

using Words = std::vector<std::string>;

TEST_F(ParserTest, MalformedIntegerFailsAndLeavesTheValueAsAPositionalWord) {
    Argv args{"lantrel", "-width", "abc", "in.ppt", "out.jpg"};
    EXPECT_FALSE(parse(args));
    EXPECT_EQ(args.remaining(), (Words{"lantrel", "abc", "in.ppt", "out.jpg"}));
    EXPECT_EQ(options.width, 720);
}

TEST_F(ParserTest, OptionsAnywhereAreRemovedLeavingOnlyPositionalWords) {
    Argv args{"lantrel", "-height", "600", "in.ppt", "out.jpg", "-debug", "-skip"};
    EXPECT_TRUE(parse(args));
    EXPECT_EQ(args.remaining(), (Words{"lantrel", "in.ppt", "out.jpg"}));
    EXPECT_EQ(options.height, 600);
    EXPECT_EQ(options.debug, 1);
    EXPECT_EQ(options.skip, 1);
    EXPECT_EQ(args.argv()[args.argc], nullptr);
}

TEST_F(ParserTest, DoubleDashEndsOptions) {
    Argv args{"lantrel", "-view", "--", "-debug", "--"};
    EXPECT_TRUE(parse(args));
    EXPECT_EQ(args.remaining(), (Words{"lantrel", "-debug", "--"}));
    EXPECT_EQ(options.debug, 0);
    EXPECT_EQ(options.view, 1);
}

TEST_F(ParserTest, IntegerValuesTakeASignAndAnEmptyRemainderMeansZero) {
    Argv negative{"lantrel", "-width", "-5", "-height", "+", "-rotate", "", "in.ppt"};
    EXPECT_TRUE(parse(negative));
    EXPECT_EQ(options.width, -5);
    EXPECT_EQ(options.height, 0);
    EXPECT_EQ(options.rotate, 0);
    EXPECT_EQ(negative.remaining(), (Words{"lantrel", "in.ppt"}));
}

TEST_F(ParserTest, IntegerValuesOutsideThirtyTwoBitsAreHeldAtTheLimits) {
    Argv args{"lantrel", "-width", "99999999999", "-height", "-99999999999"};
    EXPECT_TRUE(parse(args));
    EXPECT_EQ(options.width, 2147483647);
    EXPECT_EQ(options.height, -2147483647 - 1);
}

TEST_F(ParserTest, MissingValueAtTheEndFails) {
    Argv integer{"lantrel", "in.ppt", "-ppttimeout"};
    EXPECT_FALSE(parse(integer));
    EXPECT_EQ(integer.remaining(), (Words{"lantrel", "in.ppt"}));
    Argv text{"lantrel", "in.ppt", "-title"};
    EXPECT_FALSE(parse(text));
    EXPECT_EQ(text.remaining(), (Words{"lantrel", "in.ppt"}));
}

TEST_F(ParserTest, OnlyExactNamesMatch) {
    Argv args{"lantrel", "-widt", "5", "-WIDTH", "6", "-debugx", "-Debug"};
    EXPECT_TRUE(parse(args));
    EXPECT_EQ(args.remaining(),
              (Words{"lantrel", "-widt", "5", "-WIDTH", "6", "-debugx", "-Debug"}));
    EXPECT_EQ(options.width, 720);
    EXPECT_EQ(options.debug, 0);
}

TEST_F(ParserTest, StringValuesAreCutToTheirBuffer) {
    const std::string longSubject(1500, 's');
    const std::string longPassword(300, 'p');
    Argv args{"lantrel", "-subject", longSubject, "-openpwd", longPassword, "-title", "-debug"};
    EXPECT_TRUE(parse(args));
    EXPECT_EQ(std::string(options.subject), longSubject.substr(0, 1023));
    EXPECT_EQ(std::string(options.openpwd), longPassword.substr(0, 199));
    // A string option takes the next word whatever it looks like.
    EXPECT_STREQ(options.title, "-debug");
    EXPECT_EQ(options.debug, 0);
}

TEST_F(ParserTest, EveryHelpSpellingSetsTheSameRequest) {
    for (const char* spelling : {"-h", "-help", "--help", "-?"}) {
        setDefaultOptions(options);
        Argv args{"lantrel", spelling, "in.ppt"};
        EXPECT_TRUE(parse(args)) << spelling;
        EXPECT_EQ(options.help, 1) << spelling;
        EXPECT_EQ(options.version, 0) << spelling;
    }
    setDefaultOptions(options);
    Argv version{"lantrel", "-v"};
    EXPECT_TRUE(parse(version));
    EXPECT_EQ(options.version, 1);
    EXPECT_EQ(options.help, 0);
}

// A small table with the kinds the converter's own table does not use.
class SmallTableTest : public ::testing::Test {
protected:
    bool parse(Argv& args) { return Parse(table, args.argc, args.argv()); }
    double scale = -1;
    int shown = 0;
    int broken = 0;
    OptionEntry table[4] = {
        {"-scale", OptionKind::Fp, &scale, 0, "scale"},
        {"-shown", OptionKind::DisplayInt, &shown, 0, "listed, never matched"},
        {"-broken", static_cast<OptionKind>(42), &broken, 0, nullptr},
        {"", OptionKind::Flag, nullptr, 0, nullptr},
    };
};

TEST_F(SmallTableTest, FloatingPointValuesFollowTheNumberGrammar) {
    const std::vector<std::pair<std::string, double>> accepted = {
        {"1.5e3", 1500}, {"-.5", -0.5}, {"+2.", 2}, {"7E-2", 0.07}, {".", 0}, {"-", 0}, {"", 0}};
    for (const auto& [word, value] : accepted) {
        scale = -1;
        Argv args{"prog", "-scale", word};
        EXPECT_TRUE(parse(args)) << word;
        EXPECT_DOUBLE_EQ(scale, value) << word;
        EXPECT_EQ(args.argc, 1) << word;
    }
    for (const char* word : {"1e", "e5", "1e+", "1.2.3", "1x", ".e5", "--1"}) {
        scale = -1;
        Argv args{"prog", "-scale", word};
        EXPECT_FALSE(parse(args)) << word;
        EXPECT_EQ(scale, -1) << word;
        EXPECT_EQ(args.remaining(), (Words{"prog", word})) << word;
    }
}

TEST_F(SmallTableTest, DisplayOnlyRowsAreNeverMatched) {
    Argv args{"prog", "-shown", "3"};
    EXPECT_TRUE(parse(args));
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(args.remaining(), (Words{"prog", "-shown", "3"}));
}

TEST_F(SmallTableTest, UnknownKindReportsAnInternalErrorWithoutFailing) {
    Argv args{"prog", "-broken", "x"};
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(parse(args));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Internal error in arg table\r\n");
    EXPECT_EQ(args.remaining(), (Words{"prog", "x"}));
}

TEST_F(SmallTableTest, ListingAlignsTheHelpColumnAndTagsKinds) {
    ::testing::internal::CaptureStderr();
    PrintUsage("prog", "<in>", table);
    // The longest name has 7 characters, so the help column starts at 2 + 9 + 7 = 18.
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Usage: prog [options] <in>\r\n"
              "  -scale <fp>     : scale\r\n"
              "  -shown <int>    : listed, never matched\r\n"
              "  -broken         \r\n");
}

TEST(UsageListing, EveryOptionRowOfTheConverterStartsItsHelpInOneColumn) {
    ConverterOptions options;
    setDefaultOptions(options);
    const std::vector<OptionEntry> table = optionTable(options);
    ::testing::internal::CaptureStderr();
    PrintUsage("lantrel", "<PPT-file> [<Output-file>]", table.data());
    std::istringstream listing(::testing::internal::GetCapturedStderr());
    std::string line;
    std::getline(listing, line);
    EXPECT_EQ(line, "Usage: lantrel [options] <PPT-file> [<Output-file>]\r");
    int rows = 0;
    while (std::getline(listing, line)) {
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r');
        if (line.rfind("        ", 0) == 0) {
            continue; // continuation line of a multi-line help text
        }
        ++rows;
        // The longest name is -swfctrolbar (12): the help column starts at 2 + 9 + 12 = 23.
        EXPECT_EQ(line.substr(21, 4), "  : ") << line;
    }
    EXPECT_EQ(rows, 40);
}

// The option terms of a manual page ("-width <int>"), without their fonts and escapes.
std::vector<std::string> manTerms(const std::string& page) {
    std::vector<std::string> terms;
    std::istringstream lines(page);
    for (std::string line; std::getline(lines, line);) {
        if (line == ".TP" && std::getline(lines, line)) {
            std::string term;
            for (std::size_t i = 0; i < line.size(); ++i) {
                if (line.compare(i, 2, "\\f") == 0) {
                    i += 2; // a font change
                } else if (line.compare(i, 2, "\\-") == 0) {
                    term += '-';
                    ++i;
                } else {
                    term += line[i];
                }
            }
            terms.push_back(term);
        }
    }
    return terms;
}

TEST(UsageListing, EveryListedOptionIsParsedAndTheManualPageListsTheSame) {
    ConverterOptions options;
    setDefaultOptions(options);
    const std::vector<OptionEntry> table = optionTable(options);
    ::testing::internal::CaptureStderr();
    PrintUsage("lantrel", "<PPT-file>", table.data());
    std::istringstream listing(::testing::internal::GetCapturedStderr());
    std::string line;
    std::getline(listing, line);
    std::vector<std::string> listed;
    while (std::getline(listing, line)) {
        if (line.rfind("        ", 0) == 0) {
            continue;
        }
        std::istringstream words(line);
        std::string name, tag;
        words >> name >> tag;
        const std::string value = tag == "<int>" ? "7" : tag == "<fp>" ? "1.5" : "text";
        Argv args = tag[0] == '<' ? Argv{"lantrel", name, value, "in.ppt"}
                                  : Argv{"lantrel", name, "in.ppt"};
        EXPECT_TRUE(Parse(table.data(), args.argc, args.argv())) << name;
        EXPECT_EQ(args.remaining(), (Words{"lantrel", "in.ppt"})) << name;
        listed.push_back(tag[0] == '<' ? name + " " + tag : name);
    }
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(writeManPage(file, table.data()), 0);
    std::string page(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    ASSERT_EQ(std::fread(page.data(), 1, page.size(), file), page.size());
    std::fclose(file);
    EXPECT_EQ(manTerms(page), listed);
}

TEST(DefaultOutput, ReplacesTheExtensionOfTheLastComponentWithSwf) {
    EXPECT_EQ(defaultOutputPath("/home/ann/deck.pptx"), "/home/ann/deck.swf");
    EXPECT_EQ(defaultOutputPath("/home/ann.v2/deck"), "/home/ann.v2/deck.swf");
    EXPECT_EQ(defaultOutputPath("deck.final.ppt"), "deck.final.swf");
}

} // namespace
