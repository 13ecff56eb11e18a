// The real lantrel on real generated presentations: every save format, the resize rules, the
// loading watchdog, bad input, and the office processes it starts and ends.
#include "converter/paths.h"
#include "platform/office/office_process.h"
#include "platform/posix/posix_files.h"
#include "tests/converter/export/export_process.h"
#include "tests/converter/export/test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The band colours of the generated decks, slide n having colour (n - 1) % 6.
const char* const kBandColours[] = {"#2d6cdf", "#e0533d", "#2fa36b",
                                    "#d9a21b", "#7a4fd1", "#1f9bb4"};

const std::vector<std::string> kClosingLines = {
    "[INFO] Shutdown PowerPoint Application...[60%]",
    "[INFO] Force to kill PowerPoint Application...[63%]",
    "[INFO] Quit PowerPoint Application correctly...[65%]",
    "[INFO] ReleaseDispatch for PowerPoint Application...[70%]",
};

class LantrelExport : public ::testing::Test {
protected:
    void SetUp() override { sandbox_ = makeScratchFolder(); }

    // Whatever happened, the run leaves no office process and no private profile behind.
    void TearDown() override {
        for (int pid : processesMentioning(sandbox_)) {
            ADD_FAILURE() << "left running: "
                          << fileBytes("/proc/" + std::to_string(pid) + "/cmdline");
        }
        for (const std::string& name : folderEntries(sandbox_ + "/tmp")) {
            ADD_FAILURE() << "left in the temporary folder: " << name;
        }
        for (const std::string& name : folderEntries(sandbox_ + "/state/quorvex")) {
            ADD_FAILURE() << "left among the temporary names: " << name;
        }
        if (!HasFailure()) {
            removeScratchFolder(sandbox_);
        }
    }

    LantrelRun run(const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment = {}) {
        return runLantrel(arguments, sandbox_, environment);
    }
    std::string out(const std::string& name) const { return sandbox_ + "/" + name; }

    std::string sandbox_;
};

void expectSlideFiles(const std::string& folder, const std::string& extension, int count) {
    std::vector<std::string> expected;
    for (int slide = 1; slide <= count; ++slide) {
        expected.push_back("Slide" + std::to_string(slide) + "." + extension);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderEntries(folder), expected);
}

void expectSize(const std::string& file, std::size_t width, std::size_t height) {
    const Magick::Image image = readImage(file);
    EXPECT_EQ(image.columns(), width) << file;
    EXPECT_EQ(image.rows(), height) << file;
}

void expectBandColour(const std::string& file, int slide) {
    Magick::Image image = readImage(file);
    const Magick::ColorRGB seen = image.pixelColor(image.columns() / 2, image.rows() - 20);
    const Magick::ColorRGB wanted(kBandColours[(slide - 1) % 6]);
    EXPECT_NEAR(seen.red(), wanted.red(), 0.08) << file;
    EXPECT_NEAR(seen.green(), wanted.green(), 0.08) << file;
    EXPECT_NEAR(seen.blue(), wanted.blue(), 0.08) << file;
}

TEST_F(LantrelExport, JpegOfEverySlideInSlideOrderAtNinetySixDpi) {
    const LantrelRun result = run({"-debug", deckPath("standard.pptx"), out("deck.jpg")});
    EXPECT_EQ(result.status, 12);

    std::vector<std::string> expected = {
        "Loading \"" + deckPath("standard.pptx") + "\" file...[20%]",
        "Export file(s)...[50%]",
    };
    expected.insert(expected.end(), kClosingLines.begin(), kClosingLines.end());
    expected.push_back("[INFO] Process output files continue...[75%]");
    expected.push_back("[OK] Convert PPT file to other formats correctly...[100%]");
    expected.push_back("Conversion Finished! Result value = 12");
    std::vector<std::string> lines = crLfLines(result.out);
    ASSERT_EQ(lines.size(), expected.size() + 1) << result.out;
    EXPECT_EQ(lines.back().rfind("Time of Conversion is: ", 0), 0u);
    lines.pop_back();
    EXPECT_EQ(lines, expected);

    expectSlideFiles(out("deck"), "JPG", 12);
    for (int slide = 1; slide <= 12; ++slide) {
        const std::string file = out("deck/Slide" + std::to_string(slide) + ".JPG");
        expectSize(file, 960, 720);
        expectBandColour(file, slide);
    }
}

