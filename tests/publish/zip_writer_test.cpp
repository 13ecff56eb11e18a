#include "publish/zip_writer.h"
#include "tests/publish/wall_fixture.h"
#include "tests/wall/scratch.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ReadBack {
    bool read = false;
    QJsonArray entries;
    QString comment;
};

// The archive as Python's zipfile sees it.
ReadBack readBack(const QString& archive) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral(MURANO_SOURCE_DIR "/tests/publish/zip_listing.py"), archive});
    python.waitForFinished(60000);
    const QJsonObject listing = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    return {python.exitCode() == 0 && !listing.isEmpty(), listing["entries"].toArray(),
            listing["comment"].toString()};
}

bool unzipTestPasses(const QString& archive) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-tqq"), archive});
    return unzip.waitForFinished(60000) && unzip.exitStatus() == QProcess::NormalExit &&
           unzip.exitCode() == 0;
}

QStringList names(const ReadBack& archive) {
    QStringList list;
    for (const QJsonValue& entry : archive.entries) {
        list << entry["name"].toString();
    }
    return list;
}

QString sha256(const QString& path) {
    return QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha256).toHex();
}

const BookOptions kWebBook{"Quarter", {"Title", "keys", "about"}, BookLayout::Web};

} // namespace

class ZipOutput : public testing::Test {
protected:
    void SetUp() override {
        work = scratch.path() + "/work/";
        makeWall(work, {3, false, ".JPG"});
        archive = scratch.path() + "/out/Quarter.zip";
        QDir().mkpath(scratch.path() + "/out");
    }
    QTemporaryDir scratch;
    QString work;
    QString archive;
};

TEST_F(ZipOutput, AnIndependentReaderFindsEveryFileWithFixedFieldsAndItsContents) {
    QList<int> progress;
    const JobResult result = makeZip(archive, work + "/.zapperstab/", WallFolder(work), kWebBook,
                                     [&](int done, int total) { progress << done * 100 + total; });
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(work + ".zapperstab")) << "the staging folder is removed";

    const ReadBack back = readBack(archive);
    ASSERT_TRUE(back.read);
    EXPECT_TRUE(unzipTestPasses(archive));
    EXPECT_EQ(names(back),
              QStringList({"Quarter.html", "background/background.JPG", "logo/logo.PNG", "main.swf",
                           "swfobject.js", "wallimages/1.JPG", "wallimages/2.JPG",
                           "wallimages/3.JPG", "wallimages/thumbs/1.JPG", "wallimages/thumbs/2.JPG",
                           "wallimages/thumbs/3.JPG", "xml/images.js", "xml/images.xml"}));
    for (const QJsonValue& entry : back.entries) {
        const QString name = entry["name"].toString();
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(entry["method"].toInt(), 8);
        EXPECT_EQ(entry["date"].toInt(), 0x0020);
        EXPECT_EQ(entry["time"].toInt(), 0);
        EXPECT_EQ(entry["flags"].toInt(), 0);
        EXPECT_EQ(entry["made_by"].toInt(), 0);
        EXPECT_EQ(entry["needed"].toInt(), 20);
        EXPECT_EQ(entry["external"].toInt(), 0);
        EXPECT_EQ(entry["internal"].toInt(), 0);
        EXPECT_EQ(entry["extra"].toInt(), 0);
        if (name != "Quarter.html") {
            EXPECT_EQ(entry["sha256"].toString(), sha256(work + name));
        }
    }
    EXPECT_EQ(back.comment, "");
    ASSERT_EQ(progress.size(), 13);
    EXPECT_EQ(progress.first(), 113);
    EXPECT_EQ(progress.last(), 1313);
}

