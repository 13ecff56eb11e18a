// The message log: every message of the Qt message channel appended as one line to flip.txt in
// the per-user data folder, so that a user can send it with a report.
#pragma once

#include <QString>
#include <QtGlobal>

// The log file: the data location followed by "/flip.txt".
QString messageLogFile();

// The line a message is logged as: "Debug: %1", "Warning: %1", "Critical: %1", "Fatal: %1"
// (information messages as "Info: %1").
QString messageLogLine(QtMsgType type, const QString& message);

// Appends one line to the log file, creating its folder when missing.
void appendToMessageLog(const QString& line);

// Installs the handler: each message is logged (and still reaches the console), and a fatal one
// then aborts the process.
void installMessageLog();
