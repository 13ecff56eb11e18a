// The Windows build of the book stub: a static x86-64 console program that needs no DLL of its
// own, and, where wine runs, the same book unpacked by it as by the Linux build.
#include "tests/support/process.h"
#include "tests/zipread/test_archives.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

const std::string kWindowsStub = MURANO_BIN_DIR "/book.exe";
const std::string kLinuxStub = MURANO_BIN_DIR "/book";

std::uint32_t little(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + std::size_t(i)));
    }
    return value;
}

TEST(WindowsStub, IsAStaticX64ConsoleProgram) {
    const std::string exe = readFile(kWindowsStub);
    ASSERT_EQ(exe.substr(0, 2), "MZ");
    const std::size_t pe = little(exe, 0x3c, 4);
    ASSERT_EQ(exe.substr(pe, 4), std::string("PE\0\0", 4));
    EXPECT_EQ(little(exe, pe + 4, 2), 0x8664u) << "machine: x86-64";
    EXPECT_TRUE(little(exe, pe + 22, 2) & 0x0002) << "characteristics: executable image";
    const std::size_t optional = pe + 24;
    EXPECT_EQ(little(exe, optional, 2), 0x20bu) << "PE32+";
    EXPECT_EQ(little(exe, optional + 68, 2), 3u) << "subsystem: console";

    // Only libraries every Windows has: no compiler runtime or zlib DLL to ship beside it.
    const ProcessResult dump = runProcess(MURANO_MINGW_OBJDUMP, {"objdump", "-p", kWindowsStub});
    ASSERT_EQ(dump.status, 0) << dump.err;
    const std::set<std::string> system = {"kernel32.dll", "msvcrt.dll", "shell32.dll",
                                          "user32.dll"};
    std::istringstream lines(dump.out);
    int imports = 0;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find("DLL Name: ");
        if (at != std::string::npos) {
            std::string name = line.substr(at + 10);
            std::transform(name.begin(), name.end(), name.begin(), ::tolower);
            EXPECT_EQ(system.count(name), 1u) << name;
            ++imports;
        }
    }
    EXPECT_GT(imports, 0);
}

class WineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string(MURANO_WINE).empty()) {
            GTEST_SKIP() << "wine is not installed";
        }
        ASSERT_EQ(testArchivesError(), "");
    }
    std::string executable(const std::string& archiveName) {
        const std::string archive = readFile(testArchive(archiveName));
        const auto n = static_cast<std::uint32_t>(archive.size());
        const std::string path = scratch_.file("book-out.exe");
        writeFile(path, readFile(kWindowsStub) + std::string("\0\0\0\x1a", 4) +
                            "QUORVEXBOOKPAYLOAD9876540" + '\0' +
                            std::string{char(n >> 24), char(n >> 16), char(n >> 8), char(n)} +
                            archive);
        return path;
    }
    // Runs a program under wine in a prefix kept in the build folder (made on the first run).
    ProcessResult wine(const std::vector<std::string>& arguments) {
        std::vector<std::string> words = {"wine"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        return runProcess(MURANO_WINE, words,
                          {{"WINEPREFIX", MURANO_WINE_PREFIX},
                           {"WINEDEBUG", "-all"},
                           {"WINEDLLOVERRIDES", "mscoree,mshtml="},
                           {"DISPLAY", ""}});
    }
    static std::string windowsPath(const std::string& path) {
        std::string text = "Z:" + path;
        std::replace(text.begin(), text.end(), '/', '\\');
        return text;
    }
    // Every path below `folder` with the file's content.
    static std::vector<std::string> contentsBelow(const std::string& folder) {
        std::vector<std::string> contents;
        for (const std::string& path : filesBelow(folder)) {
            const fs::path file = fs::path(folder) / path;
            contents.push_back(path + " " + (fs::is_regular_file(file) ? readFile(file) : "/"));
        }
        return contents;
    }

    TemporaryFolder scratch_;
};

TEST_F(WineTest, UnpacksTheSameFilesAsTheLinuxStub) {
    const std::string exe = executable("good.zip");
    const std::string windowsOut = scratch_.file("windows");
    const ProcessResult unpacked = wine({exe, "--extract", windowsPath(windowsOut)});
    ASSERT_EQ(unpacked.status, 0) << unpacked.err;
    EXPECT_EQ(unpacked.out.substr(0, unpacked.out.find_last_not_of("\r\n") + 1),
              windowsPath(windowsOut) + "\\Book\\index.html");

    const std::string linuxOut = scratch_.file("linux");
    const ProcessResult reference =
        runProcess(kLinuxStub, {"book", "--open", exe, "--extract", linuxOut});
    ASSERT_EQ(reference.status, 0) << reference.err;
    EXPECT_EQ(contentsBelow(windowsOut), contentsBelow(linuxOut));
}

TEST_F(WineTest, RefusesHostileNamesOnWindowsToo) {
    for (const char* name : {"climb-backslash.zip", "drive.zip", "drive-relative.zip", "stream.zip",
                             "trailing-dots.zip", "device.zip"}) {
        const std::string exe = executable(name);
        const ProcessResult result = wine({exe, "--extract", windowsPath(scratch_.file("out"))});
        EXPECT_EQ(result.status, 1) << name;
        EXPECT_NE(result.err.find("unsafe entry name"), std::string::npos) << name << result.err;
        EXPECT_EQ(folderEntries(scratch_.path()), std::vector<std::string>{"book-out.exe"}) << name;
    }
}

} // namespace
