// PDF and PostScript rendering. A presentation becomes a PDF through the office suite's PDF
// export; a PDF becomes PostScript through poppler's pdftops (Ghostscript when it is missing).
// The destination appears only complete: every step writes beside it and renames.
#include "converter/backends.h"
#include "converter/child_process.h"
#include "converter/console.h"
#include "converter/driver.h"
#include "converter/file_utils.h"
#include "converter/loading_watchdog.h"
#include "converter/paths.h"
#include "converter/pdf_settings.h"
#include "converter/stop_handler.h"
#include "platform/office/murano_office.h"

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

bool isPdf(const std::string& path) {
    char head[5] = {};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    const bool read = std::fread(head, 1, sizeof head, file) == sizeof head;
    std::fclose(file);
    return read && std::memcmp(head, "%PDF-", 5) == 0;
}

// A PostScript file is complete when its last line is the end-of-file comment; a renderer that
// meets a full disk may stop short of it and still exit with 0.
bool endsWithEofComment(const std::string& path) {
    std::string tail = fileTail(path, 64);
    while (!tail.empty() && std::isspace(static_cast<unsigned char>(tail.back()))) {
        tail.pop_back();
    }
    const std::string comment = "\n%%EOF";
    return tail.size() >= comment.size() &&
           tail.compare(tail.size() - comment.size(), comment.size(), comment) == 0;
}

// Runs a renderer with its output on /dev/null; true when it exits with 0 and `output` is
// complete. A stop ends the renderer and removes its partial output.
bool renderQuietly(const std::vector<std::string>& words, const std::string& output) {
    const pid_t renderer = startQuietly(words, false);
    const StopAction stop([renderer, output] {
        if (renderer > 0) {
            ::kill(renderer, SIGKILL);
        }
        ::unlink(output.c_str());
    });
    return waitForExit(renderer, -1) == 0 && endsWithEofComment(output);
}

bool finish(const std::string& partial, const std::string& destination, bool written) {
    if (written && ::rename(partial.c_str(), destination.c_str()) == 0) {
        return true;
    }
    ::unlink(partial.c_str());
    return false;
}

int postScriptFromPdf(const std::string& source, const std::string& destination,
                      const ConverterOptions& options) {
    if (!isPdf(source)) {
        Message("[ERROR] '%s' is not a PDF file...\n", source.c_str());
        return kConversionFailed;
    }
    const std::string partial = destination + ".partial";
    std::vector<std::string> pdftops = {"pdftops", "-origpagesizes"};
    std::vector<std::string> ghostscript = {"gs",      "-q",      "-dNOPAUSE",
                                            "-dBATCH", "-dSAFER", "-sDEVICE=ps2write"};
    if (*options.openpwd) {
        pdftops.insert(pdftops.end(), {"-upw", options.openpwd});
        ghostscript.push_back(std::string("-sPDFPassword=") + options.openpwd);
    } else if (*options.ownerpwd) {
        pdftops.insert(pdftops.end(), {"-opw", options.ownerpwd});
    }
    pdftops.insert(pdftops.end(), {source, partial});
    ghostscript.insert(ghostscript.end(), {"-sOutputFile=" + partial, source});
    const bool written = renderQuietly(pdftops, partial) || renderQuietly(ghostscript, partial);
    if (!finish(partial, destination, written)) {
        Message("[ERROR] Can't convert '%s' to PostScript...\n", source.c_str());
        return kConversionFailed;
    }
    return kConverted;
}

int pdfFromPresentation(const std::string& source, const std::string& destination,
                        ConverterOptions& options) {
    std::string error;
    std::unique_ptr<office::Instance> instance;
    std::unique_ptr<office::Presentation> deck;
    const std::string partial = destination + ".partial";
    const StopAction stop([partial] { ::unlink(partial.c_str()); });
    office::prepareProfileTemplate();
    {
        ShutdownWatchdog watchdog(options);
        instance = office::Instance::start(error);
        if (instance) {
            deck = instance->open(source, error);
        }
    }
    int result = !instance ? kOfficeNotStarted : !deck ? kConversionFailed : kConverted;
    if (deck) {
        const bool written = deck->exportPdf(partial, pdfSettingsFrom(options), error);
        deck.reset();
        if (!finish(partial, destination, written)) {
            result = kConversionFailed;
        }
    }
    instance.reset();
    if (result != 0) {
        Message("[ERROR] Can't render '%s' as PDF: %s\n", source.c_str(), error.c_str());
    }
    return result;
}

} // namespace

int DocumentStep(const std::string& source, const std::string& destination,
                 ConverterOptions& options) {
    if (::strcasecmp(extensionOf(destination).c_str(), ".ps") == 0) {
        return postScriptFromPdf(source, destination, options);
    }
    return pdfFromPresentation(source, destination, options);
}
