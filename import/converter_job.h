// The converter run of an import, without windows: its command line and the reading of what it
// prints (progress percentages and the closing result line).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The converter's arguments: "-debug -call <presentation> <work folder>.laq.jpg -words
// <work folder>.laq/words.json", with paths in native form, so that one JPEG per slide and the
// deck's words land in the staging folder .laq/ of the work folder. For part 2 of 2 of a split
// conversion: "-part 2 -parts 2" and the output of that part; the words, which cover the whole
// deck, come with part 1 alone.
QStringList converterArguments(const QString& presentation, const QString& workFolder, int part = 1,
                               int parts = 1);

// Reads the converter's standard output chunk by chunk. Lines may end in CR LF or LF and may be
// split across chunks: only whole lines are read.
class ConverterOutputReader {
public:
    struct Reading {
        std::optional<double> percent; // the last bracketed percentage of the chunk
        std::optional<int> imageCount; // the value of the result line, when it arrived
    };

    Reading read(const QByteArray& chunk);

    // What is left when the process has ended: a last line without a line end.
    Reading finish();

private:
    Reading readLines(const QString& text);
    QByteArray pending_;
};

// The caption under the progress strip: "20%, processing, please wait...".
QString progressCaption(double percent);

// The width of the progress strip for a percentage of the full width, truncated.
int progressWidth(double percent, int fullWidth);