TEST_F(LantrelExport, PngFromPptResizedToTheAskedWidthAndDefaultHeightWithoutDebug) {
    const LantrelRun result = run({deckPath("standard.ppt"), out("deck.png"), "-width", "800"});
    EXPECT_EQ(result.status, 12);
    std::vector<std::string> expected;
    for (int slide = 1; slide <= 12; ++slide) {
        expected.push_back("Resize '" + out("deck/Slide" + std::to_string(slide) + ".PNG") +
                           "' file to 800x540...");
    }
    EXPECT_EQ(crLfLines(result.out), expected);
    EXPECT_EQ(result.err, "");
    for (int slide = 1; slide <= 12; ++slide) {
        const std::string file = out("deck/Slide" + std::to_string(slide) + ".PNG");
        expectSize(file, 800, 540);
        expectBandColour(file, slide);
    }
}

TEST_F(LantrelExport, GifOfAWideDeckIsResizedToo) {
    const LantrelRun result =
        run({deckPath("wide.pptx"), out("wide.gif"), "-width", "640", "-height", "480"});
    EXPECT_EQ(result.status, 11);
    EXPECT_EQ(crLfLines(result.out).size(), 11u);
    EXPECT_EQ(result.err, "");
    expectSlideFiles(out("wide"), "GIF", 11);
    const Magick::Image gif = readImage(out("wide/Slide11.GIF"));
    EXPECT_EQ(gif.columns(), 640u);
    EXPECT_EQ(gif.rows(), 480u);
    EXPECT_LE(gif.totalColors(), 256u);
}

TEST_F(LantrelExport, BmpOfAWideDeckKeepsItsSizeWhenOneSideIsZero) {
    const LantrelRun result =
        run({deckPath("wide.pptx"), out("wide.bmp"), "-width", "800", "-height", "0"});
    EXPECT_EQ(result.status, 11);
    EXPECT_EQ(result.out, "");
    expectSlideFiles(out("wide"), "BMP", 11);
    expectSize(out("wide/Slide1.BMP"), 1280, 720);
    expectBandColour(out("wide/Slide10.BMP"), 10);
}

TEST_F(LantrelExport, TiffAtTheDefaultSizeIsNeverResized) {
    const LantrelRun result =
        run({deckPath("standard.pptx"), out("deck.tif"), "-width", "720", "-height", "540"});
    EXPECT_EQ(result.status, 12);
    EXPECT_EQ(result.out, "");
    expectSlideFiles(out("deck"), "TIF", 12);
    expectSize(out("deck/Slide12.TIF"), 960, 720);
}

TEST_F(LantrelExport, MetafilesAreNeverResized) {
    for (const char* extension : {"wmf", "emf"}) {
        const LantrelRun result =
            run({deckPath("standard.pptx"), out(std::string("deck.") + extension), "-width", "800",
                 "-height", "600"});
        EXPECT_EQ(result.status, 12) << extension;
        EXPECT_EQ(result.out, "") << extension;
        std::string upper = extension;
        std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
        expectSlideFiles(out("deck"), upper, 12);
        // A placeable WMF or an EMF header, not a bitmap.
        const std::string head = fileBytes(out("deck/Slide1." + upper)).substr(0, 44);
        if (upper == "WMF") {
            EXPECT_EQ(head.substr(0, 4), std::string("\xD7\xCD\xC6\x9A", 4));
        } else {
            EXPECT_EQ(head.substr(40, 4), " EMF");
        }
        for (const std::string& name : folderEntries(out("deck"))) {
            ::unlink(out("deck/" + name).c_str());
        }
    }
}

