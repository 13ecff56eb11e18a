#include "converter/console.h"

#include <atomic>
#include <cstdarg>
#include <string>

namespace {

std::atomic<bool> debugMessages{false};

std::string formatText(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.pop_back();
    return text;
}

void writeWithCrLf(std::FILE* stream, const std::string& text) {
    std::string wire;
    wire.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\n') {
            wire += '\r';
        }
        wire += c;
    }
    std::fwrite(wire.data(), 1, wire.size(), stream);
    std::fflush(stream);
}

} // namespace

void PrintV(std::FILE* stream, const char* format, va_list args) {
    writeWithCrLf(stream, formatText(format, args));
}

void Print(std::FILE* stream, const char* format, ...) {
    va_list args;
    va_start(args, format);
    PrintV(stream, format, args);
    va_end(args);
}

void setDebugMessages(bool on) {
    debugMessages = on;
}

void Message(const char* format, ...) {
    if (!debugMessages) {
        return;
    }
    va_list args;
    va_start(args, format);
    PrintV(stdout, format, args);
    va_end(args);
}
