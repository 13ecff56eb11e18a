// The converter's back ends, one interface each.
#pragma once

#include "converter/options.h"

#include <string>
#include <vector>

// Converts `input` to one of the presentation application's save-as formats (an OutputKind of 0 or
// more) and fills `files` with the exported files in slide order. Returns the number of files, 1
// for a single-file export, or a negative result.
int ExportSession(const std::string& input, const std::string& output, int format,
                  ConverterOptions& options, std::vector<std::string>& files);

// Renders a PDF (or, from a PDF, a PostScript file) from `source` into `destination`, honouring the
// PDF options. Returns 0 on success, a negative result on failure.
int DocumentStep(const std::string& source, const std::string& destination,
                 ConverterOptions& options);

// Converts `input` to a Flash movie through the SWF conversion library. Returns true when the
// output folder (the output path without its extension) exists afterwards.
bool SwfBridge(const std::string& input, const std::string& output,
               const ConverterOptions& options);

// Writes the page beside a movie (its path with the extension ".html") that embeds it at the given
// size. Returns true when the page was written.
bool HtmlWrapperWriter(const std::string& moviePath, int width, int height);

// Ends the presentation application instance that this run started, and nothing else.
void PresentationKiller();
