#include "platform/office/office_process.h"

#include "platform/posix/posix_files.h"

#include <openssl/evp.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <sstream>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace office::detail {
namespace {

// The file name the office suite gives the socket of its named pipe `pipeName`.
std::string pipeFileName(const std::string& pipeName) {
    return "OSL_PIPE_" + std::to_string(::getuid()) + "_" + pipeName;
}

struct Record {
    int processGroup;
    std::string profileFolder;
    int guardian;           // the guardian's process id, or -1
    int guardianPipe;       // the write end of the guardian's pipe, or -1
    std::string pipeName{}; // the pipe a launched instance accepts connections on
    bool borrowed = false;  // a warm instance another process keeps, lent for one conversion
    int lockFd = -1;        // the borrowed instance's lock, held while it is lent
};

// Held while an instance is launched or ended, so that an end requested from another thread never
// misses a group that is being forked and never races with an end already in progress.
std::mutex registryMutex;
std::vector<Record> registry;

// Set once the process is ending (a stop or the watchdog, on another thread).
std::atomic<bool> ending{false};

// The private profile of an instance being prepared, before its guardian can take it over: an end
// requested meanwhile waits for the profile to be complete and removes it.
std::mutex preparingMutex;
std::string preparingProfile;

const char* kLauncher = "soffice";
// Profile folders and pipe names carry the id of the process that made them, so that what a dead
// process left behind can be told from what a live one uses.
const char* const kProfilePrefix = "murano-office-";
const char* const kPipePrefix = "murano_office_";
const char* kLauncherFallback = MURANO_OFFICE_PROGRAM_DIR "/soffice";

bool writableFolder(const char* path) {
    struct stat info {};
    return path && *path == '/' && ::stat(path, &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(path, W_OK | X_OK) == 0;
}

// Where private profiles go. Memory-backed folders first: the office suite writes its profile
// while it starts, and removing a profile from a disk folder costs a noticeable part of a run.
// The user's runtime folder, then an explicit TMPDIR, then the shared memory folder, then /tmp.
std::string temporaryBase() {
    const char* const candidates[] = {std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR"),
                                      "/dev/shm"};
    for (const char* candidate : candidates) {
        if (writableFolder(candidate)) {
            return candidate;
        }
    }
    return "/tmp";
}

std::string uniquePipeName() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    char name[96];
    std::snprintf(name, sizeof name, "%s%d_%u_%08x", kPipePrefix, static_cast<int>(::getpid()),
                  counter++, static_cast<unsigned>(random()));
    return name;
}

// Kills the group and reaps its members. The launcher is our child; the office process it forked
// is reparented to us (we are a child subreaper), so every member can be waited for here.
void killGroup(int processGroup) {
    if (processGroup <= 1) {
        return; // kill(0) or kill(-1) would hit this process or every process of the user
    }
    ::kill(-processGroup, SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        while (::waitpid(-processGroup, nullptr, WNOHANG) > 0) {
        }
        if (::kill(-processGroup, 0) != 0 && errno == ESRCH) {
            break;
        }
        ::kill(-processGroup, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// An instance ended here needs no guardian any more: it goes first, so that it never acts on a
// process group that is already gone.
void dismissGuardian(const Record& record) {
    if (record.guardian > 0) {
        ::kill(record.guardian, SIGKILL);
        ::waitpid(record.guardian, nullptr, 0);
    }
    if (record.guardianPipe >= 0) {
        ::close(record.guardianPipe);
    }
}

// The socket file of the office suite's named pipe `pipeName`.
std::string pipeFileOf(const std::string& pipeName) {
    return "/tmp/" + pipeFileName(pipeName);
}

// The socket file of the suite's own channel between two starts on the same profile. The suite
// names it after the MD5 of the profile's URL as UTF-16 (each byte in hex without its leading
// zero) and removes it only when it ends by itself: an instance that is killed, or that dies,
// leaves it in /tmp.
std::string instanceChannelFile(const std::string& profileFolder) {
    const std::string url = fileUrlOf(profileFolder);
    std::string utf16;
    for (const char c : url) { // the URL is percent-encoded ASCII
        utf16 += c;
        utf16 += '\0';
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(utf16.data(), utf16.size(), digest, &length, EVP_md5(), nullptr) != 1) {
        return {};
    }
    std::string name = "SingleOfficeIPC_";
    for (unsigned int i = 0; i < length; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%x", digest[i]);
        name += hex;
    }
    return pipeFileOf(name);
}

// A private profile and what its instance leaves outside it.
void removeProfile(const std::string& profileFolder) {
    posix::removeTree(profileFolder);
    if (const std::string channel = instanceChannelFile(profileFolder); !channel.empty()) {
        ::unlink(channel.c_str());
    }
}

// A borrowed instance is its owner's to end and reap: it is killed only when the work it runs for
// this process is abandoned (`abandoned`), and never waited for.
void endLocked(std::vector<Record>::iterator record, bool abandoned) {
    dismissGuardian(*record);
    if (!record->borrowed) {
        killGroup(record->processGroup);
        // Killed office processes leave their socket files behind: the profile's channel file
        // and the pipe the instance accepted connections on.
        removeProfile(record->profileFolder);
        if (!record->pipeName.empty()) {
            ::unlink(pipeFileOf(record->pipeName).c_str());
        }
    } else if (abandoned && record->processGroup > 1) {
        ::kill(-record->processGroup, SIGKILL);
    }
    if (record->lockFd >= 0) {
        ::close(record->lockFd);
    }
    registry.erase(record);
}

// The guardian of an office instance: a shell in a process group of its own that reads the
// instance's process group from its pipe, then waits for the pipe's end. The end comes when every
// holder of the write end is gone: the launcher drops it when it starts the office suite, this
// process when it ends in any way, kill -9 included. Then the guardian kills the group and
// removes the profile, the pipe file and the suite's own channel file (the arguments: profile
// folder, pipe name, channel file; each may be empty). Stop signals meant for the converter do
// not reach it.
const char* const kGuardianScript =
    "trap '' HUP INT TERM QUIT\n"
    "read -r group || group=\n"
    "while read -r _; do :; done\n"
    "case \"$group\" in ''|*[!0-9]*|0|1) ;; *) kill -9 \"-$group\" 2>/dev/null ;; esac\n"
    "rm -rf -- \"$1\"\n"
    "if [ -n \"$2\" ]; then rm -f /tmp/OSL_PIPE_*_\"$2\" /var/tmp/OSL_PIPE_*_\"$2\"; fi\n"
    "if [ -n \"$3\" ]; then rm -f -- \"$3\"; fi\n";

// Between fork and exec of a child: standard streams on /dev/null (standard input on `input` when
// it is given), no signal blocked, no descriptor of the caller left open. Descriptors of the
// caller (pipes to its own parent, for one) must not be kept open, or a reader waiting for the
// caller's end of file would wait for the child too. Only async-signal-safe calls: the parent may
// have other threads.
void prepareChild(int input) {
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    const int devNull = ::open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        ::dup2(input >= 0 ? input : devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
    }
    if (::close_range(STDERR_FILENO + 1, ~0U, 0) != 0) {
        struct rlimit limit {};
        const int highest = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 65536
                                ? static_cast<int>(limit.rlim_cur)
                                : 65536;
        for (int fd = STDERR_FILENO + 1; fd < highest; ++fd) {
            ::close(fd);
        }
    }
}

[[noreturn]] void execGuardian(int pipeReadEnd, char* const* argv) {
    ::setpgid(0, 0);
    prepareChild(pipeReadEnd);
    ::execv("/bin/sh", argv);
    ::_exit(127);
}

// Tells the guardian the process group (this child's own id) in decimal, one line.
void announceGroup(int guardianPipe) {
    char digits[24];
    char* end = digits + sizeof digits;
    char* at = end;
    *--at = '\n';
    for (pid_t pid = ::getpid(); pid > 0; pid /= 10) {
        *--at = static_cast<char>('0' + pid % 10);
    }
    [[maybe_unused]] const ssize_t written =
        ::write(guardianPipe, at, static_cast<std::size_t>(end - at));
}

[[noreturn]] void execLauncher(char* const* argv, char* const* envp, int guardianPipe) {
    ::setpgid(0, 0);
    if (guardianPipe >= 0) {
        announceGroup(guardianPipe);
    }
    // Signals the caller blocks for its own handling are not the office suite's business.
    prepareChild(-1);
    ::execvpe(kLauncher, argv, envp);
    ::execve(kLauncherFallback, argv, envp);
    ::_exit(127);
}

} // namespace

namespace {

bool isPipeFile(const std::string& path) {
    return path.rfind("/tmp/OSL_PIPE_", 0) == 0 || path.rfind("/var/tmp/OSL_PIPE_", 0) == 0;
}

// The office suite's named pipes (socket files in /tmp) by socket inode.
std::map<std::string, std::string> pipeFilesByInode() {
    std::map<std::string, std::string> pipes;
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line); // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, references, protocol, flags, type, state, inode, path;
        if (fields >> slot >> references >> protocol >> flags >> type >> state >> inode >> path &&
            isPipeFile(path)) {
            pipes[inode] = path;
        }
    }
    return pipes;
}

// The state letter and process group of a process, from /proc; group -1 when it is gone.
struct ProcessStat {
    char state = '?';
    int group = -1;
};

ProcessStat statOf(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string text;
    std::getline(stat, text);
    const std::size_t afterName = text.rfind(')');
    ProcessStat result;
    if (afterName == std::string::npos) {
        return result;
    }
    std::istringstream fields(text.substr(afterName + 1));
    int parent = 0;
    fields >> result.state >> parent >> result.group;
    return result;
}

int processGroupOf(const std::string& pid) {
    return statOf(pid).group;
}

char processStateOf(const std::string& pid) {
    return statOf(pid).state;
}

// The inodes of the sockets a process holds open.
std::vector<std::string> socketInodesOf(const std::string& pid) {
    std::vector<std::string> inodes;
    const std::string fdFolder = "/proc/" + pid + "/fd";
    DIR* descriptors = ::opendir(fdFolder.c_str());
    while (const dirent* fd = descriptors ? ::readdir(descriptors) : nullptr) {
        char target[128] = {};
        const std::string link = fdFolder + "/" + fd->d_name;
        if (::readlink(link.c_str(), target, sizeof target - 1) > 0 &&
            std::strncmp(target, "socket:[", 8) == 0) {
            inodes.emplace_back(target + 8, std::strlen(target + 8) - 1);
        }
    }
    if (descriptors) {
        ::closedir(descriptors);
    }
    return inodes;
}

// The ids of the processes, as named in /proc.
std::vector<std::string> processIds() {
    std::vector<std::string> pids;
    DIR* processes = ::opendir("/proc");
    while (const dirent* entry = processes ? ::readdir(processes) : nullptr) {
        const std::string pid = entry->d_name;
        if (pid.find_first_not_of("0123456789") == std::string::npos) {
            pids.push_back(pid);
        }
    }
    if (processes) {
        ::closedir(processes);
    }
    return pids;
}

} // namespace

std::vector<std::string> pipeFilesOf(int processGroup) {
    std::vector<std::string> files;
    const std::map<std::string, std::string> pipes = pipeFilesByInode();
    if (pipes.empty()) {
        return files;
    }
    for (const std::string& pid : processIds()) {
        if (processGroupOf(pid) != processGroup) {
            continue;
        }
        for (const std::string& inode : socketInodesOf(pid)) {
            if (const auto pipe = pipes.find(inode); pipe != pipes.end()) {
                files.push_back(pipe->second);
            }
        }
    }
    return files;
}

bool plausiblePipeName(const std::string& pipeName) {
    return !pipeName.empty() && pipeName.size() < 80 &&
           pipeName.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                      "0123456789_") == std::string::npos;
}

