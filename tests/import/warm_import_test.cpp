// The import job hands murano's warm office instance to the converter it runs, through the
// converter's environment, and leaves it out when there is none. Given two instances, a large
// deck is split between them and the wall gets the same slides, byte for byte, as from one.
#include "import/import_job.h"
#include "platform/office/warm_office.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class WarmImportTest : public QObject {
    Q_OBJECT

private slots:
    void theConverterFindsTheWarmInstanceInItsEnvironment();
    void aLargeDeckSplitOverTwoInstancesGivesTheSameWall();

private:
    // What the stand-in converter saw as MURANO_OFFICE in a run of `job`.
    QString officeSeenBy(ImportJob& job);

    QTemporaryDir dir;
};

QString WarmImportTest::officeSeenBy(ImportJob& job) {
    const QString converter = dir.filePath(QStringLiteral("converter.sh"));
    QFile script(converter);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\nprintf '%s' \"${MURANO_OFFICE-none}\" > \"$0.seen\"\n"
                 "printf 'Conversion Finished! Result value = -2\\r\\n'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSignalSpy ended(&job, &Job::finished);
    job.setRequest(
        {converter, dir.filePath(QStringLiteral("deck.pptx")), dir.path() + "/", true, {}});
    job.start();
    if (!ended.wait(30000)) {
        return QStringLiteral("the job did not end");
    }
    QFile seen(converter + QStringLiteral(".seen"));
    seen.open(QIODevice::ReadOnly);
    return QString::fromUtf8(seen.readAll());
}

void WarmImportTest::theConverterFindsTheWarmInstanceInItsEnvironment() {
    qunsetenv("MURANO_OFFICE");
    qunsetenv("MURANO_WARM_OFFICE");
    ImportJob job;
    QCOMPARE(officeSeenBy(job), QStringLiteral("none"));
    WarmOffice warm;
    QSignalSpy started(&warm, &WarmOffice::started);
    warm.start();
    QVERIFY(started.wait(180000));
    job.setWarmOffice(&warm);
    QVERIFY(!warm.pipeName().isEmpty());
    QCOMPARE(officeSeenBy(job), warm.pipeName());
    warm.end();
    QCOMPARE(officeSeenBy(job), QStringLiteral("none"));
}

namespace {

void startAndWait(WarmOffice& office) {
    office.start();
    QTRY_VERIFY_WITH_TIMEOUT(office.answering(), 180000);
}

// The slide images and thumbnails of a wall, by name.
QMap<QString, QByteArray> wallImages(const QString& work) {
    QMap<QString, QByteArray> images;
    for (const QString& folder :
         {QStringLiteral("wallimages/"), QStringLiteral("wallimages/thumbs/")}) {
        const QDir dir(work + folder);
        for (const QString& name : dir.entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            file.open(QIODevice::ReadOnly);
            images.insert(folder + name, file.readAll());
        }
    }
    return images;
}

} // namespace

void WarmImportTest::aLargeDeckSplitOverTwoInstancesGivesTheSameWall() {
    const QString deck = QStringLiteral(MURANO_DECK_DIR "/forty.pptx");
    QVERIFY(ImportJob::worthSplitting(deck));
    QVERIFY(!ImportJob::worthSplitting(QStringLiteral(MURANO_DECK_DIR "/twelve.pptx")));
    // The converter as murano runs it, each run's arguments noted.
    const QString converter = dir.filePath(QStringLiteral("noting-converter.sh"));
    QFile script(converter);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\necho \"$*\" >> \"$0.runs\"\nexec " MURANO_BIN_DIR
                 "/lantrel.dll \"$@\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    WarmOffice first;
    WarmOffice second;
    startAndWait(first);
    startAndWait(second);
    QMap<QString, QByteArray> walls[2];
    const WarmOffice* const others[] = {nullptr, &second};
    for (const WarmOffice* other : others) {
        const QString work = dir.filePath(other ? "split/" : "whole/");
        QVERIFY(QDir().mkpath(work + "wallimages/thumbs"));
        ImportJob job;
        job.setWarmOffice(&first);
        job.setSecondOffice(other);
        job.setRequest({converter, deck, work, true, {}});
        QSignalSpy ended(&job, &Job::finished);
        job.start();
        QVERIFY(ended.wait(300000));
        QVERIFY2(job.result().ok(), qPrintable(job.result().message));
        QCOMPARE(job.slides().imageCount, 40);
        walls[other ? 1 : 0] = wallImages(work);
        QVERIFY(!QDir(work + ".laq").exists() && !QDir(work + ".laq2").exists());
    }
    QCOMPARE(walls[0].size(), 80);
    QVERIFY(walls[0] == walls[1]);
    QFile runs(converter + QStringLiteral(".runs"));
    QVERIFY(runs.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(runs.readAll()).trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(!lines.at(0).contains("-parts"));
    QVERIFY(lines.at(1).contains("-part 1 -parts 2") || lines.at(2).contains("-part 1 -parts 2"));
    QVERIFY(lines.at(1).contains("-part 2 -parts 2") || lines.at(2).contains("-part 2 -parts 2"));
}

QTEST_GUILESS_MAIN(WarmImportTest)
#include "warm_import_test.moc"
