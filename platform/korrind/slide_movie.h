// Builds the movie of a slide show: every slide a JPEG bitmap that fills the stage, shown in turn
// with the holds, transitions, mouse trigger, loop, loading bar and control bar of the settings.
#pragma once

#include "platform/korrind/movie_settings.h"
#include "platform/swf/swf_tags.h"

#include <vector>

namespace korrind {

using namespace murano::swf; // the movie records

struct SlideImage {
    Bytes jpeg; // a whole JPEG file
    int width = 0;
    int height = 0;
};

// The SWF version written: the oldest that has every record the movie uses.
constexpr std::uint8_t kMovieVersion = 6;

// Names scripts use.
constexpr const char* kLoadingBarName = "loadbar";
constexpr const char* kPausedVariable = "paused";

// The whole compressed movie file, or empty bytes when the slides cannot make one (no slides,
// too many, invalid settings).
Bytes composeSlideMovie(const std::vector<SlideImage>& slides, const MovieSettings& settings);

} // namespace korrind
