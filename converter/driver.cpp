#include "converter/driver.h"

#include "converter/backends.h"
#include "converter/child_process.h"
#include "converter/console.h"
#include "converter/paths.h"
#include "converter/stop_handler.h"
#include "platform/posix/posix_files.h"

#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One row of the extension table; the description is for the reader only.
struct OutputKindRow {
    int kind;
    const char* extension;
    const char* description;
};

// Looked up in this order; the first match wins.
const OutputKindRow kOutputKinds[] = {
    {kSwf, ".swf", "Flash SWF"}, {kPdf, ".pdf", "Acrobat PDF"}, {kPostScript, ".ps", "Postscript"},
    {kMhtml, ".mht", "MHTML"},   {kMhtml, ".mhtml", "MHTML"},   {kHtml, ".html", "HTML"},
    {kHtml, ".htm", "HTML"},     {kGif, ".gif", "GIF"},         {kJpg, ".jpg", "JPG"},
    {kJpg, ".jpeg", "JPG"},      {kPng, ".png", "PNG"},         {kTiff, ".tif", "TIFF"},
    {kTiff, ".tiff", "TIFF"},    {kBmp, ".bmp", "BMP"},         {kMetafile, ".wmf", "WMF"},
    {kEmf, ".emf", "EMF"},       {kRtf, ".rtf", "RTF"},
};

// Whether two paths name the same file (through links too).
bool sameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

long long millisecondTicks() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int convertToPostScript(ConverterOptions& options) {
    const std::string pdf = TempName(nullptr);
    if (pdf.empty()) {
        Message("Can't reserve a temporary file name for \"%s\".\n", options.output.c_str());
        return kConversionFailed;
    }
    const StopAction removeTemporary([pdf] { ::unlink(pdf.c_str()); });
    int result = DocumentStep(options.input, pdf, options);
    if (result == 0) {
        Message("Convert to \"%s\" file...[95%%]\n", options.output.c_str());
        result = DocumentStep(pdf, options.output, options);
    }
    ::unlink(pdf.c_str());
    return result;
}

int routeToBackEnd(int kind, ConverterOptions& options) {
    switch (kind) {
    case kPostScript:
        return convertToPostScript(options);
    case kPdf:
        return DocumentStep(options.input, options.output, options);
    case kSwf:
        return SwfBridge(options.input, options.output, options);
    default: {
        std::vector<std::string> files;
        return ExportSession(options.input, options.output, kind, options, files);
    }
    }
}

// Shows the result: the output file when there is one, else the folder an export produced.
void viewResult(const std::string& output) {
    if (posix::isFile(output)) {
        ShellOpener(output);
        return;
    }
    const std::string folder = withoutExtension(output);
    if (posix::isFolder(folder)) {
        ShellOpener(folder);
    }
}

// Starts an opener detached from the converter. True when it ran and exited with 0, or is still
// running after a short wait (an opener that stays with the application it started).
bool launchOpener(const char* program, const std::string& path) {
    const int status = waitForExit(startQuietly({program, path}, true), 5000);
    return status == 0 || status == -2;
}

} // namespace

int Classify(const std::string& outputPath) {
    const std::string extension = extensionOf(outputPath);
    for (const OutputKindRow& row : kOutputKinds) {
        if (::strcasecmp(row.extension, extension.c_str()) == 0) {
            return row.kind;
        }
    }
    return kUnknownOutput;
}

int Run(ConverterOptions& options) {
    const int kind = Classify(options.output);
    if (kind == kUnknownOutput) {
        Message("Unknown output file format.\n");
        return kUnknownOutputFormat;
    }
    if (!posix::exists(options.input)) {
        Message("\"%s\" file doesn't exist.\n", options.input.c_str());
        return kInputMissing;
    }
    if (sameFile(options.input, options.output)) {
        Print(stderr, "lantrel: the output \"%s\" is the input file; it is left as it is.\n",
              options.output.c_str());
        return kOutputIsInput;
    }
    // Said before the office suite starts: later the export would only fail under the general
    // message.
    if (const std::string folder = folderOf(options.output);
        !folder.empty() && !posix::isFolder(folder)) {
        Print(stderr, "lantrel: the output's folder \"%s\" does not exist.\n", folder.c_str());
        return kConversionFailed;
    }
    const long long start = millisecondTicks();
    const int result = routeToBackEnd(kind, options);
    if (options.view) {
        viewResult(options.output);
    }
    const long long elapsed = millisecondTicks() - start;
    Message("Conversion Finished! Result value = %d\n", result);
    Message("Time of Conversion is: %lldms(%.2fs)\n", elapsed,
            static_cast<double>(elapsed) * 0.001);
    return result;
}

std::string TempName(const char* suffix) {
    const std::string folder = posix::privateStateFolder();
    if (folder.empty()) {
        return {};
    }
    std::string name = folder + "/pdfXXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return {};
    }
    ::close(fd);
    ::unlink(name.c_str());
    if (suffix) {
        name += suffix;
    }
    return name;
}

bool ShellOpener(const std::string& path) {
    if (launchOpener("xdg-open", path)) {
        return true;
    }
    if (const char* browser = std::getenv("BROWSER"); browser && *browser) {
        if (launchOpener(browser, path)) {
            return true;
        }
    }
    return launchOpener("x-www-browser", path);
}

void ConverterLog(const char* format, ...) {
    const std::string log = withoutExtension(posix::executablePath()) + ".log";
    std::FILE* file = std::fopen(log.c_str(), "a");
    if (!file) {
        return;
    }
    va_list args;
    va_start(args, format);
    PrintV(file, format, args);
    va_end(args);
    std::fclose(file);
}
