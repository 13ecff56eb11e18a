#include "converter/options.h"

#include "cmake/version.h"
#include "converter/console.h"
#include "converter/paths.h"
#include "platform/roff/roff.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

const char* const kMarginHelp =
    "Set page margin to PDF file\n"
    "        -margin 10          : Set margin to 10pt to left\n"
    "        -margin 10x10       : Set margin to 10pt to left,top\n"
    "        -margin 10x10x10    : Set margin to 10pt to left,top,right\n"
    "        -margin 10x10x10x10 : Set margin to 10pt to "
    "left,top,right,bottom";

const char* const kKeylenHelp = "Key length (40 or 128 bit)\n"
                                "        -keylen 0:  40 bit RC4 encryption (Acrobat 3 or higher)\n"
                                "        -keylen 1: 128 bit RC4 encryption (Acrobat 5 or higher)\n"
                                "        -keylen 2: 128 bit RC4 encryption (Acrobat 6 or higher)";

const char* const kEncryptionHelp =
    "Restrictions\n"
    "        -encryption    0: Encrypt the file only\n"
    "        -encryption 3900: Deny anything\n"
    "        -encryption    4: Deny printing\n"
    "        -encryption    8: Deny modification of contents\n"
    "        -encryption   16: Deny copying of contents\n"
    "        -encryption   32: No commenting\n"
    "        ===128 bit encryption only -> ignored if 40 bit encryption is used\n"
    "        -encryption  256: Deny FillInFormFields\n"
    "        -encryption  512: Deny ExtractObj\n"
    "        -encryption 1024: Deny Assemble\n"
    "        -encryption 2048: Disable high res. printing\n"
    "        -encryption 4096: Do not encrypt metadata";

const char* const kBookmarkHelp = "Create bookmark to PDF file\n"
                                  "        -bookmark 1: Use short filename as bookmarks\n"
                                  "        -bookmark 2: Use full filename as bookmarks\n"
                                  "        -bookmark 3: Use short filename without suffix as "
                                  "bookmarks";

const char* const kUsageHelp = "Print usage information";

OptionEntry flag(const char* name, int& destination, const char* help) {
    return {name, OptionKind::Flag, &destination, 0, help};
}

OptionEntry integer(const char* name, int& destination, const char* help) {
    return {name, OptionKind::Int, &destination, 0, help};
}

OptionEntry path(const char* name, std::string& destination, const char* help) {
    return {name, OptionKind::Path, &destination, 0, help};
}

template <std::size_t N>
OptionEntry text(const char* name, char (&destination)[N], const char* help) {
    return {name, OptionKind::String, destination, N, help};
}

// Optional sign, then decimal digits only; an empty remainder also matches.
bool isIntegerWord(const char* word) {
    if (*word == '+' || *word == '-') {
        ++word;
    }
    while (*word >= '0' && *word <= '9') {
        ++word;
    }
    return *word == '\0';
}

// Optional sign, digits, optional '.' and digits, and - once a digit was seen - an optional
// exponent with at least one digit; nothing may follow.
bool isFloatWord(const char* word) {
    bool sawDigit = false;
    auto skipDigits = [&] {
        while (*word >= '0' && *word <= '9') {
            ++word;
            sawDigit = true;
        }
    };
    if (*word == '+' || *word == '-') {
        ++word;
    }
    skipDigits();
    if (*word == '.') {
        ++word;
        skipDigits();
    }
    if (sawDigit && (*word == 'e' || *word == 'E')) {
        const char* exponent = word + 1;
        if (*exponent == '+' || *exponent == '-') {
            ++exponent;
        }
        if (*exponent >= '0' && *exponent <= '9') {
            word = exponent;
            while (*word >= '0' && *word <= '9') {
                ++word;
            }
        }
    }
    return *word == '\0';
}

