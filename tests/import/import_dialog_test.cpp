// The import dialog driving a converter: a scripted stand-in that prints what the real one prints
// and stages prepared slide images, so that every path of the dialog can be reached.
#include "import/import.h"
#include "tests/import/pdf_maker.h"
#include "wall/locations.h"
#include "wall/remembered_values.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <tuple>

namespace {

QColor slideColour(int n) {
    return QColor::fromHsv(n * 29 % 360, 255, 255);
}

// The slide whose colour a picture shows, or -1.
int slideShown(const QString& path, int slides) {
    const QImage image(path);
    if (image.isNull()) {
        return -1;
    }
    const QColor seen = image.pixelColor(image.width() / 2, image.height() / 2);
    for (int n = 1; n <= slides; ++n) {
        const QColor want = slideColour(n);
        if (qAbs(seen.red() - want.red()) < 16 && qAbs(seen.green() - want.green()) < 16 &&
            qAbs(seen.blue() - want.blue()) < 16) {
            return n;
        }
    }
    return -1;
}

// The text of the dialog's own message box while it is shown, or "".
QString shownMessage(const Import& dialog) {
    const auto* box = dialog.findChild<QWidget*>("importMessage");
    if (!box || !box->isVisible()) {
        return QString();
    }
    return box->findChild<QLabel*>("label_text")->text();
}

} // namespace

class ImportDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void allPagesBecomeTheWallInSlideOrder();
    void customRangeCopiesTheChosenSlidesUnderTheirNumbers();
    void badInputIsRefusedWithoutStartingTheConverter();
    void aMissingConverterIsNamedWithItsFullPath();
    void aConverterThatCannotStartIsReportedAndImportWorksAgain();
    void failedConversionsLeaveTheWallAsItWas_data();
    void failedConversionsLeaveTheWallAsItWas();
    void cancelStopsTheConverterAndLeavesTheWallAsItWas();
    void rememberedValuesAreRestoredAndSaved();
    void enterImportsAndEscapeCloses();
    void browseStartsAtTheLastDeckAndOffersEveryFormat();
    void aProtectedPdfAsksForItsPasswordUntilItOpens();

private:
    void writeConverter(const QString& body, bool executable = true);
    // Names an existing deck in the dialog's source field.
    void chooseDeck(Import& dialog) const;
    void stageSlides(int count);
    bool runImport(Import& dialog, int timeoutMs = 20000);
    QStringList wallFiles(const QString& sub = QStringLiteral("wallimages")) const;
    QString work() const { return state->path() + "/quorvex/Quorvex_Murano/"; }
    QString deckPath() const { return app->path() + "/talk.pptx"; }

    std::unique_ptr<QTemporaryDir> app;
    std::unique_ptr<QTemporaryDir> state;
    std::unique_ptr<QTemporaryDir> slides;
};

void ImportDialogTest::init() {
    app = std::make_unique<QTemporaryDir>();
    state = std::make_unique<QTemporaryDir>();
    slides = std::make_unique<QTemporaryDir>();
    qputenv("XDG_STATE_HOME", state->path().toUtf8());
    setApplicationFolder(app->path());
    QDir().mkpath(work() + "wallimages/thumbs");
    RememberedValues::shared().clear();
    QFile deck(deckPath());
    QVERIFY(deck.open(QIODevice::WriteOnly));
}

void ImportDialogTest::cleanup() {
    setApplicationFolder(QString());
}

// The stand-in converter: its fourth argument is the output path <work>.laq.jpg.
void ImportDialogTest::writeConverter(const QString& body, bool executable) {
    const QString path = app->path() + "/lantrel.dll";
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nout=\"${4%.jpg}\"\nslides=\"" + slides->path().toUtf8() + "\"\n" +
                 body.toUtf8());
    script.close();
    script.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                     : QFile::ReadOwner | QFile::WriteOwner);
}

void ImportDialogTest::chooseDeck(Import& dialog) const {
    dialog.findChild<QLineEdit*>("lineEdit_srcFile")->setText(deckPath());
}

const char* const kConvertingScript =
    "printf 'Loading \"%s\" file...[20%%]\\r\\nExport file(s)...[50%%]\\r\\n' \"$3\"\n"
    "mkdir -p \"$out\" && cp \"$slides\"/* \"$out\"/\n"
    "n=$(ls \"$out\" | wc -l)\n"
    "printf '[OK] Convert PPT file to other formats correctly...[100%%]\\r\\n'\n"
    "printf 'Conversion Finished! Result value = %d\\r\\n' \"$n\"\n";

void ImportDialogTest::stageSlides(int count) {
    for (int n = 1; n <= count; ++n) {
        QImage image(320, 240, QImage::Format_RGB32);
        image.fill(slideColour(n));
        QVERIFY(image.save(slides->path() + QString("/Slide%1.JPG").arg(n), "JPEG", 95));
    }
}

