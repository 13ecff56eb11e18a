// The export session answers as it does when the presentation application cannot be created,
// until the office automation layer is built in. With no instance started, there is none to end.
#include "backends.h"
#include "console.h"

int ExportSession(const std::string&, const std::string&, int, std::vector<std::string>& files) {
    files.clear();
    Message("Can't create an instance for PowerPoint.Application.\n");
    return -1;
}

void PresentationKiller() {}
