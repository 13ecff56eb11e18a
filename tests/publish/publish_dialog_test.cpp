// The publish and advanced dialogs offscreen: the convert flow with its messages and questions in
// order, the remembered values, the mode animation and the advanced page.
#include "chrome/mymessgebox.h"
#include "publish/advanced.h"
#include "publish/publish.h"
#include "tests/publish/wall_fixture.h"
#include "wall/deck_words.h"
#include "wall/locations.h"
#include "wall/remembered_values.h"
#include "wall/wall_folder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

// Answers every standard message box that appears: questions with the next of the given
// answers (then No), other boxes with their only button. Records "title|text" of each.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(QList<QMessageBox::StandardButton> answers = {})
        : answers_(std::move(answers)) {
        connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::answer);
        timer_.start(10);
    }
    QStringList seen;

private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            return;
        }
        seen << box->windowTitle() + "|" + box->text();
        QAbstractButton* button = box->button(QMessageBox::Ok);
        if (!button) {
            button = box->button(answers_.isEmpty() ? QMessageBox::No : answers_.takeFirst());
        }
        button->click();
    }

    QList<QMessageBox::StandardButton> answers_;
    QTimer timer_;
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The warning the dialog's own message box shows, or "" when it shows none; the box is closed.
QString takeWarning(const QWidget& dialog) {
    auto* box = dialog.findChild<MymessgeBox*>();
    if (!box || !box->isVisible()) {
        return {};
    }
    box->close();
    return box->findChild<QLabel*>("label_text")->text();
}

QStringList fileLines(const QString& path) {
    return QString::fromUtf8(readAll(path)).split('\n');
}

} // namespace

// Stands in for the desktop's file manager: records the folders it is asked to open.
class FolderOpener : public QObject {
    Q_OBJECT

public:
    QStringList opened;

public slots:
    void open(const QUrl& url) { opened << url.toLocalFile(); }
};

class PublishDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void emptyOrMissingFolderStopsWithItsMessage();
    void htmlOutputAsksBeforeOverwritingAndKeepsTheValuesEitherWay();
    void zipOutputWritesTheArchiveAndAsksToOpenTheFolder();
    void exeOutputWritesTheProgramAndAsksToOpenIt();
    void aFailedOutputIsReportedInsteadOfFinished();
    void namesLeavingTheFolderAreRefused();
    void exeModeHidesTheMetaOptions();
    void speakerNotesStayPrivateUnlessTicked();
    void advancedRestoresTheWindowModeFromItsSlot_data();
    void advancedRestoresTheWindowModeFromItsSlot();
    void advancedOkSavesSixteenLinesAndCancelKeepsTheFile();
    void theIconChooserShowsItsChoiceAndOkMakesItCurrent();
    void screenshots();

private:
    void convertAndWait(Publish& publish);
    std::unique_ptr<QTemporaryDir> state_;
    std::unique_ptr<QTemporaryDir> out_;
    QString home_;
};

void PublishDialogTest::init() {
    state_ = std::make_unique<QTemporaryDir>();
    out_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_STATE_HOME", state_->path().toLocal8Bit());
    setApplicationFolder(QStringLiteral(MURANO_BIN_DIR));
    RememberedValues::shared().clear();
    makeWall(workFolder(), {3});
    home_ = rememberedValuesFile();
}

void PublishDialogTest::cleanup() {
    QApplication::closeAllWindows();
}

void PublishDialogTest::convertAndWait(Publish& publish) {
    publish.on_convert_click();
    QTRY_VERIFY_WITH_TIMEOUT(!publish.isBusy(), 30000);
    QTest::qWait(50);
}

void PublishDialogTest::emptyOrMissingFolderStopsWithItsMessage() {
    Publish publish;
    publish.loadSettings(home_);
    BoxAnswerer answerer({QMessageBox::No, QMessageBox::Yes});
    publish.findChild<QLineEdit*>("lineEdit_outPutFolder")->clear();
    publish.on_convert_click();
    QCOMPARE(takeWarning(publish), QString("Output folder is empty."));
    QVERIFY2(!QFile::exists(home_), "nothing is remembered before the folder is known");

    // A folder that does not exist yet is made only when the user agrees.
    const QString missing = out_->path() + "/new/week";
    publish.findChild<QLineEdit*>("lineEdit_outPutFolder")->setText(missing);
    publish.on_convert_click();
    QCOMPARE(answerer.seen,
             QStringList({"Question|" + missing + " does not exist. Do you want to create it?"}));
    QVERIFY(!QFile::exists(missing));
    convertAndWait(publish);
    QVERIFY(QFile::exists(missing + "/index.html"));
}