int groupServingPipe(const std::string& pipeName) {
    const std::string suffix = "/" + pipeFileName(pipeName);
    std::vector<std::string> served;
    for (const auto& [inode, path] : pipeFilesByInode()) {
        if (path.size() > suffix.size() &&
            path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0) {
            served.push_back(inode);
        }
    }
    for (const std::string& pid : served.empty() ? std::vector<std::string>{} : processIds()) {
        for (const std::string& inode : socketInodesOf(pid)) {
            if (std::find(served.begin(), served.end(), inode) != served.end()) {
                return processGroupOf(pid);
            }
        }
    }
    return -1;
}

long long groupResidentBytes(int processGroup) {
    const long long page = ::sysconf(_SC_PAGESIZE);
    long long total = 0;
    for (const std::string& pid : processIds()) {
        if (processGroupOf(pid) != processGroup) {
            continue;
        }
        std::ifstream statm("/proc/" + pid + "/statm");
        long long size = 0;
        long long resident = 0;
        if (statm >> size >> resident) {
            total += resident * page;
        }
    }
    return total;
}

bool groupHasLiveMember(int processGroup) {
    for (const std::string& pid : processIds()) {
        if (processGroupOf(pid) == processGroup && processStateOf(pid) != 'Z') {
            return true;
        }
    }
    return false;
}