bool ImportDialogTest::runImport(Import& dialog, int timeoutMs) {
    QSignalSpy done(&dialog, &Import::saveImageOK);
    dialog.on_import_click();
    return done.wait(timeoutMs);
}

QStringList ImportDialogTest::wallFiles(const QString& sub) const {
    return QDir(work() + sub).entryList(QDir::Files, QDir::Name);
}

void ImportDialogTest::allPagesBecomeTheWallInSlideOrder() {
    stageSlides(12);
    writeConverter(kConvertingScript);
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    chooseDeck(dialog);
    QSignalSpy closed(&dialog, &Import::importClose);
    QVERIFY(runImport(dialog));

    QCOMPARE(dialog.imageCount(), 12);
    QCOMPARE(dialog.firstIndex(), 0);
    QCOMPARE(dialog.lastIndex(), 12);
    QVERIFY(dialog.isAllPages());
    QCOMPARE(dialog.pixSize(), QSize(320, 240));
    QCOMPARE(wallFiles().size(), 12);
    for (int i = 0; i < 12; ++i) {
        QCOMPARE(slideShown(work() + QString("wallimages/%1.jpg").arg(i), 12), i + 1);
        QCOMPARE(QImage(work() + QString("wallimages/thumbs/%1.jpg").arg(i)).size(),
                 QSize(180, 135));
    }
    QVERIFY(!QDir(work() + ".laq").exists());
    QCOMPARE(closed.count(), 1);
    QVERIFY(!dialog.isBusy());
}

void ImportDialogTest::customRangeCopiesTheChosenSlidesUnderTheirNumbers() {
    stageSlides(12);
    writeConverter(kConvertingScript);
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    chooseDeck(dialog);
    dialog.findChild<QRadioButton*>("radioButton_customRange")->click();
    dialog.findChild<QLineEdit*>("lineEdit_customRange")->setText("3, 1, 20");
    QVERIFY(runImport(dialog));
    QCOMPARE(dialog.chooesPage(), (QStringList{"3", " 1", " 20"}));
    QCOMPARE(wallFiles(), (QStringList{"1.jpg", "3.jpg"}));
    QCOMPARE(slideShown(work() + "wallimages/3.jpg", 12), 3);
    QCOMPARE(slideShown(work() + "wallimages/1.jpg", 12), 1);
    QCOMPARE(slideShown(work() + "wallimages/thumbs/3.jpg", 12), 3);
}

void ImportDialogTest::badInputIsRefusedWithoutStartingTheConverter() {
    writeConverter("touch \"" + app->path() + "/started\"\n");
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    auto* deck = dialog.findChild<QLineEdit*>("lineEdit_srcFile");
    auto* range = dialog.findChild<QLineEdit*>("lineEdit_customRange");
    const QString missing = app->path() + "/gone.pptx";
    const QString noPage = "The page range names no page. Use page numbers and ranges separated "
                           "by commas, for example 1, 3-5, 8.";
    const QString tooMany = "The page range names more than 4096 pages or a page above 4096. "
                            "Import at most 4096 pages, for example 1-100.";
    const QList<std::tuple<QString, QString, QString>> cases = {
        {"", "", "Choose a presentation to import first."},
        {"  ", "", "Choose a presentation to import first."},
        {missing, "", QString("\"%1\" does not exist.").arg(missing)},
        {deckPath(), "abc", noPage},
        {deckPath(), "10-5", noPage},
        {deckPath(), "4097", tooMany},
        {deckPath(), "1-4096,5", tooMany}};
    for (const auto& [source, pages, message] : cases) {
        deck->setText(source);
        dialog
            .findChild<QRadioButton*>(pages.isEmpty() ? "radioButton_allPages"
                                                      : "radioButton_customRange")
            ->click();
        range->setText(pages);
        dialog.on_import_click();
        QVERIFY(!dialog.isBusy());
        QCOMPARE(shownMessage(dialog), message);
    }
    QTest::qWait(200);
    QVERIFY(!QFile::exists(app->path() + "/started"));
}

void ImportDialogTest::aMissingConverterIsNamedWithItsFullPath() {
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    chooseDeck(dialog);
    dialog.on_import_click();
    QCOMPARE(shownMessage(dialog),
             QString("Can NOT locate \"%1/lantrel.dll\" file, please reinstall this software to "
                     "try again.")
                 .arg(app->path()));
    QVERIFY(!dialog.isBusy());
}

