// Reading and writing the program's small line-per-value text files (UTF-8, "\n" line ends).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The whole content of a regular file (a link is followed), or nothing when the path is no
// regular file (a folder, a FIFO, a device such as /dev/zero), cannot be read, or holds more than
// limit bytes: reading never blocks on a pipe nor runs without end.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit);

// The largest text file of the program's own that is read: far above any real settings or index.
inline constexpr qint64 kTextFileLimit = 64 * 1024 * 1024;

// The lines of a UTF-8 text file, "\n" or "\r\n" ended; a final line end adds no empty line and a
// leading byte-order mark is dropped.
// Nothing when the file cannot be read (see readRegularFile).
std::optional<QStringList> readTextLines(const QString& path);

// Replaces the file with the lines, each ended by "\n", in UTF-8, in one step (a failed write
// leaves the old file whole). Returns false when the file could not be written.
bool writeTextLines(const QString& path, const QStringList& lines);

// A value on one line: every line break becomes a space.
QString onOneLine(QString value);
