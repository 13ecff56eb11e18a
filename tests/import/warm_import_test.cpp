// The import job hands murano's warm office instance to the converter it runs, through the
// converter's environment, and leaves it out when there is none.
#include "import/import_job.h"
#include "platform/office/warm_office.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class WarmImportTest : public QObject {
    Q_OBJECT

private slots:
    void theConverterFindsTheWarmInstanceInItsEnvironment();

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

QTEST_GUILESS_MAIN(WarmImportTest)
#include "warm_import_test.moc"
