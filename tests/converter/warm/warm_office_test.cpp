// The warm office instance end to end: a host program keeps it as murano does, the real lantrel
// borrows it. Runs through it start no office of their own and write what a cold run writes; a
// killed, hung or busy instance never makes a run fail; the host replaces a lost instance and
// leaves nothing running behind.
#include "tests/support/process.h"

#include "platform/office/office_process.h"
#include "platform/posix/posix_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

const std::string kLantrel = std::string(MURANO_BIN_DIR) + "/lantrel";
const std::string kHost = std::string(MURANO_TEST_BIN_DIR) + "/warm_office_host";
const std::string kDeck = std::string(EXPORT_DECKS) + "/standard.pptx"; // 12 slides

struct ConverterRun {
    int status = -1;
    std::string out;
    bool ownOffice = false; // an office process ran below the converter
};

bool mentionsOffice(int pid) {
    const std::string line = readFile("/proc/" + std::to_string(pid) + "/cmdline");
    return line.find("soffice") != std::string::npos || line.find("oosplash") != std::string::npos;
}

// Everything an ended program printed.
std::string allOutput(RunningProcess& program) {
    program.waitForOutput("\x01 not printed", 10000); // reads up to the end of the output
    return program.output();
}

class WarmOffice : public ::testing::Test {
protected:
    void SetUp() override {
        host =
            std::make_unique<RunningProcess>(kHost, std::vector<std::string>{kHost}, environment());
        ASSERT_TRUE(host->waitForOutput("warm ", 120000)) << "no warm instance started";
        waitForAnswer();
    }
    std::map<std::string, std::string> environment() const {
        return {{"XDG_STATE_HOME", state.path()}, {"XDG_RUNTIME_DIR", runtime.path()}};
    }
    // The group and pipe of the instance the host announced last.
    std::pair<int, std::string> announced() const {
        const std::string& out = host->output();
        std::istringstream line(out.substr(out.rfind("warm ") + 5));
        std::pair<int, std::string> instance;
        line >> instance.first >> instance.second;
        return instance;
    }
    int group() const { return announced().first; }
    // The socket files in /tmp the instance listens on, as the kernel lists them: its pipe and
    // the suite's own channel between starts on one profile.
    std::vector<std::string> socketFiles() const {
        const std::vector<std::string> files = office::detail::pipeFilesOf(group());
        EXPECT_GE(files.size(), 2u) << "the instance's pipe and channel files were not found";
        return files;
    }
    static void expectGone(const std::vector<std::string>& files) {
        for (const std::string& file : files) {
            EXPECT_TRUE(waitUntil([&] { return !posix::exists(file); }, 15000))
                << file << " is left";
        }
    }
    // Waits until the instance accepts connections on its pipe.
    void waitForAnswer() const {
        const std::string pipe =
            "/tmp/OSL_PIPE_" + std::to_string(::getuid()) + "_" + announced().second;
        ASSERT_TRUE(waitUntil([&] { return posix::exists(pipe); }, 120000)) << pipe;
    }
    void waitForReplacement() const {
        ASSERT_TRUE(host->waitForOutput("\nwarm ", 60000)) << "the instance was not replaced";
        waitForAnswer();
    }
    // A run that borrows the instance; the loading limit is generous by default, since a run
    // that falls back starts an office of its own on a machine that may be loaded.
    ConverterRun convert(const std::string& deck, const std::string& output,
                         const char* loadingLimitMs = "300000") const {
        std::map<std::string, std::string> env = environment();
        env["MURANO_OFFICE"] = announced().second;
        RunningProcess lantrel(
            kLantrel, {kLantrel, "-debug", "-ppttimeout", loadingLimitMs, deck, output}, env);
        ConverterRun run;
        run.status = -2;
        while (run.status == -2) {
            for (int pid : descendantsOf(lantrel.pid())) {
                run.ownOffice = run.ownOffice || mentionsOffice(pid);
            }
            run.status = lantrel.wait(20);
        }
        run.out = allOutput(lantrel);
        return run;
    }
    // The files of a slide export, by name.
    static std::map<std::string, std::string> slides(const std::string& folder) {
        std::map<std::string, std::string> files;
        for (const std::string& name : folderEntries(folder)) {
            files[name] = readFile(folder + "/" + name);
        }
        return files;
    }
    TemporaryFolder state;
    TemporaryFolder runtime;
    TemporaryFolder work;
    std::unique_ptr<RunningProcess> host;
};

