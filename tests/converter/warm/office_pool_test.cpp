// The pool of warm instances on real office instances: an instance that died under a conversion
// (killed, as a converter ends a hung one) and is given back as broken is replaced by one that
// answers, also when the pool had begun replacing it on its own before it was given back.
#include "platform/office/office_pool.h"

#include <QtTest>

#include <csignal>

class OfficePoolTest : public QObject {
    Q_OBJECT

private slots:
    void aBrokenInstanceGivenBackIsReplacedByOneThatAnswers();
};

void OfficePoolTest::aBrokenInstanceGivenBackIsReplacedByOneThatAnswers() {
    qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toUtf8());
    PoolLimits limits;
    limits.instances = 1;
    OfficePool pool(limits);
    pool.start();
    const WarmOffice* office = nullptr;
    QVERIFY(QTest::qWaitFor([&] { return (office = pool.lend()) != nullptr; }, 180000));
    const int group = office->processGroup();
    QVERIFY(group > 1);
    ::kill(-group, SIGKILL);
    // The instance's own watch notices the end and starts a fresh one before it is given back.
    QVERIFY(QTest::qWaitFor([&] { return office->processGroup() != group; }, 30000));
    pool.giveBack(office, true);
    QVERIFY(pool.mayLend());
    QVERIFY(QTest::qWaitFor([&] { return (office = pool.lend()) != nullptr; }, 180000));
    QVERIFY(office->processGroup() != group);
    pool.giveBack(office, false);
}

QTEST_GUILESS_MAIN(OfficePoolTest)
#include "office_pool_test.moc"
