#include "converter/loading_watchdog.h"

#include "converter/backends.h"
#include "converter/console.h"
#include "converter/driver.h"

#include <chrono>
#include <cstdlib>

ShutdownWatchdog::ShutdownWatchdog(ConverterOptions& options) : options_(options) {
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

void ShutdownWatchdog::loaded() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        options_.loaded = true;
    }
    wake_.notify_all();
}

// Checks once a second; the first check after the timeout has passed ends the process, after
// ending the office instance this run started.
void ShutdownWatchdog::watch() {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    while (!options_.loaded) {
        const auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start).count();
        if (options_.ppttimeout < elapsed) {
            Message("We have to kill EXE processes...\n");
            PresentationKiller();
            std::_Exit(kLoadingTimedOut);
        }
        wake_.wait_for(lock, seconds(1), [this] { return options_.loaded.load(); });
    }
}
