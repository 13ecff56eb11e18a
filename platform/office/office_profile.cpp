// Private profiles that start fast. A brand-new profile costs the office suite its first-start
// work: a search for a Java runtime (which starts one), a restart of the office process and a
// synchronisation of its extensions. So every private profile is a copy of a template, made once
// per office version by one short session, with Java switched off (nothing the converter does
// needs it) and the suite's version recorded as the last one used. Without that record every
// start counts as the first of a new version and runs the suite's rendering self-test, which
// fills about a gigabyte of test bitmaps and took three quarters of each start's processor time.
// The template lives in the user's cache ($XDG_CACHE_HOME/quorvex, 0700); without it a profile
// simply starts empty.
#include "office_words_script.h"
#include "platform/office/murano_office.h"
#include "platform/office/office_process.h"

#include "platform/posix/posix_files.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace office::detail {
namespace {

constexpr auto kTemplateBuildLimit = std::chrono::seconds(90);
const char* const kBuildPrefix = "office-profile-build-";
const char* const kWorkPrefix = "office-profile-work-";

bool makeFolder(const std::string& path, mode_t mode) {
    return ::mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

std::string cacheFolder() {
    std::string base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/') {
        base = cache;
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        base = std::string(home) + "/.cache";
    } else {
        return {};
    }
    const std::string folder = base + "/quorvex";
    if (!makeFolder(base, 0700) || !makeFolder(folder, 0700) || ::chmod(folder.c_str(), 0700)) {
        return {};
    }
    return folder;
}

// One byte more into an FNV-1a hash.
unsigned long long hashed(unsigned long long hash, int byte) {
    return (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
}

// A key of the installed office version and of what a template holds, so that an upgrade, and a
// template made by an older murano, get a template of their own.
std::string versionKey() {
    std::FILE* file = std::fopen(MURANO_OFFICE_PROGRAM_DIR "/versionrc", "rb");
    unsigned long long hash = 1469598103934665603ull;
    for (const char c : std::string("template 2: last version recorded")) {
        hash = hashed(hash, c);
    }
    if (file) {
        for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
            hash = hashed(hash, c);
        }
        std::fclose(file);
    }
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", hash);
    return key;
}

bool writeText(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

// Java switched off: the launcher then skips its search for a runtime.
bool disableJava(const std::string& profile) {
    struct utsname machine {};
    if (::uname(&machine) != 0) {
        return false;
    }
    std::string architecture = machine.machine;
    for (char& c : architecture) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const std::string config = profile + "/user/config";
    if (!makeFolder(profile + "/user", 0700) || !makeFolder(config, 0700)) {
        return false;
    }
    return writeText(config + "/javasettings_Linux_" + architecture + ".xml",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<java xmlns=\"http://openoffice.org/2004/java/framework/1.0\" "
                     "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
                     "<enabled xsi:nil=\"false\">false</enabled>\n"
                     "<userClassPath xsi:nil=\"true\"/>\n"
                     "<vmParameters xsi:nil=\"true\"/>\n"
                     "<jreLocations xsi:nil=\"true\"/>\n"
                     "<javaInfo xsi:nil=\"true\"/>\n"
                     "</java>\n");
}

// The suite's version as its configuration states it ("7.4"), or "" when it cannot be read.
std::string officeSetupVersion() {
    std::FILE* file = std::fopen(MURANO_OFFICE_PROGRAM_DIR "/../share/registry/main.xcd", "rb");
    if (!file) {
        return {};
    }
    std::string text;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        text.append(buffer, got);
    }
    std::fclose(file);
    // The value, not the schema's declaration (which carries a type).
    const std::size_t property = text.find("<prop oor:name=\"ooSetupVersion\">");
    const std::size_t value = text.find("<value>", property);
    const std::size_t end = text.find("</value>", value);
    if (property == std::string::npos || value == std::string::npos || end == std::string::npos) {
        return {};
    }
    const std::string version = text.substr(value + 7, end - value - 7);
    const bool plain = !version.empty() && version.size() < 16 &&
                       version.find_first_not_of("0123456789.") == std::string::npos;
    return plain ? version : std::string();
}

// Records the suite's version as the last one this profile was used with, so that its starts
// are not taken for the first start of a new version (see the top of this file).
bool recordLastVersion(const std::string& profile) {
    static const std::string version = officeSetupVersion();
    if (version.empty() || !makeFolder(profile + "/user", 0700)) {
        return false;
    }
    return writeText(profile + "/user/registrymodifications.xcu",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                     "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                     "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
                     "<item oor:path=\"/org.openoffice.Setup/Product\"><prop "
                     "oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\"><value>" +
                         version + "</value></prop></item>\n</oor:items>\n");
}

// A profile made without the template: Java off and the version recorded.
void prepareBareProfile(const std::string& profile) {
    disableJava(profile);
    recordLastVersion(profile);
}

// Runs the office suite once on a new profile through a whole session (it converts a one-line
// text file, so that it also records its extension synchronisation and ends cleanly), then moves
// the profile into place as the template. Two converters building at once: the first rename wins.
bool buildTemplate(const std::string& cache, const std::string& templateFolder) {
    std::string build = ownedName(cache + "/" + kBuildPrefix) + "-XXXXXX";
    std::string work = ownedName(cache + "/" + kWorkPrefix) + "-XXXXXX";
    if (!::mkdtemp(build.data())) {
        return false;
    }
    bool built = false;
    if (::mkdtemp(work.data()) && disableJava(build) && writeText(work + "/start.txt", "start\n")) {
        recordLastVersion(build); // without the record the template works, its starts are slower
        const int group =
            spawnOffice(build, {"--convert-to", "pdf", "--outdir", work, work + "/start.txt"});
        built = group > 0 && waitForLauncher(group, kTemplateBuildLimit) &&
                ::rename(build.c_str(), templateFolder.c_str()) == 0;
        if (group > 0) {
            endOffice(group); // whatever is left of it; removes the build folder if not moved
        }
    }
    posix::removeTree(work);
    posix::removeTree(build);
    return built;
}

// Holds the cache's build lock: one template build at a time across processes. The lock goes with
// the process, however it ends.
class BuildLock {
public:
    explicit BuildLock(const std::string& cache)
        : fd_(::open((cache + "/office-profile.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC,
                     0600)) {
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~BuildLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    BuildLock(const BuildLock&) = delete;
    BuildLock& operator=(const BuildLock&) = delete;

private:
    int fd_;
};

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string templateFolderIn(const std::string& cache) {
    return cache + "/office-profile-" + versionKey();
}

// Makes the template unless it exists; one process at a time, the others wait and find it made.
// What killed builds left is swept first.
bool ensureTemplate(const std::string& cache) {
    const std::string templateFolder = templateFolderIn(cache);
    if (exists(templateFolder)) {
        return true;
    }
    const BuildLock lock(cache);
    if (exists(templateFolder)) {
        return true;
    }
    sweepProfiles(cache, kBuildPrefix);
    sweepFolder(cache, kWorkPrefix);
    return buildTemplate(cache, templateFolder);
}

std::string copyTarget;
std::string copySource;
bool copyFailed = false;

bool copyRegularFile(const char* from, const std::string& to, mode_t mode) {
    const int in = ::open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode & 0700);
    bool copied = out >= 0;
    char buffer[65536];
    ssize_t got = 0;
    while (copied && (got = ::read(in, buffer, sizeof buffer)) > 0) {
        copied = ::write(out, buffer, static_cast<std::size_t>(got)) == got;
    }
    copied = copied && got == 0;
    ::close(in);
    if (out >= 0 && ::close(out) != 0) {
        copied = false;
    }
    return copied;
}

int copyEntry(const char* path, const struct stat* info, int type, struct FTW*) {
    const std::string relative = std::string(path).substr(copySource.size());
    const std::string target = copyTarget + relative;
    if (type == FTW_D) {
        if (!relative.empty() && !makeFolder(target, 0700)) {
            copyFailed = true;
        }
    } else if (type == FTW_F && std::strcmp(path + std::strlen(path) - 5, ".lock") != 0) {
        if (!copyRegularFile(path, target, info->st_mode)) {
            copyFailed = true;
        }
    }
    return copyFailed ? 1 : 0;
}

// Copies the template's files into the new profile folder. The walk's state is shared, so one
// copy runs at a time.
bool copyTemplate(const std::string& templateFolder, const std::string& folder) {
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    copySource = templateFolder;
    copyTarget = folder;
    copyFailed = false;
    return ::nftw(templateFolder.c_str(), copyEntry, 16, FTW_PHYS) == 0 && !copyFailed;
}

// The words script among the profile's user scripts. Without it the converter reads the words
// itself, call by call.
void addWordsScript(const std::string& profile) {
    const std::string scripts = profile + "/user/Scripts";
    if (makeFolder(profile + "/user", 0700) && makeFolder(scripts, 0700) &&
        makeFolder(scripts + "/python", 0700)) {
        writeText(scripts + "/python/" + kWordsScriptModule, kWordsScriptSource);
    }
}

} // namespace

void prepareProfile(const std::string& folder) {
    const std::string cache = cacheFolder();
    const std::string templateFolder = templateFolderIn(cache);
    if (cache.empty() || !ensureTemplate(cache)) {
        prepareBareProfile(folder);
    } else if (!copyTemplate(templateFolder, folder)) {
        // A damaged template is rebuilt next time; this start goes without it.
        posix::removeTree(templateFolder);
        posix::removeTree(folder);
        makeFolder(folder, 0700);
        prepareBareProfile(folder);
    }
    addWordsScript(folder);
}

} // namespace office::detail

namespace office {

void prepareProfileTemplate() {
    if (const std::string cache = detail::cacheFolder(); !cache.empty()) {
        detail::ensureTemplate(cache);
    }
}

} // namespace office
