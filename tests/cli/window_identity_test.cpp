// The window and the command line are two doors to one road: the same wall published through the
// publish dialog and through "murano publish" gives the same bytes, and so does a project saved
// the way the main window saves it and through "murano project save".
#include "chrome/mymessgebox.h"
#include "publish/project_file.h"
#include "publish/publish.h"
#include "tests/cli/folder_digest.h"
#include "tests/app/home_support.h"
#include "tests/publish/wall_fixture.h"
#include "wall/remembered_values.h"

#include <QLineEdit>
#include <QProcess>

class WindowAndCommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void theSameWallGivesTheSameOutput_data();
    void theSameWallGivesTheSameOutput();
    void aProjectIsTheSameFromEitherDoor();

private:
    int murano(const QStringList& arguments);
    QString path(const QString& name) const { return scratch_.path() + "/" + name; }
    QString wall() const { return path("wall"); }

    QTemporaryDir scratch_;
    std::unique_ptr<QTemporaryDir> state_;
};

void WindowAndCommandLineTest::initTestCase() {
    state_ = hometest::freshState();
    setApplicationFolder(QStringLiteral(MURANO_BIN_DIR));
    makeWall(wall(), {4, true});
    setWorkFolder(wall());
    // The page head the user last set in the window: the publish dialog starts with it, the
    // command line takes it where no option replaces it.
    RememberedValues& values = RememberedValues::shared();
    values.setValue(SlotHtmlTitle, QStringLiteral("Über \"Woche\" 12"));
    values.setValue(SlotHtmlKeywords, QStringLiteral("Zahlen, <Umsatz>"));
    values.setValue(SlotHtmlDescription, QStringLiteral("Die Woche & mehr"));
    values.setValue(SlotOutputName, QStringLiteral("week12"));
    QVERIFY(values.save(rememberedValuesFile()));
}

void WindowAndCommandLineTest::cleanupTestCase() {
    setWorkFolder(QString());
    setApplicationFolder(QString());
}

int WindowAndCommandLineTest::murano(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(MURANO_BIN_DIR "/murano"),
                  QStringList{"--work", wall()} + arguments);
    process.waitForFinished(120000);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void WindowAndCommandLineTest::theSameWallGivesTheSameOutput_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("kind");
    QTest::newRow("web folder") << int(PublishMode::Html) << "html";
    QTest::newRow("ZIP archive") << int(PublishMode::Zip) << "zip";
    if (QFile::exists(MURANO_BIN_DIR "/book.exe")) {
        QTest::newRow("executable") << int(PublishMode::Exe) << "exe";
    }
}

void WindowAndCommandLineTest::theSameWallGivesTheSameOutput() {
    QFETCH(int, mode);
    QFETCH(QString, kind);
    const QString byWindow = path("window-" + kind);
    const QString byCommand = path("command-" + kind);
    QVERIFY(QDir().mkpath(byWindow));

    Publish publish;
    publish.loadSettings(rememberedValuesFile());
    publish.findChild<QLineEdit*>("lineEdit_outPutFolder")->setText(byWindow);
    const PublishMode chosen = static_cast<PublishMode>(mode);
    if (chosen == PublishMode::Zip) {
        publish.on_zip_click();
    } else if (chosen == PublishMode::Exe) {
        publish.on_exe_click();
    }
    hometest::QuestionAnswerer answerer; // "Open the exe file": No
    publish.on_convert_click();
    QTRY_VERIFY_WITH_TIMEOUT(!publish.isBusy(), 60000);
    if (chosen == PublishMode::Exe) {
        QTRY_COMPARE(answerer.asked(), 1);
    } else {
        // The dialog's own "Finished" message.
        QTRY_VERIFY(publish.findChild<MymessgeBox*>()->isVisible());
    }

    QCOMPARE(murano({"publish", kind, "--output", byCommand, "--name", "week12"}), 0);
    const auto window = folderDigest(byWindow);
    QVERIFY(window.count("week12." + kind) == 1);
    const auto command = folderDigest(byCommand);
    QVERIFY2(window == command, digestDifferences(window, command).c_str());
}

void WindowAndCommandLineTest::aProjectIsTheSameFromEitherDoor() {
    Publish publish;
    publish.loadSettings(rememberedValuesFile());
    // What the main window's Save Project runs, with the publish dialog's book.
    QVERIFY(saveProject(path("window.mrnp"), workFolder(), publish.bookOptions()).ok());
    QCOMPARE(murano({"project", "save", path("command.mrnp")}), 0);
    QVERIFY(!readAll(path("window.mrnp")).isEmpty());
    QCOMPARE(readAll(path("window.mrnp")), readAll(path("command.mrnp")));
}

QTEST_MAIN(WindowAndCommandLineTest)
#include "window_identity_test.moc"
