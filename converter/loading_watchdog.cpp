#include "converter/loading_watchdog.h"

#include "converter/backends.h"
#include "converter/console.h"
#include "converter/driver.h"

#include <algorithm>
#include <cstdlib>

ShutdownWatchdog::ShutdownWatchdog(ConverterOptions& options)
    : options_(options), deadline_(std::chrono::steady_clock::now() +
                                   std::chrono::milliseconds(std::max(options.ppttimeout, 0))) {
    options_.loaded = false;
    if (options_.ppttimeout > 0) {
        thread_ = std::thread(&ShutdownWatchdog::watch, this);
    }
}

ShutdownWatchdog::~ShutdownWatchdog() {
    loaded();
    if (thread_.joinable()) {
        thread_.join();
    }
}

// A load that ends after the deadline counts as timed out even when the watchdog's thread has not
// run yet: this thread then waits here for the watchdog, which ends the process.
void ShutdownWatchdog::loaded() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (thread_.joinable() && std::chrono::steady_clock::now() >= deadline_) {
        for (;;) {
            wake_.wait(lock);
        }
    }
    options_.loaded = true;
    lock.unlock();
    wake_.notify_all();
}

// Sleeps until the deadline; a presentation not loaded by then ends the process, after the work in
// flight is undone and the office instances of this run are ended.
void ShutdownWatchdog::watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wake_.wait_until(lock, deadline_, [this] { return options_.loaded.load(); })) {
        return;
    }
    Message("We have to kill EXE processes...\n");
    PresentationKiller();
    std::_Exit(kLoadingTimedOut);
}
