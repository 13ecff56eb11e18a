// The converter's result values: its process status (modulo 256) and the number on its
// "Conversion Finished! Result value = n" line. The converter returns them; murano's import reads
// them. Beside these named values a run returns the number of files an export wrote (1 for a
// single-file export). The same negative number names one failure of the driver and one of the
// export session.
#pragma once

enum ConversionResult : int {
    kConverted = 0,         // PDF, PostScript or SWF written (or an SWF left as it was: -skip)
    kUsageShown = -1,       // bad command line, -h or -v: the usage screen was printed
    kOfficeNotStarted = -1, // the office suite could not be started
    kUnknownOutputFormat = -2,
    kConversionFailed = -2, // the presentation could not be loaded, rendered or written completely
    kInputMissing = -3,
    kExportFolderMissing = -3, // the export left no folder named after the output
    kExportNotAFolder = -4,    // the export's output folder is something else
    kExportFolderEmpty = -5,   // the export wrote no files
    kOutputIsInput = -6,       // refused: the output path names the input file
    kLoadingTimedOut = -88,    // starting the office suite and loading took over -ppttimeout ms
};
