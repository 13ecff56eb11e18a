// The import dialog on the window's pool of warm office instances: the real converter, through a
// script that notes each run's arguments and MURANO_OFFICE, borrows an instance of the pool for a
// deck, both for a deck worth splitting, none while the pool has none free, and the pool can lend
// every instance again once the import has ended.
#include "import/import.h"
#include "platform/office/office_pool.h"
#include "wall/locations.h"
#include "wall/remembered_values.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class ImportDialogPoolTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void aDeckBorrowsOneInstanceAndGivesItBack();
    void aLargeDeckBorrowsBothInstances();
    void withoutAFreeInstanceTheConverterStartsItsOwnOffice();

private:
    // Imports every slide of `deck` through the dialog; returns the noted runs, one a line:
    // "<MURANO_OFFICE or none> <arguments>".
    QStringList importThroughTheDialog(const QString& deck);
    // The pipe names of the pool's instances, once both answer; both are given back.
    QSet<QString> answeringPipes();
    QString work() const { return state.path() + "/quorvex/Quorvex_Murano/"; }

    QTemporaryDir app;
    QTemporaryDir state;
    std::unique_ptr<OfficePool> pool;
};

void ImportDialogPoolTest::initTestCase() {
    QVERIFY(app.isValid() && state.isValid());
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", state.path().toUtf8());
    setApplicationFolder(app.path());
    QFile script(app.path() + "/lantrel.dll");
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"${MURANO_OFFICE-none} $*\" >> \"$0.runs\"\nexec " MURANO_BIN_DIR
                 "/lantrel.dll \"$@\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    PoolLimits limits;
    limits.instances = 2;
    pool = std::make_unique<OfficePool>(limits);
    pool->start();
}

void ImportDialogPoolTest::cleanupTestCase() {
    pool.reset();
    setApplicationFolder(QString());
}

void ImportDialogPoolTest::init() {
    QDir(work()).removeRecursively();
    QVERIFY(QDir().mkpath(work() + "wallimages/thumbs"));
    RememberedValues::shared().clear();
    QFile::remove(app.path() + "/lantrel.dll.runs");
}

QSet<QString> ImportDialogPoolTest::answeringPipes() {
    QSet<QString> pipes;
    const WarmOffice* first = nullptr;
    const WarmOffice* second = nullptr;
    const auto bothLent = [&] {
        first = first ? first : pool->lend();
        second = second ? second : pool->lend();
        return first && second;
    };
    if (QTest::qWaitFor(bothLent, 180000)) {
        pipes << first->pipeName() << second->pipeName();
    }
    for (const WarmOffice* office : {first, second}) {
        pool->giveBack(office, false);
    }
    return pipes;
}

QStringList ImportDialogPoolTest::importThroughTheDialog(const QString& deck) {
    Import dialog;
    dialog.setOfficePool(pool.get());
    dialog.setFlashPath(work() + ".home");
    dialog.findChild<QLineEdit*>("lineEdit_srcFile")->setText(deck);
    QSignalSpy taken(&dialog, &Import::saveImageOK);
    dialog.on_import_click();
    if (!taken.wait(300000)) {
        return {};
    }
    QFile runs(app.path() + "/lantrel.dll.runs");
    if (!runs.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(runs.readAll()).trimmed().split('\n');
}

void ImportDialogPoolTest::aDeckBorrowsOneInstanceAndGivesItBack() {
    const QSet<QString> pipes = answeringPipes();
    QCOMPARE(pipes.size(), 2);
    const QStringList runs = importThroughTheDialog(QStringLiteral(MURANO_DECK_DIR "/twelve.pptx"));
    QCOMPARE(runs.size(), 1);
    QVERIFY2(pipes.contains(runs.first().section(' ', 0, 0)), qPrintable(runs.first()));
    QVERIFY(!runs.first().contains("-parts"));
    QCOMPARE(QDir(work() + "wallimages").entryList(QDir::Files).size(), 12);
    QCOMPARE(answeringPipes(), pipes); // given back: the pool lends both again
}

void ImportDialogPoolTest::aLargeDeckBorrowsBothInstances() {
    const QSet<QString> pipes = answeringPipes();
    QCOMPARE(pipes.size(), 2);
    const QStringList runs = importThroughTheDialog(QStringLiteral(MURANO_DECK_DIR "/forty.pptx"));
    QCOMPARE(runs.size(), 2);
    QSet<QString> borrowed;
    for (const QString& run : runs) {
        borrowed << run.section(' ', 0, 0);
        QVERIFY2(run.contains("-parts 2"), qPrintable(run));
    }
    QCOMPARE(borrowed, pipes);
    QCOMPARE(QDir(work() + "wallimages").entryList(QDir::Files).size(), 40);
    QCOMPARE(QDir(work() + "wallimages/thumbs").entryList(QDir::Files).size(), 40);
    QCOMPARE(answeringPipes(), pipes);
}

void ImportDialogPoolTest::withoutAFreeInstanceTheConverterStartsItsOwnOffice() {
    QCOMPARE(answeringPipes().size(), 2);
    const WarmOffice* first = pool->lend();
    const WarmOffice* second = pool->lend();
    QVERIFY(first && second);
    const QStringList runs = importThroughTheDialog(QStringLiteral(MURANO_DECK_DIR "/twelve.pptx"));
    pool->giveBack(first, false);
    pool->giveBack(second, false);
    QCOMPARE(runs.size(), 1);
    QVERIFY2(runs.first().startsWith("none "), qPrintable(runs.first()));
    QCOMPARE(QDir(work() + "wallimages").entryList(QDir::Files).size(), 12);
}

QTEST_MAIN(ImportDialogPoolTest)
#include "import_dialog_pool_test.moc"