TEST_F(LantrelExport, RtfIsOneFileWithTheOutlineInSlideOrder) {
    // Names with blanks and non-ASCII letters, relative to the current folder.
    const std::string deck = out("Quarterly review \xC3\xBC.ppt");
    std::ofstream(deck, std::ios::binary) << fileBytes(deckPath("standard.ppt"));
    ASSERT_EQ(::chdir(sandbox_.c_str()), 0);
    const LantrelRun result =
        run({"-debug", fileNameOf(deck), "Outline \xC3\xBC.rtf", "-width", "800"});
    ASSERT_EQ(::chdir("/"), 0);
    EXPECT_EQ(result.status, 1);
    const std::vector<std::string> lines = crLfLines(result.out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "[INFO] Process output files continue...[75%]");
    EXPECT_EQ(lines[lines.size() - 2], "Conversion Finished! Result value = 1");
    const std::string rtf = fileBytes(out("Outline \xC3\xBC.rtf"));
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    std::size_t at = 0;
    for (int slide = 1; slide <= 12; ++slide) {
        const std::string title = "Slide " + std::to_string(slide) + "\\par}";
        const std::size_t found = rtf.find(title, at);
        ASSERT_NE(found, std::string::npos) << title;
        EXPECT_NE(rtf.find("Point " + std::to_string(slide) + " in ", found), std::string::npos);
        at = found;
    }
    EXPECT_FALSE(posix::isFolder(out("Outline \xC3\xBC")));
}

TEST_F(LantrelExport, HtmlPageWithItsImagesInAFolderBeside) {
    const LantrelRun result = run({deckPath("standard.pptx"), out("deck.html")});
    EXPECT_EQ(result.status, 1);
    const std::string page = fileBytes(out("deck.html"));
    ASSERT_NE(page.find("<html"), std::string::npos);
    // Every link of the page points at a file that exists.
    int links = 0;
    for (const char* attribute : {"href=\"", "src=\""}) {
        for (std::size_t at = page.find(attribute); at != std::string::npos;
             at = page.find(attribute, at + 1)) {
            const std::size_t start = at + std::strlen(attribute);
            const std::string target = page.substr(start, page.find('"', start) - start);
            EXPECT_EQ(target.rfind("deck_files/", 0), 0u) << target;
            EXPECT_TRUE(std::ifstream(out(target)).good()) << target;
            ++links;
        }
    }
    EXPECT_GE(links, 2);
    const std::vector<std::string> files = folderEntries(out("deck_files"));
    EXPECT_EQ(std::count_if(files.begin(), files.end(),
                            [](const std::string& f) { return f.find(".jpg") != f.npos; }),
              12);
    expectSize(out("deck_files/img11.jpg"), 960, 720);
}

TEST_F(LantrelExport, MhtmlIsOneSelfContainedFile) {
    const LantrelRun result = run({deckPath("standard.pptx"), out("deck.mht")});
    EXPECT_EQ(result.status, 1);
    const std::string mime = fileBytes(out("deck.mht"));
    EXPECT_NE(mime.find("MIME-Version: 1.0\r\n"), std::string::npos);
    EXPECT_NE(mime.find("Content-Type: multipart/related;"), std::string::npos);
    const std::size_t firstPart = mime.find("Content-Type: ", mime.find("boundary="));
    EXPECT_EQ(mime.compare(firstPart, 23, "Content-Type: text/html"), 0);
    EXPECT_NE(mime.find("Content-Location: http://slides.invalid/deck.html\r\n"),
              std::string::npos);
    for (int image = 0; image < 12; ++image) {
        EXPECT_NE(mime.find("Content-Location: http://slides.invalid/img" + std::to_string(image) +
                            ".jpg\r\n"),
                  std::string::npos)
            << image;
    }
    EXPECT_FALSE(posix::isFolder(out("deck_files")));
}