void PublishDialogTest::htmlOutputAsksBeforeOverwritingAndKeepsTheValuesEitherWay() {
    Publish publish;
    publish.loadSettings(home_);
    publish.findChild<QLineEdit*>("lineEdit_outPutFolder")->setText(out_->path());
    publish.findChild<QLineEdit*>("lineEdit_fileName")->setText("Quarter");
    publish.advanced()->findChild<QLineEdit*>("lineEdit_title")->setText("Typed <b>\"title\"");
    QFile old(out_->path() + "/Quarter.html");
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old page");
    old.close();

    {
        BoxAnswerer answerer({QMessageBox::No});
        convertAndWait(publish);
        QCOMPARE(answerer.seen,
                 QStringList({"Question|" + out_->path() +
                              "/Quarter.html exists, do you want to overwrite it?"}));
    }
    QCOMPARE(readAll(out_->path() + "/Quarter.html"), QByteArray("old page"));
    QCOMPARE(fileLines(home_).mid(3, 2), QStringList({out_->path(), "Quarter"}));
    {
        // No name writes index.html, and asks before replacing that one too.
        QVERIFY(QFile::copy(out_->path() + "/Quarter.html", out_->path() + "/index.html"));
        publish.findChild<QLineEdit*>("lineEdit_fileName")->clear();
        BoxAnswerer answerer({QMessageBox::No});
        convertAndWait(publish);
        QCOMPARE(answerer.seen, QStringList({"Question|" + out_->path() +
                                             "/index.html exists, do you want to overwrite it?"}));
        QCOMPARE(readAll(out_->path() + "/index.html"), QByteArray("old page"));
        publish.findChild<QLineEdit*>("lineEdit_fileName")->setText("Quarter");
    }
    QCOMPARE(fileLines(home_).size(), 17); // 16 lines, each ended by a line break

    BoxAnswerer answerer({QMessageBox::Yes, QMessageBox::No});
    convertAndWait(publish);
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(takeWarning(publish),
             "Finished writing " + out_->path() + "/Quarter.html.\nPress OK to open its folder.");
    QVERIFY(readAll(out_->path() + "/Quarter.html")
                .contains("<title>Typed &lt;b&gt;&quot;title&quot;</title>"));
    QVERIFY(QFile::exists(out_->path() + "/wallimages/thumbs/3.jpg"));

    // The project save packs the same book through the dialog.
    const QString project = out_->path() + "/wall.mrnp";
    QVERIFY(publish.makeZip(project, workFolder() + "/.hhxxpp/").ok());
    QVERIFY(QFileInfo(project).size() > 1000);
    QVERIFY(!QFile::exists(workFolder() + ".hhxxpp"));
}

// The archive needs a name (an empty one would make a hidden ".zip"); the finished message's OK
// opens the folder.
void PublishDialogTest::zipOutputWritesTheArchiveAndAsksToOpenTheFolder() {
    Publish publish;
    publish.loadSettings(home_);
    publish.findChild<QLineEdit*>("lineEdit_outPutFolder")->setText(out_->path());
    publish.findChild<QLineEdit*>("lineEdit_fileName")->clear();
    publish.on_zip_click();
    QCOMPARE(publish.mode(), PublishMode::Zip);
    BoxAnswerer answerer;
    convertAndWait(publish);
    QVERIFY(takeWarning(publish).startsWith("Name the ZIP file"));
    QVERIFY(QDir(out_->path()).isEmpty());

    publish.findChild<QLineEdit*>("lineEdit_fileName")->setText("week");
    FolderOpener opener;
    QDesktopServices::setUrlHandler("file", &opener, "open");
    convertAndWait(publish);
    auto* box = publish.findChild<MymessgeBox*>();
    QTRY_VERIFY(box->isVisible());
    box->okSlot();
    QDesktopServices::unsetUrlHandler("file");
    QVERIFY2(answerer.seen.isEmpty(), "the finished message is the dialog's own");
    QCOMPARE(opener.opened, QStringList({out_->path()}));
    QVERIFY(QFileInfo(out_->path() + "/week.zip").size() > 1000);
    QVERIFY(!QFile::exists(workFolder() + ".zapperstab"));
}

void PublishDialogTest::exeOutputWritesTheProgramAndAsksToOpenIt() {
    Publish publish;
    publish.loadSettings(home_);
    publish.findChild<QLineEdit*>("lineEdit_outPutFolder")->setText(out_->path());
    publish.findChild<QLineEdit*>("lineEdit_fileName")->setText("Quarter");
    publish.on_exe_click();
    BoxAnswerer answerer;
    convertAndWait(publish);
    const QString target = out_->path() + "/Quarter.exe";
    QCOMPARE(answerer.seen, QStringList({"Open the exe file|Open the file \"" + target + "\"?"}));
    QVERIFY(readAll(target).startsWith(readAll(QStringLiteral(MURANO_BIN_DIR "/book.exe"))));
    QVERIFY(!QFile::exists(workFolder() + "Quarter.zip"));
    QCOMPARE(publish.bookOptions().layout, BookLayout::Web);
}