void ImportDialogTest::aConverterThatCannotStartIsReportedAndImportWorksAgain() {
    stageSlides(2);
    writeConverter(kConvertingScript, false);
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    chooseDeck(dialog);
    dialog.on_import_click();
    QTRY_VERIFY(shownMessage(dialog).startsWith("Can NOT start"));
    QTRY_VERIFY(!dialog.isBusy());

    writeConverter(kConvertingScript, true);
    QVERIFY(runImport(dialog));
    QCOMPARE(wallFiles().size(), 2);
}

// Each failure says what went wrong, from the converter's result value or, without a result
// line, from its exit code; the wall stays as it was. "<deck>" stands for the deck's path.
void ImportDialogTest::failedConversionsLeaveTheWallAsItWas_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("message");
    const auto result = [](int value, int code) {
        return QString("printf '[ERROR] Something is wrong...[55%%]\\r\\n'\n"
                       "printf 'Conversion Finished! Result value = %1\\r\\n'\nexit %2\n")
            .arg(value)
            .arg(code);
    };
    const QString generic = "The presentation could not be converted. Save it anew in "
                            "LibreOffice Impress and import that copy.";
    QTest::newRow("not a presentation") << result(-2, 254) << ""
                                        << "\"<deck>\" could not be opened as a presentation.";
    QTest::newRow("input missing") << result(-3, 253) << ""
                                   << "\"<deck>\" does not exist.";
    QTest::newRow("office not started")
        << result(-1, 255) << ""
        << "LibreOffice could not be started. Check that it is installed, then try again.";
    // Killed by its own watchdog: no result line at all, only the exit code.
    QTest::newRow("time-out") << "printf 'Loading file...[20%%]\\r\\n'\nexit 168\n"
                              << ""
                              << "LibreOffice took too long to open the presentation. "
                                 "Please try again.";
    QTest::newRow("unknown result") << result(-5, 251) << "" << generic;
    QTest::newRow("crash") << "printf 'Loading file...[20%%]\\r\\n'\nkill -SEGV $$\n"
                           << "" << generic;
    QTest::newRow("range past the deck")
        << QString(kConvertingScript) << "9, 12-14"
        << "The presentation has only 3 slides: the page range names none of them. The wall is "
           "left as it was.";
}

void ImportDialogTest::failedConversionsLeaveTheWallAsItWas() {
    QFETCH(QString, script);
    QFETCH(QString, range);
    QFETCH(QString, message);
    stageSlides(3);
    QFile old(work() + "wallimages/0.jpg");
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old wall");
    old.close();
    writeConverter(script);
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    chooseDeck(dialog);
    if (!range.isEmpty()) {
        dialog.findChild<QRadioButton*>("radioButton_customRange")->click();
        dialog.findChild<QLineEdit*>("lineEdit_customRange")->setText(range);
    }
    QSignalSpy done(&dialog, &Import::saveImageOK);
    dialog.on_import_click();
    QTRY_VERIFY(!dialog.isBusy());
    QTRY_COMPARE(shownMessage(dialog), QString(message).replace("<deck>", deckPath()));
    if (!qEnvironmentVariableIsEmpty("MURANO_SHOTS")) { // to look at the screens
        const QString folder = qEnvironmentVariable("MURANO_SHOTS") + "/";
        dialog.grab().save(folder + "import.png");
        dialog.findChild<QWidget*>("importMessage")
            ->grab()
            .save(folder + QString(QTest::currentDataTag()).replace(' ', '_') + ".png");
    }
    QCOMPARE(done.count(), 0);
    QCOMPARE(wallFiles(), QStringList{"0.jpg"});
}

void ImportDialogTest::cancelStopsTheConverterAndLeavesTheWallAsItWas() {
    stageSlides(3);
    // Like the real converter, the stand-in still reports a failed run on its way out.
    writeConverter("trap 'printf \"Conversion Finished! Result value = -2\\r\\n\"; exit 143' TERM\n"
                   "printf 'Loading file...[20%%]\\r\\n'\nsleep 30 & wait\n");
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    chooseDeck(dialog);
    QSignalSpy done(&dialog, &Import::saveImageOK);
    QSignalSpy closed(&dialog, &Import::importClose);
    dialog.on_import_click();
    QTRY_VERIFY(dialog.findChild<QLabel*>("label_ratInfo")->text().startsWith("20%"));
    dialog.on_cancel_click();
    // The window never waits for the converter to end: it is still running.
    QVERIFY(dialog.isBusy());
    QCOMPARE(closed.count(), 1);
    QTRY_VERIFY(!dialog.isBusy());
    QTest::qWait(300);
    QCOMPARE(shownMessage(dialog), QString()); // no failure box for a run the user stopped
    QCOMPARE(done.count(), 0);
    QCOMPARE(wallFiles(), QStringList{});
}