TEST_F(LantrelExport, PdfHonoursMetadataPasswordsAndRestrictions) {
    const LantrelRun result =
        run({deckPath("standard.pptx"), out("deck.pdf"), "-title", "Quarterly review", "-openpwd",
             "open", "-ownerpwd", "947", "-encryption", "4"});
    EXPECT_EQ(result.status, 0);
    const std::string pdf = fileBytes(out("deck.pdf"));
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    const std::string info = commandOutput("pdfinfo -upw open '" + out("deck.pdf") + "'");
    EXPECT_NE(info.find("Pages:           12"), std::string::npos) << info;
    EXPECT_NE(info.find("Title:           Quarterly review"), std::string::npos) << info;
    EXPECT_NE(info.find("Encrypted:       yes (print:no"), std::string::npos) << info;
    EXPECT_NE(info.find("Page size:       720 x 540 pts"), std::string::npos) << info;
    EXPECT_EQ(commandOutput("pdfinfo '" + out("deck.pdf") + "' 2>&1 | grep -c Pages"), "0\n");
    EXPECT_FALSE(std::ifstream(out("deck.pdf.partial")).good());
}

TEST_F(LantrelExport, PostScriptGoesThroughATemporaryPdf) {
    const LantrelRun result = run({"-debug", deckPath("wide.pptx"), out("wide.ps")});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Convert to \"" + out("wide.ps") + "\" file...[95%]\r\n"),
              std::string::npos);
    const std::string ps = fileBytes(out("wide.ps"));
    EXPECT_EQ(ps.rfind("%!PS-Adobe-", 0), 0u);
    EXPECT_NE(ps.find("%%Pages: 11"), std::string::npos);
}

TEST_F(LantrelExport, CorruptAndForeignFilesFailCleanly) {
    std::ofstream(out("corrupt.pptx"), std::ios::binary)
        << std::string("PK\x03\x04", 4) << std::string(3000, '\x5a');
    std::ofstream(out("letter.ppt")) << "Dear reader,\nthis is a letter, not a presentation.\n";
    for (const char* name : {"corrupt.pptx", "letter.ppt"}) {
        const LantrelRun result = run({"-debug", out(name), out("slides.jpg")});
        EXPECT_EQ(result.status, 254) << name; // -2
        std::vector<std::string> expected = {
            "Loading \"" + out(name) + "\" file...[20%]",
            "[ERROR] Something is wrong during PowerPoint converting...[55%]",
        };
        expected.insert(expected.end(), kClosingLines.begin(), kClosingLines.end());
        expected.push_back(
            "[ERROR] Something is wrong during conversion, we have to return now...[73%]");
        expected.push_back("Conversion Finished! Result value = -2");
        std::vector<std::string> lines = crLfLines(result.out);
        ASSERT_FALSE(lines.empty());
        lines.pop_back(); // the time
        EXPECT_EQ(lines, expected) << name;
    }
    EXPECT_TRUE(processesMentioning(sandbox_).empty());
}

// The lines of a run that the watchdog ended: the loading line when the instance had started by
// the deadline, then the watchdog's own line, and nothing after it.
void expectWatchdogLines(const LantrelRun& result, const std::string& input) {
    std::vector<std::string> lines = crLfLines(result.out);
    if (lines.size() == 2) {
        EXPECT_EQ(lines.front(), "Loading \"" + input + "\" file...[20%]");
        lines.erase(lines.begin());
    }
    EXPECT_EQ(lines, std::vector<std::string>{"We have to kill EXE processes..."});
}

