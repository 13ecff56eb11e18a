// Names that carry the id of the process that made them, so that what a killed process left can be
// told from what a running one still uses: `prefix`<pid>-... or `prefix`<pid>_... Plain C++17 for
// Linux and Windows (the book stub is built for both).
#pragma once

#include <string>

namespace murano::leftovers {

// `prefix` followed by this process's id: the start of the name of a file or folder this process
// owns, swept once the process is gone.
std::string ownedName(const std::string& prefix);

// Whether no process with this id runs any more (0 or a negative id never names one).
bool processGone(long id);

// Whether an entry named `prefix`<pid>-... or `prefix`<pid>_... belongs to a process that is gone
// (a name with no owner in it counts as gone). False for names without the prefix.
bool ownerGone(const std::string& name, const std::string& prefix);

} // namespace murano::leftovers
