#include "tests/wall/scratch.h"
#include "wall/user_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class UserSettingsTest : public ::testing::Test {
protected:
    // The widgets as the form starts them.
    WallLook form() const {
        WallLook values;
        values.bookTitle = "My Book";
        values.mode = BackgroundMode::PureColor;
        values.angle = "90";
        return values;
    }

    WallLook edited() const {
        WallLook values = form();
        values.backgroundFile = "/pics/sea.png";
        values.logoFile = "/pics/logo.jpg";
        values.logoLink = "https://example.org/";
        values.shareHidden = true;
        values.infoHidden = false;
        values.email = "me@example.org";
        values.webSite = "example.org";
        values.displayName = QString::fromUtf8("Zoë");
        values.description = "first line\nsecond \\n line\r\nthird";
        values.pureColor = "#00ff7f";
        values.gradientStart = "#102030";
        values.gradientEnd = "#a0b0c0";
        values.angle = "45deg";
        values.mode = BackgroundMode::Gradient;
        values.position = 2;
        values.logoHidden = true;
        return values;
    }

    QTemporaryDir scratch;
    QString path = scratch.path() + "//quorvexmrnoini";
};

} // namespace

TEST_F(UserSettingsTest, FirstStartWritesEighteenLinesOfDefaults) {
    const UserSettingsStart start = startUserSettings(path, "/opt/murano/", form());

    EXPECT_EQ(start.source, UserSettingsSource::FirstStart);
    EXPECT_EQ(fileLines(path), QStringList({"/opt/murano/flash/background/background.jpg", "0",
                                            "/opt/murano/flash/logo/logo.png", kDefaultLogoLink,
                                            "0", "0", "0", "0", "My Book", "", "", "", "",
                                            "#000000", "#1e3c72", "#2a9df4", "90", "10"}));
    EXPECT_EQ(start.values.mode, BackgroundMode::PureColor);
    EXPECT_EQ(start.values.pureColor, "#000000");
    EXPECT_EQ(start.values.backgroundFile, "/opt/murano/flash/background/background.jpg");
    EXPECT_FALSE(start.values.logoHidden);
}

TEST_F(UserSettingsTest, EverySaveWritesNineteenLinesThatRestoreTheSameValues) {
    ASSERT_TRUE(saveUserSettings(path, edited()));

    const QStringList lines = fileLines(path);
    ASSERT_EQ(lines.size(), 19);
    EXPECT_EQ(lines[1], "0");
    EXPECT_EQ(lines[4], "1");
    EXPECT_EQ(lines[5], "1");
    EXPECT_EQ(lines[7], "0");
    EXPECT_EQ(lines[17], "22");
    EXPECT_EQ(lines[18], "1");

    const UserSettingsStart start = startUserSettings(path, "/opt/murano/", form());
    EXPECT_EQ(start.source, UserSettingsSource::Restored);
    EXPECT_EQ(start.values, edited());
}

// The shipped pictures follow the program when it is moved or installed elsewhere; pictures of
// the user's own, and shipped ones that still exist, stay where they are.
TEST_F(UserSettingsTest, ShippedDefaultsResolveWhereTheProgramLivesNow) {
    startUserSettings(path, "/old/build/", form());
    const QString kept = scratch.path() + "/flash/logo/logo.png";
    QDir().mkpath(scratch.path() + "/flash/logo");
    QFile(kept).open(QIODevice::WriteOnly);
    WallLook moved = startUserSettings(path, "/opt/murano/", form()).values;
    EXPECT_EQ(moved.backgroundFile, "/opt/murano/flash/background/background.jpg");
    EXPECT_EQ(moved.logoFile, "/opt/murano/flash/logo/logo.png");

    moved.logoFile = kept;
    moved.backgroundFile = "/pics/flash/background/sea.jpg";
    ASSERT_TRUE(saveUserSettings(path, moved));
    const WallLook again = startUserSettings(path, "/usr/local/murano/", form()).values;
    EXPECT_EQ(again.logoFile, kept);
    EXPECT_EQ(again.backgroundFile, "/pics/flash/background/sea.jpg");
}

TEST_F(UserSettingsTest, DescriptionLineBreaksStayOnTheirLine) {
    WallLook values = edited();
    values.description = "a\n\nb\\c\\nd\r";
    saveUserSettings(path, values);

    const QStringList lines = fileLines(path);
    ASSERT_EQ(lines.size(), 19);
    EXPECT_EQ(lines[13], "#00ff7f") << "the colour stays in its slot";
    EXPECT_EQ(restoreUserSettings(path, form()).values.description, values.description);
}

