// Runs a program the way a user or a parent process would, and captures what it prints.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

struct ProcessResult {
    int status = -1; // the exit status 0..255, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `arguments` (word 0 is the program's own name as invoked), in the caller's
// environment with `environment` added or replaced, and waits for it to end.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment = {});

// A program running in the background whose standard output is read as it comes.
class RunningProcess {
public:
    RunningProcess(const std::string& program, const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& environment = {});
    ~RunningProcess(); // kills the program if it still runs
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    int pid() const { return pid_; }
    // Reads standard output until it holds `text` or the time is up; returns whether it does.
    bool waitForOutput(const std::string& text, int timeoutMs);
    const std::string& output() const { return out_; }
    void signal(int number);
    // Waits for the end and returns the exit status (0..255), -1 when it did not exit normally,
    // or -2 when it is still running after the time.
    int wait(int timeoutMs);

private:
    int pid_ = -1;
    int outFd_ = -1;
    std::string out_;
    bool ended_ = false;
};

// The ids of every process below `pid` (children, grandchildren, ...), read from /proc.
// Asks `condition` every 20 ms until it holds (true) or timeoutMs have passed (false).
bool waitUntil(const std::function<bool()>& condition, int timeoutMs);

std::vector<int> descendantsOf(int pid);
bool processAlive(int pid);
// The id of a process that has ended, for leftovers whose owner is gone.
int deadProcessId();
// The process group of a process, or -1 when there is no such process.
int processGroupOf(int pid);
// Whether a process group has a live member (zombies do not count).
bool groupAlive(int group);

// A fresh, empty folder under the system's temporary folder, removed with everything in it when
// the object goes away.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> folderEntries(const std::string& path);
