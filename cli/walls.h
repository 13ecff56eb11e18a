// murano walls: many decks into walls in one process. Every deck gets a scratch wall of its own,
// is imported there on a warm office instance lent by a pool, gets the look the command line
// gives, and is published into the output folder; the scratch wall then goes. The user's own wall
// is not touched. A deck whose conversion failed for a reason other than the deck itself (its
// instance hung, died or could not start) is tried once more on a fresh instance; a damaged deck,
// or one failing twice, is reported and skipped while the others go on.
#pragma once

#include "cli/command_line.h"
#include "cli/progress.h"

#include <vector>

namespace batch {

// A deck of a run and the name its wall is published under.
struct WallsDeck {
    QString deck; // absolute path
    QString name;
};

// The decks named and those in the folders named (presentations only, in name order), each once,
// named after the deck's base name, with "-2", "-3"... for a name an earlier deck has (names are
// compared without regard to case, as a folder on another system might). What names no
// presentation is added to `problems`.
std::vector<WallsDeck> gatherDecks(const QStringList& inputs, QStringList& problems);

// Runs the walls command; returns the process status: 0 when every deck made a wall, 1 when some
// failed (the others are written), 128 + n when signal n stopped the run.
int runWalls(const CommandLine& line, Progress& progress);

} // namespace batch
