// The converter's option record, its declarative option table and the command-line parser.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

enum class OptionKind {
    Flag,
    Int,
    Fp,
    String,
    Path,
    DisplayFlag,
    DisplayInt,
    DisplayFp,
    DisplayString
};

// One row of an option table. A table is an array ending in a row whose name is empty.
struct OptionEntry {
    const char* name;
    OptionKind kind;
    void* destination; // int32 for Flag and Int, double for Fp, char buffer for String,
                       // std::string for Path
    std::size_t size;  // String only: buffer size including the terminating zero
    const char* help;  // usage text, or nullptr
};

// Everything one run of the converter reads. Paths are unbounded strings: a path never gets cut.
struct ConverterOptions {
    int width, height;
    int swfrate, swfanmi, swftrans, swfmaster, swfdelay, swfmouse, swfsymbol;
    int swfloop, swfloadbar, swfctrolbar, mergeall;
    int rotate;
    char margin[300];
    char subject[1024], title[1024], author[1024], keywords[1024];
    char openpwd[200], ownerpwd[200];
    int keylen, encryption;
    int unicode, rclbounds, bookmark, nocenter;
    int skip, view, version, help, debug, ppttimeout, call;
    // Slide files: only part `part` of `parts` equal parts of the slides (1 of 1: all of them).
    int part, parts;
    std::string input, output;
    // Where the slides' words go (-words); empty: they are not read.
    std::string words;
    // Set once the presentation has finished loading; polled by the loading watchdog.
    std::atomic<bool> loaded;
};

// Zeroes every field, then sets the defaults of the option table.
void setDefaultOptions(ConverterOptions& options);

// The option table bound to the fields of `options`, in its fixed order, ending in an empty row.
std::vector<OptionEntry> optionTable(ConverterOptions& options);

// Recognises the options of `table` in argv, stores their values and removes them (and their
// values) from argc/argv, so that only positional words remain. Returns false when a value was
// missing or malformed.
bool Parse(const OptionEntry* table, int& argc, char** argv);

// Writes "Usage: ..." and the aligned option listing to standard error.
void PrintUsage(const char* program, const char* otherArguments, const OptionEntry* table);

// The whole usage screen: banner and examples on standard output, the listing on standard error.
// `invokedAs` is word 0 of the command line; the examples show its last path component.
void PrintUsageScreen(const char* invokedAs, const OptionEntry* table);

// Writes lantrel's manual page in groff's man format, with the options of `table` and the
// examples of the usage screen, to `out`. Returns 0, or -1 when it could not be written.
int writeManPage(std::FILE* out, const OptionEntry* table);

// The output path used when none is given: the input with its extension replaced by ".swf".
std::string defaultOutputPath(const std::string& input);
