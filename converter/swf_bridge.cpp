// The bridge to the SWF conversion library, loaded at run time from the converter's own folder.
#include "converter/backends.h"
#include "converter/console.h"
#include "converter/driver.h"
#include "converter/file_utils.h"
#include "converter/loading_watchdog.h"
#include "converter/paths.h"
#include "converter/stop_handler.h"
#include "converter/web_pages.h"
#include "platform/korrind/swf_library.h"
#include "platform/office/murano_office.h"
#include "platform/posix/posix_files.h"

#include <atomic>
#include <cstdio>
#include <dlfcn.h>
#include <unistd.h>

#ifndef LANTREL_PLAYER_CABINET_HOST
#define LANTREL_PLAYER_CABINET_HOST "http://download.flashplayer.invalid"
#endif
#ifndef LANTREL_PLAYER_DOWNLOAD_HOST
#define LANTREL_PLAYER_DOWNLOAD_HOST "http://www.flashplayer.invalid"
#endif

namespace {

struct SwfLibrary {
    SetSetBarMaxFn setBarMax;
    SetSetBarPosFn setBarPos;
    SetSetLblCaptionFn setCaption;
    InitParamsFn initParams;
    SetLinkMoviesFn setLinkMovies;
    ConvertPPt2SwfFn convert;
    CancelConvertFn cancel;
    AbortConvertFn abort;
};

int slideTotal = 0;
// The watchdog of the conversion in progress: the library reports the slide total once the
// presentation is open, which ends the loading time.
std::atomic<ShutdownWatchdog*> loadingWatchdog{nullptr};

void onBarMax(std::int32_t flag, std::int32_t value) {
    if (flag == 0) {
        slideTotal = value;
        if (ShutdownWatchdog* watchdog = loadingWatchdog.load()) {
            watchdog->loaded();
        }
    }
}

void onBarPos(std::int32_t flag, std::int32_t slide) {
    if (flag == 0 && slide > 0) {
        Message("Processing slide: %d of %d...\n", slide, slideTotal);
    }
}

void onCaption(std::int32_t, const char* text) {
    if (text && *text) {
        Message("%s\n", text);
    }
}

template <typename Fn> bool resolve(void* handle, const char* name, Fn& function) {
    function = reinterpret_cast<Fn>(::dlsym(handle, name));
    return function != nullptr;
}

// Loads the library and resolves every export; a missing export counts as a missing library.
bool loadLibrary(const std::string& path, SwfLibrary& library) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        return false;
    }
    return resolve(handle, "SetSetBarMax", library.setBarMax) &&
           resolve(handle, "SetSetBarPos", library.setBarPos) &&
           resolve(handle, "SetSetLblCaption", library.setCaption) &&
           resolve(handle, "InitParams", library.initParams) &&
           resolve(handle, "SetLinkMovies", library.setLinkMovies) &&
           resolve(handle, "ConvertPPt2Swf", library.convert) &&
           resolve(handle, "CancelConvert", library.cancel) &&
           resolve(handle, "AbortConvert", library.abort);
}

// Runs the library's conversion under the loading watchdog. The library's office instances are
// its own (it keeps its symbols to itself): a stop or the watchdog ends them through its abort
// call, which also removes what the library staged; then the folder goes when this run made it.
// Returns the library's result, 0 on success.
int convertWatched(const SwfLibrary& library, const std::string& input, const std::string& folder,
                   bool madeFolder, ConverterOptions& options) {
    office::prepareProfileTemplate();
    const AbortConvertFn abort = library.abort;
    const StopAction stop([abort, folder, madeFolder] {
        abort();
        if (madeFolder) {
            posix::removeTree(folder);
        }
    });
    ShutdownWatchdog watchdog(options);
    loadingWatchdog = &watchdog;
    ConverterLog("Begin \"%s\"\n", input.c_str());
    const int result = library.convert(nullptr, input.c_str(), folder.c_str());
    ConverterLog("End \"%s\"\n\n", input.c_str());
    loadingWatchdog = nullptr;
    return result;
}

