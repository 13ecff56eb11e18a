// The service's request log: one line per answered request or refused connection on standard
// error, written whole even when many threads log at once.
#pragma once

#include <string>

namespace bookservice {

struct LogEntry {
    std::string peer;
    std::string method = "-"; // "-" for a connection refused before a request was read
    std::string target = "-"; // without its query, which may hold secrets
    int status = 0;
    std::size_t size = 0;
    std::string reason; // for refusals; empty for none
};

// "2024-05-01T12:00:00Z 127.0.0.1 POST /path 400 27 "reason"".
void writeLogLine(const LogEntry& entry);

} // namespace bookservice
