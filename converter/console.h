// Every line the converter writes goes through here: "\n" becomes CR LF on the wire, the format
// that the converter's readers know.
#pragma once

#include <cstdarg>
#include <cstdio>

#define LANTREL_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))

// Formats to `stream` with each "\n" written as CR LF, and flushes.
void Print(std::FILE* stream, const char* format, ...) LANTREL_PRINTF(2, 3);

void PrintV(std::FILE* stream, const char* format, va_list args);

// The debug printer: silent unless switched on (by -debug); otherwise writes to standard output
// and flushes.
void Message(const char* format, ...) LANTREL_PRINTF(1, 2);

// Switches the debug printer on or off for the rest of the process.
void setDebugMessages(bool on);
