// The message log: every message of the Qt message channel appended to flip.txt in the per-user
// data folder, so that a user can send it with a report. The log holds deck paths and command
// lines, so only its owner may read it; it is kept to a bounded size by moving a full log aside
// to "flip.txt.1" (replacing the one before) and starting afresh.
#pragma once

#include <QString>
#include <QtGlobal>

// The log file: the data location followed by "/flip.txt".
QString messageLogFile();

// A log file grows to about this size before it is moved aside.
constexpr qint64 kMessageLogLimit = 1024 * 1024;

// The lines a message is logged as: "Debug: %1", "Warning: %1", "Critical: %1", "Fatal: %1"
// (information messages as "Info: %1"); a message of several lines has each of them prefixed.
QString messageLogLine(QtMsgType type, const QString& message);

// Appends one line to the log file, creating its folder when missing; owner-only, rotated at
// `limit` bytes.
void appendToMessageLog(const QString& line, qint64 limit = kMessageLogLimit);

// Installs the handler: each message is logged (and still reaches the console), and a fatal one
// then aborts the process.
void installMessageLog();
