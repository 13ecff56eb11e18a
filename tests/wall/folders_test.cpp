#include "tests/wall/scratch.h"
#include "wall/folders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

TEST(FolderHelpers, NativePathCollapsesRepeatedSlashesAndKeepsBackslashes) {
    EXPECT_EQ(toNativePath("/a/b//logo/logo.png"), "/a/b/logo/logo.png");
    EXPECT_EQ(toNativePath("/a///b"), "/a/b");
    EXPECT_EQ(toNativePath("a\\b/c"), "a\\b/c");
    EXPECT_EQ(toNativePath("/work/Quorvex_Murano/" + QString("/logo/logo.png")),
              toNativePath("/work/Quorvex_Murano/logo/logo.png"));
}

TEST(FolderHelpers, RemoveTreeRemovesNestedHiddenAndReadOnlyContent) {
    QTemporaryDir scratch;
    const QString root = scratch.path() + "/tree";
    writeFile(root + "/a.txt", "a");
    writeFile(root + "/.hidden", "h");
    writeFile(root + "/sub/deeper/b.txt", "b");
    QDir().mkpath(root + "/empty");
    QFile::setPermissions(root + "/sub/deeper", QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    EXPECT_TRUE(removeTree(root));
    EXPECT_FALSE(QFileInfo::exists(root));
    EXPECT_FALSE(removeTree(root)) << "a missing folder reports false";
}

TEST(FolderHelpers, RemoveTreeRemovesLinksWithoutFollowingThem) {
    QTemporaryDir scratch;
    const QString outside = scratch.path() + "/outside";
    writeFile(outside + "/keep.txt", "keep");
    const QString root = scratch.path() + "/tree";
    QDir().mkpath(root);
    ASSERT_TRUE(QFile::link(outside, root + "/link"));

    EXPECT_TRUE(removeTree(root));
    EXPECT_TRUE(QFileInfo::exists(outside + "/keep.txt"));
}

TEST(FolderHelpers, RemoveTreeEndsAndReportsFailureWhenTheFolderResists) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root ignores folder permissions";
    }
    QTemporaryDir scratch;
    const QString parent = scratch.path() + "/parent";
    const QString root = parent + "/tree";
    writeFile(root + "/a.txt", "a");
    QFile::setPermissions(parent, QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    EXPECT_FALSE(removeTree(root));
    EXPECT_TRUE(QFileInfo::exists(root));
    QFile::setPermissions(parent,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(FolderHelpers, CopyTreeCopiesEverythingAndNeverOverwrites) {
    QTemporaryDir scratch;
    const QString source = scratch.path() + "/src/";
    makeTemplate(source);
    const QString target = scratch.path() + "/dst";
    writeFile(target + "/index.html", "mine");

    copyTree(source, target);

    EXPECT_EQ(readFile(target + "/index.html"), "mine");
    EXPECT_EQ(readFile(target + "/xml/images.xml"), readFile(source + "xml/images.xml"));
    EXPECT_EQ(readFile(target + "/logo/logo.png"), "png");
    EXPECT_TRUE(QFileInfo(target + "/wallimages/thumbs").isDir());
}

TEST(FolderHelpers, CopiesOfReadOnlyFilesCanBeChangedAfterwards) {
    QTemporaryDir scratch;
    writeFile(scratch.path() + "/src/xml/images.xml", "x");
    QFile::setPermissions(scratch.path() + "/src/xml/images.xml", QFileDevice::ReadOwner);
    copyTree(scratch.path() + "/src", scratch.path() + "/dst");
    EXPECT_TRUE(QFile::permissions(scratch.path() + "/dst/xml/images.xml") &
                QFileDevice::WriteOwner);
}

TEST(FolderHelpers, ListFilesRecursiveWalksSubfoldersAndSkipsHiddenEntries) {
    QTemporaryDir scratch;
    const QString root = scratch.path() + "/t";
    makeTemplate(root + "/");
    writeFile(root + "/.home", "hidden");
    QStringList files = {"already"};

    listFilesRecursive(root, files);

    files.sort();
    EXPECT_EQ(files, QStringList({root + "/background/background.jpg", root + "/index.html",
                                  root + "/logo/logo.png", root + "/main.swf",
                                  root + "/swfobject.js", root + "/xml/images.xml", "already"}));
}

TEST(FolderHelpers, CopyFolderFilesKeepsNamesExactlyAndSkipsSubfolders) {
    QTemporaryDir scratch;
    const QString source = scratch.path() + "/src/";
    writeFile(source + "Slide7.JPG", "seven");
    writeFile(source + "thumbs/0.jpg", "thumb");
    writeFile(scratch.path() + "/dst/keep.jpg", "old");
    writeFile(source + "keep.jpg", "new");
    const QString target = scratch.path() + "/dst/";

    EXPECT_TRUE(copyFolderFiles(target, source));

    QStringList copied = QDir(target).entryList(QDir::Files);
    copied.sort();
    EXPECT_EQ(copied, QStringList({"Slide7.JPG", "keep.jpg"}));
    EXPECT_EQ(readFile(target + "Slide7.JPG"), "seven");
    EXPECT_EQ(readFile(target + "keep.jpg"), "old");
    EXPECT_FALSE(QFileInfo::exists(target + "thumbs"));
    EXPECT_TRUE(copyFolderFiles(scratch.path() + "/new/", scratch.path() + "/missing/"));
    EXPECT_TRUE(QFileInfo(scratch.path() + "/new").isDir());
}

TEST(FolderHelpers, CopyFolderFilesLinksWhenAskedAndCopiesOtherwise) {
    QTemporaryDir scratch;
    const QString source = scratch.path() + "/src/";
    writeFile(source + "a.jpg", "a");
    EXPECT_TRUE(copyFolderFiles(scratch.path() + "/copy/", source));
    EXPECT_TRUE(copyFolderFiles(scratch.path() + "/link/", source, nullptr,
                                FileTransfer::LinkWhenPossible));
    EXPECT_EQ(readFile(scratch.path() + "/link/a.jpg"), "a");
    struct stat copied {};
    struct stat linked {};
    stat(QFile::encodeName(scratch.path() + "/copy/a.jpg").constData(), &copied);
    stat(QFile::encodeName(scratch.path() + "/link/a.jpg").constData(), &linked);
    EXPECT_EQ(copied.st_nlink, 1u);
    EXPECT_EQ(linked.st_nlink, 2u);
}

TEST(FolderHelpers, CopyFolderFilesNamesTheFileItCouldNotCopy) {
    QTemporaryDir scratch;
    const QString source = scratch.path() + "/src/";
    writeFile(source + "a.jpg", "a");
    writeFile(source + "b.jpg", "b");
    QDir().mkpath(scratch.path() + "/dst/b.jpg");
    QString failed;
    EXPECT_FALSE(copyFolderFiles(scratch.path() + "/dst/", source, &failed));
    EXPECT_EQ(failed, "b.jpg");
    writeFile(scratch.path() + "/file", "x");
    EXPECT_FALSE(copyFolderFiles(scratch.path() + "/file/", source));
}

TEST(FolderHelpers, CopyFolderFilesHandlesMoreThanATableOfEntries) {
    QTemporaryDir scratch;
    const QString source = scratch.path() + "/src/";
    for (int i = 0; i < 1100; ++i) {
        writeFile(source + QString::number(i) + ".jpg", "x");
    }
    copyFolderFiles(scratch.path() + "/dst/", source);
    EXPECT_EQ(QDir(scratch.path() + "/dst").entryList(QDir::Files).size(), 1100);
}

TEST(FolderHelpers, EnsureFolderCreatesMissingParents) {
    QTemporaryDir scratch;
    EXPECT_TRUE(ensureFolder(scratch.path() + "//a/b/c"));
    EXPECT_TRUE(QFileInfo(scratch.path() + "/a/b/c").isDir());
    writeFile(scratch.path() + "/file", "x");
    EXPECT_FALSE(ensureFolder(scratch.path() + "/file"));
}
