// Progress of a batch run's long steps on standard error: on a terminal one line with a bar that is
// redrawn in place, otherwise (a log, a pipe) one plain line per step, so that logs stay readable.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace batch {

class Progress {
public:
    using Sink = std::function<void(const QByteArray& text)>;

    // Writes to standard error; a bar when it is a terminal.
    Progress();
    Progress(bool terminal, Sink sink);

    // A new step: "label..." on its own line, or the bar at its start.
    void step(const QString& label);
    // How far the step is: done of total (total 0: under way, extent unknown).
    void update(int done, int total);
    void percent(double percent);
    // A new label for the step under way (a transfer's rate and time left): shown on the bar of a
    // terminal; a plain stream keeps its one line per step.
    void relabel(const QString& label);
    // Ends the bar's line; plain lines need no ending.
    void finish();
    // A message on a line of its own, after the bar if one is showing: "murano: " + text.
    void message(const QString& text);

private:
    void draw(const QString& line);

    bool terminal_;
    Sink sink_;
    QString label_;
    int drawnWidth_ = 0; // the width of the bar line now shown; 0: none
};

// "Converting slides [#########...............]  37%", bar of 24 characters.
QString progressBar(const QString& label, int done, int total);

} // namespace batch
