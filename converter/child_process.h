// Programs the converter starts (the PDF-to-PS tools, the desktop opener): quiet, with none of the
// converter's own files open and with the signals the converter blocks for itself unblocked.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// Starts words[0] (looked up on the PATH) with the other words as its arguments and /dev/null as
// its standard streams; in a session of its own when `detached` (it then outlives the converter),
// else killed when the converter ends. Returns its id, or -1.
pid_t startQuietly(const std::vector<std::string>& words, bool detached);

// Waits for the child to end, at most timeoutMs milliseconds (a negative time waits for as long as
// it takes). Returns its exit status 0..255, -1 when it did not exit normally or could not be
// started, or -2 when it is still running.
int waitForExit(pid_t child, int timeoutMs);
