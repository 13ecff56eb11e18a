// Page ranges as users type them into the import dialog.
#include "import/page_range.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
    int result;
    QStringList pages;
};

Parsed parse(const QString& text) {
    Parsed parsed;
    parsed.pages = QStringList{"stale"};
    parsed.result = analysisImage(text, parsed.pages);
    return parsed;
}

QStringList numbers(int first, int last) {
    QStringList list;
    for (int page = first; page <= last; ++page) {
        list.append(QString::number(page));
    }
    return list;
}

TEST(PageRange, MixesSinglePagesAndRangesInInputOrder) {
    const Parsed parsed = parse("1, 5-10, 18");
    EXPECT_EQ(parsed.result, 8);
    EXPECT_EQ(parsed.pages, (QStringList{"1", "5", "6", "7", "8", "9", "10", " 18"}));
}

TEST(PageRange, KeepsDuplicatesAndTheBlanksOfSinglePages) {
    EXPECT_EQ(parse("3,3").pages, (QStringList{"3", "3"}));
    EXPECT_EQ(parse(" 7 ").pages, QStringList{" 7 "});
    EXPECT_EQ(parse("+4").pages, QStringList{"+4"});
    EXPECT_EQ(parse("3 - 5").pages, (QStringList{"3", "4", "5"}));
}

TEST(PageRange, TextWithoutPagesGivesZero) {
    for (const char* text : {"", ",,,", "abc", "0", "10-5", "5-", "-5", "0-3", "1 2", "1x"}) {
        const Parsed parsed = parse(text);
        EXPECT_EQ(parsed.result, 0) << text;
        EXPECT_TRUE(parsed.pages.isEmpty()) << text;
    }
}

TEST(PageRange, OnlyTheFirstTwoNumbersOfARangeCount) {
    EXPECT_EQ(parse("2-4-9").pages, (QStringList{"2", "3", "4"}));
}

TEST(PageRange, AcceptsUpToTheLimitAndRefusesBeyondIt) {
    EXPECT_EQ(parse("4096").result, 1);
    EXPECT_EQ(parse("4097").result, kTooManyPages);
    EXPECT_EQ(parse("99999999999").result, kTooManyPages);

    const Parsed all = parse("1-4096");
    EXPECT_EQ(all.result, 4096);
    EXPECT_EQ(all.pages, numbers(1, 4096));

    EXPECT_EQ(parse("1-4096,5").result, kTooManyPages);
    EXPECT_EQ(parse("1-4000,1-97").result, kTooManyPages);
    EXPECT_EQ(parse("1-4000,1-96").result, 4096);
}

TEST(PageRange, ARangeBeyondTheLimitStoresNothingOfItself) {
    const Parsed up = parse("1,2-5000");
    EXPECT_EQ(up.result, kTooManyPages);
    EXPECT_EQ(up.pages, QStringList{"1"});
    EXPECT_EQ(parse("5000-2").result, kTooManyPages);
}

TEST(PageValue, ReadsASignedNumberWithBlanksAround) {
    EXPECT_EQ(pageValue(" 18 "), 18);
    EXPECT_EQ(pageValue("+3"), 3);
    EXPECT_EQ(pageValue("-3"), -3);
    EXPECT_EQ(pageValue("3a"), 0);
    EXPECT_EQ(pageValue(""), 0);
}

} // namespace