// The decimal value of an integer word, held within the 32-bit range.
int integerValue(const char* word) {
    errno = 0;
    const long long value = std::strtoll(word, nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

struct Grab {
    int consumed;
    bool ok;
};

Grab grabValue(const OptionEntry& entry, const char* next) {
    switch (entry.kind) {
    case OptionKind::Flag:
        *static_cast<int*>(entry.destination) = 1;
        return {1, true};
    case OptionKind::Int:
        if (next && isIntegerWord(next)) {
            *static_cast<int*>(entry.destination) = integerValue(next);
            return {2, true};
        }
        return {1, false};
    case OptionKind::Fp:
        if (next && isFloatWord(next)) {
            *static_cast<double*>(entry.destination) = std::strtod(next, nullptr);
            return {2, true};
        }
        return {1, false};
    case OptionKind::String:
        if (next && entry.size > 0) {
            char* buffer = static_cast<char*>(entry.destination);
            std::strncpy(buffer, next, entry.size - 1);
            buffer[entry.size - 1] = '\0';
            return {2, true};
        }
        return {1, false};
    case OptionKind::Path:
        if (next) {
            *static_cast<std::string*>(entry.destination) = next;
            return {2, true};
        }
        return {1, false};
    default:
        Print(stderr, "Internal error in arg table\n");
        return {1, true};
    }
}

bool isDisplayOnly(OptionKind kind) {
    return kind == OptionKind::DisplayFlag || kind == OptionKind::DisplayInt ||
           kind == OptionKind::DisplayFp || kind == OptionKind::DisplayString;
}

const OptionEntry* findOption(const OptionEntry* table, const char* word) {
    for (const OptionEntry* entry = table; entry->name && *entry->name; ++entry) {
        if (!isDisplayOnly(entry->kind) && std::strcmp(entry->name, word) == 0) {
            return entry;
        }
    }
    return nullptr;
}

void removeWords(int& argc, char** argv, int at, int count) {
    for (int i = at; i + count <= argc; ++i) {
        argv[i] = argv[i + count];
    }
    argc -= count;
}

const char* kindTag(OptionKind kind) {
    switch (kind) {
    case OptionKind::Int:
    case OptionKind::DisplayInt:
        return " <int>";
    case OptionKind::Fp:
    case OptionKind::DisplayFp:
        return " <fp>";
    case OptionKind::String:
    case OptionKind::Path:
    case OptionKind::DisplayString:
        return " <string>";
    default:
        return "";
    }
}

const char* lastPathComponent(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '/' || *p == '\\') {
            name = p + 1;
        }
    }
    return name;
}

const char* const kProduct = "Quorvex Lantrel " MURANO_VERSION;
const char* const kPurpose = "presentation converter";
const char* const kDescription = "Convert *.PPT, *.PPS, *.PPTX, *.PPSX files to SWF, PDF, PS, EMF, "
                                 "WMF, MHTML, HTML, RTF, TIFF, BMP, GIF, JPG, PNG, etc. files";
const char* const kProgramName = "lantrel";
const char* const kPositionalWords = "<PPT-file> [<Output-file>]";

struct ExampleGroup {
    const char* heading;
    std::vector<const char*> commandLines; // after the program's name
};

const ExampleGroup kExamples[] = {
    {"Convert PPT file to SWF file:",
     {
         "C:\\in.ppt C:\\out.swf",
         "C:\\in.pps C:\\out.swf",
         "C:\\in.pptx C:\\out.swf",
         "C:\\in.ppsx C:\\out.swf",
         "C:\\in.ppt C:\\out.swf -width 640 -height 480 -swfrate 24",
         "C:\\in.ppt C:\\out.swf -swfanmi 0 -swfdelay 1 -swfmouse 1",
         "C:\\in.ppt C:\\out.swf -swfsymbol 0",
         "C:\\in.ppt C:\\out.swf -swfloop 0",
         "C:\\in.ppt C:\\out.swf -swfloadbar 0",
         "C:\\in.ppt C:\\out.swf -swfctrolbar 0",
         "C:\\in.ppt C:\\out.swf -swfmaster 0",
         "C:\\in.ppt C:\\out.swf -mergeall 0",
     }},
    {"Convert PPT file to PDF/PS file:",
     {
         "C:\\in.ppt C:\\out.pdf",
         "C:\\in.ppt C:\\out.pdf -rotate 90",
         "C:\\in.ppt C:\\out.pdf -subject \"subject\"",
         "C:\\in.ppt C:\\out.pdf -ownerpwd \"947\" -keylen 2 -encryption 3900",
         "C:\\in.ppt C:\\out.pdf -bookmark 3",
         "C:\\in.ppt C:\\out.ps",
     }},
    {"Convert PPT file to other formats:",
     {
         "C:\\in.ppt C:\\out.mht",
         "C:\\in.ppt C:\\out.mhtml",
         "C:\\in.ppt C:\\out.html",
         "C:\\in.ppt C:\\out.gif",
         "C:\\in.ppt C:\\out.jpg",
         "C:\\in.ppt C:\\out.png",
         "C:\\in.ppt C:\\out.tif",
         "C:\\in.ppt C:\\out.bmp",
         "C:\\in.ppt C:\\out.wmf",
         "C:\\in.ppt C:\\out.emf",
         "C:\\in.ppt C:\\out.rtf",
         "-ppttimeout 10000 C:\\in.ppt C:\\out.png",
     }},
};

