// The office layer: a private LibreOffice instance, started for one job, driven through UNO and
// ended again. Nothing of UNO shows through this header; every call reports failure by its result
// and an error text, never by an exception.
//
// Typical use:
//     std::string error;
//     auto instance = office::Instance::start(error);
//     auto deck = instance ? instance->open("/path/deck.pptx", error) : nullptr;
//     for (int i = 0; deck && i < deck->slideCount(); ++i)
//         deck->exportSlide(i, "/out/Slide" + std::to_string(i + 1) + ".JPG", office::Jpeg, ...);
//     deck.reset();     // closes the document
//     instance.reset(); // ends the office instance: its whole process group and private profile
//
// Every instance is also recorded in a registry of this copy of the layer (each binary that links
// the layer statically has its own), so that endStartedInstances() can end them from any thread,
// for example from a watchdog while the main thread is blocked inside a call. A library that links
// its own copy offers its callers a call of its own that ends its instances. Should the process die
// without ending an instance (kill -9), a guardian process ends it, and the next start sweeps the
// profiles and pipe files that dead processes left.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace office {

// The graphic formats a slide can be exported to.
enum class SlideFormat { Jpeg, Png, Gif, Bmp, Tiff, Wmf, Emf };

// A slide size in hundredths of a millimetre, the office suite's own unit.
struct SlideSize {
    int width = 0;
    int height = 0;
};

// The pixel count of a length in hundredths of a millimetre at 96 dots per inch, rounded.
int pixelsAt96Dpi(int hundredthsOfMillimetre);

// One paragraph of a slide's body text with its outline level (0 is the top level).
struct OutlineParagraph {
    int level = 0;
    std::string text; // UTF-8
};

// What a slide says: the title placeholder's text and the body placeholders' paragraphs.
struct SlideOutline {
    std::string title; // UTF-8, paragraphs joined with a blank
    std::vector<OutlineParagraph> body;
};

// A link on a slide: its rectangle as fractions of the slide (from the top left), and either a
// URL or, when `url` is empty, a jump to slide `slide` of the deck (from 1). A link in a text is
// given the rectangle of the shape that holds the text.
struct SlideLink {
    double x = 0, y = 0, w = 0, h = 0;
    std::string url; // UTF-8, as the deck has it (any scheme: the reader decides what to keep)
    int slide = 0;
};

// What a slide says, for searching and reading aloud. Texts are UTF-8 as the office suite gives
// them (an unpaired UTF-16 surrogate of the deck may come out as an invalid sequence).
struct SlideText {
    std::string title;            // the title placeholder's text, else the slide's first text
    std::string text;             // all of its text in shape order, paragraphs split by "\n"
    std::string notes;            // the speaker notes
    std::vector<std::string> alt; // the descriptions of its pictures
    std::vector<SlideLink> links; // text fields and shapes that open a URL or another slide
};

// The words of a deck: its document properties and every slide's text, in deck order.
struct DeckText {
    std::string title, author, language; // language as a tag: "en-US"
    std::vector<SlideText> slides;
};

// The PDF export's settings. Texts are UTF-8; empty texts are left out.
struct PdfSettings {
    std::string title, subject, author, keywords;
    std::string openPassword;       // asked for when the file is opened; empty: no open password
    std::string permissionPassword; // lifts the restrictions below; empty: none are set
    int printing = 2;               // 0: no printing, 1: low resolution only, 2: full
    int changes = 4;                // 0: none, 1: pages, 2: form filling, 3: + comments, 4: all
    bool copying = true;            // copying of text and images
    bool accessibility = true;      // text extraction for accessibility tools
    bool bookmarks = false;         // export the outline as bookmarks
};

class Presentation;

// One private office instance: its own process group, profile and pipe.
class Instance {
public:
    // Starts the office suite and connects to it, retrying until it answers within the time
    // allowed. Returns nullptr and fills `error` when it cannot be started or does not answer (the
    // half-started instance is ended then).
    static std::unique_ptr<Instance> start(std::string& error);

    // Borrows the warm instance that another process (murano) keeps on pipe `pipeName`, for one
    // conversion: takes its lock, connects and gets its desktop. Returns nullptr and fills `error`
    // when there is no such instance, another conversion holds it, or it does not answer within a
    // few seconds (it hangs: it is killed then, and its owner starts a new one). Ending a borrowed
    // instance leaves it running and releases it; only a stop or the loading watchdog kill it,
    // because the work it runs for this process is abandoned then. Should this process die while
    // it holds the instance, a guardian kills it.
    static std::unique_ptr<Instance> borrow(const std::string& pipeName, std::string& error);

    // Ends the instance (see end()).
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // Loads a presentation hidden and read-only, with macros disabled. Returns nullptr and fills
    // `error` when the file cannot be loaded or is not a presentation. The document must be
    // released before the instance ends.
    std::unique_ptr<Presentation> open(const std::string& path, std::string& error);

    // Ends the instance: drops the connection, kills its whole process group, waits for it and
    // removes the private profile. A borrowed instance is only released. Later calls do nothing.
    void end();

    bool borrowed() const;

    // Whether the office processes are still there and answer (a borrowed instance may have
    // been killed).
    bool alive() const;

    // The process group of the office processes (also the launcher's process id).
    int processGroup() const;

    struct Impl;

private:
    bool answers() const;
    explicit Instance(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// A presentation loaded in an office instance.
class Presentation {
public:
    // Closes the document.
    ~Presentation();
    Presentation(const Presentation&) = delete;
    Presentation& operator=(const Presentation&) = delete;

    int slideCount() const;
    SlideSize slideSize() const;

    // Writes slide `index` (from 0) as an image file of the given pixel size (ignored by the
    // metafile formats). With `withMasterArtwork` false the objects of the master slide are left
    // out; the background stays.
    bool exportSlide(int index, const std::string& path, SlideFormat format, int widthPixels,
                     int heightPixels, bool withMasterArtwork, std::string& error);

    // Writes the whole presentation as one PDF file.
    bool exportPdf(const std::string& path, const PdfSettings& settings, std::string& error);

    // Writes the office suite's HTML export: the page at `path`, its images and sub-pages beside it
    // in the same folder.
    bool exportHtml(const std::string& path, std::string& error);

    // The titles and body texts, slide by slide.
    std::vector<SlideOutline> outline(std::string& error) const;

    // The deck's words: document properties and every slide's text, notes, picture descriptions
    // and links. Empty, with `error` filled, when they cannot be read.
    DeckText text(std::string& error) const;

    // Closes the document; later calls do nothing.
    void close();

    struct Impl;
    explicit Presentation(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

// Ends every instance started by this copy of the layer and not ended yet: kills each process
// group, reaps it and removes its profile. Safe from any thread, while other calls are in flight.
//
// With `haltInterruptedCalls`, meant for a thread that ends the whole process right afterwards (a
// watchdog, a stop signal), calls into the layer that the end interrupts on other threads never
// return: the interrupted work reports nothing before the process is gone.
void endStartedInstances(bool haltInterruptedCalls = false);

// Makes the cached profile template that every instance's private profile is copied from, when it
// is missing: one office session, once per office version, one process at a time (others wait for
// it and use its template). Call it before timing a start: the first one takes many seconds.
// Partial templates of failed or killed builds are removed. Without it Instance::start() makes the
// template itself.
void prepareProfileTemplate();

} // namespace office
