// What a slide movie looks like and how it plays, and how its frames are laid out in time.
#pragma once

#include <string>

namespace korrind {

// The largest stage the movie players of this format display, in pixels.
constexpr int kMaxStageSide = 2880;
constexpr int kMaxFrameRate = 120;
// Each slide takes at least two character ids and one depth below the player controls.
constexpr int kMaxSlides = 10000;

struct MovieSettings {
    int frameRate = 12;
    int width = 720;
    int height = 540;
    bool transitionAnimation = true; // slides arrive animated rather than by a cut
    bool transitionEffects = true;   // the animation is a cross-fade rather than a slide-in
    bool masterArtwork = true;       // the master slide's objects appear on every slide
    bool delayBetweenSlides = true;  // slides hold a few seconds rather than one frame
    bool triggerByMouse = false;     // every slide waits for a click
    // Set when the slides are linked into one playing movie; the three options below apply only
    // then.
    bool linked = false;
    bool loop = true;
    bool loadingBar = true;
    bool controlBar = true;

    bool loops() const { return linked && loop; }
    bool hasLoadingBar() const { return linked && loadingBar; }
    bool hasControlBar() const { return linked && controlBar; }
};

// Why the settings cannot make a movie, or empty when they can.
std::string settingsProblem(const MovieSettings& settings);

// How long a slide holds with the delay on, and how long a transition lasts.
constexpr double kHoldSeconds = 3.0;
constexpr double kTransitionSeconds = 0.5;

// The frames of a movie, counted from 0: an optional two-frame preloader, then for each slide its
// transition frames (none before the first slide) and its hold frames, then optional end frames.
struct TimelinePlan {
    int slideCount = 0;
    int preloaderFrames = 0;
    int transitionFrames = 0;
    int holdFrames = 1;
    int endFrames = 0;

    // The first frame in which slide `index` (from 0) is fully shown.
    int slideStart(int index) const {
        return preloaderFrames + index * (holdFrames + transitionFrames);
    }
    int totalFrames() const {
        return preloaderFrames + slideCount * holdFrames + (slideCount - 1) * transitionFrames +
               endFrames;
    }
};

// The format counts frames in 16 bits.
constexpr int kMaxFrames = 65535;

// Lays out the frames; when the asked holds and transitions would pass the frame limit they are
// shortened (holds first, then transitions dropped). Returns a plan with slideCount 0 when even one
// frame per slide does not fit.
TimelinePlan planTimeline(int slideCount, const MovieSettings& settings);

} // namespace korrind