TEST_F(UserSettingsTest, LineBreaksInSingleLineFieldsCannotShiftTheFile) {
    WallLook values = edited();
    values.bookTitle = "Title\nwith break";
    saveUserSettings(path, values);
    ASSERT_EQ(fileLines(path).size(), 19);
    EXPECT_EQ(restoreUserSettings(path, form()).values.bookTitle, "Title with break");
}

TEST_F(UserSettingsTest, AShortFileKeepsTheFormValuesBeyondItsEnd) {
    writeFile(path, "/bg.jpg\n0\n/logo.png\nhttp://x/\n1\n0\n");
    WallLook start = form();
    start.logoHidden = true;
    start.infoHidden = true;

    const WallLook values = restoreUserSettings(path, start).values;

    EXPECT_EQ(values.backgroundFile, "/bg.jpg");
    EXPECT_EQ(values.logoLink, "http://x/");
    EXPECT_FALSE(values.shareHidden);
    EXPECT_TRUE(values.infoHidden) << "slot 9 is missing";
    EXPECT_FALSE(values.logoHidden) << "slot 3 \"0\" unchecks Hide Logo";
    EXPECT_EQ(values.bookTitle, "My Book");
    EXPECT_EQ(values.angle, "90");
    EXPECT_EQ(values.mode, BackgroundMode::PureColor);
    EXPECT_EQ(values.position, 0);
}

TEST_F(UserSettingsTest, ModeAndPositionComeFromFirstAndLastDigit) {
    const auto restoredWith = [&](const QByteArray& digits) {
        saveUserSettings(path, edited());
        QStringList lines = fileLines(path);
        lines[17] = QString::fromUtf8(digits);
        writeFile(path, (lines.join('\n') + '\n').toUtf8());
        WallLook start = form();
        start.position = 1;
        return restoreUserSettings(path, start).values;
    };
    EXPECT_EQ(restoredWith("01").mode, BackgroundMode::Image);
    EXPECT_EQ(restoredWith("01").position, 1);
    EXPECT_EQ(restoredWith("2").mode, BackgroundMode::Gradient);
    EXPECT_EQ(restoredWith("2").position, 2);
    EXPECT_EQ(restoredWith("").mode, BackgroundMode::PureColor) << "empty mode keeps the form's";
    EXPECT_EQ(restoredWith("").position, 0);
    EXPECT_EQ(restoredWith("9x").mode, BackgroundMode::PureColor);
    EXPECT_EQ(restoredWith("9x").position, 0);
}

TEST_F(UserSettingsTest, ButtonsAreHiddenByAnyValueButZeroAndMalformedColoursAreIgnored) {
    saveUserSettings(path, edited());
    QStringList lines = fileLines(path);
    lines[5] = "yes";
    lines[7] = "2";
    lines[13] = "#00ff7";
    lines[14] = "#ABCDEF";
    writeFile(path, (lines.join('\n') + '\n').toUtf8());

    const WallLook values = restoreUserSettings(path, form()).values;
    EXPECT_TRUE(values.shareHidden);
    EXPECT_TRUE(values.infoHidden);
    EXPECT_EQ(values.pureColor, form().pureColor);
    EXPECT_EQ(values.gradientStart, "#abcdef");
}

TEST_F(UserSettingsTest, AnUnreadableFileChangesNothingAndWritesNothing) {
    QDir().mkpath(path); // a folder in the file's place cannot be read as a file
    const UserSettingsStart start = startUserSettings(path, "/opt/murano/", form());
    EXPECT_EQ(start.source, UserSettingsSource::Unreadable);
    EXPECT_EQ(start.values, form());
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(UserSettingsTest, AFifoOrALinkToAnEndlessDeviceIsNeverReadAndNeverBlocks) {
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(startUserSettings(path, "/opt/murano/", form()).source,
              UserSettingsSource::Unreadable);
    QFile::remove(path);
    ASSERT_TRUE(QFile::link("/dev/zero", path));
    EXPECT_EQ(startUserSettings(path, "/opt/murano/", form()).source,
              UserSettingsSource::Unreadable);
}

TEST(ColourSwatch, StyleUsesTheDecimalValuesOfTheHexPairs) {
    EXPECT_EQ(swatchStyle("#00ff7f"), "background-color: rgb(0, 255, 127)");
    EXPECT_EQ(swatchStyle("#550000"), "background-color: rgb(85, 0, 0)");
    EXPECT_EQ(swatchStyle("garbage"), "background-color: rgb(0, 0, 0)");
}
