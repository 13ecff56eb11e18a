// The C interface of the SWF conversion library, as the converter resolves it by name. Integers are
// 32-bit; the window handle is null on this platform.
#pragma once

#include <cstdint>

extern "C" {
typedef void (*SwfNumberCallback)(std::int32_t flag, std::int32_t value);
typedef void (*SwfCaptionCallback)(std::int32_t unused, const char* text);

typedef void (*SetSetBarMaxFn)(SwfNumberCallback callback);
typedef void (*SetSetBarPosFn)(SwfNumberCallback callback);
typedef void (*SetSetLblCaptionFn)(SwfCaptionCallback callback);
typedef void (*InitParamsFn)(std::int32_t frameRate, std::int32_t width, std::int32_t height,
                             std::int32_t transitionAnimation, std::int32_t transitionEffects,
                             std::int32_t masterSlideImage, std::int32_t delayBetweenSlides,
                             std::int32_t triggerByMouse);
typedef void (*SetLinkMoviesFn)(std::int32_t loop, std::int32_t loadingBar,
                                std::int32_t controlBar);
typedef std::int32_t (*ConvertPPt2SwfFn)(void* window, const char* input, const char* outputFolder);
typedef void (*CancelConvertFn)(void);
typedef void (*AbortConvertFn)(void);
}
