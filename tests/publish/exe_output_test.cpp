// The executable output: the payload behind the stub read back byte by byte, the target replaced
// whole or not at all, and the result opened by the real Linux stub.
#include "publish/exe_output.h"
#include "tests/publish/wall_fixture.h"
#include "tests/support/process.h"
#include "tests/zipread/test_archives.h"

#include <QFile>
#include <QString>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <thread>

namespace {

namespace fs = std::filesystem;

const std::string kWindowsStub = MURANO_BIN_DIR "/book.exe";
const std::string kLinuxStub = MURANO_BIN_DIR "/book";

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

class ExeOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(testArchivesError(), "");
        book_ = readFile(testArchive("good.zip"));
        fs::create_directories(work());
        fs::create_directories(outputFolder());
        writeFile(archive(), book_);
    }
    std::string work() const { return scratch_.file("work"); }
    std::string archive() const { return work() + "/wall.zip"; }
    std::string outputFolder() const { return scratch_.file("output"); }
    std::string target() const { return outputFolder() + "/wall.exe"; }

    TemporaryFolder scratch_;
    std::string book_;
};

TEST_F(ExeOutputTest, AppendsThePayloadAtTheStubsExactSize) {
    const JobResult result = generateExe(q(archive()), q(target()), q(kWindowsStub));
    ASSERT_TRUE(result.ok()) << result.message.toStdString();

    const std::string stub = readFile(kWindowsStub);
    const std::string exe = readFile(target());
    ASSERT_EQ(exe.size(), stub.size() + 34 + book_.size());
    EXPECT_TRUE(exe.compare(0, stub.size(), stub) == 0) << "the stub's bytes are unchanged";
    std::string payload = exe.substr(stub.size());
    EXPECT_EQ(payload.substr(0, 4), std::string("\x00\x00\x00\x1a", 4));
    EXPECT_EQ(payload.substr(4, 25), "QUORVEXBOOKPAYLOAD9876540");
    EXPECT_EQ(payload[29], '\0');
    const auto n = static_cast<std::uint32_t>(book_.size());
    EXPECT_EQ(payload.substr(30, 4),
              (std::string{char(n >> 24), char(n >> 16), char(n >> 8), char(n)}));
    EXPECT_TRUE(payload.compare(34, std::string::npos, book_) == 0) << "the archive ends the file";

    const fs::perms perms = fs::status(target()).permissions();
    for (fs::perms execute :
         {fs::perms::owner_exec, fs::perms::group_exec, fs::perms::others_exec}) {
        EXPECT_NE(perms & execute, fs::perms::none);
    }
    EXPECT_FALSE(fs::exists(archive())) << "the archive is removed";
    EXPECT_EQ(folderEntries(outputFolder()), std::vector<std::string>{"wall.exe"});
}

TEST_F(ExeOutputTest, TheLinuxStubUnpacksTheOutput) {
    ASSERT_TRUE(generateExe(q(archive()), q(target()), q(kLinuxStub)).ok());
    const std::string out = scratch_.file("unpacked");
    // The output itself runs on Linux, and the plain stub reads it with --open.
    for (const std::string& program : {target(), kLinuxStub}) {
        const ProcessResult run =
            program == target()
                ? runProcess(program, {"wall.exe", "--extract", out})
                : runProcess(program, {"book", "--open", target(), "--extract", out + "2"});
        ASSERT_EQ(run.status, 0) << program << ": " << run.err;
    }
    EXPECT_EQ(readFile(out + "/Book/xml/images.xml"), "<images/>");
    EXPECT_EQ(readFile(out + "2/Book/xml/images.xml"), "<images/>");
}

