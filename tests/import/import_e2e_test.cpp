// Imports of real presentations through the real converter and LibreOffice, as a user runs them.
#include "import/import.h"
#include "wall/gallery_index.h"
#include "wall/locations.h"
#include "wall/remembered_values.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The colour of the band at the bottom of slide n of a generated deck.
const QList<QColor> kBands = {QColor("#2d6cdf"), QColor("#e0533d"), QColor("#2fa36b"),
                              QColor("#d9a21b"), QColor("#7a4fd1"), QColor("#1f9bb4")};

bool showsBandOfSlide(const QString& path, int slide) {
    const QImage image(path);
    if (image.isNull()) {
        return false;
    }
    const QColor seen = image.pixelColor(image.width() / 2, image.height() - 4);
    const QColor want = kBands.at((slide - 1) % kBands.size());
    return qAbs(seen.red() - want.red()) < 24 && qAbs(seen.green() - want.green()) < 24 &&
           qAbs(seen.blue() - want.blue()) < 24;
}

} // namespace

class ImportEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void allPagesOfATwelveSlideDeck();
    void aCustomRangeKeepsItsOrderAndSkipsMissingPages();
    void aSmallerSecondImportReplacesTheWall();
    void cancelLeavesTheWallUnchanged();

private:
    bool import(const QString& deck, const QString& range = QString());
    QStringList wallFiles(const QString& sub = QStringLiteral("wallimages")) const {
        return QDir(work() + sub).entryList(QDir::Files, QDir::Name);
    }
    QString work() const { return state.path() + "/quorvex/Quorvex_Murano/"; }
    // What the main window does with the dialog's result.
    QStringList rewriteIndex();

    QTemporaryDir state;
    std::unique_ptr<Import> dialog;
    const QString decks = QStringLiteral(MURANO_DECK_DIR);
};

void ImportEndToEndTest::initTestCase() {
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    setApplicationFolder(QStringLiteral(MURANO_BIN_DIR));
    QDir().mkpath(work() + "wallimages/thumbs");
    QDir().mkpath(work() + "xml");
    QFile index(work() + "xml/images.xml");
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<gallery >\n</gallery>\n");
    index.close();
    dialog = std::make_unique<Import>();
    dialog->setFlashPath(work() + ".home");
}

void ImportEndToEndTest::cleanupTestCase() {
    dialog.reset();
    setApplicationFolder(QString());
}

bool ImportEndToEndTest::import(const QString& deck, const QString& range) {
    dialog->findChild<QLineEdit*>("lineEdit_srcFile")->setText(deck);
    auto* button = dialog->findChild<QRadioButton*>(range.isEmpty() ? "radioButton_allPages"
                                                                    : "radioButton_customRange");
    button->click();
    dialog->findChild<QLineEdit*>("lineEdit_customRange")->setText(range);
    QSignalSpy done(dialog.get(), &Import::saveImageOK);
    dialog->on_import_click();
    return done.wait(120000);
}

QStringList ImportEndToEndTest::rewriteIndex() {
    GalleryIndex index;
    index.load(work() + "xml/images.xml");
    index.setImageLines(selectedImageNumbers(dialog->isAllPages(), dialog->imageCount(),
                                             dialog->firstIndex(), dialog->chooesPage(),
                                             dialog->chooesPageNum()));
    index.write(work() + "xml/images.xml");
    QStringList images;
    for (const QString& line : index.lines()) {
        if (line.contains("<img ")) {
            images << line.section('"', 1, 1);
        }
    }
    return images;
}

void ImportEndToEndTest::allPagesOfATwelveSlideDeck() {
    QVERIFY(import(decks + "/twelve.pptx"));
    QCOMPARE(dialog->imageCount(), 12);
    QCOMPARE(wallFiles().size(), 12);
    for (int i = 0; i < 12; ++i) {
        QVERIFY2(showsBandOfSlide(work() + QString("wallimages/%1.jpg").arg(i), i + 1),
                 qPrintable(QString::number(i)));
        QCOMPARE(QImage(work() + QString("wallimages/thumbs/%1.jpg").arg(i)).size(),
                 QSize(180, 135));
    }
    QCOMPARE(QImage(work() + "wallimages/0.jpg").size(), QSize(960, 720));
    QVERIFY(!QDir(work() + ".laq").exists());
    QStringList expected;
    for (int i = 0; i < 12; ++i) {
        expected << QString("%1.jpg").arg(i);
    }
    QCOMPARE(rewriteIndex(), expected);
}

void ImportEndToEndTest::aCustomRangeKeepsItsOrderAndSkipsMissingPages() {
    QVERIFY(import(decks + "/twelve.pptx", "3, 1, 20"));
    QCOMPARE(wallFiles(), (QStringList{"1.jpg", "3.jpg"}));
    QVERIFY(showsBandOfSlide(work() + "wallimages/3.jpg", 3));
    QVERIFY(showsBandOfSlide(work() + "wallimages/1.jpg", 1));
    QCOMPARE(rewriteIndex(), (QStringList{"3.jpg", "1.jpg"}));

    QVERIFY(import(decks + "/twelve.pptx", "20"));
    QCOMPARE(wallFiles(), QStringList{});
    QCOMPARE(rewriteIndex(), QStringList{});
}

void ImportEndToEndTest::aSmallerSecondImportReplacesTheWall() {
    QVERIFY(import(decks + "/twelve.pptx", "1-10"));
    QCOMPARE(rewriteIndex().size(), 10);
    QVERIFY(import(decks + "/two.ppt"));
    QCOMPARE(wallFiles(), (QStringList{"0.jpg", "1.jpg"}));
    QCOMPARE(rewriteIndex(), (QStringList{"0.jpg", "1.jpg"}));
}

void ImportEndToEndTest::cancelLeavesTheWallUnchanged() {
    QVERIFY(import(decks + "/two.ppt"));
    const QStringList before = wallFiles();
    dialog->findChild<QLineEdit*>("lineEdit_srcFile")->setText(decks + "/twelve.pptx");
    dialog->findChild<QRadioButton*>("radioButton_allPages")->click();
    QSignalSpy done(dialog.get(), &Import::saveImageOK);
    dialog->on_import_click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog->findChild<QLabel*>("label_ratInfo")->text().startsWith("20%"),
                             60000);
    dialog->on_cancel_click();
    // The converter ends its office instance on its own, or is killed after the grace period.
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isBusy(), ImportJob::kStopGraceMs + 5000);
    QTest::qWait(500);
    QCOMPARE(done.count(), 0);
    QCOMPARE(wallFiles(), before);
}

QTEST_MAIN(ImportEndToEndTest)
#include "import_e2e_test.moc"
