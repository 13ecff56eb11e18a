// The C interface of the SWF conversion library: the converter loads it by name, registers its
// progress callbacks, passes the movie settings and asks for one conversion. Nothing thrown inside
// ever crosses this boundary.
#include "platform/korrind/conversion.h"
#include "platform/korrind/swf_library.h"

#include "platform/office/murano_office.h"

#include <mutex>
#include <type_traits>

#define KORRIND_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct LibraryState {
    std::mutex mutex; // guards everything below but the cancel flag
    SwfNumberCallback barMax = nullptr;
    SwfNumberCallback barPos = nullptr;
    SwfCaptionCallback caption = nullptr;
    korrind::MovieSettings settings;
    std::atomic<bool> cancel{false};
};

LibraryState& state() {
    static LibraryState instance;
    return instance;
}

korrind::Progress progressThrough(SwfNumberCallback barMax, SwfNumberCallback barPos,
                                  SwfCaptionCallback caption) {
    korrind::Progress progress;
    if (barMax) {
        progress.slideTotal = [barMax](int total) { barMax(0, total); };
    }
    if (barPos) {
        progress.slideDone = [barPos](int slide) { barPos(0, slide); };
    }
    if (caption) {
        progress.caption = [caption](const std::string& text) { caption(0, text.c_str()); };
    }
    return progress;
}

} // namespace

KORRIND_EXPORT void SetSetBarMax(SwfNumberCallback callback) {
    const std::lock_guard<std::mutex> lock(state().mutex);
    state().barMax = callback;
}

KORRIND_EXPORT void SetSetBarPos(SwfNumberCallback callback) {
    const std::lock_guard<std::mutex> lock(state().mutex);
    state().barPos = callback;
}

KORRIND_EXPORT void SetSetLblCaption(SwfCaptionCallback callback) {
    const std::lock_guard<std::mutex> lock(state().mutex);
    state().caption = callback;
}

KORRIND_EXPORT void InitParams(std::int32_t frameRate, std::int32_t width, std::int32_t height,
                               std::int32_t transitionAnimation, std::int32_t transitionEffects,
                               std::int32_t masterSlideImage, std::int32_t delayBetweenSlides,
                               std::int32_t triggerByMouse) {
    const std::lock_guard<std::mutex> lock(state().mutex);
    korrind::MovieSettings& settings = state().settings;
    settings.frameRate = frameRate;
    settings.width = width;
    settings.height = height;
    settings.transitionAnimation = transitionAnimation != 0;
    settings.transitionEffects = transitionEffects != 0;
    settings.masterArtwork = masterSlideImage != 0;
    settings.delayBetweenSlides = delayBetweenSlides != 0;
    settings.triggerByMouse = triggerByMouse != 0;
}

// Links the slides of the next conversion into one playing movie with these options.
KORRIND_EXPORT void SetLinkMovies(std::int32_t loop, std::int32_t loadingBar,
                                  std::int32_t controlBar) {
    const std::lock_guard<std::mutex> lock(state().mutex);
    korrind::MovieSettings& settings = state().settings;
    settings.linked = true;
    settings.loop = loop != 0;
    settings.loadingBar = loadingBar != 0;
    settings.controlBar = controlBar != 0;
}

KORRIND_EXPORT std::int32_t ConvertPPt2Swf(void* /*window*/, const char* input,
                                           const char* outputFolder) {
    try {
        korrind::MovieSettings settings;
        korrind::Progress progress;
        {
            const std::lock_guard<std::mutex> lock(state().mutex);
            settings = state().settings;
            // Linking is asked for each conversion anew.
            state().settings.linked = false;
            progress = progressThrough(state().barMax, state().barPos, state().caption);
        }
        state().cancel = false;
        if (!input || !outputFolder) {
            return korrind::BadArguments;
        }
        return korrind::convertPresentation(input, outputFolder, settings, progress, state().cancel,
                                            korrind::makeOfficeRenderer);
    } catch (...) {
        office::endStartedInstances();
        return korrind::InternalError;
    }
}

KORRIND_EXPORT void CancelConvert() {
    state().cancel = true;
}

// Ends the office instances of the conversion in progress at once and removes what it staged, for
// a caller that ends its process right afterwards (a stop signal, a watchdog): the interrupted
// conversion never returns. The library's instances are invisible to the caller's own office
// layer.
KORRIND_EXPORT void AbortConvert() {
    office::endStartedInstances(true);
    korrind::removeConversionLeftovers();
}

// The exports keep exactly the types the converter resolves them as.
static_assert(std::is_same_v<decltype(&SetSetBarMax), SetSetBarMaxFn>);
static_assert(std::is_same_v<decltype(&SetSetBarPos), SetSetBarPosFn>);
static_assert(std::is_same_v<decltype(&SetSetLblCaption), SetSetLblCaptionFn>);
static_assert(std::is_same_v<decltype(&InitParams), InitParamsFn>);
static_assert(std::is_same_v<decltype(&SetLinkMovies), SetLinkMoviesFn>);
static_assert(std::is_same_v<decltype(&ConvertPPt2Swf), ConvertPPt2SwfFn>);
static_assert(std::is_same_v<decltype(&CancelConvert), CancelConvertFn>);
static_assert(std::is_same_v<decltype(&AbortConvert), AbortConvertFn>);
