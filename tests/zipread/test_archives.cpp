#include "tests/zipread/test_archives.h"

#include "tests/support/process.h"

#include <algorithm>
#include <filesystem>

namespace {

struct Archives {
    TemporaryFolder folder;
    ProcessResult made;
    Archives()
        : made(runProcess(
              MURANO_PYTHON,
              {"python3", MURANO_SOURCE_DIR "/tests/zipread/make_archives.py", folder.path()})) {}
};

const Archives& archives() {
    static const Archives made;
    return made;
}

} // namespace

std::string testArchive(const std::string& name) {
    return archives().folder.file(name);
}

std::string testArchivesError() {
    return archives().made.status == 0 ? std::string() : "make_archives.py: " + archives().made.err;
}

std::vector<std::string> filesBelow(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> paths;
    if (fs::exists(folder)) {
        for (const auto& item : fs::recursive_directory_iterator(folder)) {
            paths.push_back(item.path().lexically_relative(folder).string());
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}