void ImportDialogTest::rememberedValuesAreRestoredAndSaved() {
    QFile home(work() + ".home");
    QVERIFY(home.open(QIODevice::WriteOnly));
    home.write("/decks/old.pptx\n2-4\ncustomRange\n/out\n");
    home.close();
    stageSlides(4);
    writeConverter(kConvertingScript);

    Import dialog;
    dialog.setFlashPath(work() + ".home");
    QCOMPARE(dialog.findChild<QLineEdit*>("lineEdit_srcFile")->text(), QString("/decks/old.pptx"));
    QVERIFY(dialog.findChild<QRadioButton*>("radioButton_customRange")->isChecked());
    QVERIFY(dialog.findChild<QLineEdit*>("lineEdit_customRange")->isEnabled());

    chooseDeck(dialog);
    dialog.findChild<QLineEdit*>("lineEdit_customRange")->setText("1");
    QVERIFY(runImport(dialog));
    QVERIFY(home.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = home.readAll().split('\n');
    QCOMPARE(lines.size(), 17);
    QCOMPARE(lines.at(0), deckPath().toUtf8());
    QCOMPARE(lines.at(1), QByteArray("1"));
    QCOMPARE(lines.at(2), QByteArray("customRange"));
    QCOMPARE(lines.at(3), QByteArray("/out"));
}

// Enter in a field starts the import; Escape closes the dialog.
void ImportDialogTest::enterImportsAndEscapeCloses() {
    stageSlides(2);
    writeConverter(kConvertingScript);
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    chooseDeck(dialog);
    QSignalSpy done(&dialog, &Import::saveImageOK);
    QSignalSpy closed(&dialog, &Import::importClose);
    QTest::keyClick(dialog.findChild<QLineEdit*>("lineEdit_srcFile"), Qt::Key_Return);
    QVERIFY(done.wait(20000));
    QCOMPARE(wallFiles().size(), 2);
    QCOMPARE(closed.count(), 1); // a finished import closes the dialog

    QTest::keyClick(dialog.findChild<QLineEdit*>("lineEdit_customRange"), Qt::Key_Escape);
    QCOMPARE(closed.count(), 2);
}

void ImportDialogTest::browseStartsAtTheLastDeckAndOffersEveryFormat() {
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    const QList<QPair<QString, QString>> cases = {{deckPath(), QDir(app->path()).absolutePath()},
                                                  {"", QDir::homePath()},
                                                  {"/no/such/folder/x.ppt", QDir::homePath()}};
    for (const auto& [deck, folder] : cases) {
        dialog.findChild<QLineEdit*>("lineEdit_srcFile")->setText(deck);
        QString shownFolder;
        QStringList filters;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            shownFolder = chooser->directory().absolutePath();
            filters = chooser->nameFilters();
            chooser->reject();
        });
        dialog.on_browse_click();
        QCOMPARE(shownFolder, folder);
        QCOMPARE(
            filters,
            QStringList{"Presentations and PDF files (*.ppt *.pptx *.pps *.ppsx *.odp *.pdf)"});
        QCOMPARE(dialog.findChild<QLineEdit*>("lineEdit_srcFile")->text(), deck);
    }
}

// A PDF needs no converter (none is written here); a protected one asks for its password, and a
// wrong one is said to be wrong and asked for again.
void ImportDialogTest::aProtectedPdfAsksForItsPasswordUntilItOpens() {
    MadePdf made;
    for (int n = 1; n <= 3; ++n) {
        made.pages << MadePage{612, 792, pageColour(n), {QString("Page %1").arg(n)}, {}};
    }
    const QString plain = app->path() + "/plain.pdf";
    const QString locked = app->path() + "/handout.pdf";
    QVERIFY(writeFile(plain, makePdf(made)));
    QVERIFY(protectWithPassword(plain, locked, "right"));
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    dialog.findChild<QLineEdit*>("lineEdit_srcFile")->setText(locked);

    QStringList asked;
    QStringList answers = {"wrong", "right"};
    QTimer answering;
    connect(&answering, &QTimer::timeout, [&] {
        auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (input && !answers.isEmpty()) {
            asked << input->labelText();
            input->setTextValue(answers.takeFirst());
            input->accept();
        }
    });
    answering.start(20);
    QVERIFY(runImport(dialog));
    QCOMPARE(asked.size(), 2);
    QVERIFY2(asked[0].contains("protected by a password"), qPrintable(asked[0]));
    QVERIFY2(asked[1].contains("password does not open"), qPrintable(asked[1]));
    QCOMPARE(wallFiles(), QStringList({"0.jpg", "1.jpg", "2.jpg"}));
    QCOMPARE(dialog.imageCount(), 3);
    QVERIFY(!dialog.isBusy());
}

QTEST_MAIN(ImportDialogTest)
#include "import_dialog_test.moc"
