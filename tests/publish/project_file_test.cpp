// Project files saved from a real wall, read back by Python's zipfile and opened again through the
// real 7z; hostile project files made by Python must leave the wall and the disk untouched.
#include "publish/project_file.h"
#include "tests/publish/wall_fixture.h"
#include "wall/wall_project.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <map>

namespace {

using Snapshot = std::map<QString, QByteArray>;

QByteArray readBytes(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

// Every file below folder (hidden ones too) with its bytes; links as "link -> target".
Snapshot snapshot(const QString& folder) {
    Snapshot files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString name = QDir(folder).relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            files[name] = "link -> " + info.symLinkTarget().toUtf8();
        } else if (info.isFile()) {
            files[name] = readBytes(info.filePath());
        }
    }
    return files;
}

Snapshot dataFolders(const QString& work) {
    Snapshot files;
    for (const auto& [name, bytes] : snapshot(work)) {
        if (name.startsWith("background/") || name.startsWith("logo/") ||
            name.startsWith("wallimages/") || name.startsWith("xml/")) {
            files[name] = bytes;
        }
    }
    return files;
}

int runPython(const QStringList& arguments, QByteArray* out = nullptr) {
    QProcess python;
    python.start(QStringLiteral("python3"), arguments);
    python.waitForFinished(120000);
    if (out) {
        *out = python.readAllStandardOutput();
    }
    return python.exitStatus() == QProcess::NormalExit ? python.exitCode() : -1;
}

class ProjectFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.isValid());
        root_ = scratch_.path() + "/";
        work_ = root_ + "Quorvex_Murano/";
        makeWall(work_, WallFixture{});
        opening_.archiveTool = findArchiveTool(QStringLiteral(MURANO_BIN_DIR));
        opening_.templateFolder = QStringLiteral(MURANO_BIN_DIR "/flash/");
        ASSERT_FALSE(opening_.archiveTool.isEmpty()) << "7z is missing";
    }

    QString hostileArchives() {
        const QString folder = root_ + "archives/";
        QDir().mkpath(folder);
        EXPECT_EQ(runPython({QStringLiteral(MURANO_SOURCE_DIR "/tests/publish/project_archives.py"),
                             folder}),
                  0);
        return folder;
    }

    // Opens a project that must fail: the error is given, the work folder is the same byte for
    // byte, nothing landed beside it, and the extraction folder is gone.
    void expectRefused(const QString& projectFile, const ProjectOpening& opening) {
        SCOPED_TRACE(projectFile.toStdString());
        const Snapshot before = snapshot(work_);
        const QStringList besideBefore = QDir(root_).entryList(QDir::AllEntries | QDir::Hidden);
        const JobResult result = readProject(projectFile, work_, opening);
        EXPECT_FALSE(result.ok());
        EXPECT_FALSE(result.message.isEmpty());
        EXPECT_EQ(snapshot(work_), before);
        EXPECT_EQ(QDir(root_).entryList(QDir::AllEntries | QDir::Hidden), besideBefore);
        EXPECT_FALSE(QFile::exists("/murano-project-test-evil.txt"));
        EXPECT_FALSE(QFileInfo::exists(projectExtractionFolder(work_)));
    }

    QTemporaryDir scratch_;
    QString root_;
    QString work_;
    ProjectOpening opening_;
};

