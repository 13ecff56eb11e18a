// SIGINT, SIGTERM and SIGHUP during a long step (an import, an upload, a run of walls) stop its
// work politely, so that a converter can end its office instance; the run then ends with 128 + the
// signal's number, as the converter does. The handler only writes the number into a pipe; the
// event loop reads it.
#pragma once

#include <QObject>

#include <csignal>
#include <functional>

namespace batch {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Calls stop with the signal's number when one arrives.
    void onStop(QObject* context, const std::function<void(int)>& stop);

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    static int index(int number) { return number == SIGINT ? 0 : number == SIGTERM ? 1 : 2; }
    static int& writeEnd();
    static void caught(int number);

    int pipe_[2] = {-1, -1};
    struct sigaction previous_[3] = {};
};

} // namespace batch
