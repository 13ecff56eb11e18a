// The slide movie's timeline: frames laid out from the settings, then the movie played back on a
// small display list to see what each frame shows and what its scripts do.
#include "platform/korrind/slide_movie.h"
#include "tests/korrind/test_jpegs.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace korrind;
namespace kt = swf_test;

struct Shown {
    std::uint16_t character = 0;
    kt::Matrix matrix;
    kt::ColorTransform colorTransform;
    std::string name;
};

struct Frame {
    std::map<std::uint16_t, Shown> displayList; // by depth, as the frame is shown
    std::vector<kt::Action> script;
};

// The movie played straight through from its first frame, without running any script.
struct Playback {
    kt::MovieFile file;
    std::vector<Frame> frames;
    std::map<std::uint16_t, Bytes> jpegs;                           // bitmap id -> JPEG
    std::map<std::uint16_t, std::uint16_t> slideShapes;             // shape id -> bitmap id
    std::map<std::uint16_t, std::vector<kt::Action>> buttonScripts; // button id -> release script
    std::map<std::uint16_t, bool> hitOnlyButtons;                   // button id -> nothing visible

    explicit Playback(const Bytes& movie) : file(kt::readMovie(movie)) {
        Frame current;
        for (const kt::Tag& tag : file.tags) {
            kt::BitReader reader(tag.body);
            switch (tag.code) {
            case 21: {
                const std::uint16_t id = reader.u16();
                jpegs[id] = Bytes(tag.body.begin() + 2, tag.body.end());
                break;
            }
            case 2: {
                const std::uint16_t id = reader.u16();
                kt::readRect(reader);
                reader.u8(); // one fill style
                if (reader.u8() == 0x41) {
                    slideShapes[id] = reader.u16();
                }
                break;
            }
            case 34:
                readButton(tag.body);
                break;
            case 26:
                place(reader, current);
                break;
            case 28:
                current.displayList.erase(reader.u16());
                break;
            case 12: {
                const auto actions = kt::readActions(tag.body);
                current.script.insert(current.script.end(), actions.begin(), actions.end());
                break;
            }
            case 1:
                frames.push_back(current);
                current.script.clear();
                break;
            default:
                break;
            }
        }
    }

    void readButton(const Bytes& body) {
        kt::BitReader reader(body);
        const std::uint16_t id = reader.u16();
        reader.u8();
        const std::size_t offsetField = reader.position();
        const std::uint16_t offset = reader.u16();
        bool visible = false;
        while (const std::uint8_t states = reader.u8()) {
            visible = visible || (states & 0x07) != 0;
            reader.u16();
            reader.u16();
            kt::readMatrix(reader);
            kt::readColorTransform(reader);
        }
        hitOnlyButtons[id] = !visible;
        if (offset != 0) {
            buttonScripts[id] = kt::readActions(body, offsetField + offset + 4);
        }
    }

    static void place(kt::BitReader& reader, Frame& frame) {
        const std::uint8_t flags = reader.u8();
        const std::uint16_t depth = reader.u16();
        Shown& shown = frame.displayList[depth];
        if (!(flags & 0x01)) {
            shown = Shown{};
        }
        if (flags & 0x02) {
            shown.character = reader.u16();
        }
        if (flags & 0x04) {
            shown.matrix = kt::readMatrix(reader);
        }
        if (flags & 0x08) {
            shown.colorTransform = kt::readColorTransform(reader);
        }
        if (flags & 0x20) {
            shown.name = reader.cString();
        }
    }

    // The JPEG shown by the slide shapes on the display list of a frame, bottom first.
    std::vector<Bytes> slidesShownIn(int frame) const {
        std::vector<Bytes> shown;
        for (const auto& [depth, object] : frames.at(static_cast<std::size_t>(frame)).displayList) {
            const auto shape = slideShapes.find(object.character);
            if (shape != slideShapes.end()) {
                shown.push_back(jpegs.at(shape->second));
            }
        }
        return shown;
    }

    const Shown* byCharacterKind(int frame, bool slide, std::size_t nth = 0) const {
        std::size_t seen = 0;
        for (const auto& [depth, object] : frames.at(static_cast<std::size_t>(frame)).displayList) {
            if ((slideShapes.count(object.character) > 0) == slide && seen++ == nth) {
                return &object;
            }
        }
        return nullptr;
    }
};

// Distinct fake JPEGs, one per slide.
std::vector<SlideImage> slides(int count, int width = 720, int height = 540) {
    std::vector<SlideImage> images;
    for (int i = 0; i < count; ++i) {
        images.push_back({kt::fakeJpeg(width + i, height), width + i, height});
    }
    return images;
}

