#include "converter/stop_handler.h"

#include "converter/backends.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<bool> stopping{false};

std::mutex actionsMutex;
std::list<std::function<void()>> actions;

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

StopAction::StopAction(std::function<void()> action) {
    const std::lock_guard<std::mutex> lock(actionsMutex);
    entry_ = actions.insert(actions.end(), std::move(action));
}

StopAction::~StopAction() {
    const std::lock_guard<std::mutex> lock(actionsMutex);
    actions.erase(entry_);
}

void runStopActions() {
    const std::lock_guard<std::mutex> lock(actionsMutex);
    for (const std::function<void()>& action : actions) {
        action();
    }
}
