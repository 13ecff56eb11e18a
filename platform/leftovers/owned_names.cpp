#include "platform/leftovers/owned_names.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace murano::leftovers {

namespace {

#ifdef _WIN32
long ownId() {
    return static_cast<long>(GetCurrentProcessId());
}

bool processEnded(long id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (!process) {
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    const bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    CloseHandle(process);
    return ended;
}
#else
long ownId() {
    return static_cast<long>(::getpid());
}

bool processEnded(long id) {
    return ::kill(static_cast<pid_t>(id), 0) != 0 && errno == ESRCH;
}
#endif

} // namespace

bool processGone(long id) {
    return id <= 0 || processEnded(id);
}

std::string ownedName(const std::string& prefix) {
    return prefix + std::to_string(ownId());
}

bool ownerGone(const std::string& name, const std::string& prefix) {
    if (name.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    const std::string rest = name.substr(prefix.size());
    const std::size_t digits = rest.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string::npos ||
        (rest[digits] != '-' && rest[digits] != '_')) {
        return true; // made before names carried their owner
    }
    const long owner = std::strtol(rest.c_str(), nullptr, 10);
    return processGone(owner);
}

} // namespace murano::leftovers