TEST_F(ZipOutput, TheSameWallAlwaysGivesTheSameBytesAndASecondRunReplaces) {
    // One file large enough to be streamed rather than deflated ahead, partly compressible.
    QByteArray large(5 * 1024 * 1024, 'a');
    for (int i = 0; i < large.size(); i += 7) {
        large[i] = static_cast<char>(QRandomGenerator::global()->bounded(256));
    }
    writeFile(work + "wallimages/Large.JPG", large);
    writeFile(archive, "an older archive with other contents");

    ASSERT_TRUE(makeZip(archive, work + ".zapperstab", WallFolder(work), kWebBook).ok());
    const QByteArray first = readFile(archive);
    QFile touched(work + "wallimages/1.JPG");
    touched.open(QIODevice::ReadWrite);
    touched.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)),
                        QFileDevice::FileModificationTime);
    touched.close();
    ASSERT_TRUE(makeZip(archive, work + ".zapperstab/", WallFolder(work), kWebBook).ok());

    EXPECT_EQ(readFile(archive), first);
    const ReadBack back = readBack(archive);
    ASSERT_TRUE(back.read);
    EXPECT_TRUE(names(back).contains("wallimages/Large.JPG"));
    EXPECT_EQ(back.entries.size(), 14);
    for (const QJsonValue& entry : back.entries) {
        if (entry["name"] == "wallimages/Large.JPG") {
            EXPECT_EQ(entry["sha256"].toString(), sha256(work + "wallimages/Large.JPG"));
        }
    }
}

TEST_F(ZipOutput, FoldersGiveNoEntriesAndTheirTrailingSlashChangesNoName) {
    const QString folder = scratch.path() + "/tree";
    writeFile(folder + "/a/b/c.txt", "c");
    writeFile(folder + "/.hidden", "h");
    QDir().mkpath(folder + "/empty/deeper");
    for (const QString& given : {folder, folder + "/", folder + "//"}) {
        ASSERT_TRUE(zipFolder(given, archive).ok());
        EXPECT_EQ(names(readBack(archive)), QStringList({"a/b/c.txt"})) << given.toStdString();
    }
    QDir(folder + "/a/b").removeRecursively();
    ASSERT_TRUE(zipFolder(folder, archive).ok());
    EXPECT_EQ(names(readBack(archive)), QStringList());
    EXPECT_TRUE(readBack(archive).read);
}

TEST_F(ZipOutput, NonAsciiNamesAreStoredAsMarkedUtf8) {
    ASSERT_TRUE(makeZip(archive, work + ".zapperstab", WallFolder(work),
                        {"Größe 日本", {}, BookLayout::Web})
                    .ok());
    const ReadBack back = readBack(archive);
    ASSERT_TRUE(back.read);
    EXPECT_EQ(back.entries[0]["name"].toString(), "Größe 日本.html");
    EXPECT_EQ(back.entries[0]["flags"].toInt(), 0x800);
    EXPECT_EQ(back.entries[1]["flags"].toInt(), 0);
}

TEST_F(ZipOutput, AFailureLeavesTheEarlierArchiveAndNoPartialFile) {
    writeFile(archive, "the earlier archive");
    const QString folder = scratch.path() + "/tree";
    writeFile(folder + "/a.txt", "a");
    // Reading this file fails with an input/output error, for every user.
    ASSERT_TRUE(QFile::link("/proc/self/mem", folder + "/b.bin"));

    JobResult result = zipFolder(folder, archive);
    EXPECT_TRUE(result.message.contains("b.bin")) << result.message.toStdString();
    EXPECT_EQ(readFile(archive), "the earlier archive");
    EXPECT_EQ(QDir(scratch.path() + "/out").entryList(QDir::Files | QDir::Hidden),
              QStringList({"Quarter.zip"}));

    result = zipFolder(folder, scratch.path() + "/missing/out.zip");
    EXPECT_TRUE(result.message.contains("Could not create the archive"));
    EXPECT_FALSE(QFileInfo::exists(scratch.path() + "/missing"));

    result = makeZip(archive, work + ".zapperstab", WallFolder(work + "wallimages"), kWebBook);
    EXPECT_FALSE(result.ok()) << "a work folder without its page";
    EXPECT_FALSE(QFileInfo::exists(work + ".zapperstab"));
    EXPECT_EQ(readFile(archive), "the earlier archive");
}

