#include "platform/korrind/movie_settings.h"

#include <algorithm>
#include <cmath>

namespace korrind {

std::string settingsProblem(const MovieSettings& settings) {
    if (settings.frameRate < 1 || settings.frameRate > kMaxFrameRate) {
        return "The frame rate " + std::to_string(settings.frameRate) + " is not between 1 and " +
               std::to_string(kMaxFrameRate) + ".";
    }
    const auto sideOk = [](int side) { return side >= 1 && side <= kMaxStageSide; };
    if (!sideOk(settings.width) || !sideOk(settings.height)) {
        return "The movie size " + std::to_string(settings.width) + "x" +
               std::to_string(settings.height) + " is not between 1x1 and " +
               std::to_string(kMaxStageSide) + "x" + std::to_string(kMaxStageSide) + ".";
    }
    return {};
}

TimelinePlan planTimeline(int slideCount, const MovieSettings& settings) {
    TimelinePlan plan;
    if (slideCount < 1) {
        return plan;
    }
    plan.slideCount = slideCount;
    plan.preloaderFrames = settings.hasLoadingBar() ? 2 : 0;
    // With the mouse trigger a slide stops on its first frame; one more frame after the last slide
    // carries the end of the movie, so that the last slide waits for its click too.
    plan.endFrames = settings.triggerByMouse ? 1 : 0;
    if (!settings.triggerByMouse && settings.delayBetweenSlides) {
        plan.holdFrames =
            std::max(1, static_cast<int>(std::lround(kHoldSeconds * settings.frameRate)));
    }
    if (settings.transitionAnimation && slideCount > 1) {
        plan.transitionFrames =
            std::max(2, static_cast<int>(std::lround(kTransitionSeconds * settings.frameRate)));
    }

    if (plan.totalFrames() > kMaxFrames) {
        const int fixed =
            plan.preloaderFrames + plan.endFrames + (slideCount - 1) * plan.transitionFrames;
        plan.holdFrames = std::max(1, (kMaxFrames - fixed) / slideCount);
    }
    if (plan.totalFrames() > kMaxFrames) {
        plan.transitionFrames = 0;
    }
    if (plan.totalFrames() > kMaxFrames) {
        return TimelinePlan{};
    }
    return plan;
}

} // namespace korrind
