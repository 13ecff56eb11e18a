// The automation session: a private office instance opens the presentation hidden and read-only,
// saves it in the asked format and is ended; then the exported files are collected in slide order
// and, for raster formats, resized when a size other than the default was asked for.
#include "converter/backends.h"
#include "converter/console.h"
#include "converter/driver.h"
#include "converter/file_utils.h"
#include "converter/image_resizer.h"
#include "converter/loading_watchdog.h"
#include "converter/outline_rtf.h"
#include "converter/paths.h"
#include "converter/run_office.h"
#include "converter/slide_files.h"
#include "converter/stop_handler.h"
#include "converter/web_pages.h"
#include "converter/words_json.h"
#include "platform/office/murano_office.h"
#include "platform/posix/posix_files.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <unistd.h>
#include <utility>

namespace {

struct SlideFormatRow {
    int kind;
    office::SlideFormat format;
    const char* extension; // of the slide files, upper case as the application writes them
};

const SlideFormatRow kSlideFormats[] = {
    {kGif, office::SlideFormat::Gif, "GIF"},   {kJpg, office::SlideFormat::Jpeg, "JPG"},
    {kPng, office::SlideFormat::Png, "PNG"},   {kBmp, office::SlideFormat::Bmp, "BMP"},
    {kTiff, office::SlideFormat::Tiff, "TIF"}, {kMetafile, office::SlideFormat::Wmf, "WMF"},
    {kEmf, office::SlideFormat::Emf, "EMF"},
};

const SlideFormatRow* slideFormatOf(int kind) {
    for (const SlideFormatRow& row : kSlideFormats) {
        if (row.kind == kind) {
            return &row;
        }
    }
    return nullptr;
}

// The file ends as a complete file of its format does. The office suite may report a slide
// written that a full disk cut short.
bool looksComplete(const std::string& path, office::SlideFormat format) {
    const std::string tail = fileTail(path, 8);
    const auto endsWith = [&tail](const std::string& trailer) {
        return tail.size() >= trailer.size() &&
               tail.compare(tail.size() - trailer.size(), trailer.size(), trailer) == 0;
    };
    switch (format) {
    case office::SlideFormat::Jpeg:
        return endsWith("\xFF\xD9");
    case office::SlideFormat::Png:
        return endsWith(std::string("IEND\xAE\x42\x60\x82", 8));
    case office::SlideFormat::Gif:
        return endsWith(";");
    default:
        return !tail.empty();
    }
}

std::string slidePath(const std::string& folder, int index, const SlideFormatRow& row) {
    return folder + "/Slide" + std::to_string(index + 1) + "." + row.extension;
}

// Removes the slide files a failed export wrote (its folder goes at the end of the session).
void discardSlides(std::vector<std::string>& written) {
    for (const std::string& file : written) {
        ::unlink(file.c_str());
    }
    written.clear();
}

// The slides of part `part` of `parts` equal parts of `count` slides: [first, end).
std::pair<int, int> partOf(int count, int part, int parts) {
    return {count * (part - 1) / parts, count * part / parts};
}

// One file per slide, Slide1.JPG, Slide2.JPG, ..., at the slide's size at 96 dpi, in the folder
// named after the output path without its extension (claimed by this run); for a part of the
// slides only that part's files, under the slides' own numbers, so that the parts' files, put
// together, are those of the whole deck. `written` receives each file as it is written, in slide
// order, `first` is the first slide's index and `started` counts the files begun, for a stop;
// nothing else in the folder is this run's business.
bool saveSlides(office::Presentation& deck, const std::string& output, const SlideFormatRow& row,
                const ConverterOptions& options, std::vector<std::string>& written,
                std::atomic<int>& first, std::atomic<int>& started) {
    const std::string folder = withoutExtension(output);
    const office::SlideSize size = deck.slideSize();
    const int width = office::pixelsAt96Dpi(size.width);
    const int height = office::pixelsAt96Dpi(size.height);
    const auto [begin, end] = partOf(deck.slideCount(), options.part, options.parts);
    const int count = end - begin;
    first = begin;
    std::string error;
    for (int i = begin; i < end; ++i) {
        const std::string path = slidePath(folder, i, row);
        written.push_back(path);
        started = i - begin + 1;
        if (!deck.exportSlide(i, path, row.format, width, height, true, error) ||
            !looksComplete(path, row.format)) {
            discardSlides(written);
            return false;
        }
    }
    if (count == 0) {
        discardSlides(written);
    }
    return count > 0;
}

bool saveOutline(office::Presentation& deck, const std::string& output) {
    std::string error;
    const std::vector<office::SlideOutline> slides = deck.outline(error);
    if (!error.empty()) {
        return false;
    }
    const std::string rtf = outlineRtf(slides);
    return replaceFileContent(output, rtf.data(), rtf.size());
}

// The slides' words, read in the load that exported the slides. Words that cannot be read or
// written cost the run nothing but a notice: the slides are its result.
bool saveWords(const office::Presentation& deck, const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    const office::DeckText text = deck.text(error);
    if (error.empty()) {
        const std::string json = wordsJson(text);
        if (replaceFileContent(path, json.data(), json.size())) {
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start);
            Message("[INFO] Read the slides' words in %lldms\n",
                    static_cast<long long>(elapsed.count()));
            return true;
        }
        error = "cannot write \"" + path + "\"";
    }
    Print(stderr, "lantrel: the slides' words are left out: %s\n", error.c_str());
    Message("[WARN] The slides' words are left out...\n");
    return false;
}

