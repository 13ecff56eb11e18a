// A stand-in SWF conversion library for the bridge tests: it records every call in the file named
// by FAKE_KORRIND_LOG, reports four slides through the callbacks and writes a movie file (none with
// FAKE_KORRIND_WRITES_NOTHING), returning FAKE_KORRIND_RESULT (0 when unset).
#include "platform/korrind/swf_library.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

SwfNumberCallback barMax = nullptr;
SwfNumberCallback barPos = nullptr;
SwfCaptionCallback caption = nullptr;

void record(const std::string& line) {
    if (const char* path = std::getenv("FAKE_KORRIND_LOG")) {
        if (std::FILE* log = std::fopen(path, "a")) {
            std::fprintf(log, "%s\n", line.c_str());
            std::fclose(log);
        }
    }
}

std::string numbers(std::initializer_list<int> values) {
    std::string text;
    for (int value : values) {
        text += (text.empty() ? "" : ",") + std::to_string(value);
    }
    return text;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) void SetSetBarMax(SwfNumberCallback callback) {
    barMax = callback;
}

__attribute__((visibility("default"))) void SetSetBarPos(SwfNumberCallback callback) {
    barPos = callback;
}

__attribute__((visibility("default"))) void SetSetLblCaption(SwfCaptionCallback callback) {
    caption = callback;
}

__attribute__((visibility("default"))) void InitParams(std::int32_t rate, std::int32_t width,
                                                       std::int32_t height, std::int32_t animation,
                                                       std::int32_t effects, std::int32_t master,
                                                       std::int32_t delay, std::int32_t mouse) {
    record("InitParams " +
           numbers({rate, width, height, animation, effects, master, delay, mouse}));
}

__attribute__((visibility("default"))) void
SetLinkMovies(std::int32_t loop, std::int32_t loadingBar, std::int32_t controlBar) {
    record("SetLinkMovies " + numbers({loop, loadingBar, controlBar}));
}

__attribute__((visibility("default"))) std::int32_t ConvertPPt2Swf(void* window, const char* input,
                                                                   const char* folder) {
    record(std::string("ConvertPPt2Swf ") + (window ? "window" : "null") + " " + input + " " +
           folder);
    barMax(1, 99); // flagged values are not the total
    barMax(0, 4);
    caption(0, "");
    caption(0, "Rendering slides");
    barPos(0, 0);
    for (int slide = 1; slide <= 4; ++slide) {
        barPos(0, slide);
    }
    barPos(1, 9);
    if (!std::getenv("FAKE_KORRIND_WRITES_NOTHING")) {
        const std::string base = std::string(folder).substr(std::string(folder).rfind('/') + 1);
        if (std::FILE* movie =
                std::fopen((std::string(folder) + "/" + base + ".swf").c_str(), "w")) {
            std::fputs("FWS", movie);
            std::fclose(movie);
        }
    }
    const char* result = std::getenv("FAKE_KORRIND_RESULT");
    return result ? std::atoi(result) : 0;
}

__attribute__((visibility("default"))) void CancelConvert() {
    record("CancelConvert");
}

__attribute__((visibility("default"))) void AbortConvert() {
    record("AbortConvert");
}
}
