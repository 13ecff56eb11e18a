// The driver's facilities used on their own: classification, reserved temporary names, the page
// written beside a movie and the converter's log.
#include "converter/backends.h"
#include "converter/driver.h"
#include "converter/paths.h"
#include "platform/posix/posix_files.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

TEST(Classify, FollowsTheExtensionTableCaseInsensitively) {
    EXPECT_EQ(Classify("/x/OUT.JPG"), kJpg);
    EXPECT_EQ(Classify("/x/out.jpg"), kJpg);
    EXPECT_EQ(Classify("/x/out.Jpeg"), kJpg);
    EXPECT_EQ(Classify("deck.swf"), kSwf);
    EXPECT_EQ(Classify("deck.PDF"), kPdf);
    EXPECT_EQ(Classify("deck.ps"), kPostScript);
    EXPECT_EQ(Classify("deck.mht"), kMhtml);
    EXPECT_EQ(Classify("deck.mhtml"), kMhtml);
    EXPECT_EQ(Classify("deck.htm"), kHtml);
    EXPECT_EQ(Classify("deck.tiff"), kTiff);
    EXPECT_EQ(Classify("deck.wmf"), 15);
    EXPECT_EQ(Classify("deck.emf"), 23);
    EXPECT_EQ(Classify("deck.rtf"), 6);
}

TEST(Classify, UnknownOrMissingExtensionsAreUnknown) {
    EXPECT_EQ(Classify("/x/out.jpe"), kUnknownOutput);
    EXPECT_EQ(Classify("/x/out"), kUnknownOutput);
    EXPECT_EQ(Classify("/x.jpg/out"), kUnknownOutput);
    EXPECT_EQ(Classify("/x/out.jpg.bak"), kUnknownOutput);
    EXPECT_EQ(Classify(""), kUnknownOutput);
}

class PrivateStateTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_STATE_HOME", state.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_STATE_HOME"); }
    TemporaryFolder state;
};

TEST_F(PrivateStateTest, TempNameReservesAUniqueNameInThePrivateFolder) {
    const std::string first = TempName(nullptr);
    const std::string second = TempName(".pdf");
    const std::string folder = state.path() + "/quorvex";
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(folderOf(first), folder);
    EXPECT_EQ(fileNameOf(first).rfind("pdf", 0), 0u);
    EXPECT_FALSE(posix::exists(first)) << "only the name is reserved";
    EXPECT_EQ(extensionOf(second), ".pdf");
    EXPECT_NE(withoutExtension(second), first);

    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(PrivateStateTest, ThePrivateFolderIsTightenedWhenItExistsLooser) {
    const std::string folder = state.path() + "/quorvex";
    ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
    ::chmod(folder.c_str(), 0777);
    EXPECT_FALSE(TempName(nullptr).empty());
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(HtmlWrapperWriter, WritesThePageBesideTheMovie) {
    TemporaryFolder folder;
    const std::string movie = folder.file("talk.swf");
    ASSERT_TRUE(HtmlWrapperWriter(movie, 640, 480));
    const std::string page = readFile(folder.file("talk.html"));
    const std::string head =
        "<HTML>\r\n<HEAD>\r\n<TITLE>talk.swf</TITLE>\r\n</HEAD>\r\n"
        "<BODY leftmargin=\"0\" topmargin=\"0\">\r\n<!-- Flash movie tag-->\r\n"
        "<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\"\r\n"
        "codebase=\"";
    EXPECT_EQ(page.substr(0, head.size()), head);
    EXPECT_NE(page.find("/pub/shockwave/cabs/flash/swflash.cab#version=6,0,0,0\"\r\n"
                        "WIDTH=\"640\" HEIGHT=\"480\" id=\"talk.swf\" ALIGN=\"\">\r\n"
                        "<PARAM NAME=movie VALUE=\"talk.swf\">\r\n"
                        "<PARAM NAME=quality VALUE=high>\r\n"
                        "<PARAM NAME=bgcolor VALUE=#ffffff>\r\n"
                        "<EMBED src=\"talk.swf\" quality=high bgcolor=#13a  WIDTH=\"640\" "
                        "HEIGHT=\"480\" NAME=\"talk.swf\" ALIGN=\"\" "
                        "TYPE=\"application/x-shockwave-flash\" PLUGINSPAGE=\""),
              std::string::npos)
        << page;
    const std::string ending = "/go/getflashplayer\">\r\n</EMBED>\r\n</OBJECT>\r\n</BODY>\r\n"
                               "</HTML>\r\n";
    ASSERT_GE(page.size(), ending.size());
    EXPECT_EQ(page.substr(page.size() - ending.size()), ending);
}

TEST(HtmlWrapperWriter, ReportsAPageThatCannotBeWritten) {
    EXPECT_FALSE(HtmlWrapperWriter("/nonexistent-folder/talk.swf", 720, 540));
}

TEST(ConverterLog, AppendsBesideTheExecutable) {
    const std::string log = withoutExtension(posix::executablePath()) + ".log";
    std::remove(log.c_str());
    ConverterLog("Begin \"%s\"\n", "/decks/a.pptx");
    ConverterLog("End \"%s\"\n\n", "/decks/a.pptx");
    EXPECT_EQ(readFile(log), "Begin \"/decks/a.pptx\"\r\nEnd \"/decks/a.pptx\"\r\n\r\n");
    std::remove(log.c_str());
}

} // namespace
