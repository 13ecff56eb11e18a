// murano's command line as data: for murano itself and for each subcommand, the options with the
// reader that takes each one's value and the text that explains it. The parser (command_line.cpp),
// the help and the manual page (help_text.cpp) are all made from these tables, so an option is
// added by adding its row.
#pragma once

#include "cli/command_line.h"

#include <functional>
#include <vector>

namespace batch {

// One row of an option table. A row without names is a heading that groups the rows below it.
struct OptionRow {
    QStringList names; // the spellings, the first one the main one: {"--help", "-h"}
    QString valueName; // what follows the option ("RANGE"); empty for a flag
    QString help;      // as the terminal shows it: lines broken with "\n"
    std::function<QString(CommandLine& line, const QString& value)> take; // "" or the problem

    bool isHeading() const { return names.isEmpty(); }
    bool takesValue() const { return !valueName.isEmpty(); }
};

// One line of a synopsis, after "murano", with what it does when the line says it.
struct UsageLine {
    QString words;
    QString note;
};

struct Subcommand {
    QString word;                 // "import"
    QString synopsis;             // in murano's list of commands
    QString summary;              // beside the synopsis there
    std::vector<UsageLine> usage; // after "murano [--work DIR] "
    QString description;          // lines broken with "\n"
    int helpColumn;               // where the options' help starts in the terminal
    std::vector<OptionRow> options;
};

// The options every line takes before and after a subcommand: --work and --help.
const std::vector<OptionRow>& sharedOptions();

// Whether `word` is one of the spellings of --help.
bool isHelpOption(const QString& word);

// murano's own page: its usage, its options (the shared ones and --version), its exit status.
const std::vector<UsageLine>& programUsage();
const std::vector<OptionRow>& programOptions();
constexpr int kProgramHelpColumn = 16;
extern const char* const kProgramSummary;
extern const char* const kProgramDescription;
extern const char* const kExitStatus;

// The subcommands in the order the help lists them.
const std::vector<Subcommand>& subcommands();

// The subcommand called `word`, or nullptr.
const Subcommand* findSubcommand(const QString& word);

// The row of `rows` one of whose names is `name`, or nullptr.
const OptionRow* findOption(const std::vector<OptionRow>& rows, const QString& name);

} // namespace batch