TEST_F(ExeOutputTest, ReplacesAnEarlierOutput) {
    writeFile(target(), "an earlier, longer output that must not survive in part");
    fs::permissions(target(), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(generateExe(q(archive()), q(target()), q(kWindowsStub)).ok());
    EXPECT_EQ(fs::file_size(target()), fs::file_size(kWindowsStub) + 34 + book_.size());
    EXPECT_NE(fs::status(target()).permissions() & fs::perms::owner_exec, fs::perms::none);
}

TEST_F(ExeOutputTest, AFailureSaysWhyAndLeavesTheTargetAsItWas) {
    const std::string earlier = "the earlier output";
    struct Case {
        std::string label;
        std::string stub;
        std::string archive;
        std::string target;
        std::string named; // what the message names
    };
    writeFile(scratch_.file("empty.zip"), "");
    writeFile(scratch_.file("a-file"), "");
    const std::vector<Case> cases = {
        {"missing stub", scratch_.file("no-book.exe"), archive(), target(), "no-book.exe"},
        {"missing archive", kWindowsStub, work() + "/gone.zip", target(), "gone.zip"},
        {"empty archive", kWindowsStub, scratch_.file("empty.zip"), target(), "empty.zip"},
        {"unwritable target", kWindowsStub, archive(), scratch_.file("a-file") + "/wall.exe",
         "a-file/wall.exe"},
    };
    for (const Case& c : cases) {
        writeFile(archive(), book_);
        writeFile(target(), earlier);
        const JobResult result = generateExe(q(c.archive), q(c.target), q(c.stub));
        EXPECT_FALSE(result.ok()) << c.label;
        EXPECT_TRUE(result.message.contains(q(c.named)))
            << c.label << ": " << result.message.toStdString();
        EXPECT_EQ(readFile(target()), earlier) << c.label;
        EXPECT_EQ(folderEntries(outputFolder()), std::vector<std::string>{"wall.exe"}) << c.label;
        EXPECT_FALSE(fs::exists(c.archive)) << c.label << ": the archive is removed";
    }
}

TEST_F(ExeOutputTest, AFullDiskIsNamedAsSuch) {
    const std::string disk = scratch_.file("disk");
    fs::create_directories(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    const JobResult result = generateExe(q(archive()), q(disk + "/wall.exe"), q(kWindowsStub));
    const std::vector<std::string> left = folderEntries(disk);
    ::umount2(disk.c_str(), MNT_DETACH);
    EXPECT_TRUE(result.message.contains("No space left on device")) << result.message.toStdString();
    EXPECT_EQ(left, std::vector<std::string>{}) << "nothing partial is left";
}

TEST_F(ExeOutputTest, MakeExePacksTheWallInTheBookLayout) {
    const QString wall = q(scratch_.file("wall")) + "/";
    makeWall(wall, WallFixture{});
    const QString zip = wall + "wall.zip";
    const JobResult result = makeExe(q(target()), zip, WallFolder(wall), {}, q(kWindowsStub));
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    EXPECT_FALSE(QFile::exists(zip));
    EXPECT_FALSE(QFile::exists(wall + "/zapperstab"));

    const std::string out = scratch_.file("unpacked");
    const ProcessResult run =
        runProcess(kLinuxStub, {"book", "--open", target(), "--extract", out});
    ASSERT_EQ(run.status, 0) << run.err;
    // The template page unchanged, the movie under its new name, and no main.swf.
    EXPECT_EQ(readFile(out + "/Book/index.html"), readFile(MURANO_BIN_DIR "/flash/index.html"));
    EXPECT_EQ(readFile(out + "/Book/book.swf"), readFile(MURANO_BIN_DIR "/flash/main.swf"));
    EXPECT_FALSE(fs::exists(out + "/Book/main.swf"));
    for (const QString& file : filesNamedByWall(wall)) {
        EXPECT_TRUE(fs::is_regular_file(out + "/Book/" + file.toStdString())) << file.toStdString();
    }
}

TEST_F(ExeOutputTest, MakeExeStopsWhenPackingFails) {
    writeFile(target(), "the earlier output");
    const QString zip = q(work()) + "/new.zip";
    const JobResult result = makeExe(
        q(target()), zip, WallFolder(q(scratch_.file("no-wall")) + "/"), {}, q(kWindowsStub));
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.message.isEmpty());
    EXPECT_EQ(readFile(target()), "the earlier output");
    EXPECT_FALSE(QFile::exists(zip));
}

TEST_F(ExeOutputTest, OpenExeShowsTheOutputThroughTheLinuxStub) {
    ASSERT_TRUE(generateExe(q(archive()), q(target()), q(kWindowsStub)).ok());
    // The stub hands the page to xdg-open: this one notes it instead of starting a browser.
    const std::string bin = scratch_.file("bin");
    fs::create_directories(bin);
    writeFile(bin + "/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + scratch_.file("opened") +
                                     ".part' && mv '" + scratch_.file("opened") + ".part' '" +
                                     scratch_.file("opened") + "'\n");
    fs::permissions(bin + "/xdg-open", fs::perms::owner_all);
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", (bin + ":" + path).c_str(), 1);
    ::setenv("XDG_CACHE_HOME", scratch_.file("cache").c_str(), 1);
    const bool started = openExe(q(target()), q(kLinuxStub));
    // The stub unpacks the book first: a loaded machine may take its time, so the bound is wide.
    for (int i = 0; i < 1200 && !fs::exists(scratch_.file("opened")); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::setenv("PATH", path.c_str(), 1);
    ::unsetenv("XDG_CACHE_HOME");
    ASSERT_TRUE(started);
    ASSERT_TRUE(fs::exists(scratch_.file("opened")));
    const std::string page = readFile(scratch_.file("opened"));
    EXPECT_EQ(page.rfind(scratch_.file("cache") + "/quorvex/books/", 0), 0u) << page;
    EXPECT_TRUE(fs::is_regular_file(page)) << page;

    EXPECT_FALSE(openExe(q(target()), q(scratch_.file("no-stub"))));
}

} // namespace