// The kind's tag without its leading space ("<int>"), or "" for a flag.
std::string bareKindTag(OptionKind kind) {
    const std::string tag = kindTag(kind);
    return tag.empty() ? tag : tag.substr(1);
}

// An option's help in roff: the first line filled, the example lines below it kept as they are
// (without the listing's indent).
std::string manOptionBody(const char* help) {
    std::istringstream lines(help ? help : "");
    std::string first;
    std::getline(lines, first);
    std::string examples;
    for (std::string line; std::getline(lines, line);) {
        examples += (examples.empty() ? "" : "\n") + line.substr(line.find_first_not_of(' '));
    }
    const std::string body = murano::roff::escaped(first);
    return examples.empty() ? body : body + "\n" + murano::roff::verbatim(examples);
}

std::string manOptions(const OptionEntry* table) {
    std::string page;
    for (const OptionEntry* entry = table; entry->name && *entry->name; ++entry) {
        page += murano::roff::option({entry->name}, bareKindTag(entry->kind),
                                     manOptionBody(entry->help));
    }
    return page;
}

std::string manExamples() {
    std::string page;
    for (const ExampleGroup& group : kExamples) {
        std::string lines;
        for (const char* commandLine : group.commandLines) {
            lines += (lines.empty() ? "" : "\n") + std::string(kProgramName) + " " + commandLine;
        }
        page += murano::roff::paragraph(group.heading) + murano::roff::verbatim(lines);
    }
    return page;
}

} // namespace

void setDefaultOptions(ConverterOptions& o) {
    o.width = 720;
    o.height = 540;
    o.swfrate = 12;
    o.swfanmi = o.swftrans = o.swfmaster = o.swfdelay = 1;
    o.swfmouse = 0;
    o.swfsymbol = o.swfloop = o.swfloadbar = o.swfctrolbar = o.mergeall = 1;
    o.rotate = 0;
    o.margin[0] = o.subject[0] = o.title[0] = o.author[0] = o.keywords[0] = '\0';
    o.openpwd[0] = o.ownerpwd[0] = '\0';
    o.keylen = -1;
    o.encryption = 0;
    o.unicode = o.rclbounds = o.bookmark = o.nocenter = 0;
    o.skip = o.view = o.version = o.help = o.debug = o.call = 0;
    o.ppttimeout = 30000;
    o.part = o.parts = 1;
    o.input.clear();
    o.output.clear();
    o.words.clear();
    o.loaded = false;
}

std::vector<OptionEntry> optionTable(ConverterOptions& o) {
    return {
        integer("-width", o.width, "Set page width to SWF/PDF/PS file"),
        integer("-height", o.height, "Set page height to SWF/PDF/PS file"),
        integer("-swfrate", o.swfrate, "Set frame rate to SWF file"),
        integer("-swfanmi", o.swfanmi, "Enable/disable Slide Transition Animation"),
        integer("-swftrans", o.swftrans, "Enable/disable Transition Effects"),
        integer("-swfmaster", o.swfmaster,
                "Whether integrate the image on master slide into each slide"),
        integer("-swfdelay", o.swfdelay, "Enable/disable delay between slides in SWF file"),
        integer("-swfmouse", o.swfmouse, "Enable/disable trigger by mouse in SWF file"),
        integer("-swfsymbol", o.swfsymbol, "Enable/disable special characters in SWF file"),
        integer("-swfloop", o.swfloop, "Enable/disable loop SWF file"),
        integer("-swfloadbar", o.swfloadbar, "Enable/disable loading bar SWF file"),
        integer("-swfctrolbar", o.swfctrolbar, "Enable/disable control bar SWF file"),
        integer("-mergeall", o.mergeall, "Enable/disable merge all slides into a single SWF file"),
        integer("-rotate", o.rotate, "Rotate pages, 90, 180, 270"),
        text("-margin", o.margin, kMarginHelp),
        text("-subject", o.subject, "Set 'subject' to PDF file"),
        text("-title", o.title, "Set 'title' to PDF file"),
        text("-author", o.author, "Set 'author' to PDF file"),
        text("-keywords", o.keywords, "Set 'keywords' to PDF file"),
        text("-openpwd", o.openpwd, "Set 'open password' to PDF file"),
        text("-ownerpwd", o.ownerpwd, "Set 'owner password' to PDF file"),
        integer("-keylen", o.keylen, kKeylenHelp),
        integer("-encryption", o.encryption, kEncryptionHelp),
        flag("-unicode", o.unicode, "Enable Unicode conversion"),
        flag("-rclbounds", o.rclbounds, "Use rclBounds instead of rclFrame"),
        integer("-bookmark", o.bookmark, kBookmarkHelp),
        flag("-nocenter", o.nocenter, "Don't center the contents in the PDF file"),
        flag("-skip", o.skip, "Skip if output SWF exists"),
        flag("-view", o.view, "View created file automatically"),
        flag("-v", o.version, "Print copyright and version info"),
        flag("-h", o.help, kUsageHelp),
        flag("-help", o.help, kUsageHelp),
        flag("--help", o.help, kUsageHelp),
        flag("-debug", o.debug, "Print debug log message"),
        integer("-ppttimeout", o.ppttimeout,
                "Specify a timeout to avoid hanging PowerPoint conversion, in millisecond, "
                "default is 30 seconds"),
        flag("-call", o.call, "..."),
        flag("-?", o.help, kUsageHelp),
        path("-words", o.words,
             "Also write the slides' words (titles, text, notes, picture descriptions, links) "
             "to this JSON file; slide images, RTF and HTML outputs only"),
        integer("-part", o.part,
                "Export only this part of the slides to slide files (1 to -parts; they keep "
                "their numbers)"),
        integer("-parts", o.parts, "Into how many equal parts -part divides the slides"),
        {"", OptionKind::Flag, nullptr, 0, nullptr},
    };
}

