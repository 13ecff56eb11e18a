// Reading and writing the program's small line-per-value text files (UTF-8, "\n" line ends).
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The lines of a UTF-8 text file, "\n" or "\r\n" ended; a final line end adds no empty line and a
// leading byte-order mark is dropped.
// Nothing when the file cannot be opened for reading.
std::optional<QStringList> readTextLines(const QString& path);

// Replaces the file with the lines, each ended by "\n", in UTF-8, in one step (a failed write
// leaves the old file whole). Returns false when the file could not be written.
bool writeTextLines(const QString& path, const QStringList& lines);

// A value on one line: every line break becomes a space.
QString onOneLine(QString value);
