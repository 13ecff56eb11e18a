// One conversion from deck to movie file, with a stand-in renderer in place of the office suite:
// progress reports, cancelling between slides and failures that must leave no movie behind.
#include "platform/korrind/conversion.h"
#include "platform/korrind/jpeg_frames.h"
#include "tests/korrind/test_jpegs.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

using namespace korrind;
namespace kt = swf_test;

struct RendererLog {
    int opened = 0;
    int closed = 0;
    std::vector<std::string> renders; // "index WxH master"
    std::string scratch;
};

class FakeRenderer : public SlideRenderer {
public:
    FakeRenderer(RendererLog& log, std::string scratch, int slides) : log_(log), slides_(slides) {
        log_.scratch = std::move(scratch);
    }
    bool open(const std::string&, int& count, std::string& error) override {
        ++log_.opened;
        if (slides_ < 0) {
            error = "not a presentation";
            return false;
        }
        count = slides_;
        return true;
    }
    bool render(int index, int width, int height, bool master, Bytes& jpeg,
                std::string& error) override {
        log_.renders.push_back(std::to_string(index) + " " + std::to_string(width) + "x" +
                               std::to_string(height) + (master ? " master" : " plain"));
        if (onRender) {
            return onRender(index, jpeg, error);
        }
        jpeg = kt::fakeJpeg(width, height);
        return true;
    }
    void close() override { ++log_.closed; }

    std::function<bool(int, Bytes&, std::string&)> onRender;

private:
    RendererLog& log_;
    int slides_;
};

class KorrindConversion : public ::testing::Test {
protected:
    void SetUp() override { writeFile(deck, "a deck"); }

    int convert(int slides, std::function<bool(int, Bytes&, std::string&)> onRender = {},
                const std::string& target = "") {
        Progress progress;
        progress.slideTotal = [this](int total) {
            events.push_back("total " + std::to_string(total));
        };
        progress.slideDone = [this](int slide) {
            events.push_back("done " + std::to_string(slide));
        };
        progress.caption = [this](const std::string& text) { captions.push_back(text); };
        return convertPresentation(deck, target.empty() ? folder : target, settings, progress,
                                   cancel, [&](const std::string& scratch) {
                                       auto renderer =
                                           std::make_unique<FakeRenderer>(log, scratch, slides);
                                       renderer->onRender = onRender;
                                       return renderer;
                                   });
    }

    bool captioned(const std::string& start) const {
        return std::any_of(captions.begin(), captions.end(),
                           [&](const std::string& c) { return c.rfind(start, 0) == 0; });
    }

    TemporaryFolder work;
    const std::string deck = work.file("deck.pptx");
    const std::string folder = work.file("out");
    const std::string movie = work.file("out/out.swf");
    MovieSettings settings;
    std::atomic<bool> cancel{false};
    RendererLog log;
    std::vector<std::string> events;
    std::vector<std::string> captions;
};

TEST(KorrindMoviePath, IsNamedAfterTheFolderItGoesIn) {
    EXPECT_EQ(moviePathFor("/d/out"), "/d/out/out.swf");
    EXPECT_EQ(moviePathFor("/d/out//"), "/d/out/out.swf");
    EXPECT_EQ(moviePathFor("out"), "out/out.swf");
}

TEST_F(KorrindConversion, RendersEverySlideAtTheStageSizeReportsEachAndWritesTheMovie) {
    settings.width = 640;
    settings.height = 480;
    settings.masterArtwork = false;
    ASSERT_EQ(convert(3), Converted);
    EXPECT_EQ(events, (std::vector<std::string>{"total 3", "done 1", "done 2", "done 3"}));
    EXPECT_EQ(log.renders,
              (std::vector<std::string>{"0 640x480 plain", "1 640x480 plain", "2 640x480 plain"}));
    EXPECT_EQ(log.closed, 1);
    EXPECT_TRUE(captioned("Opening \"" + deck));
    EXPECT_TRUE(captioned("Rendering slide 2 of 3"));
    EXPECT_TRUE(captioned("Writing movie \"" + movie));

    const std::string file = readFile(movie);
    const kt::MovieFile read = kt::readMovie(Bytes(file.begin(), file.end()));
    ASSERT_TRUE(read.valid);
    EXPECT_EQ(read.widthTwips, 640 * 20);
    // Only the movie is left in the folder: the scratch folder is gone.
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"out.swf"});
    EXPECT_EQ(log.scratch.rfind(folder + "/", 0), 0u);
}

