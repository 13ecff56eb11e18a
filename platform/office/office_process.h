// Starting and ending the office suite's processes, and the registry of the instances started by
// this copy of the layer. No UNO here: this part is plain POSIX.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace office::detail {

// A launched office suite: the launcher's process id (also its process group), its private
// profile folder and the pipe it accepts connections on.
struct LaunchedOffice {
    int processGroup = -1;
    std::string profileFolder;
    std::string pipeName;
};

// Starts the launcher in a new process group, headless, with the profile in `profileFolder` and
// the extra `arguments`, its standard streams on /dev/null, and registers it (the profile folder
// is removed when it is ended). A guardian process ends the group, removes the profile and the
// pipe file named `pipeName` (if any) should this process die without ending it. Returns the
// process group, or -1.
int spawnOffice(const std::string& profileFolder, const std::vector<std::string>& arguments,
                const std::string& pipeName = {});

// Waits until the launcher has ended; true when it ended with status 0 within `limit`.
bool waitForLauncher(int processGroup, std::chrono::milliseconds limit);

// Fills a new, empty profile folder so that the office suite starts without its first-start work
// (see office_profile.cpp).
void prepareProfile(const std::string& folder);

// The named-pipe files (socket files in /tmp) that members of a process group have bound. Killed
// office processes leave them behind, so they are collected before a kill and removed after it.
std::vector<std::string> pipeFilesOf(int processGroup);

// Starts the launcher in a new process group with a private profile and a unique pipe, its
// standard streams on /dev/null. The instance is registered before anyone can ask to end it.
bool launchOffice(LaunchedOffice& launched, std::string& error);

// Whether the launcher is still running (reaps it when it has ended).
bool launcherRunning(int processGroup);

// Kills the whole process group, waits until every member is gone, removes the profile and drops
// the registry entry. Does nothing for a group that is not registered (or already ended).
void endOffice(int processGroup);

// Ends every registered instance of this copy of the layer.
void endAllOffices();

// Marks the process as ending: from now on haltIfEnding() does not return.
void markEnding();

// Called where a call into the layer comes back from an interrupted office: when the process is
// ending, waits for the end instead of returning.
void haltIfEnding();

// `prefix` followed by this process's id: the start of the name of a file or folder this process
// owns, swept once the process is gone.
std::string ownedName(const std::string& prefix);

// Whether an entry named `prefix`<pid>-... or `prefix`<pid>_... belongs to a process that is gone
// (a name with no owner in it counts as gone). False for names without the prefix.
bool ownerGone(const std::string& name, const std::string& prefix);

// Removes what processes that are gone left in `folder` under names starting with `prefix`.
void sweepFolder(const std::string& folder, const std::string& prefix);

// Removes the private profiles in `profileBase` and the pipe files of instances whose converter is
// gone (killed before it could end them).
void sweepLeftovers(const std::string& profileBase);

// The percent-encoded file URL of an absolute path.
std::string fileUrlOf(const std::string& absolutePath);

} // namespace office::detail