void sweepFolder(const std::string& folder, const std::string& prefix) {
    for (const std::string& name : posix::folderEntries(folder)) {
        if (ownerGone(name, prefix)) {
            const std::string path = folder + "/" + name;
            if (!posix::removeTree(path)) {
                ::unlink(path.c_str());
            }
        }
    }
}

void sweepProfiles(const std::string& folder, const std::string& prefix) {
    for (const std::string& name : posix::folderEntries(folder)) {
        if (ownerGone(name, prefix)) {
            removeProfile(folder + "/" + name);
        }
    }
}

void sweepLeftovers(const std::string& profileBase) {
    sweepProfiles(profileBase, kProfilePrefix);
    sweepFolder(profileBase, kPipePrefix); // the lock files of warm instances
    sweepFolder("/tmp", pipeFileName(kPipePrefix));
}

std::string fileUrlOf(const std::string& absolutePath) {
    return "file://" + posix::percentEncoded(absolutePath, "/");
}

namespace {

// Starts the guardian of an instance about to be launched; fills `writeEnd` with the pipe end
// this process keeps. Returns its process id, or -1 (the instance then goes without).
int startGuardian(const std::string& profileFolder, const std::string& pipeName, int& writeEnd) {
    writeEnd = -1;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return -1;
    }
    const std::string channel =
        profileFolder.empty() ? std::string() : instanceChannelFile(profileFolder);
    std::vector<std::string> words = {
        "sh", "-c", kGuardianScript, "murano-office-guardian", profileFolder, pipeName, channel};
    const std::vector<char*> argv = posix::argumentVector(words);
    const pid_t guardian = ::fork();
    if (guardian == 0) {
        execGuardian(ends[0], argv.data());
    }
    ::close(ends[0]);
    if (guardian < 0) {
        ::close(ends[1]);
        return -1;
    }
    writeEnd = ends[1];
    return guardian;
}

