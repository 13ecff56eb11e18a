// The upload dialog's pieces without windows: form bodies, the login reply, book names and
// addresses, the size and progress texts, the streamed upload body and the packed book.
#include "share/book_packing.h"
#include "share/book_service.h"
#include "share/multipart_stream.h"
#include "tests/bookservice/service_harness.h"
#include "tests/publish/wall_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <minizip/unzip.h>

#include <map>

namespace {

TEST(FormBody, EveryCharacterReachesTheServiceIntact) {
    EXPECT_EQ(formBody({{"log", "a b&c=d+e%f"}, {"pwd", QString::fromUtf8("ü€")}}),
              "log=a%20b%26c%3Dd%2Be%25f&pwd=%C3%BC%E2%82%AC");
    EXPECT_EQ(formBody({{"action", "getPoint"}, {"uEmail", "x+y@example.org"}}),
              "action=getPoint&uEmail=x%2By%40example.org");
}

struct LoginCase {
    const char* reply;
    LoginReply::Outcome outcome;
    const char* userId;
    const char* email;
};

TEST(LoginReply, MarkersDecideInTheirOrder) {
    using O = LoginReply::Outcome;
    const LoginCase cases[] = {
        {"Login Success&userID=12&userEmail=a@b.c", O::LoggedIn, "12", "a@b.c"},
        {"Success userID=7&x=1 userEmail=m@n&more", O::LoggedIn, "7", "m@n"},
        {"Access Invalid userID=3&userEmail=e", O::LoggedIn, "3", "e"}, // success wins
        {"Success&userEmail=e&userID=", O::LoggedIn, "", "e"},
        {"Success&userID=9", O::Incomplete, "9", ""},
        {"Success without an id", O::Incomplete, "", ""},
        {"Invalid user name. incorrect", O::UnknownName, "", ""},
        {"The password is incorrect.", O::WrongPassword, "", ""},
        {"", O::Unrecognised, "", ""},
        {"success", O::Incomplete, "", ""},
        {"SUCCESS Invalid", O::UnknownName, "", ""}, // the markers are case-sensitive
    };
    for (const LoginCase& c : cases) {
        const LoginReply reply = evaluateLoginReply(QString::fromUtf8(c.reply));
        EXPECT_EQ(reply.outcome, c.outcome) << c.reply;
        EXPECT_EQ(reply.userId, QString::fromUtf8(c.userId)) << c.reply;
        EXPECT_EQ(reply.email, QString::fromUtf8(c.email)) << c.reply;
    }
}

TEST(BookName, OnlyLettersDigitsAndUnderscoreStay) {
    const std::map<QString, QString> cases = {
        {"my book!", "my-book-"},
        {QString::fromUtf8("Über_9 ß"), QString::fromUtf8("Über_9-ß")},
        {"a.b/c\\d", "a-b-c-d"},
        {"", ""},
    };
    for (const auto& [typed, expected] : cases) {
        EXPECT_EQ(normaliseBookName(typed), expected) << typed.toStdString();
    }
}

TEST(BookAddress, LinkAndShelf) {
    const QString base = "http://h:1/";
    EXPECT_EQ(bookAddress(base, "5", "my-book"), "http://h:1/u/5/flipbook/my-book/index.html");
    EXPECT_EQ(bookAddress(base, "5", ""), "http://h:1/u/5/flipbook//index.html");
    EXPECT_EQ(bookAddress(base, "5", "", true), "http://h:1/u/5/flipbook");
    EXPECT_EQ(linkText("http://x/"), "<a href=http://x/> http://x/</a>");
}

TEST(UploadTexts, SizesAndProgress) {
    EXPECT_EQ(sizeText(1048576), "1024.0 KB");
    EXPECT_EQ(sizeText(1048577), "1.0 MB");
    EXPECT_EQ(sizeText(0), "0.0 KB");

    const UploadProgress empty = uploadProgress(0, 0, 5, "0.0 KB");
    EXPECT_EQ(empty.percent, 0);
    EXPECT_EQ(*empty.text, "Upload --   0.0 KB of 0.0 KB (   0.0 KB/sec ) -- 0 seconds remaining");

    const UploadProgress sameMillisecond = uploadProgress(512, 1024, 0, "1.0 KB");
    EXPECT_EQ(sameMillisecond.percent, 50);
    EXPECT_FALSE(sameMillisecond.text);

    const UploadProgress half = uploadProgress(2048, 4096, 1000, "4.0 KB");
    EXPECT_EQ(*half.text, "Upload --   2.0 KB of 4.0 KB (   2.0 KB/sec ) -- 1 seconds remaining");
    EXPECT_EQ(uploadProgress(4095, 4096, 10, "").percent, 99);
    // 64-bit arithmetic: five gigabytes do not overflow the percent or the time left.
    const qint64 big = qint64(5) << 30;
    EXPECT_EQ(uploadProgress(big / 2, big, 4000, "").percent, 50);
    EXPECT_TRUE(uploadProgress(big / 2, big, 4000, "").text->endsWith("-- 4 seconds remaining"));
}

TEST(UploadReply, MarkerMustFollowTheFirstCharacter) {
    EXPECT_TRUE(isUploadSuccess("Upload complete. URL[http://x/]"));
    EXPECT_FALSE(isUploadSuccess("URL[http://x/]"));
    EXPECT_FALSE(isUploadSuccess("The upload was cut short."));
    EXPECT_EQ(replyText(QByteArray("ok\0hidden", 9)), "ok");
}

// The streamed body, read in odd steps and after seeking back, is the client's body byte for
// byte.
TEST(MultipartStream, SameBytesAsTheWholeBody) {
    QTemporaryDir dir;
    const QString archive = dir.filePath("a.zip");
    QByteArray content;
    for (int i = 0; i < 300000; ++i) {
        content += char(i * 7);
    }
    QFile file(archive);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const std::string expected = bookservice_test::clientUploadBody(
        content.toStdString(), QString::fromUtf8("Zoë").toStdString(), "book_1");

    MultipartStream stream(archive, QString::fromUtf8("Zoë"), "book_1");
    ASSERT_TRUE(stream.open(QIODevice::ReadOnly));
    EXPECT_EQ(stream.size(), qint64(expected.size()));
    for (const qint64 step : {7, 4096, 65536}) {
        ASSERT_TRUE(stream.seek(0));
        QByteArray read;
        while (!stream.atEnd()) {
            read += stream.read(step);
        }
        EXPECT_EQ(read.toStdString(), expected) << step;
    }
    ASSERT_TRUE(stream.seek(qint64(expected.size()) - 4));
    EXPECT_EQ(stream.readAll(), "--\r\n");

    MultipartStream missing(dir.filePath("none.zip"), "u", "b");
    EXPECT_FALSE(missing.open(QIODevice::ReadOnly));
}

std::map<QString, QByteArray> readArchive(const QString& path) {
    std::map<QString, QByteArray> entries;
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    for (int at = unzGoToFirstFile(zip); zip && at == UNZ_OK; at = unzGoToNextFile(zip)) {
        char name[512];
        unzGetCurrentFileInfo64(zip, nullptr, name, sizeof name, nullptr, 0, nullptr, 0);
        unzOpenCurrentFile(zip);
        QByteArray data;
        char buffer[65536];
        for (int n; (n = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0;) {
            data.append(buffer, n);
        }
        unzCloseCurrentFile(zip);
        entries[QString::fromUtf8(name)] = data;
    }
    if (zip) {
        unzClose(zip);
    }
    return entries;
}

TEST(PackBook, RootPageRewrittenSubfolderPageKeptHiddenFilesLeftOut) {
    QTemporaryDir dir;
    const QString root = dir.filePath("wall/");
    makeWall(root, WallFixture{});
    QDir(root).mkpath("extra");
    QFile sub(root + "extra/index.html");
    ASSERT_TRUE(sub.open(QIODevice::WriteOnly));
    sub.write("sub page");
    sub.close();
    QFile hidden(root + ".home");
    ASSERT_TRUE(hidden.open(QIODevice::WriteOnly));
    hidden.close();

    const BookPacking packing{root,
                              "book",
                              {"A & <B>", "k", "d"},
                              dir.filePath("index.html"),
                              dir.filePath("zapperstab.zip")};
    ASSERT_TRUE(packBook(packing).ok());
    EXPECT_FALSE(QFile::exists(packing.pagePath));
    const auto entries = readArchive(packing.archivePath);
    EXPECT_EQ(entries.at("book/extra/index.html"), "sub page");
    EXPECT_TRUE(entries.count("book/xml/images.xml"));
    EXPECT_FALSE(entries.count("book/.home"));
    const QByteArray page = entries.at("book/index.html");
    EXPECT_TRUE(page.contains("<title>A &amp; &lt;B&gt;</title>")) << page.toStdString();
    QStringList files;
    listFilesRecursive(root, files);
    EXPECT_EQ(entries.size(), size_t(files.size())); // every file, the root page rewritten

    QFile::remove(root + "index.html");
    EXPECT_FALSE(packBook(packing).ok());
    EXPECT_FALSE(QFile::exists(packing.archivePath));
}

} // namespace