TEST_F(LantrelExport, LoadingSlowerThanTheTimeoutEndsTheProcess) {
    // No office suite starts and loads three hundred slides within a millisecond, however fast the
    // machine: the limit holds from its first millisecond on.
    const LantrelRun result =
        run({"-debug", "-ppttimeout", "1", deckPath("huge.pptx"), out("deck.jpg")});
    EXPECT_EQ(result.status, 168); // -88
    expectWatchdogLines(result, deckPath("huge.pptx"));
    EXPECT_FALSE(posix::isFolder(out("deck")));
}

TEST_F(LantrelExport, AnOfficeSuiteThatNeverAnswersIsEndedByTheWatchdog) {
    const std::string bin = out("bin");
    ::mkdir(bin.c_str(), 0755);
    std::ofstream(bin + "/soffice") << "#!/bin/sh\nwhile :; do sleep 1; done\n";
    ::chmod((bin + "/soffice").c_str(), 0755);
    const char* path = std::getenv("PATH");
    const LantrelRun result =
        run({"-debug", "-ppttimeout", "1500", deckPath("standard.pptx"), out("deck.jpg")},
            {"PATH=" + bin + ":" + (path ? path : "/usr/bin:/bin")});
    EXPECT_EQ(result.status, 168);
    EXPECT_EQ(crLfLines(result.out), std::vector<std::string>{"We have to kill EXE processes..."});
}

// An office suite the user runs with a profile of their own.
class OutsideOffice {
public:
    explicit OutsideOffice(const std::string& folder)
        : profile_(folder + "/outside-profile"),
          pipe_("lantrel_test_outside_" + std::to_string(::getpid())) {
        ::prctl(PR_SET_CHILD_SUBREAPER, 1); // so that its processes can be reaped here
        launcher_ = ::fork();
        if (launcher_ == 0) {
            ::setsid();
            const int devNull = ::open("/dev/null", O_RDWR);
            ::dup2(devNull, STDOUT_FILENO);
            ::dup2(devNull, STDERR_FILENO);
            const std::string profile = "-env:UserInstallation=file://" + profile_;
            const std::string accept = "--accept=pipe,name=" + pipe_ + ";urp;";
            ::execlp("soffice", "soffice", "--headless", "--norestore", profile.c_str(),
                     accept.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    // Killed, with the pipe files it leaves behind.
    ~OutsideOffice() {
        const std::vector<std::string> pipes = office::detail::pipeFilesOf(launcher_);
        ::kill(-launcher_, SIGKILL);
        while (::waitpid(-launcher_, nullptr, 0) > 0) {
        }
        for (const std::string& pipe : pipes) {
            ::unlink(pipe.c_str());
        }
    }
    // The office process, once it accepts connections (a first start restarts it once).
    int readyOfficeProcess() const {
        for (int waited = 0; waited < 600; ++waited) {
            if (::access(pipeFile().c_str(), F_OK) == 0) {
                for (int pid : processesMentioning(profile_)) {
                    if (fileBytes("/proc/" + std::to_string(pid) + "/cmdline")
                            .find("soffice.bin") != std::string::npos) {
                        return pid;
                    }
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return -1;
    }

private:
    std::string pipeFile() const {
        return "/tmp/OSL_PIPE_" + std::to_string(::getuid()) + "_" + pipe_;
    }

    std::string profile_;
    std::string pipe_;
    pid_t launcher_ = -1;
};

TEST_F(LantrelExport, AnOfficeSuiteStartedOutsideTheRunSurvivesIt) {
    OutsideOffice outside(sandbox_);
    const int office = outside.readyOfficeProcess();
    ASSERT_GT(office, 0);
    const LantrelRun result = run({deckPath("standard.pptx"), out("deck.jpg")});
    EXPECT_EQ(result.status, 12);
    EXPECT_EQ(::kill(office, 0), 0) << "the outside office suite was ended";
    const std::string state = fileBytes("/proc/" + std::to_string(office) + "/stat");
    EXPECT_EQ(state.find(") Z"), std::string::npos) << "the outside office suite was ended";
}

} // namespace
