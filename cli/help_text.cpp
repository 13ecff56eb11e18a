// The help screens and the manual page, both made from the option tables.
#include "cli/command_line.h"

#include "cli/option_table.h"
#include "cmake/version.h"
#include "platform/roff/roff.h"

namespace batch {

namespace {

// Where the notes of murano's usage lines and the summaries of its commands start.
constexpr int kCommandColumn = 39;

const char* const kSubcommandPrefix = "murano [--work DIR]";

// `term` with `text` beside it from `column` on; the text's further lines start there too.
QString twoColumns(const QString& term, const QString& text, int column) {
    if (text.isEmpty()) {
        return term + '\n';
    }
    const QString indent(column, ' ');
    QString lines = term.size() + 2 <= column ? term.leftJustified(column) : term + "  ";
    lines += QString(text).replace('\n', '\n' + indent);
    return lines + '\n';
}

QString usageLines(const std::vector<UsageLine>& usage, const QString& program) {
    QString text;
    for (const UsageLine& line : usage) {
        const QString lead = text.isEmpty() ? QStringLiteral("Usage: ") : QString(7, ' ');
        const QString words = line.words.isEmpty() ? program : program + ' ' + line.words;
        text += twoColumns(lead + words, line.note, kCommandColumn);
    }
    return text;
}

QString optionTerm(const OptionRow& row) {
    const QString names = row.names.join(QLatin1String(", "));
    return row.takesValue() ? names + ' ' + row.valueName : names;
}

QString optionLines(const std::vector<OptionRow>& rows, int column) {
    QString text;
    for (const OptionRow& row : rows) {
        text += row.isHeading() ? row.help + '\n'
                                : twoColumns("  " + optionTerm(row), row.help, column);
    }
    return text;
}

QString commandList() {
    QString text = QStringLiteral("Commands (murano COMMAND --help tells more):\n");
    for (const Subcommand& command : subcommands()) {
        text += twoColumns("  " + command.synopsis, command.summary, kCommandColumn);
    }
    return text;
}

QString programHelp() {
    return usageLines(programUsage(), "murano") + '\n' + commandList() + '\n' +
           optionLines(programOptions(), kProgramHelpColumn) + '\n' +
           "Exit status: " + kExitStatus + '\n';
}

QString subcommandHelp(const Subcommand& command) {
    return usageLines(command.usage, kSubcommandPrefix) + '\n' + command.description + "\n\n" +
           optionLines(command.options, command.helpColumn);
}

std::string manSynopsis(const std::vector<UsageLine>& usage, const QString& program) {
    QStringList lines;
    for (const UsageLine& line : usage) {
        lines << (line.words.isEmpty() ? program : program + ' ' + line.words);
    }
    return murano::roff::verbatim(lines.join('\n').toStdString());
}

std::string manOptions(const std::vector<OptionRow>& rows) {
    std::string page;
    for (const OptionRow& row : rows) {
        if (row.isHeading()) {
            page += murano::roff::paragraph(row.help.toStdString());
            continue;
        }
        std::vector<std::string> names;
        for (const QString& name : row.names) {
            names.push_back(name.toStdString());
        }
        page += murano::roff::option(names, row.valueName.toStdString(),
                                     murano::roff::escaped(row.help.toStdString()));
    }
    return page;
}

std::string manCommand(const Subcommand& command) {
    return murano::roff::subsection(command.word.toStdString()) +
           manSynopsis(command.usage, kSubcommandPrefix) +
           murano::roff::paragraph(command.description.toStdString()) + manOptions(command.options);
}

} // namespace

QString usageText(const QString& topic) {
    const Subcommand* command = findSubcommand(topic);
    return command ? subcommandHelp(*command) : programHelp();
}

QString manPage() {
    namespace roff = murano::roff;
    std::string page = roff::header("murano", 1, "Quorvex Murano " MURANO_VERSION) +
                       roff::section("NAME") + "murano \\- " + roff::escaped(kProgramSummary) +
                       "\n" + roff::section("SYNOPSIS") + manSynopsis(programUsage(), "murano") +
                       roff::section("DESCRIPTION") + roff::paragraph(kProgramDescription) +
                       roff::section("OPTIONS") + manOptions(programOptions()) +
                       roff::section("COMMANDS");
    for (const Subcommand& command : subcommands()) {
        page += manCommand(command);
    }
    page += roff::section("EXIT STATUS") + roff::paragraph(kExitStatus);
    return QString::fromStdString(page);
}

} // namespace batch