int frameOf(const kt::Action& gotoFrame) {
    return gotoFrame.data[0] | (gotoFrame.data[1] << 8);
}

std::vector<int> codes(const std::vector<kt::Action>& script) {
    std::vector<int> result;
    for (const kt::Action& action : script) {
        result.push_back(action.code);
    }
    return result;
}

// The frame a script goes to, or -1.
int gotoTarget(const std::vector<kt::Action>& script) {
    for (const kt::Action& action : script) {
        if (action.code == 0x81) {
            return frameOf(action);
        }
    }
    return -1;
}

constexpr int kStop = 0x07;
constexpr int kPlay = 0x06;

MovieSettings unlinked() {
    MovieSettings settings;
    settings.linked = false;
    return settings;
}

MovieSettings linked() {
    MovieSettings settings;
    settings.linked = true;
    return settings;
}

TEST(KorrindTimelinePlan, HoldsSlidesForSecondsOrOneFrameAndFadesBetweenThem) {
    MovieSettings settings = unlinked();
    settings.frameRate = 12;
    TimelinePlan plan = planTimeline(4, settings);
    EXPECT_EQ(plan.holdFrames, 36);
    EXPECT_EQ(plan.transitionFrames, 6);
    EXPECT_EQ(plan.preloaderFrames, 0);
    EXPECT_EQ(plan.totalFrames(), 4 * 36 + 3 * 6);
    EXPECT_EQ(plan.slideStart(2), 2 * 42);

    settings.delayBetweenSlides = false;
    settings.transitionAnimation = false;
    plan = planTimeline(4, settings);
    EXPECT_EQ(plan.totalFrames(), 4);

    settings = linked();
    settings.triggerByMouse = true;
    plan = planTimeline(3, settings);
    EXPECT_EQ(plan.preloaderFrames, 2);
    EXPECT_EQ(plan.holdFrames, 1);
    EXPECT_EQ(plan.endFrames, 1);
    EXPECT_EQ(plan.slideStart(0), 2);

    EXPECT_EQ(planTimeline(1, unlinked()).transitionFrames, 0);
    EXPECT_EQ(planTimeline(0, unlinked()).slideCount, 0);
}

TEST(KorrindTimelinePlan, ShortensHoldsThenTransitionsToStayWithinTheFrameLimit) {
    MovieSettings settings = unlinked();
    settings.frameRate = 120;
    TimelinePlan plan = planTimeline(500, settings);
    EXPECT_LE(plan.totalFrames(), kMaxFrames);
    EXPECT_LT(plan.holdFrames, 360);
    EXPECT_GT(plan.transitionFrames, 0);

    plan = planTimeline(40000, settings);
    EXPECT_LE(plan.totalFrames(), kMaxFrames);
    EXPECT_EQ(plan.holdFrames, 1);
    EXPECT_EQ(plan.transitionFrames, 0);

    EXPECT_EQ(planTimeline(70000, settings).slideCount, 0);
}

TEST(KorrindMovieSettings, RejectsRatesAndSizesNoPlayerShows) {
    EXPECT_EQ(settingsProblem(MovieSettings{}), "");
    MovieSettings settings;
    settings.frameRate = 0;
    EXPECT_NE(settingsProblem(settings), "");
    settings.frameRate = 24;
    settings.width = kMaxStageSide + 1;
    EXPECT_NE(settingsProblem(settings), "");
    settings.width = 640;
    settings.height = -480;
    EXPECT_NE(settingsProblem(settings), "");
    EXPECT_TRUE(composeSlideMovie(slides(2), settings).empty());
}

TEST(KorrindSlideMovie, IsACompressedMovieOfTheStageSizeAndRateWithEverySlideOnce) {
    MovieSettings settings = unlinked();
    settings.frameRate = 24;
    settings.width = 640;
    settings.height = 480;
    const auto images = slides(3, 640, 480);
    const Playback movie(composeSlideMovie(images, settings));
    ASSERT_TRUE(movie.file.valid);
    EXPECT_EQ(std::string(movie.file.signature), "CWS");
    EXPECT_GE(movie.file.version, 6);
    EXPECT_EQ(movie.file.widthTwips, 640 * 20);
    EXPECT_EQ(movie.file.heightTwips, 480 * 20);
    EXPECT_EQ(movie.file.frameRate, 24.0);
    EXPECT_EQ(movie.file.frameCount, static_cast<int>(movie.frames.size()));
    EXPECT_EQ(movie.file.frameCount, planTimeline(3, settings).totalFrames());
    ASSERT_EQ(movie.jpegs.size(), 3u);
    EXPECT_TRUE(movie.buttonScripts.empty()); // no controls unless linked
}