int convert(const SwfLibrary& library, const std::string& input, const std::string& folder,
            ConverterOptions& o) {
    if (o.skip && posix::exists(folder)) {
        return kConverted;
    }
    const OutputFolderClaim claim(folder);
    if (!claim.held()) {
        return kConversionFailed;
    }
    const bool madeFolder = claim.madeFolder();
    library.initParams(o.swfrate, o.width, o.height, o.swfanmi, o.swftrans, o.swfmaster, o.swfdelay,
                       o.swfmouse);
    if (o.mergeall) {
        library.setLinkMovies(o.swfloop, o.swfloadbar, o.swfctrolbar);
    }
    const std::string movie = folder + "/" + fileNameOf(folder) + ".swf";
    const int converted = convertWatched(library, input, folder, madeFolder, o);
    if (converted == 0 && posix::isFile(movie) && HtmlWrapperWriter(movie, o.width, o.height)) {
        if (o.view) {
            ShellOpener(withoutExtension(movie) + ".html");
        }
        return kConverted;
    }
    Message("[FAILED] The movie \"%s\" was not written (%d).\n", movie.c_str(), converted);
    if (madeFolder) {
        posix::removeTree(folder);
    }
    return kConversionFailed;
}

} // namespace

bool HtmlWrapperWriter(const std::string& moviePath, int width, int height) {
    const std::string pagePath = withoutExtension(moviePath) + ".html";
    std::FILE* page = std::fopen(pagePath.c_str(), "w");
    if (!page) {
        return false;
    }
    // The movie's name is the user's text: escaped where it stands as text, percent-encoded where
    // it is an address.
    const std::string fileName = fileNameOf(moviePath);
    const std::string textName = htmlEscaped(fileName);
    const std::string address = htmlEscaped(posix::percentEncoded(fileName));
    const char* n = textName.c_str();
    const char* a = address.c_str();
    Print(page,
          "<HTML>\n<HEAD>\n<TITLE>%s</TITLE>\n</HEAD>\n<BODY leftmargin=\"0\" "
          "topmargin=\"0\">\n<!-- Flash movie tag-->\n",
          n);
    Print(page, "<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\"\n");
    Print(page, "codebase=\"%s\"\n",
          LANTREL_PLAYER_CABINET_HOST "/pub/shockwave/cabs/flash/swflash.cab#version=6,0,0,0");
    Print(page, "WIDTH=\"%d\" HEIGHT=\"%d\" id=\"%s\" ALIGN=\"\">\n", width, height, n);
    Print(page, "<PARAM NAME=movie VALUE=\"%s\">\n", a);
    Print(page, "<PARAM NAME=quality VALUE=high>\n");
    Print(page, "<PARAM NAME=bgcolor VALUE=#ffffff>\n");
    Print(page, "<EMBED src=\"%s\" quality=high bgcolor=#13a  WIDTH=\"%d\" HEIGHT=\"%d\" ", a,
          width, height);
    Print(page,
          "NAME=\"%s\" ALIGN=\"\" TYPE=\"application/x-shockwave-flash\" PLUGINSPAGE=\"%s\">\n", n,
          LANTREL_PLAYER_DOWNLOAD_HOST "/go/getflashplayer");
    Print(page, "</EMBED>\n</OBJECT>\n</BODY>\n</HTML>\n");
    const bool written = std::ferror(page) == 0;
    if (std::fclose(page) != 0 || !written) {
        ::unlink(pagePath.c_str());
        return false;
    }
    return true;
}

int SwfBridge(const std::string& input, const std::string& output, ConverterOptions& options) {
    const std::string path = folderOf(posix::executablePath()) + "/korrind.so";
    SwfLibrary library{};
    if (!loadLibrary(path, library)) {
        Message("Can't load \"%s\" file.\n", path.c_str());
        return kConversionFailed;
    }
    library.setBarMax(onBarMax);
    library.setBarPos(onBarPos);
    library.setCaption(onCaption);
    int result = kConversionFailed;
    try {
        result = convert(library, input, withoutExtension(output), options);
    } catch (...) {
        Message("[FAILED] Something is wrong during conversion...\n");
    }
    PresentationKiller();
    return result;
}