TEST_F(KorrindConversion, ProgressiveSlideImagesGoIntoTheMovieAsSequentialOnes) {
    ASSERT_EQ(convert(2,
                      [](int, Bytes& jpeg, std::string&) {
                          jpeg = kt::gradientJpeg(720, 540, true);
                          return true;
                      }),
              Converted);
    const std::string file = readFile(movie);
    const kt::MovieFile read = kt::readMovie(Bytes(file.begin(), file.end()));
    int bitmaps = 0;
    for (const kt::Tag& tag : read.tags) {
        if (tag.code == 21) {
            const auto frame = jpegFrame(Bytes(tag.body.begin() + 2, tag.body.end()));
            ASSERT_TRUE(frame.has_value());
            EXPECT_EQ(frame->marker, 0xc0);
            ++bitmaps;
        }
    }
    EXPECT_EQ(bitmaps, 2);
}

TEST_F(KorrindConversion, CreatesAMissingOutputFolderAndAcceptsATrailingSlash) {
    ASSERT_EQ(convert(1, {}, folder + "/"), Converted);
    EXPECT_FALSE(readFile(movie).empty());
}

TEST_F(KorrindConversion, CancellingBetweenSlidesWritesNoMovieAndKeepsAnOldOne) {
    ::mkdir(folder.c_str(), 0755);
    writeFile(movie, "the previous movie");
    const int status = convert(4, [this](int index, Bytes& jpeg, std::string&) {
        jpeg = kt::fakeJpeg(720, 540);
        if (index == 1) {
            cancel = true;
        }
        return true;
    });
    EXPECT_EQ(status, Cancelled);
    EXPECT_EQ(log.renders.size(), 2u);
    EXPECT_EQ(log.closed, 1);
    EXPECT_EQ(readFile(movie), "the previous movie");
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"out.swf"});
}

TEST_F(KorrindConversion, ACancelBeforeTheFirstSlideRendersNothing) {
    cancel = true;
    EXPECT_EQ(convert(2), Cancelled);
    EXPECT_EQ(log.renders.size(), 0u);
}

TEST_F(KorrindConversion, FailuresLeaveNoMovieAndSayWhy) {
    EXPECT_EQ(convert(-1), CannotOpen);
    EXPECT_TRUE(captioned("Cannot open \"" + deck + "\": not a presentation"));

    EXPECT_EQ(convert(0), CannotOpen);
    EXPECT_TRUE(captioned("The presentation \"" + deck + "\" has no slides."));

    EXPECT_EQ(convert(3,
                      [](int index, Bytes& jpeg, std::string& error) {
                          jpeg = kt::fakeJpeg(720, 540);
                          error = "export failed";
                          return index != 2;
                      }),
              CannotRender);
    EXPECT_TRUE(captioned("Cannot render slide 3: export failed"));

    EXPECT_EQ(convert(2,
                      [](int, Bytes& png, std::string&) {
                          png = {0x89, 'P', 'N', 'G'};
                          return true;
                      }),
              CannotRender);
    EXPECT_TRUE(captioned("Slide 1 did not render as a JPEG image."));

    EXPECT_EQ(log.closed, log.opened);
    EXPECT_TRUE(folderEntries(folder).empty());
}

TEST_F(KorrindConversion, RefusesBadInputAndSettingsBeforeStartingTheRenderer) {
    settings.frameRate = 0;
    EXPECT_EQ(convert(2), BadSettings);
    settings.frameRate = 12;
    EXPECT_EQ(convertPresentation(work.file("missing.pptx"), folder, settings, {}, cancel,
                                  [](const std::string&) { return nullptr; }),
              InputMissing);
    EXPECT_EQ(convertPresentation("", folder, settings, {}, cancel,
                                  [](const std::string&) { return nullptr; }),
              BadArguments);
    EXPECT_EQ(log.opened, 0);
}

TEST_F(KorrindConversion, AFolderThatCannotBeMadeIsAWriteFailure) {
    writeFile(work.file("plain-file"), "x");
    EXPECT_EQ(convert(1, {}, work.file("plain-file/out")), CannotWrite);
    EXPECT_EQ(log.opened, 0);
}

} // namespace
