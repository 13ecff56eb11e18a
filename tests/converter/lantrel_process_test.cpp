// The converter as its callers see it: exit status, standard output and standard error of the
// built program.
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sys/stat.h>

namespace {

const std::string kBin = MURANO_BIN_DIR;
const std::string kLantrel = kBin + "/lantrel";
const std::string kSampleDeck = std::string(MURANO_BIN_DIR) + "/../samples/sample.pptx";
const std::regex kClosingLines("Conversion Finished! Result value = (-?\\d+)\r\n"
                               "Time of Conversion is: (\\d+)ms\\((\\d+\\.\\d\\d)s\\)\r\n");

class LantrelTest : public ::testing::Test {
protected:
    ProcessResult run(std::vector<std::string> arguments, const std::string& program = kLantrel) {
        arguments.insert(arguments.begin(), program);
        return runProcess(program, arguments, {{"XDG_STATE_HOME", state.path()}});
    }
    TemporaryFolder state;
    TemporaryFolder work;
};

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

TEST_F(LantrelTest, NoArgumentsPrintsTheUsageScreenAndEndsWith255) {
    const ProcessResult result = run({});
    EXPECT_EQ(result.status, 255);
    EXPECT_TRUE(startsWith(result.out.substr(result.out.find("\r\n") + 2),
                           std::string(55, '-') +
                               "\r\nDescription:\r\nConvert *.PPT, *.PPS, "
                               "*.PPTX, *.PPSX files to SWF, PDF, PS, EMF, WMF, "
                               "MHTML, HTML, RTF, TIFF, BMP, GIF, JPG, PNG, etc. "
                               "files\r\nExamples:\r\nConvert PPT file to SWF "
                               "file:\r\n   lantrel C:\\in.ppt C:\\out.swf\r\n"))
        << result.out;
    EXPECT_NE(result.out.find("\r\n\r\nConvert PPT file to PDF/PS file:\r\n   lantrel C:\\in.ppt "
                              "C:\\out.pdf\r\n"),
              std::string::npos);
    EXPECT_TRUE(endsWith(result.out, "\r\n   lantrel C:\\in.ppt C:\\out.rtf\r\n"
                                     "   lantrel -ppttimeout 10000 C:\\in.ppt C:\\out.png\r\n"))
        << result.out;
    EXPECT_TRUE(startsWith(result.err, "Usage: lantrel [options] <PPT-file> [<Output-file>]\r\n"
                                       "  -width <int>         : Set page width to SWF/PDF/PS "
                                       "file\r\n"));
    EXPECT_NE(result.err.find("  -margin <string>     : Set page margin to PDF file\r\n"
                              "        -margin 10          : Set margin to 10pt to left\r\n"),
              std::string::npos);
    EXPECT_NE(result.err.find("  -ppttimeout <int>    : Specify a timeout to avoid hanging "
                              "PowerPoint conversion, in millisecond, default is 30 seconds\r\n"
                              "  -call                : ...\r\n"
                              "  -?                   : Print usage information\r\n"),
              std::string::npos);
}

TEST_F(LantrelTest, ExamplesNameTheProgramAsItWasInvoked) {
    const std::string copy = work.file("lantrel.dll");
    ASSERT_EQ(std::system(("cp " + kLantrel + " " + copy).c_str()), 0);
    const ProcessResult result = run({"-h", "in.ppt"}, copy);
    EXPECT_EQ(result.status, 255);
    EXPECT_NE(result.out.find("   lantrel.dll C:\\in.pptx C:\\out.swf\r\n"), std::string::npos);
    EXPECT_EQ(result.out.find("   lantrel C:"), std::string::npos);
    // The listing keeps the converter's own name.
    EXPECT_TRUE(startsWith(result.err, "Usage: lantrel [options]"));
}

TEST_F(LantrelTest, UsageRequestsAndWrongWordCountsEndWith255) {
    const std::vector<std::vector<std::string>> cases = {
        {"-v"},
        {"-h", "in.ppt"},
        {"-help", "in.ppt", "out.jpg"},
        {"--help"},
        {"-?", "in.ppt"},
        {"in.ppt", "out.jpg", "extra"},
        {"-width", "abc", "in.ppt", "out.jpg"},
        {"in.ppt", "-ppttimeout"},
        {"-part", "3", "-parts", "2", "in.ppt", "out.jpg"},
        {"-part", "0", "in.ppt", "out.jpg"},
        {"-parts", "0", "in.ppt", "out.jpg"},
    };
    for (const auto& arguments : cases) {
        const ProcessResult result = run(arguments);
        EXPECT_EQ(result.status, 255) << arguments.front();
        EXPECT_TRUE(startsWith(result.err, "Usage: lantrel")) << arguments.front();
    }
}

TEST_F(LantrelTest, EmptyInputPathEndsWith255Silently) {
    const ProcessResult result = run({"-debug", ""});
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

TEST_F(LantrelTest, UnknownOutputFormatIsReportedBeforeTheInputIsChecked) {
    const ProcessResult debug = run({"-debug", "in.pptx", "out.xyz"});
    EXPECT_EQ(debug.status, 254);
    EXPECT_EQ(debug.out, "Unknown output file format.\r\n");
    EXPECT_EQ(debug.err, "");

    const ProcessResult quiet = run({work.file("missing.pptx"), work.file("out")});
    EXPECT_EQ(quiet.status, 254);
    EXPECT_EQ(quiet.out, "");
}

TEST_F(LantrelTest, MissingInputEndsWith253) {
    const std::string input = work.file("missing.pptx");
    const ProcessResult debug = run({"-debug", input, work.file("out.jpg")});
    EXPECT_EQ(debug.status, 253);
    EXPECT_EQ(debug.out, "\"" + input + "\" file doesn't exist.\r\n");

    // After "--" even "-debug" is the input path, so nothing is printed.
    const ProcessResult dashed = run({"--", "-debug"});
    EXPECT_EQ(dashed.status, 253);
    EXPECT_EQ(dashed.out, "");
}

TEST_F(LantrelTest, AnOutputInAMissingFolderIsRefusedBeforeTheOfficeStarts) {
    const std::string folder = work.file("no/such");
    const ProcessResult result = run({"-debug", kSampleDeck, folder + "/out.jpg"});
    EXPECT_EQ(result.status, 254);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "lantrel: the output's folder \"" + folder + "\" does not exist.\r\n");
}

TEST_F(LantrelTest, OptionsAfterThePositionalWordsAreRecognised) {
    const ProcessResult result = run({"in.pptx", "out.xyz", "-debug"});
    EXPECT_EQ(result.status, 254);
    EXPECT_EQ(result.out, "Unknown output file format.\r\n");
}

TEST_F(LantrelTest, PostScriptGoesThroughAReservedNameThatIsRemovedAfterwards) {
    const std::string output = work.file("deck.ps");
    const ProcessResult result = run({"-debug", kSampleDeck, output});
    EXPECT_EQ(result.status, 0) << result.out;
    const std::string progress = "Convert to \"" + output + "\" file...[95%]\r\n";
    const std::size_t at = result.out.find(progress);
    ASSERT_NE(at, std::string::npos) << result.out;
    std::smatch closing;
    const std::string tail = result.out.substr(at + progress.size());
    ASSERT_TRUE(std::regex_search(tail, closing, kClosingLines)) << result.out;
    EXPECT_EQ(closing[1], "0");
    EXPECT_EQ(folderEntries(state.path() + "/quorvex"), std::vector<std::string>{})
        << "the reserved temporary name is left behind";
}

TEST_F(LantrelTest, ClosingLinesGiveTheResultAndTheTimeInTwoUnits) {
    const ProcessResult result = run({"-debug", kSampleDeck, work.file("deck.pdf")});
    EXPECT_EQ(result.status, 0);
    std::smatch closing;
    ASSERT_TRUE(std::regex_search(result.out, closing, kClosingLines)) << result.out;
    EXPECT_EQ(closing[1], "0");
    const long milliseconds = std::stol(closing[2]);
    EXPECT_NEAR(std::stod(closing[3]), milliseconds * 0.001, 0.0051);
    EXPECT_TRUE(closing.suffix().str().empty()) << "the closing lines come last";
}

TEST_F(LantrelTest, SwfWithoutTheLibraryNamesTheMissingFileAndFails) {
    // A converter copied alone into a folder has no SWF library beside it.
    const std::string copy = work.file("lantrel");
    ASSERT_EQ(std::system(("cp " + kLantrel + " " + copy).c_str()), 0);
    const std::string deck = work.file("talk.pptx");
    ASSERT_EQ(std::system(("cp " + kSampleDeck + " " + deck).c_str()), 0);

    // No output path: the movie goes beside the input as talk.swf.
    const ProcessResult result = run({"-debug", deck}, copy);
    EXPECT_EQ(result.status, 254);
    EXPECT_TRUE(startsWith(result.out, "Can't load \"" + work.file("korrind.so") + "\" file.\r\n"))
        << result.out;
    std::smatch closing;
    ASSERT_TRUE(std::regex_search(result.out, closing, kClosingLines));
    EXPECT_EQ(closing[1], "-2");
    EXPECT_FALSE(std::ifstream(work.file("talk")).good());
}

TEST_F(LantrelTest, WithoutDebugARunPrintsNothing) {
    const ProcessResult result = run({kSampleDeck, work.file("deck.pdf")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

} // namespace

// A desktop opener stand-in that records what it was asked to open and answers with `status`.
void installOpener(const std::string& folder, const std::string& name, int status) {
    const std::string script = folder + "/" + name;
    writeFile(script, "#!/bin/sh\necho \"$0 $1\" >> \"" + folder + "/opened.txt\"\nexit " +
                          std::to_string(status) + "\n");
    ::chmod(script.c_str(), 0755);
}

class ViewTest : public LantrelTest {
protected:
    void SetUp() override {
        ASSERT_EQ(std::system(("cp " + kLantrel + " " + lantrel).c_str()), 0);
        ASSERT_EQ(std::system(("cp " + kSampleDeck + " " + deck).c_str()), 0);
    }
    ProcessResult view(const std::string& output, int openerStatus = 0) {
        installOpener(bin.path(), "xdg-open", openerStatus);
        installOpener(bin.path(), "fallback-browser", 0);
        return runProcess(lantrel, {lantrel, "-view", deck, output},
                          {{"XDG_STATE_HOME", state.path()},
                           {"PATH", bin.path() + ":/usr/bin:/bin"},
                           {"BROWSER", bin.file("fallback-browser")}});
    }
    std::string opened() { return readFile(bin.file("opened.txt")); }
    TemporaryFolder bin;
    // A converter without the SWF library beside it: its SWF runs convert nothing.
    const std::string lantrel = work.file("lantrel");
    const std::string deck = work.file("talk.pptx");
};

TEST_F(ViewTest, OpensTheFolderNamedAfterTheOutputWhenThereIsNoOutputFile) {
    ASSERT_EQ(::mkdir(work.file("talk").c_str(), 0755), 0);
    const ProcessResult result = view(work.file("talk.swf"));
    EXPECT_EQ(result.status, 254); // no SWF library: a failure, and still the view of the folder
    EXPECT_EQ(opened(), bin.file("xdg-open") + " " + work.file("talk") + "\n");
}

TEST_F(ViewTest, OpensTheOutputFileWhenItExists) {
    writeFile(work.file("talk.swf"), "FWS");
    view(work.file("talk.swf"));
    EXPECT_EQ(opened(), bin.file("xdg-open") + " " + work.file("talk.swf") + "\n");
}

TEST_F(ViewTest, OpensNothingWhenThereIsNeitherFileNorFolder) {
    view(work.file("talk.swf"));
    EXPECT_EQ(opened(), "");
}

TEST_F(ViewTest, FallsBackToTheBrowserWhenTheDesktopOpenerFails) {
    writeFile(work.file("talk.swf"), "FWS");
    view(work.file("talk.swf"), 3);
    EXPECT_EQ(opened(), bin.file("xdg-open") + " " + work.file("talk.swf") + "\n" +
                            bin.file("fallback-browser") + " " + work.file("talk.swf") + "\n");
}
