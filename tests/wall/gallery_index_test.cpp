// The gallery index as the program loads, rebuilds and writes it, and the in-place edits of the
// full-screen button.
#include "wall/gallery_index.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
const QByteArray kTemplateIndex = kDeclaration + "\n<gallery old=\"1\" >\n</gallery>\n";

class GalleryIndexTest : public ::testing::Test {
protected:
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void write(const QString& path, const QByteArray& content) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    QTemporaryDir dir;
    GalleryIndex index;
};

TEST_F(GalleryIndexTest, ImportIntoAFreshTemplateWritesTheImageLinesInOrder) {
    write(file("images.xml"), kTemplateIndex);
    ASSERT_TRUE(index.load(file("images.xml")));
    index.setImageLines(selectedImageNumbers(true, 3, 0, {}, 0));
    index.setStartTag("<gallery new=\"1\" >");
    ASSERT_TRUE(index.write(file("images.xml")));
    EXPECT_EQ(read(file("images.xml")), kDeclaration +
                                            "\n<gallery new=\"1\" >\n"
                                            "\t<img src=\"0.jpg\" width=\"960\" height=\"720\" />\n"
                                            "\t<img src=\"1.jpg\" width=\"960\" height=\"720\" />\n"
                                            "\t<img src=\"2.jpg\" width=\"960\" height=\"720\" />\n"
                                            "</gallery>\n");
}

TEST_F(GalleryIndexTest, ASecondSmallerImportLeavesOnlyItsOwnLines) {
    write(file("images.xml"), kTemplateIndex);
    index.load(file("images.xml"));
    index.setImageLines(selectedImageNumbers(true, 10, 0, {}, 0));
    index.write(file("images.xml"));
    index.load(file("images.xml"));
    index.setImageLines(selectedImageNumbers(true, 2, 0, {}, 0));
    index.write(file("images.xml"));
    EXPECT_EQ(read(file("images.xml")).count("<img "), 2);
    EXPECT_EQ(index.lines().size(), 5);
}

TEST_F(GalleryIndexTest, LoadSkipsBlankLinesAndKeepsOneEmptyLineAtTheEnd) {
    write(file("images.xml"), kDeclaration + "\n<gallery >\n\t<img src=\"0.jpg\" />\n\n"
                                             "\t<img src=\"1.jpg\" />\n</gallery>\n");
    index.load(file("images.xml"));
    EXPECT_EQ(index.lines(),
              (QStringList{QString::fromUtf8(kDeclaration), "<gallery >", "\t<img src=\"0.jpg\" />",
                           "\t<img src=\"1.jpg\" />", "</gallery>", ""}));

    write(file("three.xml"), "a\nb\nc\n");
    index.load(file("three.xml"));
    EXPECT_EQ(index.lines(), (QStringList{"a", "b", "c", ""}));
}

TEST_F(GalleryIndexTest, WritingAfterALoadKeepsTheFirstLineByteForByte) {
    const QByteArray firstLine =
        "<?xml version='1.0' encoding='UTF-8' standalone=\"yes\" ?> \xc3\xa9";
    write(file("images.xml"), firstLine + "\n<gallery a=\"1\" >\n</gallery>\n");
    index.load(file("images.xml"));
    index.setStartTag("<gallery b=\"2\" >");
    index.write(file("images.xml"));
    EXPECT_TRUE(read(file("images.xml")).startsWith(firstLine + "\n<gallery b=\"2\" >\n"));
}

TEST_F(GalleryIndexTest, AMissingOrTruncatedIndexGetsItsClosingTagFromTheStartTagAlone) {
    EXPECT_FALSE(index.load(file("missing.xml")));
    index.setStartTag("<gallery >");
    index.write(file("missing.xml"));
    EXPECT_EQ(read(file("missing.xml")), kDeclaration + "\n<gallery >\n</gallery>\n");

    write(file("images.xml"), kDeclaration + "\n");
    index.load(file("images.xml"));
    index.setStartTag("<gallery >");
    index.write(file("images.xml"));
    EXPECT_EQ(read(file("images.xml")), kDeclaration + "\n<gallery >\n</gallery>\n");
}

