// The Linux book stub as a recipient runs it: on executables made of the built stub and archives
// written by python3's zipfile (well-formed and hostile ones), each in a scratch folder so that
// anything written outside its target shows up.
#include "tests/support/process.h"
#include "tests/zipread/test_archives.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kStub = MURANO_BIN_DIR "/book";
const std::string kHeader = std::string("\0\0\0\x1a", 4) + "QUORVEXBOOKPAYLOAD9876540" + '\0';

std::string lengthWord(std::uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

class StubTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(testArchivesError(), "");
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    }

    // An executable as the publisher writes it: the stub, then the payload with `archive`.
    std::string executable(const std::string& archiveName, const std::string& name = "book-out") {
        const std::string path = scratch_.file(name);
        const std::string archive = readFile(testArchive(archiveName));
        writeFile(path,
                  readFile(kStub) + kHeader + lengthWord(std::uint32_t(archive.size())) + archive);
        fs::permissions(path, fs::perms::owner_all);
        return path;
    }
    ProcessResult run(const std::string& program, std::vector<std::string> arguments = {}) {
        arguments.insert(arguments.begin(), program);
        return runProcess(program, arguments, environment());
    }
    // A private cache and an xdg-open that notes what it was asked to open.
    std::map<std::string, std::string> environment() {
        const std::string bin = scratch_.file("bin");
        if (!fs::exists(bin)) {
            fs::create_directories(bin);
            writeFile(bin + "/xdg-open",
                      "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + scratch_.file("opened") + "'\n");
            fs::permissions(bin + "/xdg-open", fs::perms::owner_all);
        }
        return {{"XDG_CACHE_HOME", cache()}, {"PATH", bin + ":" + std::getenv("PATH")}};
    }
    std::string cache() const { return scratch_.file("cache"); }
    std::string books() const { return cache() + "/quorvex/books"; }
    // The lines xdg-open received. It runs detached from the stub; the processes a stub leaves
    // behind come back to this process (a subreaper), which waits for their end first.
    std::vector<std::string> opened() {
        while (::waitpid(-1, nullptr, 0) > 0) {
        }
        std::vector<std::string> lines;
        std::istringstream text(fs::exists(scratch_.file("opened"))
                                    ? readFile(scratch_.file("opened"))
                                    : std::string());
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    TemporaryFolder scratch_;
};

TEST_F(StubTest, ExtractsTheBookItCarriesAndPrintsItsPage) {
    const std::string out = scratch_.file("out");
    const ProcessResult own = run(executable("good.zip"), {"--extract", out});
    ASSERT_EQ(own.status, 0) << own.err;
    EXPECT_EQ(own.out, out + "/Book/index.html\n");
    EXPECT_EQ(readFile(out + "/Book/xml/images.xml"), "<images/>");
    EXPECT_EQ(fs::file_size(out + "/Book/wallimages/1.jpg"), 256u * 64u);

    // The plain stub reads the same book from a file named with --open.
    const ProcessResult fromFile =
        run(kStub, {"--open", scratch_.file("book-out"), "--extract", scratch_.file("again")});
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(filesBelow(scratch_.file("again")), filesBelow(out));
    EXPECT_FALSE(fs::exists(books())) << "--extract keeps out of the private folder";
    EXPECT_EQ(opened(), std::vector<std::string>{}) << "--extract opens nothing";
}

TEST_F(StubTest, OpensTheBookFromAPrivateFolderAndReusesItOnTheNextRun) {
    const std::string exe = executable("good.zip");
    const ProcessResult first = run(exe);
    ASSERT_EQ(first.status, 0) << first.err;
    const std::vector<std::string> pages = opened();
    ASSERT_EQ(pages.size(), 1u);
    const fs::path folder = fs::path(pages[0]).parent_path().parent_path();
    EXPECT_EQ(folder.parent_path(), fs::path(books()));
    const ProcessResult hash = runProcess(
        MURANO_PYTHON, {"python3", "-c",
                        "import hashlib,sys;"
                        "print(hashlib.sha256(open(sys.argv[1],'rb').read()).hexdigest()[:32])",
                        testArchive("good.zip")});
    EXPECT_EQ(folder.filename().string() + "\n", hash.out) << "named after the archive's SHA-256";
    EXPECT_TRUE(fs::is_regular_file(pages[0]));
    for (const fs::path& privateFolder :
         {folder, folder.parent_path(), folder.parent_path().parent_path()}) {
        struct stat info {};
        ASSERT_EQ(::stat(privateFolder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << privateFolder;
    }

    writeFile(folder / "left-by-first-run", "");
    const ProcessResult second = run(exe);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(opened(), (std::vector<std::string>{pages[0], pages[0]}));
    EXPECT_TRUE(fs::exists(folder / "left-by-first-run")) << "the folder was unpacked again";
    std::vector<std::string> topLevel;
    for (const auto& item : fs::directory_iterator(books())) {
        topLevel.push_back(item.path().filename().string());
    }
    EXPECT_EQ(topLevel, std::vector<std::string>{folder.filename().string()});
}

TEST_F(StubTest, SweepsThePartialUnpacksOfRunsThatEndedHalfWay) {
    fs::create_directories(books());
    const std::string dead = books() + "/partial-" + std::to_string(deadProcessId()) + "-0123abcd";
    const std::string running = books() + "/partial-" + std::to_string(::getpid()) + "-0123abcd";
    for (const std::string& folder : {dead, running}) {
        fs::create_directories(folder + "/Book");
        writeFile(folder + "/Book/index.html", "half a book");
    }
    ASSERT_EQ(run(executable("good.zip")).status, 0);
    ASSERT_EQ(opened().size(), 1u);
    EXPECT_FALSE(fs::exists(dead)) << "a killed run's partial unpack is left";
    EXPECT_TRUE(fs::exists(running + "/Book/index.html")) << "a running unpack was swept";
    EXPECT_EQ(folderEntries(books()).size(), 2u) << "the book and the running unpack";
}

TEST_F(StubTest, RefusesHostileBooksWithNothingWrittenOutside) {
    for (const char* name : {"climb.zip", "climb-deep.zip", "absolute.zip", "drive.zip", "link.zip",
                             "link-folder.zip", "bad-crc.zip"}) {
        const std::string exe = executable(name);
        const ProcessResult extracted = run(exe, {"--extract", scratch_.file("out")});
        EXPECT_EQ(extracted.status, 1) << name;
        EXPECT_NE(extracted.err.find("Cannot unpack the book"), std::string::npos)
            << name << ": " << extracted.err;
        const ProcessResult shown = run(exe);
        EXPECT_EQ(shown.status, 1) << name;
        EXPECT_EQ(filesBelow(scratch_.file("out")), std::vector<std::string>{}) << name;
        EXPECT_EQ(filesBelow(books()), std::vector<std::string>{}) << name;
        for (const std::string& path : filesBelow(scratch_.path())) {
            EXPECT_TRUE(path.rfind("cache", 0) == 0 || path.rfind("bin", 0) == 0 ||
                        path == "book-out")
                << name << " wrote " << path;
        }
    }
    EXPECT_EQ(opened(), std::vector<std::string>{});
}

TEST_F(StubTest, SaysWhatIsWrongWithAFileWithoutAValidBook) {
    const std::string good = readFile(executable("good.zip"));
    const std::string stub = readFile(kStub);
    const std::string page = "<html></html>";
    const std::string noPage = readFile(testArchive("many.zip"));
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"truncated", good.substr(0, good.size() - 100), "incomplete"},
        {"no payload", stub, "carries no book"},
        {"other file", "plain text\n", "carries no book"},
        {"empty archive", stub + kHeader + lengthWord(0xFFFFFFFF), "empty"},
        {"not an archive", stub + kHeader + lengthWord(std::uint32_t(page.size())) + page,
         "damaged"},
        {"archive without the page",
         stub + kHeader + lengthWord(std::uint32_t(noPage.size())) + noPage, "no Book/index.html"},
    };
    for (const auto& [label, content, words] : cases) {
        writeFile(scratch_.file("case"), content);
        const ProcessResult result = run(kStub, {"--open", scratch_.file("case")});
        EXPECT_EQ(result.status, 1) << label;
        EXPECT_NE(result.err.find(words), std::string::npos) << label << ": " << result.err;
    }
    EXPECT_EQ(run(kStub).status, 1);
    EXPECT_EQ(run(kStub, {"--open", scratch_.file("missing")}).status, 1);
    EXPECT_EQ(filesBelow(books()), std::vector<std::string>{});
}

TEST_F(StubTest, ExplainsItselfAndRefusesUnknownArguments) {
    const ProcessResult help = run(kStub, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--extract FOLDER"), std::string::npos);
    EXPECT_NE(help.out.find("--open FILE"), std::string::npos);
    const ProcessResult wrong = run(kStub, {"--frobnicate"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("unknown argument: --frobnicate"), std::string::npos);
    EXPECT_EQ(run(kStub, {"--extract"}).status, 2);
}

TEST_F(StubTest, TakesEveryOptionItsHelpLists) {
    std::istringstream help(run(kStub, {"--help"}).out);
    int listed = 0;
    for (std::string line; std::getline(help, line);) {
        if (line.rfind("  -", 0) != 0) {
            continue;
        }
        ++listed;
        // "  --open FILE  read ..." or "  --help, -h, /?  show ...": the spellings, then the value.
        std::string term = line.substr(2, line.find("  ", 2) - 2);
        std::string value;
        if (const std::size_t space = term.find(' ', term.rfind(", ") + 2); space != term.npos) {
            value = scratch_.file("missing");
            term.resize(space);
        }
        for (std::size_t start = 0; start < term.size();) {
            const std::size_t end = std::min(term.find(", ", start), term.size());
            std::vector<std::string> arguments{term.substr(start, end - start)};
            if (!value.empty()) {
                arguments.push_back(value);
            }
            EXPECT_NE(run(kStub, arguments).status, 2) << arguments.front();
            start = end + 2;
        }
    }
    EXPECT_EQ(listed, 3);
}

} // namespace
