// The SWF path of the converter against stand-in libraries placed beside a copy of it.
#include "platform/posix/posix_files.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

const std::string kLantrel = std::string(MURANO_BIN_DIR) + "/lantrel";
const std::string kSampleDeck = std::string(MURANO_BIN_DIR) + "/../samples/sample.pptx";
const std::string kTestBin = MURANO_TEST_BIN_DIR;

bool copyFile(const std::string& from, const std::string& to) {
    return std::system(("cp '" + from + "' '" + to + "'").c_str()) == 0;
}

class SwfBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(copyFile(kLantrel, lantrel));
        ASSERT_TRUE(copyFile(kSampleDeck, deck));
    }
    void installLibrary(const std::string& built) {
        ASSERT_TRUE(copyFile(kTestBin + "/" + built + ".so", tool.file("korrind.so")));
    }
    ProcessResult run(std::vector<std::string> arguments,
                      std::map<std::string, std::string> environment = {}) {
        arguments.insert(arguments.begin(), lantrel);
        environment["FAKE_KORRIND_LOG"] = calls();
        environment["XDG_STATE_HOME"] = tool.path();
        return runProcess(lantrel, arguments, environment);
    }
    std::string calls() const { return tool.file("calls.txt"); }

    TemporaryFolder tool; // the converter's own folder
    TemporaryFolder work;
    const std::string lantrel = tool.file("lantrel");
    const std::string deck = work.file("deck.pptx");
};

TEST_F(SwfBridgeTest, ConvertsThroughTheLibraryAndWritesThePageBesideTheMovie) {
    installLibrary("fake_korrind");
    const std::string output = work.file("out.swf");
    const ProcessResult result = run({"-debug", deck, output});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.substr(0, result.out.find("Conversion Finished")),
              "Rendering slides\r\n"
              "Processing slide: 1 of 4...\r\nProcessing slide: 2 of 4...\r\n"
              "Processing slide: 3 of 4...\r\nProcessing slide: 4 of 4...\r\n");
    EXPECT_EQ(readFile(work.file("out/out.swf")), "FWS");
    EXPECT_NE(readFile(work.file("out/out.html")).find("<TITLE>out.swf</TITLE>"),
              std::string::npos);
    EXPECT_EQ(readFile(calls()), "InitParams 12,720,540,1,1,1,1,0\n"
                                 "SetLinkMovies 1,1,1\n"
                                 "ConvertPPt2Swf null " +
                                     deck + " " + work.file("out") + "\n");
    EXPECT_EQ(readFile(tool.file("lantrel.log")),
              "Begin \"" + deck + "\"\r\nEnd \"" + deck + "\"\r\n\r\n");
}

TEST_F(SwfBridgeTest, PassesTheSwfOptionsInTheirOrder) {
    installLibrary("fake_korrind");
    run({deck,           work.file("out.swf"),
         "-swfrate",     "24",
         "-width",       "640",
         "-height",      "480",
         "-swfanmi",     "0",
         "-swftrans",    "0",
         "-swfmaster",   "0",
         "-swfdelay",    "0",
         "-swfmouse",    "1",
         "-swfloop",     "0",
         "-swfloadbar",  "0",
         "-swfctrolbar", "0"});
    EXPECT_EQ(readFile(calls()).substr(0, readFile(calls()).find("ConvertPPt2Swf")),
              "InitParams 24,640,480,0,0,0,0,1\nSetLinkMovies 0,0,0\n");
    EXPECT_NE(readFile(work.file("out/out.html")).find("WIDTH=\"640\" HEIGHT=\"480\""),
              std::string::npos);
}

TEST_F(SwfBridgeTest, WithoutMergingTheMoviesAreNotLinked) {
    installLibrary("fake_korrind");
    EXPECT_EQ(run({deck, work.file("out.swf"), "-mergeall", "0"}).status, 0);
    EXPECT_EQ(readFile(calls()).find("SetLinkMovies"), std::string::npos);
    EXPECT_NE(readFile(calls()).find("ConvertPPt2Swf"), std::string::npos);
}

TEST_F(SwfBridgeTest, SkipLeavesAnExistingOutputFolderAlone) {
    installLibrary("fake_korrind");
    EXPECT_EQ(run({deck, work.file("out.swf"), "-skip"}).status, 0);
    std::remove(calls().c_str());
    const ProcessResult second = run({"-debug", deck, work.file("out.swf"), "-skip"});
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(readFile(calls()), "");
    EXPECT_EQ(second.out.find("Processing slide"), std::string::npos);
}

TEST_F(SwfBridgeTest, AConversionWithoutAMovieFailsAndLeavesNoFolderBehind) {
    installLibrary("fake_korrind");
    const std::map<std::string, std::string> failures[] = {
        {{"FAKE_KORRIND_WRITES_NOTHING", "1"}},
        {{"FAKE_KORRIND_RESULT", "-4"}}, // a movie file, but the library reports a failure
    };
    for (const auto& failure : failures) {
        const ProcessResult result = run({deck, work.file("out.swf")}, failure);
        EXPECT_EQ(result.status, 254) << failure.begin()->first;
        EXPECT_FALSE(posix::exists(work.file("out"))) << failure.begin()->first;
    }
}

TEST_F(SwfBridgeTest, TheMovieNameIsTextInThePageNeverMarkup) {
    installLibrary("fake_korrind");
    const std::string name = "a\"><img src=x onerror=alert(1)>'";
    EXPECT_EQ(run({deck, work.file(name + ".swf")}).status, 0);
    const std::string page = readFile(work.file(name + "/" + name + ".html"));
    ASSERT_FALSE(page.empty());
    EXPECT_EQ(page.find("<img"), std::string::npos) << page;
    EXPECT_EQ(page.find("\"><"), std::string::npos) << page;
    EXPECT_NE(page.find("<TITLE>a&quot;&gt;&lt;img src=x onerror=alert(1)&gt;&#39;.swf</TITLE>"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("VALUE=\"a%22%3E%3Cimg%20src%3Dx%20onerror%3Dalert%281%29%3E%27.swf\""),
              std::string::npos)
        << page;
}

TEST_F(SwfBridgeTest, ALibraryWithoutTheExportsCountsAsMissing) {
    installLibrary("fake_korrind_incomplete");
    const ProcessResult result = run({"-debug", deck, work.file("out.swf")});
    EXPECT_EQ(result.status, 254);
    EXPECT_EQ(result.out.rfind("Can't load \"" + tool.file("korrind.so") + "\" file.\r\n", 0), 0u);
    EXPECT_FALSE(posix::isFolder(work.file("out")));
}

} // namespace
