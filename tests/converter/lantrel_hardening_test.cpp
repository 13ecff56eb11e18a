// The converter under hostile conditions: other people's files beside the output, stops and kills
// in every format, inputs that are not presentations, full disks and an output that names the
// input. Each case checks that nothing is lost, nothing keeps running and no failure is called
// success.
#include "tests/support/process.h"

#include "platform/posix/posix_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <memory>
#include <set>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string kLantrel = std::string(MURANO_BIN_DIR) + "/lantrel";
const std::string kSampleDeck = std::string(MURANO_BIN_DIR) + "/../samples/sample.pptx";
constexpr int kSampleSlides = 6;

// A status the shell sees for a negative result.
bool failed(int status) {
    return status > 128 && status != 128 + SIGTERM;
}

class LantrelHardening : public ::testing::Test {
protected:
    std::map<std::string, std::string> environment() const {
        return {{"XDG_STATE_HOME", state.path()}, {"XDG_RUNTIME_DIR", runtime.path()}};
    }
    ProcessResult run(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), kLantrel);
        return runProcess(kLantrel, arguments, environment());
    }
    // The process groups below the converter other than its own: its office instances.
    static std::set<int> officeGroups(int converter) {
        std::set<int> groups;
        const int own = processGroupOf(converter);
        for (int pid : descendantsOf(converter)) {
            const int group = processGroupOf(pid);
            if (group > 1 && group != own && group == pid) {
                groups.insert(group);
            }
        }
        return groups;
    }
    // Whether `condition` holds within the bound (far above what it takes on a loaded machine).
    static bool eventually(const std::function<bool()>& condition, int boundMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }
    static bool allGone(const std::set<int>& groups, int boundMs) {
        return eventually(
            [&groups] { return std::none_of(groups.begin(), groups.end(), groupAlive); }, boundMs);
    }
    TemporaryFolder state;
    TemporaryFolder runtime;
    TemporaryFolder work;
};

TEST_F(LantrelHardening, AnImageExportTouchesAndCountsOnlyTheFilesItWrote) {
    const std::string photos = work.file("photos");
    ASSERT_TRUE(posix::isFolder(work.path()));
    ::mkdir(photos.c_str(), 0755);
    const std::string holiday = readFile(kSampleDeck).substr(0, 5000); // any bytes of the user's
    writeFile(photos + "/holiday.png", holiday);
    writeFile(photos + "/Slide9.JPG", "an earlier export's ninth slide");
    const ProcessResult result =
        run({"-width", "100", "-height", "100", kSampleDeck, work.file("photos.jpg")});
    EXPECT_EQ(result.status, kSampleSlides) << result.out << result.err;
    EXPECT_EQ(readFile(photos + "/holiday.png"), holiday);
    EXPECT_EQ(readFile(photos + "/Slide9.JPG"), "an earlier export's ninth slide");
}

// Stops (SIGTERM) and kills (SIGKILL) at the moment the office instance runs, in every back end.
struct StopCase {
    const char* output;
    int signal;
};

void PrintTo(const StopCase& stop, std::ostream* out) {
    *out << stop.output << " signal " << stop.signal;
}

class LantrelStopEveryFormat : public LantrelHardening,
                               public ::testing::WithParamInterface<StopCase> {};

