// Running the built lantrel as a process, each run in its own sandbox, and looking for the office
// processes it may have left behind.
#pragma once

#include <string>
#include <vector>

struct LantrelRun {
    int status = -1; // the exit status (0-255), or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs lantrel with `arguments`; its XDG_RUNTIME_DIR and TMPDIR (where the office profiles go)
// and XDG_STATE_HOME
// (the converter's temporary names) point into `sandbox`, so what it leaves is found there.
// `environment` entries ("NAME=value") replace the inherited ones.
LantrelRun runLantrel(const std::vector<std::string>& arguments, const std::string& sandbox,
                      const std::vector<std::string>& environment = {});

// Process ids of live (not zombie) processes whose command line contains `text`.
std::vector<int> processesMentioning(const std::string& text);

// The lines of a converter's output, each of which must end in CR LF; a line that does not is
// reported as a test failure.
std::vector<std::string> crLfLines(const std::string& output);

// The path of a generated test deck.
std::string deckPath(const std::string& name);

// Names in a folder (without . and ..), sorted.
std::vector<std::string> folderEntries(const std::string& folder);

// What a shell command writes on its standard output.
std::string commandOutput(const std::string& command);
