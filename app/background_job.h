// Long file work of the main window (saving and opening project files) run off the GUI thread,
// behind a progress dialog that keeps the window from being edited meanwhile.
#pragma once

#include "publish/publish_output.h"

#include <QString>

#include <functional>

class QWidget;

using BackgroundDone = std::function<void(const JobResult& result)>;

// Runs work on a thread of its own; done runs on the GUI thread once it has ended. The progress
// dialog, modal to parent, appears when the work lasts long enough to need it; progress (0, 0)
// makes it a busy indicator. Returns false, running nothing, while an earlier job of the same
// parent is still running.
bool runInBackground(QWidget* parent, const QString& label, const PublishWork& work,
                     const BackgroundDone& done);
