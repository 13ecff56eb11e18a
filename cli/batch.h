// murano without a window: the subcommands of its command line run on the same functions as the
// window's buttons (ImportJob, applyWall, the publish outputs, project save and open), under a
// QCoreApplication, with no display and no browser engine. See command_line.h for the commands.
#pragma once

#include "cli/command_line.h"
#include "cli/progress.h"

namespace batch {

// Whether murano's arguments ask for a batch run rather than the window.
bool wantsBatch(int argc, char* argv[]);

// Runs the command line and returns the process status (ExitStatus, or 128 + n when a signal n
// stopped an import). Messages and progress go to standard error, help and written paths to
// standard output.
int runBatch(int argc, char* argv[]);

// Runs a parsed command line inside a running QCoreApplication.
int runCommandLine(const CommandLine& line, Progress& progress);

} // namespace batch
