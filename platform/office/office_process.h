// Starting and ending the office suite's processes, and the registry of the instances started by
// this copy of the layer. No UNO here: this part is plain POSIX.
#pragma once

#include "platform/leftovers/owned_names.h"

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
// (see office_profile.cpp), and puts the words script (office_words.py) among its user scripts.
void prepareProfile(const std::string& folder);

// The words script's module and function, as the office suite's script URIs name them.
inline constexpr const char* kWordsScriptModule = "murano_words.py";
inline constexpr const char* kWordsScriptFunction = "deck_words";

// The named-pipe files (socket files in /tmp) that members of a process group have bound, as the
// kernel lists them: what an instance would leave behind if it were killed.
std::vector<std::string> pipeFilesOf(int processGroup);

// Starts the launcher in a new process group with a private profile and a unique pipe, its
// standard streams on /dev/null. The instance is registered before anyone can ask to end it.
bool launchOffice(LaunchedOffice& launched, std::string& error);

// Whether a name can be a pipe name of ours: letters, digits and "_" only, not too long.
bool plausiblePipeName(const std::string& pipeName);

// The lock file of a warm instance, in the private folder beside the profiles: whoever holds an
// exclusive lock on it runs the one conversion the instance serves at a time.
std::string warmLockPath(const std::string& pipeName);

// The process group of the office that listens on pipe `pipeName` (a process of this user holds
// its socket), or -1 when none does.
int groupServingPipe(const std::string& pipeName);

// Whether a process group has a member that is not a zombie.
bool groupHasLiveMember(int processGroup);

// The resident memory of a process group's members together, in bytes.
long long groupResidentBytes(int processGroup);

// Registers an office instance that another process keeps (a warm instance), borrowed for one
// conversion while this process holds `lockFd` locked. A guardian ends the instance should this
// process die while it holds it; ending the borrow normally (endOffice) only dismisses the
// guardian and releases the lock. False when no guardian can be started (the lock is released).
bool registerBorrowed(int processGroup, const std::string& pipeName, int lockFd);

// Kills a borrowed instance that hangs or runs this process's work that is being abandoned. Its
// owner reaps it and starts a new one.
void killBorrowed(int processGroup);

// Whether the launcher is still running (reaps it when it has ended).
bool launcherRunning(int processGroup);

// Kills the whole process group, waits until every member is gone, removes the profile and drops
// the registry entry. Does nothing for a group that is not registered (or already ended).
void endOffice(int processGroup);

// Ends every registered instance of this copy of the layer, borrowed ones included: whatever
// they run for this process is abandoned.
void endAllOffices();

// Marks the process as ending: from now on haltIfEnding() does not return.
void markEnding();

// Called where a call into the layer comes back from an interrupted office: when the process is
// ending, waits for the end instead of returning.
void haltIfEnding();

// The owner-carrying names of the files and folders this layer sweeps.
using murano::leftovers::ownedName;
using murano::leftovers::ownerGone;

// Removes what processes that are gone left in `folder` under names starting with `prefix`.
void sweepFolder(const std::string& folder, const std::string& prefix);

// The same for private profiles: with each goes the channel file its instance may have left.
void sweepProfiles(const std::string& folder, const std::string& prefix);

// Removes the private profiles in `profileBase` and the pipe files of instances whose converter is
// gone (killed before it could end them).
void sweepLeftovers(const std::string& profileBase);

// The percent-encoded file URL of an absolute path.
std::string fileUrlOf(const std::string& absolutePath);

} // namespace office::detail