TEST(KorrindSlideMovie, ShowsEachSlideAloneForItsHoldAndCrossFadesIntoTheNext) {
    const MovieSettings settings = unlinked();
    const auto images = slides(3);
    const Playback movie(composeSlideMovie(images, settings));
    const TimelinePlan plan = planTimeline(3, settings);
    for (int index = 0; index < 3; ++index) {
        const int start = plan.slideStart(index);
        for (int frame = start; frame < start + plan.holdFrames; ++frame) {
            EXPECT_EQ(movie.slidesShownIn(frame), std::vector<Bytes>{images[index].jpeg})
                << "frame " << frame;
        }
        const Shown* slide = movie.byCharacterKind(start, true);
        ASSERT_NE(slide, nullptr);
        EXPECT_EQ(slide->colorTransform.multiply[3], 256);
    }
    // Into slide 2: the old slide stays beneath while the new one grows opaque above it.
    int lastAlpha = 0;
    for (int frame = plan.slideStart(1) - plan.transitionFrames; frame < plan.slideStart(1);
         ++frame) {
        EXPECT_EQ(movie.slidesShownIn(frame), (std::vector<Bytes>{images[0].jpeg, images[1].jpeg}));
        const Shown* arriving = movie.byCharacterKind(frame, true, 1);
        ASSERT_NE(arriving, nullptr);
        const int alpha = arriving->colorTransform.multiply[3];
        EXPECT_GT(alpha, lastAlpha);
        EXPECT_LT(alpha, 256);
        lastAlpha = alpha;
    }
    // Not linked: the movie stops at its end.
    EXPECT_EQ(codes(movie.frames.back().script), std::vector<int>{kStop});
}

TEST(KorrindSlideMovie, WithoutEffectsTheNextSlideSlidesInFromTheRight) {
    MovieSettings settings = unlinked();
    settings.transitionEffects = false;
    const Playback movie(composeSlideMovie(slides(2), settings));
    const TimelinePlan plan = planTimeline(2, settings);
    std::int32_t lastX = 720 * 20 + 1;
    for (int frame = plan.slideStart(1) - plan.transitionFrames; frame < plan.slideStart(1);
         ++frame) {
        const Shown* arriving = movie.byCharacterKind(frame, true, 1);
        ASSERT_NE(arriving, nullptr);
        EXPECT_LT(arriving->matrix.translateX, lastX);
        EXPECT_GT(arriving->matrix.translateX, 0);
        lastX = arriving->matrix.translateX;
    }
    const Shown* settled = movie.byCharacterKind(plan.slideStart(1), true);
    ASSERT_NE(settled, nullptr);
    EXPECT_EQ(settled->matrix.translateX, 0);
}

TEST(KorrindSlideMovie, MouseTriggerStopsOnEverySlideAndAClickAnywherePlaysOn) {
    MovieSettings settings = unlinked();
    settings.triggerByMouse = true;
    const Playback movie(composeSlideMovie(slides(3), settings));
    const TimelinePlan plan = planTimeline(3, settings);
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(codes(movie.frames[static_cast<std::size_t>(plan.slideStart(index))].script),
                  std::vector<int>{kStop});
    }
    // The catcher: an invisible button over everything, placed from the first slide on.
    const Frame& first = movie.frames[static_cast<std::size_t>(plan.slideStart(0))];
    const auto catcher =
        std::find_if(first.displayList.begin(), first.displayList.end(), [&](const auto& entry) {
            return movie.hitOnlyButtons.count(entry.second.character);
        });
    ASSERT_NE(catcher, first.displayList.end());
    EXPECT_TRUE(movie.hitOnlyButtons.at(catcher->second.character));
    EXPECT_EQ(codes(movie.buttonScripts.at(catcher->second.character)), std::vector<int>{kPlay});
    EXPECT_GT(catcher->first, movie.frames.back().displayList.begin()->first);
    // The last slide waits for its click too: the movie ends one frame later.
    EXPECT_EQ(static_cast<int>(movie.frames.size()), plan.slideStart(2) + 2);
    EXPECT_EQ(codes(movie.frames.back().script), std::vector<int>{kStop});
}

