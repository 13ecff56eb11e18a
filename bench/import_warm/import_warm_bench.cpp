// murano's import of a deck, from the start of the import job to the slides taken into the wall
// (thumbnails made, gallery files in place), with the warm office instance and without it.
// Prints each run's time and the load average.
//
//     build/bench/import_warm_bench <deck> [rounds]     (lantrel.dll is taken from build/bin)
#include "import/import_job.h"
#include "platform/office/warm_office.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// One import; returns its time in seconds, or -1 when it failed.
double timedImport(ImportJob& job, const QString& deck) {
    QTemporaryDir work;
    QEventLoop loop;
    QObject::connect(&job, &Job::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    job.setRequest(
        {QStringLiteral(MURANO_BIN_DIR "/lantrel.dll"), deck, work.path() + "/", true, {}});
    if (job.start() && job.isRunning()) {
        loop.exec();
    }
    QObject::disconnect(&job, nullptr, &loop, nullptr);
    return job.result().ok() ? clock.elapsed() / 1000.0 : -1;
}

void runRounds(const char* label, ImportJob& job, const QString& deck, int rounds) {
    for (int round = 1; round <= rounds; ++round) {
        std::printf("%s import %d: %.2f s\n", label, round, timedImport(job, deck));
    }
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
    QEventLoop waitForStart;
    QObject::connect(&warm, &WarmOffice::started, &waitForStart, &QEventLoop::quit);
    warm.start();
    waitForStart.exec();
    job.setWarmOffice(&warm);
    timedImport(job, deck); // waits for the new instance to answer; not counted
    runRounds("warm", job, deck, rounds);
    return 0;
}