// The office suite writes its pages and images into a private staging folder first: it would
// otherwise scatter generic names (img0.jpg, text0.html, ...) over the output's folder.
bool saveWebPage(office::Presentation& deck, const std::string& output, bool singleFile) {
    const std::string staging = makeTemporaryFolder();
    if (staging.empty()) {
        return false;
    }
    const StopAction removeStaging([staging] { posix::removeTree(staging); });
    const std::string pageName = fileNameOf(withoutExtension(output)) + ".html";
    std::string error;
    bool saved = deck.exportHtml(staging + "/" + pageName, error);
    if (saved) {
        saved = singleFile ? writeMhtml(staging, pageName, output)
                           : placeHtmlExport(staging, pageName, output);
    }
    posix::removeTree(staging);
    return saved;
}

// What an export to slide files holds while it runs: its claim on the output folder and the
// count of slide files it has begun.
struct SlideExport {
    const SlideFormatRow* row = nullptr;
    std::unique_ptr<OutputFolderClaim> claim;
    std::atomic<int> first{0}; // the index of the first slide exported
    std::atomic<int> started{0};
    std::atomic<bool> wordsWritten{false};

    // Removes the folder when this run made it and left nothing in it.
    void removeEmptyFolder(const std::string& folder) const {
        if (claim && claim->madeFolder()) {
            ::rmdir(folder.c_str());
        }
    }
};

bool saveAs(office::Presentation& deck, const std::string& output, int format,
            const ConverterOptions& options, SlideExport& slides,
            std::vector<std::string>& written) {
    if (slides.row) {
        return saveSlides(deck, output, *slides.row, options, written, slides.first,
                          slides.started);
    }
    switch (format) {
    case kRtf:
        return saveOutline(deck, output);
    case kHtml:
        return saveWebPage(deck, output, false);
    case kMhtml:
        return saveWebPage(deck, output, true);
    default:
        return false;
    }
}

// Starts (or, with `mayBorrow`, borrows) the instance, loads and saves; the watchdog covers
// starting and loading (the profile template is made before, outside its time). The instance is
// handed back running, to be ended at its place in the session. Returns -1 when the instance
// cannot be created, 0 when a step failed, 1 on success.
int automate(const std::string& input, const std::string& output, int format,
             ConverterOptions& options, bool mayBorrow, std::unique_ptr<office::Instance>& instance,
             SlideExport& slides, std::vector<std::string>& written) {
    office::prepareProfileTemplate();
    ShutdownWatchdog watchdog(options);
    std::string error;
    instance = StartOffice(mayBorrow, error);
    if (!instance) {
        return -1;
    }
    Message("Loading \"%s\" file...[20%%]\n", input.c_str());
    std::unique_ptr<office::Presentation> deck = instance->open(input, error);
    watchdog.loaded();
    if (!deck) {
        return 0;
    }
    Message("Export file(s)...[50%%]\n");
    const bool saved = saveAs(*deck, output, format, options, slides, written);
    if (saved && !options.words.empty()) {
        slides.wordsWritten = saveWords(*deck, options.words);
    }
    deck->close();
    return saved ? 1 : 0;
}

