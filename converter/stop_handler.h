// A converter stopped by its caller (SIGTERM, SIGINT, SIGHUP) still ends the office instance it
// started, so that no office process outlives the run.
#pragma once

#include <functional>
#include <list>

// Blocks the stop signals in every thread and starts a thread that waits for one, ends the
// presentation application instance of this run and exits with 128 + the signal number. Call it
// before any other thread is started.
void installStopHandler();

// The result to leave the process with. While a stop is being handled, the stop handler owns the
// exit (with the signal's status): this waits for it instead of returning.
int resultUnlessStopping(int result);

// Work in flight that a stop must undo (a child process to end, a partial file to remove), held
// for as long as the work runs. A stop, or the loading watchdog, runs every action still held
// before the process ends.
class StopAction {
public:
    explicit StopAction(std::function<void()> action);
    ~StopAction();
    StopAction(const StopAction&) = delete;
    StopAction& operator=(const StopAction&) = delete;

private:
    std::list<std::function<void()>>::iterator entry_;
};

// Runs every action held at this moment; for a thread that ends the process right afterwards.
void runStopActions();
