// The loading watchdog: ends the whole process when starting the presentation application and
// loading the presentation take longer than -ppttimeout milliseconds.
#pragma once

#include "converter/options.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class ShutdownWatchdog {
public:
    // Clears the loaded flag and, when the timeout is above 0, starts watching on its own thread.
    explicit ShutdownWatchdog(ConverterOptions& options);
    // Disarms the watchdog and waits for its thread.
    ~ShutdownWatchdog();
    ShutdownWatchdog(const ShutdownWatchdog&) = delete;
    ShutdownWatchdog& operator=(const ShutdownWatchdog&) = delete;

    // Marks the presentation as loaded: from now on the watchdog stays quiet. Past the deadline
    // it never returns: the watchdog ends the process.
    void loaded();

private:
    void watch();

    ConverterOptions& options_;
    const std::chrono::steady_clock::time_point deadline_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
};
