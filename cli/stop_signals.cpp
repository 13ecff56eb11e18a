#include "cli/stop_signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace batch {

StopSignals::StopSignals() {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return;
    }
    writeEnd() = pipe_[1];
    for (const int number : kSignals) {
        struct sigaction action {};
        action.sa_handler = &StopSignals::caught;
        sigemptyset(&action.sa_mask);
        sigaction(number, &action, &previous_[index(number)]);
    }
}

StopSignals::~StopSignals() {
    for (const int number : kSignals) {
        sigaction(number, &previous_[index(number)], nullptr);
    }
    writeEnd() = -1;
    for (const int end : pipe_) {
        if (end >= 0) {
            ::close(end);
        }
    }
}

void StopSignals::onStop(QObject* context, const std::function<void(int)>& stop) {
    if (pipe_[0] < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [this, stop] {
        unsigned char number = 0;
        if (::read(pipe_[0], &number, 1) == 1) {
            stop(number);
        }
    });
}

int& StopSignals::writeEnd() {
    static int end = -1;
    return end;
}

void StopSignals::caught(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    if (writeEnd() >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(writeEnd(), &byte, 1);
    }
}

} // namespace batch
