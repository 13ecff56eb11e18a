#include "publish/book_copy.h"
#include "tests/publish/wall_fixture.h"
#include "tests/wall/scratch.h"

#include <QDirIterator>
#include <QTextCodec>

#include <sys/mount.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

const HtmlMeta kPlainMeta{"Title", "keys", "about"};

// Every file below folder, relative to it, sorted.
QStringList treeOf(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << it.next().mid(folder.size() + 1);
    }
    files.sort();
    return files;
}

QStringList missingFiles(const QString& folder, const QStringList& names) {
    QStringList missing;
    for (const QString& name : names) {
        if (!QFileInfo(folder + "/" + name).isFile()) {
            missing << name;
        }
    }
    return missing;
}

} // namespace

struct PageCase {
    const char* what;
    QByteArray page;
    HtmlMeta meta;
    QByteArray expected;
};

class AlterHtml : public testing::TestWithParam<PageCase> {};

TEST_P(AlterHtml, WritesTheHeadAsTyped) {
    QByteArray page;
    ASSERT_TRUE(alterHtml(GetParam().page, GetParam().meta, &page).ok());
    EXPECT_EQ(page, GetParam().expected);
}

const QByteArray kHead = "<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\">\n";

INSTANTIATE_TEST_SUITE_P(
    Pages, AlterHtml,
    testing::Values(
        PageCase{"quotes and brackets show as typed, not as markup",
                 kHead + "<title>x</title>\n",
                 {"A \"b\" <i>&'", "k\"><script>", "d<"},
                 kHead + "<title>A &quot;b&quot; &lt;i&gt;&amp;&apos;</title>\n"
                         "<meta name=\"keywords\" content=\"k&quot;&gt;&lt;script&gt;\">\n"
                         "<meta name=\"description\" content=\"d&lt;\">\n"},
        PageCase{"non-ASCII text is written in the declared UTF-8",
                 kHead + "<title>x</title>",
                 {"Über Größe 日本", "ключ", "😀"},
                 kHead + "<title>\xc3\x9c"
                         "ber Gr\xc3\xb6\xc3\x9f"
                         "e \xe6\x97\xa5\xe6\x9c\xac</title>\n"
                         "<meta name=\"keywords\" content=\"\xd0\xba\xd0\xbb\xd1\x8e\xd1\x87\">\n"
                         "<meta name=\"description\" content=\"\xf0\x9f\x98\x80\">"},
        PageCase{"the template's empty meta lines are replaced, not kept beside ours",
                 kHead + "<title>x</title>\n<meta name=\"keywords\" content=\"\">\n"
                         "<META NAME='Description' content=''>\n<meta name=\"viewport\">\n",
                 kPlainMeta,
                 kHead + "<title>Title</title>\n<meta name=\"keywords\" content=\"keys\">\n"
                         "<meta name=\"description\" content=\"about\">\n"
                         "<meta name=\"viewport\">\n"},
        PageCase{"CR LF lines keep their CR; the written lines end with LF only",
                 "a\r\nb\r\n<meta charset=utf-8>\r\n<title>x</title>\r\n<body>\r\n", kPlainMeta,
                 "a\r\nb\r\n<meta charset=utf-8>\r\n<title>Title</title>\n"
                 "<meta name=\"keywords\" content=\"keys\">\n"
                 "<meta name=\"description\" content=\"about\">\n<body>\r\n"},
        PageCase{"a page declaring GBK gets GBK, and references where GBK has no letter",
                 "1\n2\n<meta charset=\"gbk\">\n<title>x</title>\n",
                 {"中文", "Ωж", "\u0e01"},
                 QByteArray("1\n2\n<meta charset=\"gbk\">\n<title>") +
                     QTextCodec::codecForName("GBK")->fromUnicode(QStringLiteral("中文")) +
                     "</title>\n<meta name=\"keywords\" content=\"" +
                     QTextCodec::codecForName("GBK")->fromUnicode(QStringLiteral("Ωж")) +
                     "\">\n<meta name=\"description\" content=\"&#xe01;\">\n"}));

TEST(AlterHtmlFailure, APageWithoutAFourthLineIsRefused) {
    QByteArray page = "untouched";
    for (const QByteArray& short_ :
         {QByteArray(), QByteArray("a\nb\nc\n"), QByteArray("a\nb\nc")}) {
        const JobResult result = alterHtml(short_, kPlainMeta, &page);
        EXPECT_FALSE(result.ok());
        EXPECT_TRUE(result.message.contains("four lines")) << result.message.toStdString();
    }
    EXPECT_EQ(page, "untouched");
}