// Checks the output and resizes the slide files this run wrote (`files`, in slide order); a
// failed resize leaves none of them.
int collectOutput(const std::string& output, int format, const ConverterOptions& options,
                  std::vector<std::string>& files) {
    Message("[INFO] Process output files continue...[75%%]\n");
    if (posix::isFile(output)) {
        return 1;
    }
    const std::string folder = withoutExtension(output);
    if (!posix::exists(folder)) {
        Message("[ERROR] '%s' is not exist...\n", folder.c_str());
        return kExportFolderMissing;
    }
    if (!posix::isFolder(folder)) {
        Message("[ERROR] '%s' is not a folder...\n", folder.c_str());
        return kExportNotAFolder;
    }
    if (files.empty()) {
        return kExportFolderEmpty;
    }
    if (shouldResize(format, options.width, options.height)) {
        for (const std::string& file : files) {
            Print(stdout, "Resize '%s' file to %dx%d...\n", file.c_str(), options.width,
                  options.height);
            if (ImageResizer(file, options.width, options.height) != 0) {
                discardSlides(files);
                return kConversionFailed;
            }
        }
    }
    Message("[OK] Convert PPT file to other formats correctly...[100%%]\n");
    return static_cast<int>(files.size());
}

// The office part of a session and the collection of its output.
int automateAndCollect(const std::string& input, const std::string& output, int format,
                       ConverterOptions& options, SlideExport& slides,
                       std::vector<std::string>& files) {
    std::unique_ptr<office::Instance> instance;
    int automated = automate(input, output, format, options, true, instance, slides, files);
    if (automated == 0 && BorrowedInstanceBroke(instance.get())) {
        instance.reset();
        automated = automate(input, output, format, options, false, instance, slides, files);
    }
    if (automated < 0) {
        Message("Can't create an instance for PowerPoint.Application.\n");
        PresentationKiller();
        return kOfficeNotStarted;
    }
    if (automated == 0) {
        Message("[ERROR] Something is wrong during PowerPoint converting...[55%%]\n");
    }
    Message("[INFO] Shutdown PowerPoint Application...[60%%]\n");
    Message("[INFO] Force to kill PowerPoint Application...[63%%]\n");
    instance.reset();
    PresentationKiller();
    Message("[INFO] Quit PowerPoint Application correctly...[65%%]\n");
    Message("[INFO] ReleaseDispatch for PowerPoint Application...[70%%]\n");
    if (automated == 0) {
        Message("[ERROR] Something is wrong during conversion, we have to return now...[73%%]\n");
        return kConversionFailed;
    }
    return collectOutput(output, format, options, files);
}

} // namespace

int ExportSession(const std::string& input, const std::string& output, int format,
                  ConverterOptions& options, std::vector<std::string>& files) {
    files.clear();
    const std::string folder = withoutExtension(output);
    SlideExport slides;
    slides.row = slideFormatOf(format);
    if (slides.row) {
        slides.claim = std::make_unique<OutputFolderClaim>(folder);
        if (!slides.claim->held()) {
            return kConversionFailed;
        }
    }
    const std::string words = options.words;
    const auto removeWords = [&slides, words] {
        if (slides.wordsWritten) {
            ::unlink(words.c_str());
        }
    };
    // A stop takes back the slide files begun so far, the words and the folder this run made.
    const StopAction removeSlides([&slides, folder, removeWords] {
        for (int i = 0; slides.row && i < slides.started; ++i) {
            ::unlink(slidePath(folder, slides.first + i, *slides.row).c_str());
        }
        removeWords();
        slides.removeEmptyFolder(folder);
    });
    const int result = automateAndCollect(input, output, format, options, slides, files);
    if (result < 0) {
        removeWords();
        slides.removeEmptyFolder(folder);
    }
    return result;
}

// On the main thread this is a step of the run. From any other thread (the loading watchdog, a
// stop signal) the process ends right afterwards: the run's interrupted office calls never return,
// so that it reports nothing more before the end, and then the work in flight is undone, with no
// office instance left to write into what is removed.
void PresentationKiller() {
    const bool ending = ::gettid() != ::getpid();
    office::endStartedInstances(ending);
    if (ending) {
        runStopActions();
    }
}