TEST_F(GalleryIndexTest, AMissingIndexStillBecomesAWellFormedFile) {
    EXPECT_FALSE(index.load(file("missing.xml")));
    index.setImageLines({"0"});
    index.setStartTag("<gallery >");
    index.write(file("missing.xml"));
    EXPECT_EQ(
        read(file("missing.xml")),
        kDeclaration +
            "\n<gallery >\n\t<img src=\"0.jpg\" width=\"960\" height=\"720\" />\n</gallery>\n");
}

TEST_F(GalleryIndexTest, WallsLongerThanFourThousandLinesLoseNothing) {
    write(file("images.xml"), kTemplateIndex);
    index.load(file("images.xml"));
    index.setImageLines(selectedImageNumbers(true, 5000, 0, {}, 0));
    index.write(file("images.xml"));
    GalleryIndex again;
    again.load(file("images.xml"));
    ASSERT_EQ(again.lines().size(), 5004);
    EXPECT_EQ(again.lines().at(5001), imageLine("4999"));
    EXPECT_EQ(again.lines().at(5002), "</gallery>");
}

TEST_F(GalleryIndexTest, AnIndexThatCannotBeWrittenIsLeftAsItWas) {
    write(file("images.xml"), kTemplateIndex);
    index.load(file("images.xml"));
    index.setImageLines({"0"});
    EXPECT_FALSE(index.write(file("no-such-folder/images.xml")));
    EXPECT_EQ(read(file("images.xml")), kTemplateIndex);
}

TEST(SelectedImageNumbers, CustomRangesSkipPagesBeyondTheSlideCount) {
    EXPECT_EQ(selectedImageNumbers(false, 4, 0, {"2", "5"}, 2), QStringList{"2"});
    EXPECT_EQ(selectedImageNumbers(false, 4, 0, {"3", "1", "4"}, 2), (QStringList{"3", "1"}));
    EXPECT_EQ(selectedImageNumbers(false, 12, 0, {"20"}, 1), QStringList{});
    EXPECT_EQ(selectedImageNumbers(false, 4, 0, {"1"}, 5), QStringList{"1"});
    // A page typed with blanks names the file without them.
    EXPECT_EQ(selectedImageNumbers(false, 20, 0, {"1", " 18", " 7 "}, 3),
              (QStringList{"1", "18", "7"}));
    EXPECT_EQ(selectedImageNumbers(true, 3, 7, {"1"}, 1), (QStringList{"7", "8", "9"}));
    EXPECT_EQ(selectedImageNumbers(true, 0, 0, {}, 0), QStringList{});
}

TEST_F(GalleryIndexTest, FullScreenEditsReplaceEveryOccurrenceAndNothingElse) {
    write(file("images.xml"),
          "<gallery btn_fullscreen=\"0\" x=\"btn_fullscreen=\"0\"\" >\n\xe4\xb8\xad\n");
    ASSERT_TRUE(replaceInIndex(file("images.xml"), "btn_fullscreen=\"0\"", "btn_fullscreen=\"1\""));
    EXPECT_EQ(read(file("images.xml")),
              "<gallery btn_fullscreen=\"1\" x=\"btn_fullscreen=\"1\"\" >\n\xe4\xb8\xad\n");
    // Case matters: a differently spelled attribute stays.
    write(file("images.xml"), "BTN_FULLSCREEN=\"1\"");
    replaceInIndex(file("images.xml"), "btn_fullscreen=\"1\"", "btn_fullscreen=\"0\"");
    EXPECT_EQ(read(file("images.xml")), "BTN_FULLSCREEN=\"1\"");
}

TEST_F(GalleryIndexTest, FullScreenEditsNeverCreateOrEmptyAMissingIndex) {
    EXPECT_FALSE(replaceInIndex(file("missing.xml"), "a", "b"));
    EXPECT_FALSE(QFile::exists(file("missing.xml")));
}

} // namespace