// The office suite's embedded Python finds its library from the first `python3` on PATH; the
// system's folders come first so that another Python installed for the user (pyenv, a virtual
// environment) cannot replace the one the suite was built with.
std::string officePath() {
    const char* inherited = std::getenv("PATH");
    return std::string("PATH=/usr/bin:/bin") +
           (inherited && *inherited ? std::string(":") + inherited : std::string());
}

} // namespace

int spawnOffice(const std::string& profileFolder, const std::vector<std::string>& arguments,
                const std::string& pipeName) {
    // Orphaned office processes come back to us, so that ending an instance can reap all of it.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);

    std::vector<std::string> words = {
        kLauncher,       "--headless",
        "--invisible",   "--norestore",
        "--nologo",      "--nodefault",
        "--nolockcheck", "-env:UserInstallation=" + fileUrlOf(profileFolder),
    };
    words.insert(words.end(), arguments.begin(), arguments.end());
    // The office suite's own temporary and runtime files live inside the profile folder, so
    // that they go with it even when the office processes are killed.
    const std::string temporary = profileFolder + "/tmp";
    ::mkdir(temporary.c_str(), 0700);
    std::vector<std::string> environment = {"TMPDIR=" + temporary, "XDG_RUNTIME_DIR=" + temporary,
                                            officePath()};
    for (char** variable = environ; *variable; ++variable) {
        if (std::strncmp(*variable, "TMPDIR=", 7) != 0 &&
            std::strncmp(*variable, "XDG_RUNTIME_DIR=", 16) != 0 &&
            std::strncmp(*variable, "PATH=", 5) != 0) {
            environment.push_back(*variable);
        }
    }
    const std::vector<char*> argv = posix::argumentVector(words);
    const std::vector<char*> envp = posix::argumentVector(environment);

    std::lock_guard<std::mutex> lock(registryMutex);
    int guardianPipe = -1;
    const int guardian = startGuardian(profileFolder, pipeName, guardianPipe);
    const pid_t child = ::fork();
    if (child == 0) {
        execLauncher(argv.data(), envp.data(), guardianPipe);
    }
    if (child < 0) {
        dismissGuardian({-1, profileFolder, guardian, guardianPipe});
        return -1;
    }
    ::setpgid(child, child);
    registry.push_back({child, profileFolder, guardian, guardianPipe, pipeName});
    return child;
}

