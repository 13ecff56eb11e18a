#include "tests/converter/export/export_process.h"

#include "platform/posix/posix_files.h"
#include "tests/converter/export/test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// Generous: a start of the office suite on a busy machine with two cores takes seconds.
constexpr auto kRunLimit = std::chrono::seconds(240);

std::vector<std::string> environmentFor(const std::string& sandbox,
                                        const std::vector<std::string>& overrides) {
    std::vector<std::string> own = overrides;
    own.push_back("TMPDIR=" + sandbox + "/tmp");
    own.push_back("XDG_RUNTIME_DIR=" + sandbox + "/tmp");
    own.push_back("XDG_STATE_HOME=" + sandbox + "/state");
    std::vector<std::string> variables = own;
    for (char** variable = environ; *variable; ++variable) {
        const std::string entry = *variable;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(own.begin(), own.end(),
                         [&name](const std::string& v) { return v.rfind(name, 0) == 0; })) {
            variables.push_back(entry);
        }
    }
    return variables;
}

} // namespace

LantrelRun runLantrel(const std::vector<std::string>& arguments, const std::string& sandbox,
                      const std::vector<std::string>& environmentOverrides) {
    ::mkdir((sandbox + "/tmp").c_str(), 0700);
    ::mkdir((sandbox + "/state").c_str(), 0700);
    const std::string outPath = sandbox + "/stdout.txt";
    const std::string errPath = sandbox + "/stderr.txt";
    std::vector<std::string> words = {MURANO_BIN_DIR "/lantrel"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environment = environmentFor(sandbox, environmentOverrides);
    std::vector<char*> argv = posix::argumentVector(words);
    std::vector<char*> envp = posix::argumentVector(environment);

    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    LantrelRun run;
    const auto deadline = std::chrono::steady_clock::now() + kRunLimit;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "lantrel did not finish in time";
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = fileBytes(outPath);
    run.err = fileBytes(errPath);
    return run;
}

std::vector<int> processesMentioning(const std::string& text) {
    std::vector<int> found;
    for (const std::string& entry : folderEntries("/proc")) {
        if (entry.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::string commandLine = fileBytes("/proc/" + entry + "/cmdline");
        std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
        if (commandLine.find(text) != std::string::npos) {
            found.push_back(std::stoi(entry));
        }
    }
    return found;
}

std::vector<std::string> crLfLines(const std::string& output) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = output.find('\n'); end != std::string::npos;
         end = output.find('\n', start)) {
        EXPECT_TRUE(end > start && output[end - 1] == '\r')
            << "line without CR LF: " << output.substr(start, end - start);
        lines.push_back(output.substr(
            start, end > start && output[end - 1] == '\r' ? end - start - 1 : end - start));
        start = end + 1;
    }
    EXPECT_EQ(start, output.size()) << "unterminated last line";
    return lines;
}

std::string deckPath(const std::string& name) {
    return std::string(EXPORT_DECKS) + "/" + name;
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* listing = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(listing);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string commandOutput(const std::string& command) {
    std::string output;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            output.append(buffer, got);
        }
        ::pclose(pipe);
    }
    return output;
}
