// New entries built beside a folder's own and moved in one rename each: what the folder held is
// replaced whole or not at all, and leftovers of killed runs are swept.
#include "tests/wall/scratch.h"
#include "wall/staging_folder.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// The id of a process that has ended.
qint64 endedProcessId() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

class StagingFolderTest : public testing::Test {
protected:
    QTemporaryDir scratch;
    QString folder = scratch.path() + "/out/";
};

} // namespace

TEST_F(StagingFolderTest, MovesReplaceWholeEntriesAndLeaveTheRestAlone) {
    writeFile(folder + "data/old.jpg", "old");
    writeFile(folder + "page.html", "old page");
    writeFile(folder + "mine.txt", "mine");
    {
        StagingFolder staging(folder);
        ASSERT_TRUE(staging.created());
        writeFile(staging.path() + "data/new.jpg", "new");
        writeFile(staging.path() + "page.html", "new page");
        writeFile(staging.path() + "script.js", "new script");
        ASSERT_TRUE(staging.moveInto({"data", "page.html", "script.js"}));
    }
    EXPECT_EQ(entriesOf(folder), (QStringList{"data", "mine.txt", "page.html", "script.js"}))
        << "the staging folder and the old entries are gone";
    EXPECT_EQ(entriesOf(folder + "data"), QStringList{"new.jpg"});
    EXPECT_EQ(readFile(folder + "page.html"), "new page");
    EXPECT_EQ(readFile(folder + "mine.txt"), "mine");
}

TEST_F(StagingFolderTest, AFailedMoveTakesBackEveryEarlierOne) {
    writeFile(folder + "data/old.jpg", "old");
    writeFile(folder + "page.html/kept.txt", "a folder of the user's under the page's name");
    StagingFolder staging(folder);
    writeFile(staging.path() + "data/new.jpg", "new");
    writeFile(staging.path() + "page.html", "new page");
    QString failed;
    EXPECT_FALSE(staging.moveInto({"data", "page.html"}, &failed));
    EXPECT_EQ(failed, "page.html");
    EXPECT_EQ(entriesOf(folder + "data"), QStringList{"old.jpg"});
    EXPECT_EQ(readFile(folder + "page.html/kept.txt"),
              "a folder of the user's under the page's name");
    EXPECT_FALSE(staging.moveInto({"missing"}, &failed));
    EXPECT_EQ(failed, "missing");
}

TEST_F(StagingFolderTest, LeftoversOfEndedRunsAreSweptAndOthersKept) {
    const QString dead = ".murano-staging-" + QString::number(endedProcessId()) + "-Ab12Cd";
    const QString alive =
        ".murano-staging-" + QString::number(QCoreApplication::applicationPid()) + "-Zz99Yy";
    writeFile(folder + dead + "/half/1.jpg", "half");
    writeFile(folder + alive + "/busy.jpg", "busy");
    writeFile(folder + ".murano-staging-notes.txt", "no process id: the user's");
    const StagingFolder staging(folder);
    const QStringList left = entriesOf(folder);
    EXPECT_FALSE(left.contains(dead));
    EXPECT_TRUE(left.contains(alive));
    EXPECT_TRUE(left.contains(".murano-staging-notes.txt"));
}

// A staging folder of a fixed name starts empty and private whatever was planted there, and
// leaves with what it ends up holding.
TEST_F(StagingFolderTest, AFixedNameStartsAfreshAndLeavesWithItsContents) {
    const QString fixed = folder + ".unpacking/";
    writeFile(fixed + "wallimages/planted.jpg", "planted");
    writeFile(folder + "wallimages/old.jpg", "old");
    {
        StagingFolder staging(folder, fixed);
        ASSERT_TRUE(staging.created());
        EXPECT_EQ(staging.path(), fixed);
        EXPECT_TRUE(entriesOf(fixed).isEmpty());
        const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        EXPECT_EQ(QFile::permissions(fixed) & (owner | others), owner);
        writeFile(fixed + "wallimages/new.jpg", "new");
        ASSERT_TRUE(staging.moveInto({"wallimages"}));
    }
    EXPECT_EQ(entriesOf(folder), QStringList{"wallimages"});
    EXPECT_EQ(entriesOf(folder + "wallimages"), QStringList{"new.jpg"});
}