TEST_F(ProjectFileTest, SavedWallOpensIntoAnotherWallByteForByte) {
    const QString project = root_ + "My wall.mrnp";
    writeBytes(project, "an older project, to be replaced whole");
    ASSERT_TRUE(saveProject(project, work_, BookOptions{}).ok());
    EXPECT_FALSE(QFileInfo::exists(projectStagingFolder(work_)));
    EXPECT_EQ(QDir(root_).entryList({"*.part"}, QDir::Files | QDir::Hidden), QStringList());

    QByteArray listing;
    ASSERT_EQ(runPython({"-c",
                         "import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                         "assert z.testzip() is None; print('\\n'.join(sorted(z.namelist())))",
                         project},
                        &listing),
              0);
    EXPECT_TRUE(listing.contains("xml/images.xml\n"));
    EXPECT_TRUE(listing.contains("wallimages/thumbs/3.jpg\n"));

    const QString other = root_ + "other/";
    makeWall(other, WallFixture{1, false, ".jpg", "Another book"});
    writeBytes(other + "wallimages/stale.jpg", "left from the other wall");
    ASSERT_TRUE(readProject(project, other, opening_).ok());
    EXPECT_EQ(dataFolders(other), dataFolders(work_));
    WallProject saved;
    WallProject opened;
    saved.loadIndex(work_);
    opened.loadIndex(other);
    EXPECT_EQ(opened.index().lines(), saved.index().lines());
    EXPECT_TRUE(opened.index().lines().join('\n').contains("Quarterly review"));
    EXPECT_FALSE(QFileInfo::exists(projectExtractionFolder(other)));
    EXPECT_TRUE(QFile::exists(other + "main.swf"));
}

TEST_F(ProjectFileTest, ProjectFromWindowsLandsInFoldersAndLeavesLogoEmpty) {
    const QString archives = hostileArchives();
    ASSERT_TRUE(readProject(archives + "windows.mrnp", work_, opening_).ok());
    const Snapshot data = dataFolders(work_);
    EXPECT_EQ(data.at("wallimages/1.jpg"), "slide one");
    EXPECT_EQ(data.at("wallimages/thumbs/1.jpg"), "thumb one");
    EXPECT_EQ(data.at("background/Back.JPG"), "back");
    EXPECT_TRUE(data.count("xml/images.js")) << "the twin is made from the project's index";
    EXPECT_TRUE(QDir(work_ + "logo").exists());
    EXPECT_TRUE(
        QDir(work_ + "logo").isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_FALSE(QFile::exists(work_ + "wallimages/2.jpg")) << "the old slides are gone";
}

TEST_F(ProjectFileTest, HostileOrBrokenProjectsLeaveTheWallAlone) {
    const QString archives = hostileArchives();
    ProjectOpening small = opening_;
    small.maxUnpackedBytes = 16 << 20;
    for (const char* name : {"climb", "climb-deep", "climb-backslash", "absolute", "link",
                             "link-folder", "not-zip", "truncated", "no-index", "bomb"}) {
        expectRefused(archives + name + ".mrnp", small);
    }
    expectRefused(root_ + "missing.mrnp", opening_);
}

TEST_F(ProjectFileTest, AProjectUnpackingToFarMoreThanItsSizeIsRefusedUnderAnyLimit) {
    const QString bomb = hostileArchives() + "bomb.mrnp";
    expectRefused(bomb, opening_);
    EXPECT_TRUE(
        readProject(bomb, work_, opening_).message.contains("more than 100 times its size"));
}

TEST_F(ProjectFileTest, ArchiveToolFailuresLeaveTheWallAlone) {
    const QString project = root_ + "good.mrnp";
    ASSERT_TRUE(saveProject(project, work_, BookOptions{}).ok());
    const auto tool = [this](const char* name, const QByteArray& script) {
        const QString path = root_ + name;
        writeBytes(path, "#!/bin/sh\n" + script);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    };
    // The tool's folder argument is "-o<folder>", the second word.
    const std::map<QString, QString> tools = {
        {"none", QString()},
        {"fails", tool("fails", "exit 2\n")},
        {"hangs", tool("hangs", "exec sleep 60\n")},
        {"plants a link", tool("links", "d=\"${2#-o}\"; mkdir -p \"$d/xml\"; ln -s /etc/passwd "
                                        "\"$d/xml/images.xml\"\n")},
        {"writes other sizes", tool("resized", "d=\"${2#-o}\"; mkdir -p \"$d/xml\"; : > "
                                               "\"$d/xml/images.xml\"\n")},
    };
    for (const auto& [what, path] : tools) {
        SCOPED_TRACE(what.toStdString());
        ProjectOpening opening = opening_;
        opening.archiveTool = path;
        opening.extractionTimeoutMs = 300;
        expectRefused(project, opening);
    }
}

} // namespace
