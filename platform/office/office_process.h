// Starting and ending the office suite's processes, and the registry of the instances started by
// this copy of the layer. No UNO here: this part is plain POSIX.
#pragma once

#include <string>

namespace office::detail {

// A launched office suite: the launcher's process id (also its process group), its private
// profile folder and the pipe it accepts connections on.
struct LaunchedOffice {
    int processGroup = -1;
    std::string profileFolder;
    std::string pipeName;
};

// Starts the launcher in a new process group with a private profile and a unique pipe, its
// standard streams on /dev/null. The instance is registered before anyone can ask to end it.
bool launchOffice(LaunchedOffice& launched, std::string& error);

// Whether the launcher is still running (reaps it when it has ended).
bool launcherRunning(int processGroup);

// Kills the whole process group, waits until every member is gone, removes the profile and drops
// the registry entry. Does nothing for a group that is not registered (or already ended).
void endOffice(int processGroup);

// Ends every registered instance.
void endAllOffices();

// The percent-encoded file URL of an absolute path.
std::string fileUrlOf(const std::string& absolutePath);

} // namespace office::detail