void PublishDialogTest::aFailedOutputIsReportedInsteadOfFinished() {
    QFile::remove(workFolder() + "index.html");
    QFile page(workFolder() + "index.html");
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html>\n<head>\n");
    page.close();
    Publish publish;
    publish.loadSettings(home_);
    publish.findChild<QLineEdit*>("lineEdit_outPutFolder")->setText(out_->path());
    BoxAnswerer answerer;
    convertAndWait(publish);
    QVERIFY(answerer.seen.isEmpty()); // no "Finished" question
    QVERIFY(takeWarning(publish).startsWith("The page of the wall has fewer than four lines"));
    QVERIFY(QDir(out_->path()).isEmpty());
}

void PublishDialogTest::namesLeavingTheFolderAreRefused() {
    Publish publish;
    publish.loadSettings(home_);
    publish.findChild<QLineEdit*>("lineEdit_outPutFolder")->setText(out_->path());
    for (const char* name : {"../up", "a/b", ".."}) {
        publish.findChild<QLineEdit*>("lineEdit_fileName")->setText(name);
        BoxAnswerer answerer;
        convertAndWait(publish);
        QVERIFY(answerer.seen.isEmpty());
        QVERIFY(!takeWarning(publish).isEmpty());
    }
    QVERIFY(QDir(out_->path()).isEmpty());
    QVERIFY(!QFile::exists(out_->path() + "/../up.html"));
}

void PublishDialogTest::speakerNotesStayPrivateUnlessTicked() {
    const WallFolder wall(workFolder());
    const auto box = [](Publish& publish) { return publish.findChild<QCheckBox*>(); };
    {
        Publish publish;
        publish.loadSettings(home_);
        QVERIFY2(!box(publish)->isEnabled(), "a wall without its deck's words has no notes");
    }
    DeckWords words;
    words.slides << SlideWords{0, "One", "", "notes", {}, {}};
    QString error;
    QVERIFY(writeWallWords(wall, words, error));
    Publish publish;
    publish.loadSettings(home_);
    QVERIFY(box(publish)->isEnabled());
    QVERIFY(!box(publish)->isChecked());
    QVERIFY(publish.findChild<QLabel*>("label_speakerNotes")->text().contains("private"));
    box(publish)->click();
    QVERIFY(notesPublished(wall));
    QVERIFY(setNotesPublished(wall, false, error)); // changed elsewhere (murano apply)
    publish.show();
    QVERIFY2(!box(publish)->isChecked(), "shown, the dialog shows the wall's choice");
    box(publish)->click();
    QVERIFY(notesPublished(wall));
}

void PublishDialogTest::exeModeHidesTheMetaOptions() {
    Publish publish;
    publish.show();
    auto* title = publish.findChild<QLabel*>("label_Title");
    auto* extension = publish.findChild<QLabel*>("label_back");
    auto* panel = publish.findChild<QWidget*>("widget");
    // The web folder offers the code that embeds it in another page.
    auto* embed = publish.findChild<QToolButton*>("toolButton_embed");
    publish.findChild<QLineEdit*>("lineEdit_fileName")->setText("Quarter");
    QVERIFY(embed->isVisible());
    embed->click();
    const QString code = QGuiApplication::clipboard()->text();
    QVERIFY2(code.startsWith("<iframe src=\"Quarter.html\" ") && code.contains(" allowfullscreen>"),
             qPrintable(code));
    publish.on_exe_click();
    // The chosen output is marked, not greyed out.
    QVERIFY(publish.findChild<QToolButton*>("toolButton_exe")->isEnabled());
    QVERIFY(publish.findChild<QToolButton*>("toolButton_exe")->isChecked());
    QVERIFY(!publish.findChild<QToolButton*>("toolButton_html")->isChecked());
    QTRY_VERIFY(panel->width() < 100);
    QTRY_COMPARE(extension->text(), QString(".exe"));
    QVERIFY(title->isHidden());
    QCOMPARE(title->text(), QString("Caption"));
    QTRY_COMPARE(panel->width(), publish.width());

    publish.on_zip_click();
    QTRY_COMPARE(extension->text(), QString(".zip"));
    QVERIFY(!title->isHidden());
    QVERIFY(embed->isHidden());
    QCOMPARE(title->text(), QString("Set HTML Meta Options:"));
    QTRY_COMPARE(panel->width(), publish.width());
}

void PublishDialogTest::advancedRestoresTheWindowModeFromItsSlot_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<bool>("sizeEnabled");
    QTest::newRow("custom") << "custom"
                            << "radioButton_custom" << true;
    QTest::newRow("max") << "max"
                         << "radioButton_max" << false;
    QTest::newRow("full") << "full"
                          << "radioButton_full" << false;
    QTest::newRow("empty") << ""
                           << "radioButton_max" << false;
}

