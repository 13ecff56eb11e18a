#include "tests/wall/scratch.h"
#include "wall/remembered_values.h"

#include <gtest/gtest.h>

namespace {

QStringList numbered(const QString& prefix, int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        lines.append(prefix + QString::number(i));
    }
    return lines;
}

QByteArray asFile(const QStringList& lines) {
    return (lines.join('\n') + '\n').toUtf8();
}

} // namespace

TEST(RememberedValues, ProjectSideFileWinsWhereItHasLines) {
    QTemporaryDir scratch;
    const QString home = scratch.path() + "/.home";
    const QString project = scratch.path() + "/.home..";
    writeFile(home, asFile(numbered("home", 16)));
    writeFile(project, asFile(numbered("project", 14)));

    RememberedValues table;
    EXPECT_TRUE(table.load(home));
    EXPECT_TRUE(table.load(project));

    EXPECT_EQ(table.value(0), "project0");
    EXPECT_EQ(table.value(13), "project13");
    EXPECT_EQ(table.value(SlotLastProjectFile), "home14");
    EXPECT_EQ(table.value(SlotLastProjectFolder), "home15");
}

TEST(RememberedValues, ReadsNoMoreThanSixteenLinesAndAcceptsCrLfAndAByteOrderMark) {
    QTemporaryDir scratch;
    const QString path = scratch.path() + "/.home";
    writeFile(path, "\xEF\xBB\xBF"
                    "C:/deck.pptx\r\n1, 5-10\r\n" +
                        asFile(numbered("x", 20)));
    RememberedValues table;
    table.load(path);
    EXPECT_EQ(table.value(0), "C:/deck.pptx");
    EXPECT_EQ(table.value(1), "1, 5-10");
    EXPECT_EQ(table.value(15), "x13");
    EXPECT_EQ(table.value(16), "");
}

TEST(RememberedValues, AMissingFileLeavesTheTableAsItWas) {
    QTemporaryDir scratch;
    RememberedValues table;
    table.setValue(3, "/out");
    EXPECT_FALSE(table.load(scratch.path() + "/none"));
    EXPECT_EQ(table.value(3), "/out");
}

TEST(RememberedValues, SaveWritesSixteenUtf8LinesThatReadBack) {
    QTemporaryDir scratch;
    const QString path = scratch.path() + "/.home..";
    writeFile(path, asFile(numbered("old", 30)));
    RememberedValues table;
    table.setValue(SlotOutputFolder, QString::fromUtf8("/home/u/文档"));
    table.setValue(SlotHtmlDescription, "two\nlines");
    table.setValue(SlotLastProjectFolder, "/projects");
    table.setValue(99, "ignored");

    ASSERT_TRUE(table.save(path));

    const QStringList lines = fileLines(path);
    ASSERT_EQ(lines.size(), 16);
    EXPECT_EQ(lines[3], QString::fromUtf8("/home/u/文档"));
    EXPECT_EQ(lines[8], "two lines");
    EXPECT_EQ(lines[15], "/projects");
    EXPECT_TRUE(readFile(path).endsWith("/projects\n"));

    RememberedValues reread;
    reread.load(path);
    EXPECT_EQ(reread.value(SlotOutputFolder), table.value(SlotOutputFolder));
}

TEST(RememberedValues, SaveToAnUnwritablePlaceFails) {
    QTemporaryDir scratch;
    EXPECT_FALSE(RememberedValues().save(scratch.path() + "/no/such/folder/.home"));
}

TEST(RememberedValues, SharedTableIsOneTable) {
    RememberedValues::shared().setValue(2, "customRange");
    EXPECT_EQ(RememberedValues::shared().value(2), "customRange");
    RememberedValues::shared().clear();
    EXPECT_EQ(RememberedValues::shared().value(2), "");
}
