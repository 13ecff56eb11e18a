// The import dialog driving a converter: a scripted stand-in that prints what the real one prints
// and stages prepared slide images, so that every path of the dialog can be reached.
#include "import/import.h"
#include "wall/locations.h"
#include "wall/remembered_values.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

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

// Answers the next modal message box and keeps its text.
class MessageCatcher : public QObject {
public:
    void arm() {
        QTimer::singleShot(50, this, [this] { answer(); });
    }
    QString text;

private:
    void answer() {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->accept();
            return;
        }
        arm();
    }
};

} // namespace

class ImportDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void allPagesBecomeTheWallInSlideOrder();
    void customRangeCopiesTheChosenSlidesUnderTheirNumbers();
    void badRangesAreRefusedWithoutStartingTheConverter();
    void aMissingConverterIsNamedWithItsFullPath();
    void aConverterThatCannotStartIsReportedAndImportWorksAgain();
    void failedConversionsLeaveTheWallAsItWas_data();
    void failedConversionsLeaveTheWallAsItWas();
    void cancelStopsTheConverterAndLeavesTheWallAsItWas();
    void rememberedValuesAreRestoredAndSaved();

private:
    void writeConverter(const QString& body, bool executable = true);
    void stageSlides(int count);
    bool runImport(Import& dialog, int timeoutMs = 20000);
    QStringList wallFiles(const QString& sub = QStringLiteral("wallimages")) const;
    QString work() const { return state->path() + "/quorvex/Quorvex_Murano/"; }

    std::unique_ptr<QTemporaryDir> app;
    std::unique_ptr<QTemporaryDir> state;
    std::unique_ptr<QTemporaryDir> slides;
    MessageCatcher catcher;
};

void ImportDialogTest::init() {
    app = std::make_unique<QTemporaryDir>();
    state = std::make_unique<QTemporaryDir>();
    slides = std::make_unique<QTemporaryDir>();
    qputenv("XDG_STATE_HOME", state->path().toUtf8());
    setApplicationFolder(app->path());
    QDir().mkpath(work() + "wallimages/thumbs");
    RememberedValues::shared().clear();
    catcher.text.clear();
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
    dialog.findChild<QLineEdit*>("lineEdit_srcFile")->setText("/decks/talk.pptx");
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
    dialog.findChild<QRadioButton*>("radioButton_customRange")->click();
    dialog.findChild<QLineEdit*>("lineEdit_customRange")->setText("3, 1, 20");
    QVERIFY(runImport(dialog));
    QCOMPARE(dialog.chooesPage(), (QStringList{"3", " 1", " 20"}));
    QCOMPARE(wallFiles(), (QStringList{"1.jpg", "3.jpg"}));
    QCOMPARE(slideShown(work() + "wallimages/3.jpg", 12), 3);
    QCOMPARE(slideShown(work() + "wallimages/1.jpg", 12), 1);
    QCOMPARE(slideShown(work() + "wallimages/thumbs/3.jpg", 12), 3);
}

void ImportDialogTest::badRangesAreRefusedWithoutStartingTheConverter() {
    writeConverter("touch \"" + app->path() + "/started\"\n");
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    dialog.findChild<QRadioButton*>("radioButton_customRange")->click();
    auto* range = dialog.findChild<QLineEdit*>("lineEdit_customRange");
    const QList<QPair<QString, QString>> cases = {
        {"abc", "Error, please input again"},
        {"10-5", "Error, please input again"},
        {"4097", "Too many page, please input again"},
        {"1-4096,5", "Too many page, please input again"}};
    for (const auto& [text, message] : cases) {
        range->setText(text);
        dialog.on_import_click();
        QVERIFY(!dialog.isBusy());
        QStringList shown; // the message box is the dialog's own child
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            shown << label->text();
        }
        QVERIFY2(shown.contains(message), qPrintable(text));
    }
    QTest::qWait(200);
    QVERIFY(!QFile::exists(app->path() + "/started"));
}

void ImportDialogTest::aMissingConverterIsNamedWithItsFullPath() {
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    catcher.arm();
    dialog.on_import_click();
    QCOMPARE(catcher.text, QString("Can NOT locate \"%1/lantrel.dll\" file, please reinstall this "
                                   "software to try again.")
                               .arg(app->path()));
    QVERIFY(!dialog.isBusy());
}

void ImportDialogTest::aConverterThatCannotStartIsReportedAndImportWorksAgain() {
    stageSlides(2);
    writeConverter(kConvertingScript, false);
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    catcher.arm();
    dialog.on_import_click();
    QTRY_VERIFY(catcher.text.startsWith("Can NOT start"));
    QTRY_VERIFY(!dialog.isBusy());

    writeConverter(kConvertingScript, true);
    QVERIFY(runImport(dialog));
    QCOMPARE(wallFiles().size(), 2);
}

void ImportDialogTest::failedConversionsLeaveTheWallAsItWas_data() {
    QTest::addColumn<QString>("script");
    QTest::newRow("negative result")
        << "printf '[ERROR] Something is wrong during PowerPoint converting...[55%%]\\r\\n'\n"
           "printf 'Conversion Finished! Result value = -2\\r\\n'\nexit 254\n";
    // Killed by its own watchdog: no result line at all.
    QTest::newRow("no result line")
        << "printf 'Loading file...[20%%]\\r\\nWe have to kill EXE processes...\\r\\n'\n"
           "exit 168\n";
}

void ImportDialogTest::failedConversionsLeaveTheWallAsItWas() {
    QFETCH(QString, script);
    stageSlides(3);
    QFile old(work() + "wallimages/0.jpg");
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old wall");
    old.close();
    writeConverter(script);
    Import dialog;
    dialog.setFlashPath(work() + ".home");
    QSignalSpy done(&dialog, &Import::saveImageOK);
    catcher.arm();
    dialog.on_import_click();
    QTRY_VERIFY(!dialog.isBusy());
    QTRY_VERIFY(catcher.text.startsWith("Sorry, something is wrong during PowerPoint to Murano"));
    QTest::qWait(100);
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
    QSignalSpy done(&dialog, &Import::saveImageOK);
    QSignalSpy closed(&dialog, &Import::importClose);
    dialog.on_import_click();
    QTRY_VERIFY(dialog.findChild<QLabel*>("label_ratInfo")->text().startsWith("20%"));
    QElapsedTimer timer;
    timer.start();
    dialog.on_cancel_click();
    QVERIFY(timer.elapsed() < 500); // the window never waits for the converter to end
    QCOMPARE(closed.count(), 1);
    QTRY_VERIFY(!dialog.isBusy());
    catcher.arm();
    QTest::qWait(300);
    QCOMPARE(catcher.text, QString()); // no failure box for a run the user stopped
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

    dialog.findChild<QLineEdit*>("lineEdit_srcFile")->setText("/decks/new.pptx");
    dialog.findChild<QLineEdit*>("lineEdit_customRange")->setText("1");
    QVERIFY(runImport(dialog));
    QVERIFY(home.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = home.readAll().split('\n');
    QCOMPARE(lines.size(), 17);
    QCOMPARE(lines.at(0), QByteArray("/decks/new.pptx"));
    QCOMPARE(lines.at(1), QByteArray("1"));
    QCOMPARE(lines.at(2), QByteArray("customRange"));
    QCOMPARE(lines.at(3), QByteArray("/out"));
}

QTEST_MAIN(ImportDialogTest)
#include "import_dialog_test.moc"