bool Parse(const OptionEntry* table, int& argc, char** argv) {
    bool ok = true;
    int index = 1;
    while (index < argc) {
        const char* word = argv[index];
        if (std::strcmp(word, "--") == 0) {
            removeWords(argc, argv, index, 1);
            break;
        }
        const OptionEntry* entry = findOption(table, word);
        if (!entry) {
            ++index;
            continue;
        }
        const Grab grab = grabValue(*entry, index + 1 < argc ? argv[index + 1] : nullptr);
        ok = ok && grab.ok;
        removeWords(argc, argv, index, grab.consumed);
    }
    return ok;
}

void PrintUsage(const char* program, const char* otherArguments, const OptionEntry* table) {
    std::size_t widest = 0;
    for (const OptionEntry* entry = table; entry->name && *entry->name; ++entry) {
        widest = std::max(widest, std::strlen(entry->name));
    }
    Print(stderr, "Usage: %s [options]", program);
    if (otherArguments) {
        Print(stderr, " %s", otherArguments);
    }
    Print(stderr, "\n");
    for (const OptionEntry* entry = table; entry->name && *entry->name; ++entry) {
        const int field = static_cast<int>(9 + widest - std::strlen(entry->name));
        Print(stderr, "  %s%-*s", entry->name, field, kindTag(entry->kind));
        if (entry->help) {
            Print(stderr, ": %s", entry->help);
        }
        Print(stderr, "\n");
    }
}

void PrintUsageScreen(const char* invokedAs, const OptionEntry* table) {
    Print(stdout, "%s - %s\n", kProduct, kPurpose);
    Print(stdout, "-------------------------------------------------------\n");
    Print(stdout, "Description:\n");
    Print(stdout, "%s\n", kDescription);
    PrintUsage(kProgramName, kPositionalWords, table);
    const char* program = lastPathComponent(invokedAs);
    Print(stdout, "Examples:\n");
    for (const ExampleGroup& group : kExamples) {
        Print(stdout, "%s%s\n", &group == kExamples ? "" : "\n", group.heading);
        for (const char* commandLine : group.commandLines) {
            Print(stdout, "   %s %s\n", program, commandLine);
        }
    }
}

int writeManPage(std::FILE* out, const OptionEntry* table) {
    namespace roff = murano::roff;
    const std::string page =
        roff::header(kProgramName, 1, kProduct) + roff::section("NAME") + kProgramName + " \\- " +
        kPurpose + "\n" + roff::section("SYNOPSIS") +
        roff::verbatim(std::string(kProgramName) + " [options] " + kPositionalWords) +
        roff::section("DESCRIPTION") + roff::paragraph(kDescription) + roff::section("OPTIONS") +
        manOptions(table) + roff::section("EXAMPLES") + manExamples();
    const bool written = std::fwrite(page.data(), 1, page.size(), out) == page.size();
    return written && std::fflush(out) == 0 ? 0 : -1;
}

std::string defaultOutputPath(const std::string& input) {
    return withoutExtension(input) + ".swf";
}
