#include "tests/wall/scratch.h"
#include "wall/locations.h"

#include <gtest/gtest.h>

namespace {

class LocationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = qgetenv("HOME");
        qputenv("XDG_STATE_HOME", scratch.path().toUtf8());
    }
    void TearDown() override {
        qunsetenv("XDG_STATE_HOME");
        qputenv("HOME", home);
        setApplicationFolder(QString());
    }

    QTemporaryDir scratch;
    QByteArray home;
};

} // namespace

TEST_F(LocationsTest, PathsAreBuiltAsTheFilesExpectThem) {
    setApplicationFolder("/opt/murano");
    const QString state = scratch.path() + "/quorvex";
    EXPECT_EQ(applicationFolder(), "/opt/murano/");
    EXPECT_EQ(templateFolder(), "/opt/murano/flash/");
    EXPECT_EQ(skinFolder(), "/opt/murano/Image/");
    EXPECT_EQ(templatePreviewFolder(), "/opt/murano/template");
    EXPECT_EQ(tempLocation(), state);
    EXPECT_EQ(workFolder(), state + "/Quorvex_Murano/");
    EXPECT_EQ(userSettingsFile(), state + "//quorvexmrnoini");
    EXPECT_EQ(rememberedValuesFile(), state + "/Quorvex_Murano/.home");
    EXPECT_EQ(projectValuesFile(), state + "/Quorvex_Murano/.home..");
}

TEST_F(LocationsTest, StateFolderIsCreatedPrivateAndTightenedWhenLooser) {
    const QString state = tempLocation();
    const QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const QFileDevice::Permissions groupOther = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_TRUE(QFileInfo(state).isDir());
    EXPECT_EQ(QFile::permissions(state) & (ownerOnly | groupOther), ownerOnly);

    QFile::setPermissions(state, ownerOnly | groupOther);
    tempLocation();
    EXPECT_EQ(QFile::permissions(state) & (ownerOnly | groupOther), ownerOnly);
}

TEST_F(LocationsTest, AStatePathThatIsAFileIsNeverMadePrivate) {
    writeFile(scratch.path() + "/quorvex", "someone's file");
    QFile::setPermissions(scratch.path() + "/quorvex",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    tempLocation();
    EXPECT_TRUE(QFile::permissions(scratch.path() + "/quorvex") & QFile::ReadOther);
    EXPECT_EQ(readFile(scratch.path() + "/quorvex"), "someone's file");
}

TEST_F(LocationsTest, ARelativeStateHomeIsIgnored) {
    qputenv("XDG_STATE_HOME", "relative/state");
    qputenv("HOME", (scratch.path() + "/home").toUtf8());
    EXPECT_EQ(tempLocation(), scratch.path() + "/home/.local/state/quorvex");
}

TEST_F(LocationsTest, AnotherWallFolderKeepsItsSettingsInsideAndCanBeLeftAgain) {
    const QString state = scratch.path() + "/quorvex";
    setWorkFolder("/srv/walls/week12");
    EXPECT_EQ(workFolder(), "/srv/walls/week12/");
    EXPECT_EQ(userSettingsFile(), "/srv/walls/week12/.quorvexmrnoini");
    EXPECT_EQ(rememberedValuesFile(), "/srv/walls/week12/.home");
    EXPECT_EQ(projectValuesFile(), "/srv/walls/week12/.home..");
    setWorkFolder(QString());
    EXPECT_EQ(workFolder(), state + "/Quorvex_Murano/");
    EXPECT_EQ(userSettingsFile(), state + "//quorvexmrnoini");
}