TEST_F(WarmOffice, RunsInARowStartNoOfficeAndWriteWhatAColdRunWrites) {
    const ProcessResult cold = runProcess(
        kLantrel, {kLantrel, "-ppttimeout", "300000", kDeck, work.file("cold.jpg")}, environment());
    ASSERT_EQ(cold.status, 12) << cold.out;
    for (const char* output : {"first.jpg", "second.jpg"}) {
        const ConverterRun warm = convert(kDeck, work.file(output));
        EXPECT_EQ(warm.status, 12) << warm.out;
        EXPECT_FALSE(warm.ownOffice) << output << " started an office of its own";
        EXPECT_EQ(slides(work.file(output).substr(0, work.file(output).size() - 4)),
                  slides(work.file("cold")));
    }
    EXPECT_TRUE(groupAlive(group())) << "the run ended the warm instance";
}

TEST_F(WarmOffice, AKilledInstanceLeavesTheRunToAPrivateOneAndIsReplaced) {
    const int killed = group();
    const std::vector<std::string> files = socketFiles();
    ::kill(-killed, SIGKILL);
    const ConverterRun run = convert(kDeck, work.file("slides.jpg"));
    EXPECT_EQ(run.status, 12) << run.out;
    EXPECT_TRUE(run.ownOffice);
    waitForReplacement();
    EXPECT_NE(group(), killed);
    expectGone(files);
}

TEST_F(WarmOffice, AnInstanceKilledDuringTheRunIsReplacedAndTheRunRepeatedPrivately) {
    std::map<std::string, std::string> env = environment();
    env["MURANO_OFFICE"] = announced().second;
    RunningProcess lantrel(
        kLantrel, {kLantrel, "-debug", "-ppttimeout", "300000", kDeck, work.file("slides.jpg")},
        env);
    ASSERT_TRUE(lantrel.waitForOutput("Loading", 120000)) << lantrel.output();
    const int killed = group();
    ::kill(-killed, SIGKILL);
    EXPECT_EQ(lantrel.wait(300000), 12);
    const std::string out = allOutput(lantrel);
    EXPECT_NE(out.find("Loading", out.find("Loading") + 1), std::string::npos)
        << "the run was not repeated in a private instance: " << out;
    EXPECT_EQ(folderEntries(work.file("slides")).size(), 12u);
    waitForReplacement();
    EXPECT_NE(group(), killed);
}

TEST_F(WarmOffice, AHungInstanceEndsTheRunByTheLoadingLimitAndIsReplaced) {
    const int hung = group();
    ::kill(-hung, SIGSTOP);
    const ConverterRun run = convert(kDeck, work.file("slides.jpg"), "500");
    EXPECT_EQ(run.status, 168) << run.out;
    EXPECT_FALSE(run.ownOffice);
    EXPECT_TRUE(waitUntil([&] { return !groupAlive(hung); }, 15000)) << "the hung office is left";
    waitForReplacement();
}

TEST_F(WarmOffice, TwoRunsAtOnceBothSucceedAndAtLeastOneIsWarm) {
    ConverterRun first;
    std::thread other([&] { first = convert(kDeck, work.file("first.jpg")); });
    const ConverterRun second = convert(kDeck, work.file("second.jpg"));
    other.join();
    EXPECT_EQ(first.status, 12) << first.out;
    EXPECT_EQ(second.status, 12) << second.out;
    EXPECT_FALSE(first.ownOffice && second.ownOffice) << "neither run used the warm instance";
    EXPECT_EQ(slides(work.file("first")), slides(work.file("second")));
}

class WarmOfficeHostEnd : public WarmOffice, public ::testing::WithParamInterface<int> {};

TEST_P(WarmOfficeHostEnd, LeavesNoOfficeRunningAndNoFileBehind) {
    const int instance = group();
    const std::vector<std::string> files = socketFiles();
    host->signal(GetParam());
    host->wait(30000);
    EXPECT_TRUE(waitUntil([&] { return !groupAlive(instance); }, 15000));
    const auto profileLeft = [this] {
        for (const std::string& name : folderEntries(runtime.path())) {
            if (name.rfind("murano-office-", 0) == 0) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(waitUntil([&] { return !profileLeft(); }, 15000)) << "a private profile is left";
    expectGone(files);
}

INSTANTIATE_TEST_SUITE_P(QuitOrKilled, WarmOfficeHostEnd, ::testing::Values(SIGTERM, SIGKILL));

} // namespace
