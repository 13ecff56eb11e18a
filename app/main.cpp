// murano: the desktop program. Given a subcommand (import, apply, publish, project, upload, walls),
// --work, --help or --version it runs without a window (cli/batch.h); otherwise it becomes the
// window program installed beside it, in the same process, with the same arguments. The command
// line so never loads the window's libraries (the browser engine's above all), whose loading
// alone cost a batch command more time than a small import.
#include "cli/batch.h"
#include "platform/posix/posix_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

constexpr const char* kWindowProgram = "murano-window";

int openWindow(char* argv[]) {
    const std::string program = posix::executablePath();
    const std::string window = program.substr(0, program.rfind('/') + 1) + kWindowProgram;
    ::execv(window.c_str(), argv);
    std::fprintf(stderr, "murano: the window cannot be started (%s): %s\n", window.c_str(),
                 std::strerror(errno));
    return 127;
}

} // namespace

int main(int argc, char* argv[]) {
    return batch::wantsBatch(argc, argv) ? batch::runBatch(argc, argv) : openWindow(argv);
}