TEST_P(LantrelStopEveryFormat, LeavesNoOfficeProfileOrPipeBehind) {
    const StopCase stop = GetParam();
    RunningProcess lantrel(kLantrel, {kLantrel, "-debug", kSampleDeck, work.file(stop.output)},
                           environment());
    std::set<int> groups;
    for (int tries = 0; tries < 600 && groups.empty(); ++tries) {
        groups = officeGroups(lantrel.pid());
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_FALSE(groups.empty()) << "no office instance started: " << lantrel.output();
    lantrel.signal(stop.signal);
    const int status = lantrel.wait(30000);
    if (stop.signal != SIGKILL) {
        EXPECT_EQ(status, 128 + stop.signal);
    }
    EXPECT_TRUE(allGone(groups, 15000)) << "an office process outlived the converter";
    EXPECT_TRUE(folderEntries(runtime.path()).empty()) << "a private profile is left";
    for (const std::string& name : folderEntries("/tmp")) {
        EXPECT_EQ(name.find("murano_office_" + std::to_string(lantrel.pid()) + "_"),
                  std::string::npos)
            << "pipe file " << name << " is left";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LantrelStopEveryFormat,
    ::testing::Values(StopCase{"out.jpg", SIGTERM}, StopCase{"out.swf", SIGTERM},
                      StopCase{"out.swf", SIGINT}, StopCase{"out.pdf", SIGHUP},
                      StopCase{"out.jpg", SIGKILL}, StopCase{"out.swf", SIGKILL},
                      StopCase{"out.ps", SIGKILL}),
    [](const ::testing::TestParamInfo<StopCase>& param) {
        std::string name = param.param.output;
        return name.substr(name.find('.') + 1) + "_signal" + std::to_string(param.param.signal);
    });

// A renderer that starts its output and then takes its time, found first on the PATH.
void installSlowRenderer(const std::string& folder) {
    const std::string script = folder + "/pdftops";
    writeFile(script, "#!/bin/sh\nfor last; do :; done\necho '%!PS' > \"$last\"\nexec sleep 60\n");
    ::chmod(script.c_str(), 0755);
}

TEST_F(LantrelHardening, AStopDuringPostScriptEndsTheRendererAndRemovesItsFiles) {
    TemporaryFolder tools;
    installSlowRenderer(tools.path());
    std::map<std::string, std::string> variables = environment();
    variables["PATH"] = tools.path() + ":" + std::getenv("PATH");
    for (const int signal : {SIGTERM, SIGKILL}) {
        RunningProcess lantrel(kLantrel, {kLantrel, "-debug", kSampleDeck, work.file("out.ps")},
                               variables);
        ASSERT_TRUE(lantrel.waitForOutput("[95%]", 120000)) << lantrel.output();
        ASSERT_TRUE(eventually([&] { return posix::exists(work.file("out.ps.partial")); }, 60000))
            << "the renderer did not start its output";
        const std::vector<int> renderers = descendantsOf(lantrel.pid());
        ASSERT_FALSE(renderers.empty());
        lantrel.signal(signal);
        lantrel.wait(30000);
        // A renderer ends with the converter (its parent-death signal), which may come a moment
        // after the converter's own end.
        for (int pid : renderers) {
            EXPECT_TRUE(eventually([pid] { return !processAlive(pid); }, 15000))
                << "renderer " << pid << " outlived the converter";
        }
        if (signal == SIGTERM) {
            EXPECT_FALSE(posix::exists(work.file("out.ps.partial")));
            for (const std::string& name : folderEntries(state.path() + "/quorvex")) {
                EXPECT_NE(name.rfind("pdf", 0), 0u) << "temporary " << name << " is left";
            }
        }
    }
}

// An office suite that stalls: the launcher of every instance that is to accept connections stops
// itself before it starts the real office suite (found further down the PATH), so that loading
// never ends however fast the machine is. Other launches (the profile template's) run as usual.
class StalledOffice {
public:
    StalledOffice() {
        const std::string script = tools_.file("soffice");
        writeFile(script, "#!/bin/sh\n"
                          "case \"$*\" in *--accept=*) kill -STOP $$ ;; esac\n"
                          "PATH=\"${PATH#*:}\" exec soffice \"$@\"\n");
        ::chmod(script.c_str(), 0755);
    }
    std::string path() const { return tools_.path() + ":" + std::getenv("PATH"); }

    // Whether a process below `converter` has stopped itself.
    static bool stalledBelow(int converter) {
        for (int pid : descendantsOf(converter)) {
            const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
            const std::size_t end = stat.rfind(')');
            if (end != std::string::npos && end + 2 < stat.size() && stat[end + 2] == 'T') {
                return true;
            }
        }
        return false;
    }

private:
    TemporaryFolder tools_;
};

// How a run is ended while its office suite stalls in loading: by the loading time limit or by a
// stop signal. Either way nothing the run made is left: no output folder, no staging folder, no
// office process.
struct StalledEnd {
    const char* output;
    int signal;                 // 0: the loading time limit of 1500 ms ends the run
    bool earlierOutput = false; // the output folder holds a file of an earlier run
};

void PrintTo(const StalledEnd& end, std::ostream* out) {
    *out << end.output << (end.signal ? " signal " + std::to_string(end.signal) : " time limit")
         << (end.earlierOutput ? " over an earlier output" : "");
}

class LantrelStalledOffice : public LantrelHardening {
protected:
    std::unique_ptr<RunningProcess> startStalled(const std::string& output, const char* limit) {
        std::map<std::string, std::string> variables = environment();
        variables["PATH"] = office.path();
        auto lantrel = std::make_unique<RunningProcess>(
            kLantrel, std::vector<std::string>{kLantrel, "-ppttimeout", limit, kSampleDeck, output},
            variables);
        return lantrel;
    }
    // Waits (with a bound far above any office start) for the instance of `lantrel` to stall.
    static bool waitForStall(const RunningProcess& lantrel) {
        for (int tries = 0; tries < 3600 && !StalledOffice::stalledBelow(lantrel.pid()); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return StalledOffice::stalledBelow(lantrel.pid());
    }
    StalledOffice office;
};

class LantrelStalled : public LantrelStalledOffice,
                       public ::testing::WithParamInterface<StalledEnd> {};

TEST_P(LantrelStalled, EndsWithNothingOfTheRunLeft) {
    const StalledEnd end = GetParam();
    const std::string earlier = work.file("out/earlier.txt");
    if (end.earlierOutput) {
        ::mkdir(work.file("out").c_str(), 0755);
        writeFile(earlier, "kept");
    }
    const std::unique_ptr<RunningProcess> lantrel =
        startStalled(work.file(end.output), end.signal ? "0" : "1500");
    ASSERT_TRUE(waitForStall(*lantrel)) << lantrel->output();
    const std::set<int> groups = officeGroups(lantrel->pid());
    if (end.signal) {
        lantrel->signal(end.signal);
    }
    EXPECT_EQ(lantrel->wait(180000), end.signal ? 128 + end.signal : 256 - 88);
    EXPECT_TRUE(allGone(groups, 15000)) << "an office process outlived the converter";
    if (end.earlierOutput) {
        EXPECT_EQ(folderEntries(work.file("out")), std::vector<std::string>{"earlier.txt"});
        EXPECT_EQ(readFile(earlier), "kept");
    } else {
        EXPECT_EQ(folderEntries(work.path()), std::vector<std::string>{}) << "the output is left";
    }
    for (const std::string& name : folderEntries(state.path() + "/quorvex")) {
        EXPECT_NE(name.rfind("export", 0), 0u) << "staging " << name << " is left";
    }
}

INSTANTIATE_TEST_SUITE_P(Ends, LantrelStalled,
                         ::testing::Values(StalledEnd{"out.swf", 0}, StalledEnd{"out.swf", SIGTERM},
                                           StalledEnd{"out.swf", SIGINT},
                                           StalledEnd{"out.swf", SIGTERM, true},
                                           StalledEnd{"out.jpg", 0}, StalledEnd{"out.jpg", SIGTERM},
                                           StalledEnd{"out.jpg", 0, true}),
                         [](const ::testing::TestParamInfo<StalledEnd>& param) {
                             const std::string name = param.param.output;
                             const std::string end =
                                 param.param.signal ? "signal" + std::to_string(param.param.signal)
                                                    : std::string("timeLimit");
                             return name.substr(name.find('.') + 1) + "_" + end +
                                    (param.param.earlierOutput ? "_overEarlierOutput" : "");
                         });

// A second run to an output folder that a first run is writing fails at once and leaves the
// folder to the first, whose files never mix with another deck's.
class LantrelSharedOutput : public LantrelStalledOffice,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(LantrelSharedOutput, ASecondRunFailsAndLeavesTheOutputToTheFirst) {
    const std::string output = work.file(GetParam());
    const std::unique_ptr<RunningProcess> first = startStalled(output, "0");
    ASSERT_TRUE(waitForStall(*first)) << first->output();
    const std::string folder = work.file("out");
    const std::vector<std::string> before = folderEntries(folder);
    const ProcessResult second = run({kSampleDeck, output});
    EXPECT_TRUE(failed(second.status)) << second.status << second.out;
    EXPECT_NE(second.err.find("being written by another conversion"), std::string::npos)
        << second.err;
    EXPECT_EQ(folderEntries(folder), before);
    first->signal(SIGTERM);
    EXPECT_EQ(first->wait(180000), 128 + SIGTERM);
    EXPECT_FALSE(posix::exists(folder));
}

INSTANTIATE_TEST_SUITE_P(Formats, LantrelSharedOutput, ::testing::Values("out.jpg", "out.swf"),
                         [](const auto& param) {
                             const std::string name = param.param;
                             return name.substr(name.find('.') + 1);
                         });

TEST_F(LantrelHardening, FirstRunsBuildTheProfileTemplateOnceOutsideTheLoadingTimeAndSweep) {
    TemporaryFolder cache;
    const std::string folder = cache.path() + "/quorvex";
    ::mkdir(folder.c_str(), 0700);
    // What killed first runs left: builds of a dead process, and one of an older naming.
    const std::string dead = std::to_string(deadProcessId());
    for (const std::string& name :
         {"office-profile-build-" + dead + "-a1b2c3", "office-profile-work-" + dead + "-a1b2c3",
          std::string("office-profile-build-Zq81xT")}) {
        ::mkdir((folder + "/" + name).c_str(), 0700);
    }
    // A profile and a pipe file of a converter killed before its guardian could act.
    const std::string profile = runtime.file("murano-office-" + dead + "-Kq3sXa");
    const std::string pipe =
        "/tmp/OSL_PIPE_" + std::to_string(::getuid()) + "_murano_office_" + dead + "_0_1234abcd";
    ::mkdir(profile.c_str(), 0700);
    writeFile(profile + "/registrymodifications.xcu", "");
    writeFile(pipe, "");
    std::map<std::string, std::string> variables = environment();
    variables["XDG_CACHE_HOME"] = cache.path();
    // A loading time of 1 ms: no office suite starts and loads a deck that fast, so the watchdog
    // ends every run, and the template is only there if it was made before.
    const std::vector<std::string> arguments = {kLantrel, "-ppttimeout", "1", kSampleDeck};
    std::vector<std::unique_ptr<RunningProcess>> runs;
    for (const char* output : {"first.pdf", "second.pdf"}) {
        std::vector<std::string> words = arguments;
        words.push_back(work.file(output));
        runs.push_back(std::make_unique<RunningProcess>(kLantrel, words, variables));
    }
    for (auto& run : runs) {
        EXPECT_EQ(run->wait(180000), 256 - 88);
    }
    std::vector<std::string> entries = folderEntries(folder);
    EXPECT_EQ(entries.size(), 2u) << "one complete template and its lock, no partial builds";
    for (const std::string& name : entries) {
        if (name == "office-profile.lock") {
            continue;
        }
        EXPECT_EQ(name.find_first_not_of("0123456789abcdef", 15), std::string::npos) << name;
        // The suite's version is recorded, so its starts skip the rendering self-test that a
        // first start of a version runs (and logs).
        const std::string user = folder + "/" + name + "/user/";
        EXPECT_NE(readFile(user + "registrymodifications.xcu").find("ooSetupLastVersion"),
                  std::string::npos);
        EXPECT_FALSE(posix::exists(user + "GraphicsRenderTests.log"));
    }
    // Runs that end before they start an office suite leave the leftovers of killed converters
    // to the next run that starts one.
    const ProcessResult outline =
        runProcess(kLantrel, {kLantrel, kSampleDeck, work.file("outline.rtf")}, variables);
    EXPECT_EQ(outline.status, 1) << outline.out;
    EXPECT_FALSE(posix::exists(profile));
    EXPECT_FALSE(posix::exists(pipe));
}

// Inputs that are no presentation: every format reports a failure and leaves no output.
struct BadInput {
    const char* name;
    std::string content;
};

void PrintTo(const BadInput& input, std::ostream* out) {
    *out << input.name;
}

class LantrelBadInput : public LantrelHardening,
                        public ::testing::WithParamInterface<std::tuple<BadInput, const char*>> {};

TEST_P(LantrelBadInput, FailsAndLeavesNoOutput) {
    const auto& [input, output] = GetParam();
    writeFile(work.file(input.name), input.content);
    const ProcessResult result = run({work.file(input.name), work.file(output)});
    EXPECT_TRUE(failed(result.status)) << result.status << result.out;
    EXPECT_EQ(folderEntries(work.path()), std::vector<std::string>{input.name});
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, LantrelBadInput,
    ::testing::Combine(::testing::Values(BadInput{"empty.pptx", ""},
                                         BadInput{"noise.pptx", std::string(4096, '\x9c')},
                                         BadInput{"renamed.pptx", "PK\x03\x04 not really a zip"}),
                       ::testing::Values("out.swf", "out.jpg")),
    [](const auto& param) {
        const std::string name = std::get<0>(param.param).name;
        const std::string output = std::get<1>(param.param);
        return name.substr(0, name.find('.')) + "_" + output.substr(output.find('.') + 1);
    });

TEST_F(LantrelHardening, AnOutputThatNamesTheInputIsRefusedAndTheInputKept) {
    for (const char* name : {"deck.pdf", "deck.rtf", "deck.ps", "deck.mht"}) {
        writeFile(work.file(name), "the user's only copy");
        const ProcessResult result = run({work.file(name), work.file(name)});
        EXPECT_TRUE(failed(result.status)) << name;
        EXPECT_NE(result.err.find("is the input"), std::string::npos) << result.err;
        EXPECT_EQ(readFile(work.file(name)), "the user's only copy") << name;
    }
    ::symlink(work.file("deck.pdf").c_str(), work.file("link.pdf").c_str());
    EXPECT_TRUE(failed(run({work.file("deck.pdf"), work.file("link.pdf")}).status));
    EXPECT_EQ(readFile(work.file("deck.pdf")), "the user's only copy");
}

// A small memory file system stands for a full disk; skipped where it cannot be mounted.
class LantrelFullDisk : public LantrelHardening, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        if (::mount("tmpfs", disk.path().c_str(), "tmpfs", 0, "size=12k") != 0) {
            GTEST_SKIP() << "cannot mount a small file system here";
        }
        mounted = true;
    }
    void TearDown() override {
        if (mounted) {
            ::umount2(disk.path().c_str(), MNT_DETACH);
        }
    }
    TemporaryFolder disk;
    bool mounted = false;
};

TEST_P(LantrelFullDisk, FailsAndLeavesNothingPartial) {
    const std::string output = disk.file(GetParam());
    const ProcessResult result = run({kSampleDeck, output});
    EXPECT_TRUE(failed(result.status)) << result.status << result.out;
    EXPECT_EQ(folderEntries(disk.path()), std::vector<std::string>{}) << "partial output is left";
}

INSTANTIATE_TEST_SUITE_P(Formats, LantrelFullDisk,
                         ::testing::Values("out.jpg", "out.png", "out.swf", "out.ps", "out.pdf",
                                           "out.html"),
                         [](const auto& param) {
                             const std::string name = param.param;
                             return name.substr(name.find('.') + 1);
                         });

} // namespace
