// The bridge to the SWF conversion library, loaded at run time from the converter's own folder.
#include "converter/backends.h"
#include "converter/console.h"
#include "converter/driver.h"
#include "converter/paths.h"
#include "platform/korrind/swf_library.h"
#include "platform/posix/posix_files.h"

#include <dlfcn.h>
#include <sys/stat.h>

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
};

int slideTotal = 0;

void onBarMax(std::int32_t flag, std::int32_t value) {
    if (flag == 0) {
        slideTotal = value;
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
           resolve(handle, "CancelConvert", library.cancel);
}

void convert(const SwfLibrary& library, const std::string& input, const std::string& folder,
             const ConverterOptions& o) {
    if (!posix::exists(input)) {
        return;
    }
    if (!posix::exists(folder)) {
        ::mkdir(folder.c_str(), 0755);
    } else if (o.skip) {
        return;
    }
    library.initParams(o.swfrate, o.width, o.height, o.swfanmi, o.swftrans, o.swfmaster, o.swfdelay,
                       o.swfmouse);
    if (o.mergeall) {
        library.setLinkMovies(o.swfloop, o.swfloadbar, o.swfctrolbar);
    }
    ConverterLog("Begin \"%s\"\n", input.c_str());
    library.convert(nullptr, input.c_str(), folder.c_str());
    ConverterLog("End \"%s\"\n\n", input.c_str());

    const std::string base = fileNameOf(folder);
    const std::string movie = folder + "/" + base + ".swf";
    if (posix::isFile(movie) && HtmlWrapperWriter(movie, o.width, o.height) && o.view) {
        ShellOpener(withoutExtension(movie) + ".html");
    }
}

} // namespace

bool HtmlWrapperWriter(const std::string& moviePath, int width, int height) {
    std::FILE* page = std::fopen((withoutExtension(moviePath) + ".html").c_str(), "w");
    if (!page) {
        return false;
    }
    const std::string name = withoutExtension(fileNameOf(moviePath));
    const std::string extension = extensionOf(moviePath);
    const char* n = name.c_str();
    const char* e = extension.c_str();
    Print(page,
          "<HTML>\n<HEAD>\n<TITLE>%s%s</TITLE>\n</HEAD>\n<BODY leftmargin=\"0\" "
          "topmargin=\"0\">\n<!-- Flash movie tag-->\n",
          n, e);
    Print(page, "<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\"\n");
    Print(page, "codebase=\"%s\"\n",
          LANTREL_PLAYER_CABINET_HOST "/pub/shockwave/cabs/flash/swflash.cab#version=6,0,0,0");
    Print(page, "WIDTH=\"%d\" HEIGHT=\"%d\" id=\"%s%s\" ALIGN=\"\">\n", width, height, n, e);
    Print(page, "<PARAM NAME=movie VALUE=\"%s%s\">\n", n, e);
    Print(page, "<PARAM NAME=quality VALUE=high>\n");
    Print(page, "<PARAM NAME=bgcolor VALUE=#ffffff>\n");
    Print(page, "<EMBED src=\"%s%s\" quality=high bgcolor=#13a  WIDTH=\"%d\" HEIGHT=\"%d\" ", n, e,
          width, height);
    Print(page,
          "NAME=\"%s%s\" ALIGN=\"\" TYPE=\"application/x-shockwave-flash\" PLUGINSPAGE=\"%s\">\n",
          n, e, LANTREL_PLAYER_DOWNLOAD_HOST "/go/getflashplayer");
    Print(page, "</EMBED>\n</OBJECT>\n</BODY>\n</HTML>\n");
    return std::fclose(page) == 0;
}

bool SwfBridge(const std::string& input, const std::string& output,
               const ConverterOptions& options) {
    const std::string path = folderOf(executablePath()) + "/korrind.so";
    SwfLibrary library{};
    if (!loadLibrary(path, library)) {
        Message("Can't load \"%s\" file.\n", path.c_str());
        return false;
    }
    library.setBarMax(onBarMax);
    library.setBarPos(onBarPos);
    library.setCaption(onCaption);

    const std::string folder = withoutExtension(output);
    try {
        convert(library, input, folder, options);
    } catch (...) {
        Message("[FAILED] Something is wrong during conversion...\n");
    }
    PresentationKiller();
    return posix::isFolder(folder);
}
