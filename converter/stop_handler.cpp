#include "converter/stop_handler.h"

#include "converter/backends.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<bool> stopping{false};

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

void installStopHandler() {
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        int signal = 0;
        if (sigwait(&set, &signal) == 0) {
            stopping = true;
            PresentationKiller();
            ::_exit(128 + signal);
        }
    }).detach();
}

int resultUnlessStopping(int result) {
    while (stopping) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    return result;
}
