#include "platform/korrind/slide_movie.h"

#include <algorithm>
#include <cmath>

namespace korrind {

using murano::swf::Movie;
using murano::swf::twips;

namespace {

// Display-list depths: slides stack from the bottom, each new one above the one it replaces; the
// player's own controls stay above every slide.
constexpr std::uint16_t kFirstSlideDepth = 1;
constexpr std::uint16_t kClickCatcherDepth = 61000;
constexpr std::uint16_t kControlBarDepth = 62000;
constexpr std::uint16_t kPreviousDepth = 62001;
constexpr std::uint16_t kPauseDepth = 62002;
constexpr std::uint16_t kNextDepth = 62003;
constexpr std::uint16_t kLoadingTrackDepth = 63000;
constexpr std::uint16_t kLoadingFillDepth = 63001;

constexpr Rgba kPanelColor{20, 24, 32, 160};
constexpr Rgba kFaceColor{255, 255, 255, 40};
constexpr Rgba kFaceHoverColor{255, 255, 255, 96};
constexpr Rgba kGlyphColor{245, 245, 245, 255};
constexpr Rgba kLoadingFillColor{255, 255, 255, 230};

std::uint16_t slideDepth(int index) {
    return static_cast<std::uint16_t>(kFirstSlideDepth + index);
}

Matrix translation(std::int32_t x, std::int32_t y) {
    Matrix matrix;
    matrix.translateX = x;
    matrix.translateY = y;
    return matrix;
}

// A polygon given in fractions of a square box of `side` twips.
FilledPolygon inBox(Rgba color, std::int32_t side,
                    std::initializer_list<std::pair<double, double>> unit) {
    FilledPolygon polygon{color, {}};
    for (const auto& [x, y] : unit) {
        polygon.points.push_back({static_cast<std::int32_t>(std::lround(x * side)),
                                  static_cast<std::int32_t>(std::lround(y * side))});
    }
    return polygon;
}

FilledPolygon boxRectangle(Rgba color, std::int32_t side, double x0, double y0, double x1,
                           double y1) {
    return inBox(color, side, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

// Sizes of the player controls for a stage, in twips.
struct ControlLayout {
    std::int32_t button = 0;
    std::int32_t gap = 0;
    std::int32_t barX = 0;
    std::int32_t barY = 0;
    std::int32_t barWidth = 0;
    std::int32_t barHeight = 0;

    explicit ControlLayout(const MovieSettings& settings) {
        const int buttonPixels =
            std::clamp(static_cast<int>(std::lround(settings.height * 0.06)), 18, 40);
        button = twips(buttonPixels);
        gap = button / 4;
        barWidth = 3 * button + 4 * gap;
        barHeight = button + 2 * gap;
        barX = (twips(settings.width) - barWidth) / 2;
        barY = twips(settings.height) - barHeight - gap;
    }
    std::int32_t buttonX(int slot) const { return barX + gap + slot * (button + gap); }
    std::int32_t buttonY() const { return barY + gap; }
};

class Composer {
public:
    Composer(const std::vector<SlideImage>& slides, const MovieSettings& settings,
             const TimelinePlan& plan)
        : slides_(slides), settings_(settings), plan_(plan), layout_(settings),
          movie_(murano::swf::MovieHeader{kMovieVersion,
                                          {0, twips(settings.width), 0, twips(settings.height)},
                                          static_cast<double>(settings.frameRate)}) {}

    Bytes compose() {
        movie_.setBackgroundColor({255, 255, 255});
        if (plan_.preloaderFrames > 0) {
            preloader();
        }
        for (int index = 0; index < plan_.slideCount; ++index) {
            if (index > 0) {
                transitionInto(index);
            }
            slideHold(index);
        }
        for (int frame = 0; frame < plan_.endFrames; ++frame) {
            endFrame(endOfMovie());
        }
        return movie_.finish(murano::swf::Compression::Zlib);
    }

private:
    std::uint16_t newId() { return nextId_++; }

    void add(TagCode code, const Bytes& body) { movie_.addTag(code, body); }
    void place(const Placement& placement) {
        add(TagCode::PlaceObject2, placeObject2Body(placement));
    }
    void remove(std::uint16_t depth) { add(tags::RemoveObject2, removeObject2Body(depth)); }

    void endFrame(const ActionScript& script) {
        if (!script.empty()) {
            add(tags::DoAction, doActionBody(script));
        }
        movie_.showFrame();
    }

    Rect stage() const { return {0, twips(settings_.width), 0, twips(settings_.height)}; }

    // Defines slide `index` as a bitmap and a stage-sized shape filled with it; returns the shape.
    std::uint16_t defineSlide(int index) {
        const SlideImage& slide = slides_[static_cast<std::size_t>(index)];
        const std::uint16_t bitmap = newId();
        movie_.defineBitsJpeg2(bitmap, slide.jpeg);
        const std::uint16_t shape = newId();
        movie_.defineBitmapRectangle(shape, bitmap, stage(), slide.width, slide.height);
        return shape;
    }

    std::uint16_t defineShape(const std::vector<FilledPolygon>& polygons) {
        const std::uint16_t id = newId();
        add(tags::DefineShape3, defineShape3Body(id, polygons));
        return id;
    }

    // The first slide with a loading bar over it, looping until the last frame has arrived.
    void preloader() {
        place({slideDepth(0), false, defineSlide(0), Matrix{}, std::nullopt, {}});
        const std::int32_t trackWidth = twips(settings_.width) / 2;
        const std::int32_t trackHeight = twips(std::max(6, settings_.height / 60));
        const std::int32_t border = twips(1);
        const std::int32_t x = (twips(settings_.width) - trackWidth) / 2;
        const std::int32_t y = (twips(settings_.height) - trackHeight) / 2;
        const std::uint16_t track =
            defineShape({{kPanelColor, rectanglePoints({0, trackWidth, 0, trackHeight})}});
        const std::uint16_t fill = defineShape(
            {{kLoadingFillColor,
              rectanglePoints({0, trackWidth - 2 * border, 0, trackHeight - 2 * border})}});
        const std::uint16_t sprite = newId();
        Placement inSprite{1, false, fill, Matrix{}, std::nullopt, {}};
        add(tags::DefineSprite, defineSpriteBody(sprite, {encodeTag(TagCode::PlaceObject2,
                                                                    placeObject2Body(inSprite))}));
        place({kLoadingTrackDepth, false, track, translation(x, y), std::nullopt, {}});
        place({kLoadingFillDepth, false, sprite, translation(x + border, y + border), std::nullopt,
               kLoadingBarName});

        const int lastFrame = plan_.totalFrames() - 1;
        ActionScript loading;
        loading.pushString(kLoadingBarName).pushNumber(property::XScale);
        loading.pushString("").pushNumber(property::FramesLoaded).getProperty();
        loading.pushNumber(100).multiply().pushNumber(plan_.totalFrames()).divide().setProperty();
        loading.waitForFrame(static_cast<std::uint16_t>(lastFrame), 1);
        loading.gotoFrame(static_cast<std::uint16_t>(plan_.slideStart(0))).play();
        endFrame(loading);
        endFrame(ActionScript().gotoFrame(0).play());
    }

    void transitionInto(int index) {
        const std::uint16_t shape = plan_.transitionFrames > 0 ? defineSlide(index) : 0;
        for (int step = 1; step <= plan_.transitionFrames; ++step) {
            const double progress = static_cast<double>(step) / (plan_.transitionFrames + 1);
            Placement placement{slideDepth(index), step > 1,     std::nullopt,
                                std::nullopt,      std::nullopt, {}};
            if (step == 1) {
                placement.characterId = shape;
            }
            if (settings_.transitionEffects) {
                placement.colorTransform = ColorTransform::opacity(progress);
            } else {
                placement.matrix = translation(
                    static_cast<std::int32_t>(std::lround(twips(settings_.width) * (1 - progress))),
                    0);
            }
            place(placement);
            endFrame({});
        }
    }

    // The frames in which slide `index` is fully shown.
    void slideHold(int index) {
        const bool preloaded = index == 0 && plan_.preloaderFrames > 0;
        if (preloaded) {
            remove(kLoadingTrackDepth);
            remove(kLoadingFillDepth);
        }
        if (index > 0) {
            remove(slideDepth(index - 1));
        }
        if (index > 0 && plan_.transitionFrames > 0) {
            // Settle the arriving slide: fully opaque, in place.
            place(
                {slideDepth(index), true, std::nullopt, Matrix{}, ColorTransform::identity(), {}});
        } else if (!preloaded) {
            place({slideDepth(index), false, defineSlide(index), Matrix{}, std::nullopt, {}});
        }
        if (index == 0) {
            placePlayerControls();
        }
        if (settings_.hasControlBar()) {
            placeSlideButtons(index);
        }

        const bool lastSlide = index == plan_.slideCount - 1;
        for (int frame = 0; frame < plan_.holdFrames; ++frame) {
            ActionScript script;
            if (frame == 0 && settings_.triggerByMouse) {
                script.stop();
            }
            if (lastSlide && plan_.endFrames == 0 && frame == plan_.holdFrames - 1) {
                script.append(endOfMovie());
            }
            endFrame(script);
        }
    }

    ActionScript endOfMovie() const {
        ActionScript script;
        if (!settings_.loops()) {
            return script.stop();
        }
        script.gotoFrame(static_cast<std::uint16_t>(plan_.slideStart(0)));
        if (!settings_.triggerByMouse) {
            script.play();
        }
        return script;
    }

    // Goes to a slide and, unless slides wait for clicks, plays on from there.
    ActionScript goToSlide(int index) const {
        ActionScript script;
        script.pushString(kPausedVariable).pushBoolean(false).setVariable();
        script.gotoFrame(static_cast<std::uint16_t>(plan_.slideStart(index)));
        if (!settings_.triggerByMouse) {
            script.play();
        }
        return script;
    }

    void placePlayerControls() {
        if (settings_.triggerByMouse) {
            // An invisible button over the whole stage: a click anywhere plays on to the next
            // slide.
            const std::uint16_t area = defineShape({{kPanelColor, rectanglePoints(stage())}});
            const std::uint16_t catcher = newId();
            ButtonPart hit{area, 1, false, false, false, true, Matrix{}};
            add(tags::DefineButton2, defineButton2Body(catcher, {hit}, ActionScript().play()));
            place({kClickCatcherDepth, false, catcher, Matrix{}, std::nullopt, {}});
        }
        if (!settings_.hasControlBar()) {
            return;
        }
        const std::int32_t b = layout_.button;
        faceUp_ = defineShape({boxRectangle(kFaceColor, b, 0, 0, 1, 1)});
        faceOver_ = defineShape({boxRectangle(kFaceHoverColor, b, 0, 0, 1, 1)});
        previousGlyph_ =
            defineShape({inBox(kGlyphColor, b, {{0.70, 0.25}, {0.70, 0.75}, {0.35, 0.50}}),
                         boxRectangle(kGlyphColor, b, 0.26, 0.25, 0.34, 0.75)});
        nextGlyph_ = defineShape({inBox(kGlyphColor, b, {{0.30, 0.25}, {0.65, 0.50}, {0.30, 0.75}}),
                                  boxRectangle(kGlyphColor, b, 0.66, 0.25, 0.74, 0.75)});
        const std::uint16_t pauseGlyph =
            defineShape({boxRectangle(kGlyphColor, b, 0.33, 0.27, 0.45, 0.73),
                         boxRectangle(kGlyphColor, b, 0.55, 0.27, 0.67, 0.73)});
        const std::uint16_t panel = defineShape(
            {{kPanelColor, rectanglePoints({0, layout_.barWidth, 0, layout_.barHeight})}});
        place({kControlBarDepth,
               false,
               panel,
               translation(layout_.barX, layout_.barY),
               std::nullopt,
               {}});

        // Pause stops the movie; pressing it again plays on.
        ActionScript toggle;
        toggle.pushString(kPausedVariable);
        toggle.pushString(kPausedVariable).getVariable().logicalNot().setVariable();
        toggle.pushString(kPausedVariable).getVariable();
        toggle.ifElse(ActionScript().stop(), ActionScript().play());
        placeButton(kPauseDepth, 1, defineButton(pauseGlyph, toggle));
    }

    std::uint16_t defineButton(std::uint16_t glyph, const ActionScript& action) {
        const std::uint16_t id = newId();
        const std::vector<ButtonPart> parts = {
            {faceUp_, 1, true, false, false, true, Matrix{}},
            {faceOver_, 1, false, true, true, false, Matrix{}},
            {glyph, 2, true, true, true, false, Matrix{}},
        };
        add(tags::DefineButton2, defineButton2Body(id, parts, action));
        return id;
    }

    void placeButton(std::uint16_t depth, int slot, std::uint16_t button) {
        place({depth,
               false,
               button,
               translation(layout_.buttonX(slot), layout_.buttonY()),
               std::nullopt,
               {}});
    }

    // Previous and next lead to fixed slides, so each slide has its own pair. Players keep a button
    // instance when a placement only swaps its character, so the old pair is removed first.
    void placeSlideButtons(int index) {
        const int last = plan_.slideCount - 1;
        const bool loops = settings_.loops();
        const int previous = index > 0 ? index - 1 : (loops ? last : 0);
        const int next = index < last ? index + 1 : (loops ? 0 : last);
        if (index > 0) {
            remove(kPreviousDepth);
            remove(kNextDepth);
        }
        placeButton(kPreviousDepth, 0, defineButton(previousGlyph_, goToSlide(previous)));
        placeButton(kNextDepth, 2, defineButton(nextGlyph_, goToSlide(next)));
    }

    const std::vector<SlideImage>& slides_;
    const MovieSettings& settings_;
    const TimelinePlan& plan_;
    const ControlLayout layout_;
    Movie movie_;
    std::uint16_t nextId_ = 1;
    std::uint16_t faceUp_ = 0;
    std::uint16_t faceOver_ = 0;
    std::uint16_t previousGlyph_ = 0;
    std::uint16_t nextGlyph_ = 0;
};

} // namespace

Bytes composeSlideMovie(const std::vector<SlideImage>& slides, const MovieSettings& settings) {
    if (slides.empty() || slides.size() > static_cast<std::size_t>(kMaxSlides) ||
        !settingsProblem(settings).empty()) {
        return {};
    }
    const TimelinePlan plan = planTimeline(static_cast<int>(slides.size()), settings);
    if (plan.slideCount == 0) {
        return {};
    }
    return Composer(slides, settings, plan).compose();
}

} // namespace korrind
