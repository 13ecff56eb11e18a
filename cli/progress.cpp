#include "cli/progress.h"

#include <cstdio>
#include <unistd.h>

namespace batch {

namespace {

constexpr int kBarWidth = 24;

void writeToStandardError(const QByteArray& text) {
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
    std::fflush(stderr);
}

} // namespace

QString progressBar(const QString& label, int done, int total) {
    if (total <= 0) {
        return label + QStringLiteral("...");
    }
    const int filled = static_cast<int>(qint64(kBarWidth) * qBound(0, done, total) / total);
    const int percent = static_cast<int>(qint64(100) * qBound(0, done, total) / total);
    return QStringLiteral("%1 [%2%3] %4%")
        .arg(label, QString(filled, '#'), QString(kBarWidth - filled, '.'))
        .arg(percent, 3);
}

Progress::Progress() : Progress(::isatty(STDERR_FILENO) == 1, writeToStandardError) {}

Progress::Progress(bool terminal, Sink sink) : terminal_(terminal), sink_(std::move(sink)) {}

void Progress::step(const QString& label) {
    finish();
    label_ = label;
    if (terminal_) {
        draw(progressBar(label_, 0, 0));
    } else {
        sink_(QStringLiteral("murano: %1...\n").arg(label).toUtf8());
    }
}

void Progress::update(int done, int total) {
    if (terminal_ && !label_.isEmpty()) {
        draw(progressBar(label_, done, total));
    }
}

void Progress::relabel(const QString& label) {
    if (terminal_ && !label_.isEmpty()) {
        label_ = label;
    }
}

void Progress::percent(double percent) {
    update(static_cast<int>(percent * 10), 1000);
}

void Progress::finish() {
    if (drawnWidth_ > 0) {
        sink_("\n");
        drawnWidth_ = 0;
    }
    label_.clear();
}

void Progress::message(const QString& text) {
    const QString label = label_;
    finish();
    sink_(QStringLiteral("murano: %1\n").arg(text).toUtf8());
    label_ = label;
}

// Redraws the line in place; a shorter line is padded so that nothing of the longer one remains.
void Progress::draw(const QString& line) {
    const int width = static_cast<int>(line.size());
    const QString padding(qMax(0, drawnWidth_ - width), ' ');
    sink_(("\r" + line + padding).toUtf8());
    drawnWidth_ = width;
}

} // namespace batch
