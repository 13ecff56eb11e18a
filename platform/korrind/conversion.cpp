#include "platform/korrind/conversion.h"

#include "platform/korrind/jpeg_frames.h"
#include "platform/korrind/slide_movie.h"
#include "platform/posix/posix_files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace korrind {

namespace {

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string fileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The files and folders of the conversions in progress that only exist while they run, for an
// abort to remove when the process ends before their owners can.
std::mutex inFlightMutex;
std::multiset<std::string> inFlight;

// Holds one such path for as long as the object lives, and removes it at the end.
class InFlightPath {
public:
    explicit InFlightPath(std::string path) : path_(std::move(path)) {
        if (!path_.empty()) {
            const std::lock_guard<std::mutex> lock(inFlightMutex);
            inFlight.insert(path_);
        }
    }
    ~InFlightPath() {
        if (path_.empty()) {
            return;
        }
        {
            const std::lock_guard<std::mutex> lock(inFlightMutex);
            inFlight.erase(inFlight.find(path_));
        }
        removePath(path_);
    }
    InFlightPath(const InFlightPath&) = delete;
    InFlightPath& operator=(const InFlightPath&) = delete;
    const std::string& path() const { return path_; }

    static void removePath(const std::string& path) {
        if (!posix::removeTree(path)) {
            ::unlink(path.c_str());
        }
    }

private:
    std::string path_;
};

// A private folder inside the output folder for the rendered slide files, removed with its files
// when the conversion ends. Kept beside the movie rather than in a shared temporary folder.
std::string makeScratchFolder(const std::string& parent) {
    std::string pattern = parent + "/.korrind-XXXXXX";
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

// Writes the movie beside its final name first, so that a failed write never leaves half a movie
// under the name the caller looks for.
bool writeMovie(const std::string& path, const Bytes& movie) {
    const InFlightPath partial(path + ".part");
    return murano::swf::writeFile(partial.path(), movie) &&
           std::rename(partial.path().c_str(), path.c_str()) == 0;
}

class Job {
public:
    Job(const MovieSettings& settings, const Progress& progress, const std::atomic<bool>& cancel)
        : settings_(settings), progress_(progress), cancel_(cancel) {}

    int run(const std::string& input, const std::string& folder,
            const RendererFactory& makeRenderer) {
        if (input.empty() || folder.empty()) {
            return BadArguments;
        }
        if (!posix::isFile(input)) {
            return fail(InputMissing, "Cannot find the presentation \"" + input + "\".");
        }
        if (const std::string problem = settingsProblem(settings_); !problem.empty()) {
            return fail(BadSettings, problem);
        }
        if (!posix::isFolder(folder) && ::mkdir(folder.c_str(), 0755) != 0) {
            return fail(CannotWrite, "Cannot create the folder \"" + folder +
                                         "\": " + std::strerror(errno) + ".");
        }
        const InFlightPath scratch(makeScratchFolder(folder));
        if (scratch.path().empty()) {
            return fail(CannotWrite, "Cannot write into the folder \"" + folder + "\".");
        }
        std::vector<SlideImage> slides;
        {
            const std::unique_ptr<SlideRenderer> renderer = makeRenderer(scratch.path());
            const int rendered = renderAll(*renderer, input, slides);
            renderer->close();
            if (rendered != Converted) {
                return rendered;
            }
        }
        return write(slides, moviePathFor(folder));
    }

private:
    int fail(int status, const std::string& why) {
        caption(why);
        return status;
    }

    void caption(const std::string& text) {
        if (progress_.caption) {
            progress_.caption(text);
        }
    }

    int renderAll(SlideRenderer& renderer, const std::string& input,
                  std::vector<SlideImage>& slides) {
        caption("Opening \"" + input + "\"...");
        int count = 0;
        std::string error;
        if (!renderer.open(input, count, error)) {
            return fail(CannotOpen, "Cannot open \"" + input + "\": " + error);
        }
        if (count < 1) {
            return fail(CannotOpen, "The presentation \"" + input + "\" has no slides.");
        }
        if (count > kMaxSlides || planTimeline(count, settings_).slideCount == 0) {
            return fail(CannotOpen, "The presentation has " + std::to_string(count) +
                                        " slides; a movie holds at most " +
                                        std::to_string(kMaxSlides) + ".");
        }
        if (progress_.slideTotal) {
            progress_.slideTotal(count);
        }
        for (int index = 0; index < count; ++index) {
            if (cancel_.load()) {
                return fail(Cancelled, "Conversion cancelled.");
            }
            const int number = index + 1;
            caption("Rendering slide " + std::to_string(number) + " of " + std::to_string(count) +
                    "...");
            SlideImage slide;
            if (!renderer.render(index, settings_.width, settings_.height, settings_.masterArtwork,
                                 slide.jpeg, error)) {
                return fail(CannotRender,
                            "Cannot render slide " + std::to_string(number) + ": " + error);
            }
            std::optional<Bytes> sequential = sequentialJpeg(slide.jpeg);
            const std::optional<JpegFrame> frame =
                sequential ? jpegFrame(*sequential) : std::nullopt;
            if (!frame) {
                return fail(CannotRender,
                            "Slide " + std::to_string(number) + " did not render as a JPEG image.");
            }
            slide.jpeg = std::move(*sequential);
            slide.width = frame->width;
            slide.height = frame->height;
            slides.push_back(std::move(slide));
            if (progress_.slideDone) {
                progress_.slideDone(number);
            }
        }
        return Converted;
    }

    int write(const std::vector<SlideImage>& slides, const std::string& path) {
        if (cancel_.load()) {
            return fail(Cancelled, "Conversion cancelled.");
        }
        caption("Writing movie \"" + path + "\"...");
        const Bytes movie = composeSlideMovie(slides, settings_);
        if (movie.empty() || !writeMovie(path, movie)) {
            return fail(CannotWrite, "Cannot write the movie \"" + path + "\".");
        }
        caption("Movie written: " + std::to_string(slides.size()) + " slides.");
        return Converted;
    }

    const MovieSettings& settings_;
    const Progress& progress_;
    const std::atomic<bool>& cancel_;
};

} // namespace

std::string moviePathFor(const std::string& folder) {
    const std::string trimmed = withoutTrailingSlashes(folder);
    return trimmed + "/" + fileName(trimmed) + ".swf";
}

int convertPresentation(const std::string& input, const std::string& folder,
                        const MovieSettings& settings, const Progress& progress,
                        const std::atomic<bool>& cancel, const RendererFactory& makeRenderer) {
    return Job(settings, progress, cancel).run(input, withoutTrailingSlashes(folder), makeRenderer);
}

void removeConversionLeftovers() {
    const std::lock_guard<std::mutex> lock(inFlightMutex);
    for (const std::string& path : inFlight) {
        InFlightPath::removePath(path);
    }
}

} // namespace korrind
