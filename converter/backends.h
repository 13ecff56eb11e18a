// The converter's back ends, one interface each.
#pragma once

#include "converter/options.h"

#include <string>
#include <vector>

// Converts `input` to one of the presentation application's save-as formats (an OutputKind of 0 or
// more) and fills `files` with the files it exported, in slide order (other files in the output
// folder are left alone and not counted). Returns the number of files, 1 for a single-file
// export, or a negative result; a failed export leaves none of its files.
int ExportSession(const std::string& input, const std::string& output, int format,
                  ConverterOptions& options, std::vector<std::string>& files);

// Renders a PDF (or, from a PDF, a PostScript file) from `source` into `destination`, honouring the
// PDF options. Returns 0 on success, a negative result on failure.
int DocumentStep(const std::string& source, const std::string& destination,
                 ConverterOptions& options);

// Converts `input` to a Flash movie through the SWF conversion library, into the folder named
// after the output (the output path without its extension), with the page beside the movie; the
// loading watchdog covers opening the presentation. Returns 0, or a negative result; a failed
// conversion leaves no folder it made.
int SwfBridge(const std::string& input, const std::string& output, ConverterOptions& options);

// Writes the page beside a movie (its path with the extension ".html") that embeds it at the given
// size. Returns true when the page was written.
bool HtmlWrapperWriter(const std::string& moviePath, int width, int height);

// Ends the presentation application instance that this run started, and nothing else.
void PresentationKiller();