namespace {

// Makes and fills the private profile of an instance about to be launched, as the one being
// prepared. A process that is ending makes none: this thread then waits for the end.
bool makePreparingProfile(std::string& folder) {
    std::unique_lock<std::mutex> lock(preparingMutex);
    if (ending) {
        lock.unlock();
        haltIfEnding();
    }
    if (!::mkdtemp(folder.data())) {
        return false;
    }
    preparingProfile = folder;
    prepareProfile(folder);
    return true;
}

// The profile is the launched instance's now (its guardian and the registry know it).
void handOverPreparingProfile() {
    const std::lock_guard<std::mutex> lock(preparingMutex);
    preparingProfile.clear();
}

} // namespace

bool launchOffice(LaunchedOffice& launched, std::string& error) {
    sweepLeftovers(temporaryBase());
    std::string folder = ownedName(temporaryBase() + "/" + kProfilePrefix) + "-XXXXXX";
    if (!makePreparingProfile(folder)) {
        error = "cannot create a private office profile folder";
        return false;
    }
    launched.profileFolder = folder;
    launched.pipeName = uniquePipeName();
    launched.processGroup = spawnOffice(
        folder, {"--accept=pipe,name=" + launched.pipeName + ";urp;StarOffice.ComponentContext"},
        launched.pipeName);
    handOverPreparingProfile();
    if (launched.processGroup < 0) {
        posix::removeTree(folder);
        error = "cannot start the office suite";
        return false;
    }
    return true;
}

bool waitForLauncher(int processGroup, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        const pid_t ended = ::waitpid(processGroup, &status, WNOHANG);
        if (ended == processGroup) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (ended < 0) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool launcherRunning(int processGroup) {
    return ::waitpid(processGroup, nullptr, WNOHANG) == 0;
}

namespace {

void endRegistered(int processGroup, bool abandoned) {
    std::lock_guard<std::mutex> lock(registryMutex);
    const auto record =
        std::find_if(registry.begin(), registry.end(),
                     [processGroup](const Record& r) { return r.processGroup == processGroup; });
    if (record != registry.end()) {
        endLocked(record, abandoned);
    }
}

} // namespace

void endOffice(int processGroup) {
    endRegistered(processGroup, false);
}

void killBorrowed(int processGroup) {
    endRegistered(processGroup, true);
}

std::string warmLockPath(const std::string& pipeName) {
    return temporaryBase() + "/" + pipeName + ".lock";
}

bool registerBorrowed(int processGroup, const std::string& pipeName, int lockFd) {
    std::lock_guard<std::mutex> lock(registryMutex);
    int guardianPipe = -1;
    const int guardian = startGuardian({}, pipeName, guardianPipe);
    const std::string group = std::to_string(processGroup) + "\n";
    if (guardian < 0 ||
        ::write(guardianPipe, group.data(), group.size()) != static_cast<ssize_t>(group.size())) {
        dismissGuardian({-1, {}, guardian, guardianPipe});
        ::close(lockFd);
        return false;
    }
    registry.push_back({processGroup, {}, guardian, guardianPipe, {}, true, lockFd});
    return true;
}

void markEnding() {
    ending = true;
}

void haltIfEnding() {
    while (ending) {
        ::pause();
    }
}

void endAllOffices() {
    {
        const std::lock_guard<std::mutex> preparing(preparingMutex);
        if (!preparingProfile.empty()) {
            posix::removeTree(preparingProfile);
            preparingProfile.clear();
        }
    }
    std::lock_guard<std::mutex> lock(registryMutex);
    while (!registry.empty()) {
        endLocked(registry.begin(), true);
    }
}

} // namespace office::detail