class CopyBook : public testing::Test {
protected:
    void SetUp() override {
        work = scratch.path() + "/work";
        out = scratch.path() + "/out";
        makeWall(work, {3, false, ".JPG"});
        QDir().mkpath(out);
    }
    QTemporaryDir scratch;
    QString work;
    QString out;
};

TEST_F(CopyBook, ReplacesTheDataFoldersWholeAndLeavesOtherFilesAlone) {
    writeFile(out + "/wallimages/99.jpg", "old slide");
    writeFile(out + "/wallimages/thumbs/99.jpg", "old thumb");
    writeFile(out + "/xml/stale.xml", "old");
    writeFile(out + "/logo/logo.png", "old logo");
    writeFile(out + "/background/x/deeper.jpg", "old");
    writeFile(out + "/notes.txt", "mine");
    writeFile(out + "/Quarter.html", "old page");
    const QStringList before = treeOf(work);

    ASSERT_TRUE(copyBook(WallFolder(work), out, {"Quarter", kPlainMeta, BookLayout::Web}).ok());

    EXPECT_EQ(treeOf(out),
              QStringList({"Quarter.html", "background/background.JPG", "logo/logo.PNG", "main.swf",
                           "notes.txt", "swfobject.js", "wallimages/1.JPG", "wallimages/2.JPG",
                           "wallimages/3.JPG", "wallimages/thumbs/1.JPG", "wallimages/thumbs/2.JPG",
                           "wallimages/thumbs/3.JPG", "xml/images.js", "xml/images.xml"}));
    EXPECT_EQ(missingFiles(out, filesNamedByWall(out)), QStringList());
    EXPECT_EQ(readFile(out + "/notes.txt"), "mine");
    EXPECT_TRUE(readFile(out + "/Quarter.html").contains("<title>Title</title>"));
    EXPECT_EQ(readFile(out + "/wallimages/2.JPG"), readFile(work + "/wallimages/2.JPG"));
    EXPECT_EQ(treeOf(work), before) << "the work folder is never changed";
    EXPECT_FALSE(readFile(work + "/index.html").contains("<title>Title</title>"));
}

TEST_F(CopyBook, AnEmptyNameGivesIndexHtmlReplacingTheOldOne) {
    writeFile(out + "/index.html", "old page");
    ASSERT_TRUE(copyBook(WallFolder(work), out, {"", kPlainMeta, BookLayout::Web}).ok());
    EXPECT_TRUE(readFile(out + "/index.html").contains("<title>Title</title>"));
}

TEST_F(CopyBook, TheExecutableLayoutLiesUnderBookWithTheTemplatePageAndTheMovieRenamed) {
    writeFile(out + "/Book/leftover.txt", "old");
    ASSERT_TRUE(
        copyBook(WallFolder(work), out, {"ignored", kPlainMeta, BookLayout::Executable}).ok());
    const QStringList tree = treeOf(out);
    EXPECT_TRUE(tree.contains("Book/index.html"));
    EXPECT_TRUE(tree.contains("Book/book.swf"));
    EXPECT_TRUE(tree.contains("Book/wallimages/thumbs/3.JPG"));
    EXPECT_FALSE(tree.contains("Book/main.swf"));
    EXPECT_FALSE(tree.contains("Book/leftover.txt"));
    EXPECT_EQ(readFile(out + "/Book/index.html"), readFile(work + "/index.html"));
    EXPECT_EQ(readFile(out + "/Book/book.swf"), readFile(work + "/main.swf"));
}

TEST_F(CopyBook, RefusesOutputsThatWouldDamageTheWall) {
    const QStringList before = treeOf(work);
    for (const QString& destination :
         {work, work + "/", work + "/wallimages", work + "/xml/sub",
          scratch.path() + "/../" + QDir(scratch.path()).dirName() + "/work"}) {
        QDir().mkpath(destination);
        const JobResult result =
            copyBook(WallFolder(work), destination, {"x", kPlainMeta, BookLayout::Web});
        EXPECT_FALSE(result.ok()) << destination.toStdString();
    }
    EXPECT_EQ(treeOf(work), before);
    EXPECT_TRUE(
        copyBook(WallFolder(work), work + "/.zapperstab", {"x", kPlainMeta, BookLayout::Web}).ok())
        << "a staging folder inside the work folder is fine";
}

