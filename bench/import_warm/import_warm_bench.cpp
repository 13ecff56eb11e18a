// murano's import of a deck, from the start of the import job to the slides taken into the wall
// (thumbnails made, gallery files in place), with the warm office instance and without it, and
// split over two warm instances against one (alternating, so that both see the same load; a deck
// of more than 20 slides in .pptx is split). Prints each run's time, when its conversion ended and
// how long the intake took after it, and the load average.
//
//     build/bench/import_warm_bench <deck> [rounds]     (lantrel.dll is taken from build/bin)
#include "import/import_job.h"
#include "platform/office/warm_office.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace {

// The steps of one import: until the last converter has ended (with the thumbnails of a split
// deck's parts) and the whole import, in seconds; -1 when it failed.
struct ImportTimes {
    double converted = -1;
    double total = -1;
};

ImportTimes timedImport(ImportJob& job, const QString& deck) {
    QTemporaryDir work;
    QEventLoop loop;
    QElapsedTimer clock;
    ImportTimes times;
    QObject::connect(&job, &Job::finished, &loop, &QEventLoop::quit);
    QObject::connect(&job, &Job::progress, &loop, [&] {
        if (job.stage() == ImportJob::Stage::TakingIn && times.converted < 0) {
            times.converted = clock.elapsed() / 1000.0;
        }
    });
    clock.start();
    job.setRequest(
        {QStringLiteral(MURANO_BIN_DIR "/lantrel.dll"), deck, work.path() + "/", true, {}});
    if (job.start() && job.isRunning()) {
        loop.exec();
    }
    QObject::disconnect(&job, nullptr, &loop, nullptr);
    if (!job.result().ok()) {
        return {};
    }
    times.total = clock.elapsed() / 1000.0;
    return times;
}

void printTimes(const char* label, const ImportTimes& times) {
    std::printf("%s %.2f s (converted at %.2f s, taken in in %.2f s)", label, times.total,
                times.converted, times.total - times.converted);
}

void runRounds(const char* label, ImportJob& job, const QString& deck, int rounds) {
    for (int round = 1; round <= rounds; ++round) {
        std::printf("%s import %d:", label, round);
        printTimes("", timedImport(job, deck));
        std::printf("\n");
    }
}

// Starts an instance and waits until it answers.
void startAndWait(WarmOffice& office) {
    QEventLoop waitForStart;
    QObject::connect(&office, &WarmOffice::started, &waitForStart, &QEventLoop::quit);
    office.start();
    waitForStart.exec();
    while (!office.answering()) {
        QThread::msleep(100);
    }
}

// One instance against two, round by round; prints the mean of each and their ratio.
void compareSplit(ImportJob& job, const QString& deck, int rounds, const WarmOffice& second) {
    job.setSecondOffice(&second);
    timedImport(job,
                deck); // the second instance's first conversion loads its libraries; not counted
    double one = 0;
    double two = 0;
    for (int round = 1; round <= rounds; ++round) {
        job.setSecondOffice(nullptr);
        const ImportTimes alone = timedImport(job, deck);
        job.setSecondOffice(&second);
        const ImportTimes split = timedImport(job, deck);
        std::printf("round %d:", round);
        printTimes(" one instance", alone);
        printTimes(", split over two", split);
        std::printf("\n");
        one += alone.total;
        two += split.total;
    }
    std::printf("one instance %.2f s, split over two %.2f s: %.2fx (target: 1.6x or more)\n",
                one / rounds, two / rounds, one / two);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <deck> [rounds]\n", argv[0]);
        return 2;
    }
    const QString deck = QString::fromLocal8Bit(argv[1]);
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    double load[3] = {};
    ::getloadavg(load, 3);
    std::printf("load average: %.2f %.2f %.2f\n", load[0], load[1], load[2]);

    ImportJob job;
    runRounds("cold", job, deck, rounds);

    WarmOffice warm;
    startAndWait(warm);
    job.setWarmOffice(&warm);
    runRounds("warm", job, deck, rounds);

    WarmOffice second;
    startAndWait(second);
    compareSplit(job, deck, rounds, second);
    ::getloadavg(load, 3);
    std::printf("load average at the end: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    return 0;
}
