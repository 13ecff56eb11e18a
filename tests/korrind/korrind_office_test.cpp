// The built korrind.so on a generated four-slide deck with the real office suite: loaded directly
// through its C interface, and driven by the real converter placed beside it.
#include "platform/korrind/swf_library.h"
#include "tests/korrind/test_jpegs.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

namespace {

namespace kt = swf_test;

const std::string kBinDir = MURANO_BIN_DIR;
const std::string kDeck = KORRIND_TEST_DECK;

kt::MovieFile readMovieFile(const std::string& path) {
    const std::string bytes = readFile(path);
    return kt::readMovie(kt::Bytes(bytes.begin(), bytes.end()));
}

int countTags(const kt::MovieFile& movie, int code) {
    return static_cast<int>(std::count_if(movie.tags.begin(), movie.tags.end(),
                                          [code](const kt::Tag& tag) { return tag.code == code; }));
}

std::vector<std::string> captions;
std::vector<std::string> numbers;

void onCaption(std::int32_t, const char* text) {
    captions.emplace_back(text ? text : "(null)");
}
void onMax(std::int32_t flag, std::int32_t value) {
    numbers.push_back("max " + std::to_string(flag) + " " + std::to_string(value));
}
void onPos(std::int32_t flag, std::int32_t value) {
    numbers.push_back("pos " + std::to_string(flag) + " " + std::to_string(value));
}

// A fresh copy of the library under its own name, so that each test starts from the library's
// initial state even when the tests share one process.
class KorrindLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        captions.clear();
        numbers.clear();
        const std::string copy = tool.file("korrind-copy.so");
        writeFile(copy, readFile(kBinDir + "/korrind.so"));
        handle = ::dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << ::dlerror();
        ASSERT_TRUE(resolve("SetSetBarMax", setBarMax));
        ASSERT_TRUE(resolve("SetSetBarPos", setBarPos));
        ASSERT_TRUE(resolve("SetSetLblCaption", setCaption));
        ASSERT_TRUE(resolve("InitParams", initParams));
        ASSERT_TRUE(resolve("SetLinkMovies", setLinkMovies));
        ASSERT_TRUE(resolve("ConvertPPt2Swf", convert));
        ASSERT_TRUE(resolve("CancelConvert", cancel));
        setBarMax(onMax);
        setBarPos(onPos);
        setCaption(onCaption);
    }
    void TearDown() override {
        if (handle) {
            ::dlclose(handle);
        }
    }
    template <typename Fn> bool resolve(const char* name, Fn& function) {
        function = reinterpret_cast<Fn>(::dlsym(handle, name));
        return function != nullptr;
    }

    TemporaryFolder tool;
    TemporaryFolder work;
    void* handle = nullptr;
    SetSetBarMaxFn setBarMax = nullptr;
    SetSetBarPosFn setBarPos = nullptr;
    SetSetLblCaptionFn setCaption = nullptr;
    InitParamsFn initParams = nullptr;
    SetLinkMoviesFn setLinkMovies = nullptr;
    ConvertPPt2SwfFn convert = nullptr;
    CancelConvertFn cancel = nullptr;
};

TEST_F(KorrindLibrary, ExportsOnlyItsCInterface) {
    // The static parts linked in (here the SWF writer) stay private to the library.
    EXPECT_EQ(::dlsym(handle, "_ZN6murano3swf5Movie6finishENS0_11CompressionE"), nullptr);
}

TEST_F(KorrindLibrary, WithoutParametersConvertsAtTheConvertersDefaultsAndReportsEverySlide) {
    const std::string folder = work.file("deck");
    cancel(); // a cancel between conversions does not stop the next one
    ASSERT_EQ(convert(nullptr, kDeck.c_str(), folder.c_str()), 0);
    EXPECT_EQ(numbers,
              (std::vector<std::string>{"max 0 4", "pos 0 1", "pos 0 2", "pos 0 3", "pos 0 4"}));
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.front().rfind("Opening", 0), 0u);

    const kt::MovieFile movie = readMovieFile(folder + "/deck.swf");
    ASSERT_TRUE(movie.valid);
    EXPECT_EQ(movie.widthTwips, 720 * 20);
    EXPECT_EQ(movie.heightTwips, 540 * 20);
    EXPECT_EQ(movie.frameRate, 12.0);
    EXPECT_EQ(countTags(movie, 21), 4);
    EXPECT_EQ(countTags(movie, 34), 0); // not linked: no control bar
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"deck.swf"});
}