TEST_F(CopyBook, FailuresAreReportedAndABadPageStopsBeforeTheOutputIsTouched) {
    writeFile(out + "/xml/images.xml", "the user's older book");
    writeFile(work + "/index.html", "only\nthree\nlines\n");
    JobResult result = copyBook(WallFolder(work), out, {"x", kPlainMeta, BookLayout::Web});
    EXPECT_TRUE(result.message.contains("four lines"));
    EXPECT_EQ(readFile(out + "/xml/images.xml"), "the user's older book");

    QFile::remove(work + "/index.html");
    result = copyBook(WallFolder(work), out, {"x", kPlainMeta, BookLayout::Web});
    EXPECT_TRUE(result.message.contains("could not be read")) << result.message.toStdString();

    makeWall(work, {});
    QDir().mkpath(out + "/swfobject.js/in-the-way");
    result = copyBook(WallFolder(work), out, {"x", kPlainMeta, BookLayout::Web});
    EXPECT_TRUE(result.message.contains("swfobject.js")) << result.message.toStdString();
}

TEST_F(CopyBook, APageThatIsNoSmallFileIsRefusedWithoutWaitingOrReadingIt) {
    const QString page = work + "/index.html";
    QFile::remove(page);
    ASSERT_EQ(::mkfifo(QFile::encodeName(page).constData(), 0600), 0);
    JobResult result = copyBook(WallFolder(work), out, {"x", kPlainMeta, BookLayout::Web});
    EXPECT_TRUE(result.message.contains("could not be read")) << "a FIFO never blocks";

    QFile::remove(page);
    QFile huge(page);
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(40) << 20));
    huge.close();
    result = copyBook(WallFolder(work), out, {"x", kPlainMeta, BookLayout::Web});
    EXPECT_TRUE(result.message.contains("32 MB")) << result.message.toStdString();
    EXPECT_EQ(treeOf(out), QStringList());
}

TEST_F(CopyBook, EveryEntryTheBookWouldReplaceIsListed) {
    EXPECT_EQ(existingBookEntries(out, "other"), QStringList());
    for (const char* name : {"background/holiday.jpg", "logo/company.png", "wallimages/x.jpg",
                             "xml/mydata.xml", "swfobject.js", "notes.txt", "index.html"}) {
        writeFile(out + "/" + name, "the user's");
    }
    EXPECT_EQ(existingBookEntries(out, "other"),
              (QStringList{out + "/wallimages", out + "/xml", out + "/background", out + "/logo",
                           out + "/swfobject.js"}));
    EXPECT_TRUE(existingBookEntries(out, "").contains(out + "/index.html"));
}

// A small memory file system stands for a full disk; skipped where it cannot be mounted.
class CopyBookOnAFullDisk : public CopyBook {
protected:
    void SetUp() override {
        CopyBook::SetUp();
        if (::mount("tmpfs", QFile::encodeName(out).constData(), "tmpfs", 0, "size=400k") != 0) {
            GTEST_SKIP() << "cannot mount a small file system here";
        }
        mounted = true;
    }
    void TearDown() override {
        if (mounted) {
            ::umount2(QFile::encodeName(out).constData(), MNT_DETACH);
        }
    }
    bool mounted = false;
};

TEST_F(CopyBookOnAFullDisk, AFailedPublicationLeavesTheEarlierBookWhole) {
    ASSERT_TRUE(copyBook(WallFolder(work), out, {"book", kPlainMeta, BookLayout::Web}).ok());
    writeFile(out + "/notes.txt", "mine");
    const QStringList earlier = treeOf(out);
    const QByteArray slide = readFile(out + "/wallimages/2.JPG");
    makeWall(work, {40, true});

    const JobResult result = copyBook(WallFolder(work), out, {"book", kPlainMeta, BookLayout::Web});
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(treeOf(out), earlier) << "nothing of the new book, nothing of the old one lost";
    EXPECT_EQ(readFile(out + "/wallimages/2.JPG"), slide);
    EXPECT_EQ(QDir(out).entryList({".murano-staging-*"}, QDir::Hidden | QDir::AllEntries),
              QStringList())
        << "no staging folder is left";
}
