#include "tests/support/process.h"

#include "platform/posix/posix_files.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& overrides) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        if (overrides.find(name) == overrides.end()) {
            merged.push_back(text);
        }
    }
    for (const auto& [name, value] : overrides) {
        merged.push_back(name + "=" + value);
    }
    return merged;
}

} // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment) {
    TemporaryFolder capture;
    const std::string outPath = capture.file("out");
    const std::string errPath = capture.file("err");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> words = arguments;
    std::vector<std::string> env = mergedEnvironment(environment);
    std::vector<char*> argv = posix::argumentVector(words);
    std::vector<char*> envp = posix::argumentVector(env);

    ProcessResult result;
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        result.err = "cannot start " + program;
        return result;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

TemporaryFolder::TemporaryFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/murano-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    posix::removeTree(path_);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::string> folderEntries(const std::string& path) {
    return posix::folderEntries(path);
}

RunningProcess::RunningProcess(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::map<std::string, std::string>& environment) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    std::vector<std::string> words = arguments;
    std::vector<std::string> env = mergedEnvironment(environment);
    std::vector<char*> argv = posix::argumentVector(words);
    std::vector<char*> envp = posix::argumentVector(env);
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        pid_ = child;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    outFd_ = fds[0];
}

RunningProcess::~RunningProcess() {
    if (pid_ > 0 && !ended_) {
        ::kill(pid_, SIGKILL);
        wait(5000);
    }
    if (outFd_ >= 0) {
        ::close(outFd_);
    }
}

bool RunningProcess::waitForOutput(const std::string& text, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out_.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            return false;
        }
        pollfd poller{outFd_, POLLIN, 0};
        if (::poll(&poller, 1, static_cast<int>(left)) <= 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t got = ::read(outFd_, buffer, sizeof buffer);
        if (got <= 0) {
            return out_.find(text) != std::string::npos;
        }
        out_.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

void RunningProcess::signal(int number) {
    if (pid_ > 0 && !ended_) {
        ::kill(pid_, number);
    }
}

int RunningProcess::wait(int timeoutMs) {
    for (int waited = 0; pid_ > 0 && waited <= timeoutMs; waited += 20) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            ended_ = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -2;
}

namespace {

// The fields of /proc/<pid>/stat after the command name: state, parent, process group.
struct ProcessStat {
    char state = 0;
    int parent = -1;
    int group = -1;
};

bool readProcessStat(const std::string& pid, ProcessStat& fields) {
    const std::string stat = readFile("/proc/" + pid + "/stat");
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos &&
           std::sscanf(stat.c_str() + close + 1, " %c %d %d", &fields.state, &fields.parent,
                       &fields.group) == 3;
}

std::vector<std::string> processIds() {
    std::vector<std::string> ids;
    for (const std::string& name : folderEntries("/proc")) {
        if (name.find_first_not_of("0123456789") == std::string::npos) {
            ids.push_back(name);
        }
    }
    return ids;
}

} // namespace

std::vector<int> descendantsOf(int pid) {
    std::vector<int> found;
    std::vector<int> parents{pid};
    while (!parents.empty()) {
        const int parent = parents.back();
        parents.pop_back();
        for (const std::string& name : processIds()) {
            ProcessStat fields;
            if (readProcessStat(name, fields) && fields.parent == parent) {
                found.push_back(std::stoi(name));
                parents.push_back(std::stoi(name));
            }
        }
    }
    return found;
}

bool processAlive(int pid) {
    ProcessStat fields;
    // A zombie has ended; only its parent has not reaped it yet.
    return readProcessStat(std::to_string(pid), fields) && fields.state != 'Z';
}

int processGroupOf(int pid) {
    ProcessStat fields;
    return readProcessStat(std::to_string(pid), fields) ? fields.group : -1;
}

bool groupAlive(int group) {
    for (const std::string& name : processIds()) {
        ProcessStat fields;
        if (readProcessStat(name, fields) && fields.group == group && fields.state != 'Z') {
            return true;
        }
    }
    return false;
}

int deadProcessId() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
