#include "platform/bookservice/request_log.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace bookservice {

namespace {

constexpr std::size_t kLongestReason = 300;

} // namespace

void writeLogLine(const LogEntry& entry) {
    static std::mutex lock;
    char when[32];
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
    std::string line = std::string(when) + " " + entry.peer + " " + entry.method + " " +
                       entry.target + " " + std::to_string(entry.status) + " " +
                       std::to_string(entry.size);
    if (!entry.reason.empty()) {
        // A reason may quote names from an upload; control characters never reach the log.
        std::string reason = entry.reason.substr(0, kLongestReason);
        std::replace_if(
            reason.begin(), reason.end(),
            [](char c) { return static_cast<unsigned char>(c) < 0x20; }, '?');
        line += " \"" + reason + "\"";
    }
    line += "\n";
    std::lock_guard<std::mutex> guard(lock);
    std::fwrite(line.data(), 1, line.size(), stderr);
}

} // namespace bookservice