TEST_F(ZipOutput, PartialArchivesOfEndedRunsAreSweptOthersKept) {
    const pid_t ended = ::fork();
    if (ended == 0) {
        ::_exit(0);
    }
    ::waitpid(ended, nullptr, 0);
    const QString out = scratch.path() + "/out/";
    const QString dead = QStringLiteral(".Quarter.zip.%1-0.part").arg(ended);
    const QString alive =
        QStringLiteral(".Quarter.zip.%1-7.part").arg(QCoreApplication::applicationPid());
    for (const QString& name : {dead, alive, QStringLiteral(".Quarter.zip.notes"),
                                QStringLiteral(".Other.zip.%1-0.part").arg(ended)}) {
        writeFile(out + name, "partial");
    }
    ASSERT_TRUE(makeZip(archive, work + ".zapperstab", WallFolder(work), kWebBook).ok());
    const QStringList left = QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_FALSE(left.contains(dead));
    EXPECT_TRUE(left.contains(alive)) << "a run still going keeps its partial archive";
    EXPECT_TRUE(left.contains(".Quarter.zip.notes"));
    EXPECT_EQ(left.filter(".Other.zip.").size(), 1) << "only the archive being written is swept";
}

TEST_F(ZipOutput, AFullDiskIsNamedAsSuch) {
    const QString disk = scratch.path() + "/disk";
    QDir().mkpath(disk);
    if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    makeWall(work, {20, true});
    const JobResult result =
        makeZip(disk + "/book.zip", work + ".zapperstab", WallFolder(work), kWebBook);
    ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH);
    EXPECT_TRUE(result.message.contains("Check that the disk has room"))
        << result.message.toStdString();
}

TEST(PublishedWall, FifteenHundredSlidesArePublishedWholeAsAFolderAndAsAnArchive) {
    // Thousands of small files: memory, where the machine has it, keeps this quick.
    QTemporaryDir scratch(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                              ? QStringLiteral("/dev/shm/murano-publish-XXXXXX")
                              : QDir::tempPath() + QStringLiteral("/murano-publish-XXXXXX"));
    const QString work = scratch.path() + "/work/";
    makeWall(work, {1500, false});
    ASSERT_TRUE(copyBook(WallFolder(work), scratch.path() + "/out", kWebBook).ok());
    EXPECT_EQ(QDir(scratch.path() + "/out/wallimages").entryList(QDir::Files).size(), 1500);
    EXPECT_EQ(QDir(scratch.path() + "/out/wallimages/thumbs").entryList(QDir::Files).size(), 1500);

    const QString archive = scratch.path() + "/big.zip";
    ASSERT_TRUE(makeZip(archive, work + ".zapperstab", WallFolder(work), kWebBook).ok());
    const ReadBack back = readBack(archive);
    ASSERT_TRUE(back.read);
    EXPECT_EQ(back.entries.size(), 3000 + 7);
    EXPECT_TRUE(unzipTestPasses(archive));
}

TEST(AddFileToZip, AnUnreadableFileStillGetsItsEntryAndIsReported) {
    QTemporaryDir scratch;
    const QString path = scratch.path() + "/a.zip";
    writeFile(scratch.path() + "/x.txt", "x");
    zipFile archive = zipOpen(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    ASSERT_TRUE(archive);
    EXPECT_EQ(addFileToZip(archive, "x.txt", scratch.path() + "/x.txt"), ZIP_OK);
    EXPECT_EQ(addFileToZip(archive, "gone.txt", scratch.path() + "/gone.txt"), ZIP_ERRNO);
    EXPECT_EQ(addFileToZip(archive, "none.txt", QString()), ZIP_OK);
    ASSERT_EQ(zipClose(archive, nullptr), ZIP_OK);
    const ReadBack back = readBack(path);
    EXPECT_EQ(names(back), QStringList({"x.txt", "gone.txt", "none.txt"}));
    EXPECT_EQ(back.entries[0]["date"].toInt(), 0x0020);
}
