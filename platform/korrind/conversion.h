// One conversion of a presentation into a slide movie: open the deck, render every slide, compose
// the movie and write it into the output folder, reporting progress as it goes.
#pragma once

#include "platform/korrind/movie_settings.h"
#include "platform/swf/swf_tags.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace korrind {

using namespace murano::swf; // the movie records

// Renders the slides of one presentation as JPEG images.
class SlideRenderer {
public:
    virtual ~SlideRenderer() = default;
    // Opens the presentation; false with `error` filled when it cannot be read.
    virtual bool open(const std::string& input, int& slideCount, std::string& error) = 0;
    virtual bool render(int index, int width, int height, bool masterArtwork, Bytes& jpeg,
                        std::string& error) = 0;
    // Lets the presentation and everything started for it go.
    virtual void close() = 0;
};

// A renderer that drives a private office instance of its own, ended by close() or destruction.
// Slide images pass through `scratchFolder`, which must exist.
std::unique_ptr<SlideRenderer> makeOfficeRenderer(const std::string& scratchFolder);

struct Progress {
    std::function<void(int)> slideTotal;
    std::function<void(int)> slideDone; // from 1
    std::function<void(const std::string&)> caption;
};

// The results of a conversion; only success is 0.
enum ConversionStatus : int {
    Converted = 0,
    BadArguments = -1,
    InputMissing = -2,
    BadSettings = -3,
    CannotOpen = -4,
    CannotRender = -5,
    Cancelled = -6,
    CannotWrite = -7,
    InternalError = -8,
};

// Where the movie of an output folder goes: <folder>/<last component of folder>.swf.
std::string moviePathFor(const std::string& folder);

// Makes a renderer once the scratch folder exists (the office renderer in the library).
using RendererFactory = std::function<std::unique_ptr<SlideRenderer>(const std::string& scratch)>;

// Converts `input` into the movie of `folder` (created when missing). Checks `cancel` before each
// slide; a cancelled or failed conversion writes no movie and leaves an existing one as it was.
int convertPresentation(const std::string& input, const std::string& folder,
                        const MovieSettings& settings, const Progress& progress,
                        const std::atomic<bool>& cancel, const RendererFactory& makeRenderer);

// Removes the scratch folders and partial movies of every conversion in progress, for a process
// that ends right afterwards without letting them finish (their office instances ended first).
void removeConversionLeftovers();

} // namespace korrind