void PublishDialogTest::advancedRestoresTheWindowModeFromItsSlot() {
    QFETCH(QString, mode);
    QFETCH(QString, checked);
    QFETCH(bool, sizeEnabled);
    RememberedValues::shared().setValue(SlotExeWindowMode, mode);
    RememberedValues::shared().setValue(SlotHtmlTitle, "Kept title");
    RememberedValues::shared().save(home_);
    Advanced advanced;
    advanced.readAdvanceSetting(home_);
    QVERIFY(advanced.findChild<QRadioButton*>(checked)->isChecked());
    QCOMPARE(advanced.findChild<QLineEdit*>("lineEdit_width")->isEnabled(), sizeEnabled);
    QCOMPARE(advanced.findChild<QLineEdit*>("lineEdit_height")->isEnabled(), sizeEnabled);
    QCOMPARE(advanced.htmlMeta().title, QString("Kept title"));
}

void PublishDialogTest::advancedOkSavesSixteenLinesAndCancelKeepsTheFile() {
    Advanced advanced;
    advanced.readAdvanceSetting(home_);
    advanced.findChild<QLineEdit*>("lineEdit_title")->setText("First");
    advanced.findChild<QRadioButton*>("radioButton_custom")->click();
    advanced.on_ok_click();
    QStringList lines = fileLines(home_);
    QCOMPARE(lines.size(), 17);
    QCOMPARE(lines[5], QString());
    QCOMPARE(lines[6], QString("First"));
    QCOMPARE(lines[12], QStringLiteral(MURANO_BIN_DIR) + "/Image/icon.ico");
    QCOMPARE(lines[13], QString("custom"));

    advanced.findChild<QLineEdit*>("lineEdit_title")->setText("Typed, then cancelled");
    advanced.on_cancel_click();
    QCOMPARE(fileLines(home_)[6], QString("First"));
    QCOMPARE(advanced.htmlMeta().title, QString("Typed, then cancelled"));
    QTRY_VERIFY(!advanced.isVisible() && !advanced.isAnimating());
}

void PublishDialogTest::theIconChooserShowsItsChoiceAndOkMakesItCurrent() {
    Advanced advanced;
    const QString icon = out_->path() + "/mine.ico";
    QVERIFY(QFile::copy(QStringLiteral(MURANO_BIN_DIR) + "/Image/icon.ico", icon));
    QString caption;
    QString startFolder;
    QTimer chooser;
    connect(&chooser, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            caption = dialog->windowTitle();
            startFolder = dialog->directory().absolutePath();
            // Typed as a user would: the dialog lists its folder in the background, so a
            // selection made before the listing arrives would be lost.
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(icon);
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
    chooser.start(50);
    advanced.on_openIcon_click();
    QCOMPARE(caption, QString("Open Directory"));
    QCOMPARE(startFolder, QDir::homePath()); // not the folder the program was started from
    QCOMPARE(advanced.chosenIcon(), icon);
    QCOMPARE(advanced.currentIcon(), QStringLiteral(MURANO_BIN_DIR) + "/Image/icon.ico");
    advanced.on_defaultIcon_click();
    QCOMPARE(advanced.chosenIcon(), advanced.currentIcon());
}

// Pictures of the dialogs as users see them, for a look by eye: publish-*.png beside the test.
void PublishDialogTest::screenshots() {
    Publish publish;
    publish.loadSettings(home_);
    publish.findChild<QLineEdit*>("lineEdit_outPutFolder")->setText("/home/user/Walls");
    publish.findChild<QLineEdit*>("lineEdit_fileName")->setText("Quarterly review");
    publish.show();
    QTest::qWait(100);
    const QString shots = QCoreApplication::applicationDirPath();
    QVERIFY(publish.grab().save(shots + "/publish-html.png"));
    publish.on_exe_click();
    QTRY_COMPARE(publish.findChild<QLabel*>("label_back")->text(), QString(".exe"));
    QTRY_COMPARE(publish.findChild<QWidget*>("widget")->width(), publish.width());
    QVERIFY(publish.grab().save(shots + "/publish-exe.png"));
    publish.advanced()->findChild<QLineEdit*>("lineEdit_title")->setText("Quarterly review");
    publish.advanced()->setWindowOpacity(1.0);
    publish.advanced()->show();
    QVERIFY(publish.advanced()->grab().save(shots + "/publish-advanced.png"));
    publish.advanced()->selectPage(false);
    QVERIFY(publish.advanced()->grab().save(shots + "/publish-advanced-exe.png"));
}

QTEST_MAIN(PublishDialogTest)
#include "publish_dialog_test.moc"
