// One conversion run after the command line is parsed: classify the output, check the input,
// route to a back end, optionally show the result, report the result and the elapsed time.
#pragma once

#include "converter/options.h"
#include "platform/lantrel/result_codes.h"

#include <string>

// The save formats, chosen by the output file's extension. The non-negative values are the
// presentation application's own save-as numbers and are handed to the export session unchanged.
enum OutputKind : int {
    kUnknownOutput = -4,
    kPostScript = -3,
    kPdf = -2,
    kSwf = -1,
    kRtf = 6,
    kHtml = 12,
    kMetafile = 15,
    kGif = 16,
    kJpg = 17,
    kPng = 18,
    kBmp = 19,
    kMhtml = 20,
    kTiff = 21,
    kEmf = 23,
};

// The output kind of a path by its extension, compared case-insensitively; kUnknownOutput when the
// extension is missing or not in the table.
int Classify(const std::string& outputPath);

// Runs one conversion and returns its result, which is also the process exit code.
int Run(ConverterOptions& options);

// Reserves a unique temporary name with the prefix "pdf" in the user's private temporary folder:
// the file is created and deleted at once, so only the name is taken. Appends `suffix` when given.
// Returns "" when no name could be reserved.
std::string TempName(const char* suffix);

// Opens a file, folder or address with the desktop's opener; falls back to the default browser.
// Returns true when an opener accepted it.
bool ShellOpener(const std::string& path);

// Appends one formatted entry to the converter's log, beside the executable with the extension
// ".log". A log that cannot be opened is skipped.
void ConverterLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
