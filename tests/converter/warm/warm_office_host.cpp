// Keeps a warm office instance as murano does, and prints "warm <group> <pipe>" each time one is
// launched, so that tests can use it, break it and see it replaced. Ends it on SIGTERM.
#include "platform/office/warm_office.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
int stopPipe[2];
}

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (::pipe(stopPipe) != 0) {
        return 1;
    }
    std::signal(SIGTERM, [](int) { [[maybe_unused]] auto written = ::write(stopPipe[1], "x", 1); });
    QSocketNotifier stop(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, &application, &QCoreApplication::quit);
    WarmOffice warm;
    QObject::connect(&warm, &WarmOffice::started, [&warm] {
        std::printf("warm %d %s\n", warm.processGroup(), qPrintable(warm.pipeName()));
        std::fflush(stdout);
    });
    warm.start();
    return application.exec();
}
