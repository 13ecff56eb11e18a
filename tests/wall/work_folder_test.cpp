#include "tests/wall/scratch.h"
#include "wall/wall_folder.h"
#include "wall/work_folder.h"

#include <gtest/gtest.h>

namespace {

class WorkFolderTest : public ::testing::Test {
protected:
    void SetUp() override { makeTemplate(templateFolder); }

    QTemporaryDir scratch;
    QString templateFolder = scratch.path() + "/app/flash/";
    QString workFolder = scratch.path() + "/state/Quorvex_Murano/";
};

} // namespace

TEST_F(WorkFolderTest, FirstStartCopiesTheWholeTemplate) {
    EXPECT_TRUE(createWorkFolder(workFolder, templateFolder));
    for (const char* file : {"index.html", "swfobject.js", "main.swf", "xml/images.xml",
                             "background/background.jpg", "logo/logo.png"}) {
        EXPECT_EQ(readFile(workFolder + file), readFile(templateFolder + file)) << file;
    }
    EXPECT_TRUE(QFileInfo(workFolder + "wallimages/thumbs").isDir());
}

TEST_F(WorkFolderTest, AnExistingWorkFolderIsReusedAsItStands) {
    createWorkFolder(workFolder, templateFolder);
    writeFile(workFolder + "wallimages/0.jpg", "slide");
    writeFile(workFolder + "xml/images.xml", "edited");
    QFile::remove(workFolder + "logo/logo.png");

    EXPECT_FALSE(createWorkFolder(workFolder, templateFolder));
    EXPECT_EQ(readFile(workFolder + "xml/images.xml"), "edited");
    EXPECT_EQ(readFile(workFolder + "wallimages/0.jpg"), "slide");
    EXPECT_FALSE(QFileInfo::exists(workFolder + "logo/logo.png"));
}

TEST_F(WorkFolderTest, AnEmptyFolderMadeAheadBecomesAFullWall) {
    QDir().mkpath(workFolder);
    EXPECT_TRUE(createWorkFolder(workFolder, templateFolder));
    EXPECT_EQ(readFile(workFolder + "xml/images.xml"), readFile(templateFolder + "xml/images.xml"));
}

TEST_F(WorkFolderTest, RepairRestoresPlayerFilesAndFoldersOnly) {
    createWorkFolder(workFolder, templateFolder);
    writeFile(workFolder + "swfobject.js", "patched player");
    QFile::remove(workFolder + "main.swf");
    QFile::remove(workFolder + "xml/images.xml");
    QDir(workFolder + "wallimages").removeRecursively();
    QDir(workFolder + "logo").removeRecursively();

    repairWorkFolder(workFolder, templateFolder);

    EXPECT_EQ(readFile(workFolder + "main.swf"), readFile(templateFolder + "main.swf"));
    EXPECT_EQ(readFile(workFolder + "swfobject.js"), "patched player");
    EXPECT_TRUE(QFileInfo(workFolder + "logo").isDir());
    EXPECT_TRUE(QFileInfo(workFolder + "wallimages").isDir());
    EXPECT_FALSE(QFileInfo::exists(workFolder + "wallimages/thumbs"));
    EXPECT_FALSE(QFileInfo::exists(workFolder + "xml/images.xml"));
    EXPECT_FALSE(QFileInfo::exists(workFolder + "logo/logo.png"));
}

TEST_F(WorkFolderTest, RepairBuildsAMissingWorkFolderFromScratch) {
    repairWorkFolder(workFolder, templateFolder);
    for (const QString& file : WallFolder::playerFiles()) {
        EXPECT_TRUE(QFileInfo::exists(workFolder + file)) << file.toStdString();
    }
    for (const char* folder : {"xml", "background", "logo", "wallimages"}) {
        EXPECT_TRUE(QFileInfo(workFolder + folder).isDir()) << folder;
    }
}