TEST_F(KorrindLibrary, LinkingAppliesToOneConversionAndACorruptDeckWritesNoMovie) {
    initParams(10, 320, 240, 0, 0, 0, 0, 0);
    setLinkMovies(0, 0, 1);
    const std::string linked = work.file("linked");
    ASSERT_EQ(convert(nullptr, kDeck.c_str(), linked.c_str()), 0);
    const kt::MovieFile movie = readMovieFile(linked + "/linked.swf");
    EXPECT_EQ(movie.frameCount, 4); // no holds, no transitions, no preloader
    EXPECT_EQ(movie.widthTwips, 320 * 20);
    EXPECT_GT(countTags(movie, 34), 0);

    const std::string broken = work.file("broken.pptx");
    writeFile(broken, "PK\3\4 this is not a presentation");
    const std::string folder = work.file("broken");
    EXPECT_LT(convert(nullptr, broken.c_str(), folder.c_str()), 0);
    EXPECT_TRUE(folderEntries(folder).empty());

    const std::string again = work.file("again");
    ASSERT_EQ(convert(nullptr, kDeck.c_str(), again.c_str()), 0);
    EXPECT_EQ(countTags(readMovieFile(again + "/again.swf"), 34), 0);
}

TEST_F(KorrindLibrary, RefusesMissingInputAndBadSettingsQuickly) {
    EXPECT_LT(convert(nullptr, nullptr, work.file("x").c_str()), 0);
    EXPECT_LT(convert(nullptr, kDeck.c_str(), nullptr), 0);
    EXPECT_LT(convert(nullptr, work.file("missing.pptx").c_str(), work.file("m").c_str()), 0);
    initParams(12, 99999, 540, 1, 1, 1, 1, 0);
    EXPECT_LT(convert(nullptr, kDeck.c_str(), work.file("big").c_str()), 0);
    EXPECT_FALSE(captions.empty());
    EXPECT_TRUE(numbers.empty()); // refused before anything was opened
}

// The real converter with the library beside it, as users run it.
class KorrindConverter : public ::testing::Test {
protected:
    ProcessResult run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "lantrel");
        return runProcess(kBinDir + "/lantrel", arguments, {{"XDG_STATE_HOME", work.path()}});
    }
    static std::string withoutCarriageReturns(std::string text) {
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        return text;
    }
    TemporaryFolder work;
};

TEST_F(KorrindConverter, ConvertsTheDeckIntoAMovieAndItsPageThenSkipsItTheSecondTime) {
    const std::string output = work.file("out.swf");
    const ProcessResult first = run({"-debug", kDeck, output});
    EXPECT_EQ(first.status, 0) << first.out << first.err;
    const std::string out = withoutCarriageReturns(first.out);
    std::size_t at = 0;
    for (int slide = 1; slide <= 4; ++slide) {
        at = out.find("Processing slide: " + std::to_string(slide) + " of 4...\n", at);
        EXPECT_NE(at, std::string::npos) << "slide " << slide << " in\n" << out;
    }
    EXPECT_NE(out.find("Conversion Finished! Result value = 0\n"), std::string::npos);
    const kt::MovieFile movie = readMovieFile(work.file("out/out.swf"));
    ASSERT_TRUE(movie.valid);
    EXPECT_EQ(std::string(movie.signature), "CWS");
    EXPECT_EQ(countTags(movie, 21), 4);
    EXPECT_GT(countTags(movie, 34), 0); // merged by default: the control bar is there
    EXPECT_NE(readFile(work.file("out/out.html")).find("<TITLE>out.swf</TITLE>"),
              std::string::npos);

    struct stat before {};
    ASSERT_EQ(::stat(work.file("out/out.swf").c_str(), &before), 0);
    const ProcessResult second = run({"-debug", "-skip", kDeck, output});
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out.find("Processing slide"), std::string::npos) << second.out;
    struct stat after {};
    ASSERT_EQ(::stat(work.file("out/out.swf").c_str(), &after), 0);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
}

TEST_F(KorrindConverter, WithoutMergingTheMovieHasNoControlBarAndStopsAtItsEnd) {
    const ProcessResult result = run({"-mergeall", "0", kDeck, work.file("single.swf")});
    EXPECT_EQ(result.status, 0);
    const kt::MovieFile movie = readMovieFile(work.file("single/single.swf"));
    ASSERT_TRUE(movie.valid);
    EXPECT_EQ(countTags(movie, 34), 0);
    EXPECT_EQ(countTags(movie, 39), 0); // no loading bar either
    EXPECT_EQ(countTags(movie, 21), 4);
    const auto lastScript = std::find_if(movie.tags.rbegin(), movie.tags.rend(),
                                         [](const kt::Tag& tag) { return tag.code == 12; });
    ASSERT_NE(lastScript, movie.tags.rend());
    EXPECT_EQ(lastScript->body, (kt::Bytes{0x07, 0x00})); // stop
}

} // namespace