TEST(KorrindSlideMovie, LinkedMovieLoopsBackToTheFirstSlide) {
    MovieSettings settings = linked();
    settings.loadingBar = false;
    settings.controlBar = false;
    const Playback movie(composeSlideMovie(slides(2), settings));
    const auto& last = movie.frames.back().script;
    EXPECT_EQ(gotoTarget(last), planTimeline(2, settings).slideStart(0));
    EXPECT_EQ(codes(last).back(), kPlay);

    settings.loop = false;
    EXPECT_EQ(codes(Playback(composeSlideMovie(slides(2), settings)).frames.back().script),
              std::vector<int>{kStop});
}

TEST(KorrindSlideMovie, LoadingBarShowsOverTheFirstSlideUntilTheLastFrameHasLoaded) {
    MovieSettings settings = linked();
    settings.controlBar = false;
    const auto images = slides(2);
    const Playback movie(composeSlideMovie(images, settings));
    const TimelinePlan plan = planTimeline(2, settings);
    ASSERT_EQ(plan.preloaderFrames, 2);

    EXPECT_EQ(movie.slidesShownIn(0), std::vector<Bytes>{images[0].jpeg});
    const auto& frame0 = movie.frames[0];
    const bool named = std::any_of(frame0.displayList.begin(), frame0.displayList.end(),
                                   [](const auto& e) { return e.second.name == kLoadingBarName; });
    EXPECT_TRUE(named);
    // Wait for the last frame; when it is there go to the first slide, else loop through frame 1.
    const auto& script = frame0.script;
    const auto wait = std::find_if(script.begin(), script.end(),
                                   [](const kt::Action& a) { return a.code == 0x8a; });
    ASSERT_NE(wait, script.end());
    EXPECT_EQ(frameOf(*wait), plan.totalFrames() - 1);
    EXPECT_EQ(wait->data[2], 1);
    EXPECT_EQ((wait + 1)->code, 0x81);
    EXPECT_EQ(frameOf(*(wait + 1)), plan.slideStart(0));
    EXPECT_EQ((wait + 2)->code, kPlay);
    EXPECT_EQ(gotoTarget(movie.frames[1].script), 0);
    // From the first slide on the bar is gone and only the slide remains.
    EXPECT_EQ(movie.frames[static_cast<std::size_t>(plan.slideStart(0))].displayList.size(), 1u);
}

TEST(KorrindSlideMovie, ControlBarButtonsLeadToTheNeighbouringSlides) {
    MovieSettings settings = linked();
    settings.loadingBar = false;
    const Playback movie(composeSlideMovie(slides(3), settings));
    const TimelinePlan plan = planTimeline(3, settings);

    // Per slide: the targets of the buttons on the display list, left to right.
    const auto targets = [&](int index) {
        std::vector<int> found;
        const Frame& frame = movie.frames[static_cast<std::size_t>(plan.slideStart(index))];
        std::vector<std::pair<std::int32_t, int>> byX;
        for (const auto& [depth, object] : frame.displayList) {
            const auto script = movie.buttonScripts.find(object.character);
            if (script != movie.buttonScripts.end() && gotoTarget(script->second) >= 0) {
                byX.emplace_back(object.matrix.translateX, gotoTarget(script->second));
            }
        }
        std::sort(byX.begin(), byX.end());
        for (const auto& entry : byX) {
            found.push_back(entry.second);
        }
        return found;
    };
    EXPECT_EQ(targets(0), (std::vector<int>{plan.slideStart(2), plan.slideStart(1)}));
    EXPECT_EQ(targets(1), (std::vector<int>{plan.slideStart(0), plan.slideStart(2)}));
    EXPECT_EQ(targets(2), (std::vector<int>{plan.slideStart(1), plan.slideStart(0)}));

    // The pause button toggles a variable and stops or plays by it.
    const Frame& first = movie.frames[static_cast<std::size_t>(plan.slideStart(0))];
    int toggles = 0;
    for (const auto& [depth, object] : first.displayList) {
        const auto script = movie.buttonScripts.find(object.character);
        if (script != movie.buttonScripts.end() && gotoTarget(script->second) < 0) {
            const auto c = codes(script->second);
            EXPECT_NE(std::find(c.begin(), c.end(), 0x9d), c.end());
            EXPECT_NE(std::find(c.begin(), c.end(), kStop), c.end());
            EXPECT_NE(std::find(c.begin(), c.end(), kPlay), c.end());
            ++toggles;
        }
    }
    EXPECT_EQ(toggles, 1);
}

TEST(KorrindSlideMovie, RefusesToMakeAMovieOfNoSlides) {
    EXPECT_TRUE(composeSlideMovie({}, MovieSettings{}).empty());
}

} // namespace
