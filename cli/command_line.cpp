#include "cli/command_line.h"

#include "cli/option_table.h"
#include "import/import_checks.h"
#include "import/pdf_import_job.h"
#include "share/book_service.h"

namespace batch {

namespace {

QString optionError(const QString& option, const QString& problem) {
    return QStringLiteral("%1: %2").arg(option, problem);
}

// Reads one option, `argument`, of the table `rows`, and its value from the front of `arguments`
// when it takes one. "--name value" and "--name=value" are both understood. Returns the usage
// error or ""; `read` is the row that was read.
QString readOption(QString argument, QStringList& arguments, const std::vector<OptionRow>& rows,
                   CommandLine& line, const OptionRow*& read) {
    QString value;
    const int equals = argument.indexOf('=');
    const bool inlineValue = argument.startsWith(QLatin1String("--")) && equals > 0;
    if (inlineValue) {
        value = argument.mid(equals + 1);
        argument.truncate(equals);
    }
    const OptionRow* option = read = findOption(rows, argument);
    if (!option) {
        return QStringLiteral("unknown option \"%1\"").arg(argument);
    }
    if (option->takesValue() && !inlineValue) {
        if (arguments.isEmpty()) {
            return optionError(argument, QStringLiteral("a value is missing"));
        }
        value = arguments.takeFirst();
    } else if (!option->takesValue() && inlineValue) {
        return optionError(argument, QStringLiteral("takes no value"));
    }
    if (const QString problem = option->take(line, value); !problem.isEmpty()) {
        return optionError(argument, problem);
    }
    return QString();
}

// Reads the options and plain arguments that follow the subcommand; "--" ends the options.
// Returns the usage error or "".
QString readArguments(QStringList arguments, const std::vector<OptionRow>& rows, CommandLine& line,
                      QStringList& plain) {
    bool optionsEnded = false;
    while (!arguments.isEmpty()) {
        const QString argument = arguments.takeFirst();
        if (optionsEnded || !argument.startsWith('-') || argument == QLatin1String("-")) {
            plain << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const OptionRow* read = nullptr;
        if (const QString problem = readOption(argument, arguments, rows, line, read);
            !problem.isEmpty() || line.command == Command::Help) {
            return problem;
        }
    }
    return QString();
}

QString checkImport(CommandLine& line, const QStringList& plain) {
    if (plain.size() != 1) {
        return plain.isEmpty() ? QStringLiteral("name the presentation to import")
                               : QStringLiteral("import one presentation at a time");
    }
    line.import.deck = plain.first();
    if (!line.import.passwordFile.isEmpty() && !isPdfFile(line.import.deck)) {
        return optionError(QStringLiteral("--password-file"),
                           QStringLiteral("only a PDF file takes a password"));
    }
    if (!line.import.customRange) {
        return QString();
    }
    if (const QString problem = rangeProblem(line.import.pages, line.import.chooesPage);
        !problem.isEmpty()) {
        return optionError(QStringLiteral("--pages"), problem);
    }
    return QString();
}

QString checkApply(const CommandLine& line, const QStringList& plain) {
    if (!plain.isEmpty()) {
        return QStringLiteral("unexpected argument \"%1\"").arg(plain.first());
    }
    const ApplyOptions& a = line.apply;
    const int backgrounds = int(a.backgroundFile.has_value()) + int(a.pureColor.has_value()) +
                            int(a.gradientStart.has_value());
    if (backgrounds > 1) {
        return QStringLiteral("choose one background: --background, --color or --gradient");
    }
    return QString();
}

QString checkPublish(const CommandLine& line, const QStringList& plain) {
    if (!plain.isEmpty()) {
        return QStringLiteral("unexpected argument \"%1\"").arg(plain.first());
    }
    const PublishOptions& p = line.publish;
    if (p.output.isEmpty()) {
        return QStringLiteral("--output: name the folder to publish into");
    }
    if (const QString problem = outputNameProblem(p.name, p.mode); !problem.isEmpty()) {
        return optionError(QStringLiteral("--name"), problem);
    }
    return QString();
}

QString checkUpload(CommandLine& line, const QStringList& plain) {
    if (!plain.isEmpty()) {
        return QStringLiteral("unexpected argument \"%1\"").arg(plain.first());
    }
    UploadOptions& u = line.upload;
    if (u.user.isEmpty()) {
        return QStringLiteral("--user: name the account to upload with");
    }
    // The service keeps letters, digits and "_" of a book's name; anything else becomes "-".
    u.book = normaliseBookName(u.book.trimmed());
    if (u.book.isEmpty()) {
        return QStringLiteral("--book: name the book");
    }
    if (!u.service.isEmpty() && !u.service.endsWith('/')) {
        u.service += '/';
    }
    return QString();
}

QString checkWalls(CommandLine& line, const QStringList& plain) {
    if (plain.isEmpty()) {
        return QStringLiteral("name the decks or folders of decks");
    }
    line.walls.inputs = plain;
    if (line.publish.output.isEmpty()) {
        return QStringLiteral("--output: name the folder the walls go into");
    }
    return checkApply(line, {});
}

QString checkProject(CommandLine& line, const QStringList& plain) {
    if (plain.size() != 1) {
        return QStringLiteral("name one project file");
    }
    line.project.file = plain.first();
    return QString();
}

// The options a subcommand reads after its words: its own and the shared ones.
std::vector<OptionRow> withSharedOptions(std::vector<OptionRow> rows) {
    const std::vector<OptionRow>& shared = sharedOptions();
    rows.insert(rows.end(), shared.begin(), shared.end());
    return rows;
}

// Reads the words that pick the subcommand ("publish zip", "project save") into the line and
// returns the options to read after them, or sets a usage error.
std::vector<OptionRow> selectCommand(QStringList& arguments, CommandLine& line) {
    line.topic = arguments.takeFirst();
    const std::vector<OptionRow>& own = findSubcommand(line.topic)->options;
    if (line.topic == QLatin1String("import")) {
        line.command = Command::Import;
        return withSharedOptions(own);
    }
    if (line.topic == QLatin1String("apply")) {
        line.command = Command::Apply;
        return withSharedOptions(own);
    }
    if (line.topic == QLatin1String("upload")) {
        line.command = Command::Upload;
        return withSharedOptions(own);
    }
    if (line.topic == QLatin1String("walls")) {
        line.command = Command::Walls;
        return withSharedOptions(own);
    }
    const QString kind = arguments.isEmpty() ? QString() : arguments.first();
    if (isHelpOption(kind)) {
        return {};
    }
    if (line.topic == QLatin1String("publish")) {
        const int mode = QStringList{"html", "zip", "exe"}.indexOf(kind);
        if (mode < 0) {
            line.error = kind.isEmpty()
                             ? QStringLiteral("choose html, zip or exe")
                             : QStringLiteral("\"%1\" is no output (html, zip or exe)").arg(kind);
            return {};
        }
        arguments.removeFirst();
        line.command = Command::Publish;
        line.publish.mode = static_cast<PublishMode>(mode);
        return withSharedOptions(own);
    }
    if (kind != QLatin1String("save") && kind != QLatin1String("open")) {
        line.error = kind.isEmpty() ? QStringLiteral("choose save or open")
                                    : QStringLiteral("\"%1\" is neither save nor open").arg(kind);
        return {};
    }
    arguments.removeFirst();
    const bool save = kind == QLatin1String("save");
    line.command = save ? Command::ProjectSave : Command::ProjectOpen;
    // Only a save can replace a file.
    return withSharedOptions(save ? own : std::vector<OptionRow>());
}

QString checkCommand(CommandLine& line, const QStringList& plain) {
    switch (line.command) {
    case Command::Import:
        return checkImport(line, plain);
    case Command::Apply:
        return checkApply(line, plain);
    case Command::Publish:
        return checkPublish(line, plain);
    case Command::ProjectSave:
    case Command::ProjectOpen:
        return checkProject(line, plain);
    case Command::Upload:
        return checkUpload(line, plain);
    case Command::Walls:
        return checkWalls(line, plain);
    case Command::Help:
    case Command::Version:
        break;
    }
    return QString();
}

// The options murano itself takes before a subcommand. Returns false when the line is complete.
bool readLeadingOptions(QStringList& arguments, CommandLine& line) {
    while (!arguments.isEmpty() && arguments.first().startsWith('-')) {
        const OptionRow* read = nullptr;
        line.error = readOption(arguments.takeFirst(), arguments, programOptions(), line, read);
        // murano's own flags are the requests for help and version, which end the line.
        if (!line.error.isEmpty() || !read->takesValue()) {
            return false;
        }
    }
    return true;
}

// The subcommands' words, as a usage error lists them.
QString commandWords() {
    QStringList words;
    for (const Subcommand& command : subcommands()) {
        words << command.word;
    }
    return words.join(", ");
}

} // namespace

bool isBatchCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        return false;
    }
    const QString first = arguments.first();
    // Every long option is the command line's (an unknown one is reported there); the toolkit's
    // own options take one dash and stay with the window.
    return findSubcommand(first) || first.startsWith(QLatin1String("--")) || isHelpOption(first);
}

CommandLine parseCommandLine(const QStringList& given) {
    CommandLine line;
    QStringList arguments = given;
    if (!readLeadingOptions(arguments, line)) {
        return line;
    }
    if (arguments.isEmpty()) {
        line.error = QStringLiteral("name a command: %1").arg(commandWords());
        return line;
    }
    if (!findSubcommand(arguments.first())) {
        line.error = QStringLiteral("unknown command \"%1\"").arg(arguments.first());
        return line;
    }
    const std::vector<OptionRow> options = selectCommand(arguments, line);
    if (!line.error.isEmpty() || line.command == Command::Help) {
        return line;
    }
    QStringList plain;
    line.error = readArguments(arguments, options, line, plain);
    if (line.error.isEmpty() && line.command != Command::Help) {
        line.error = checkCommand(line, plain);
    }
    return line;
}

WallLook ApplyOptions::appliedTo(WallLook look) const {
    if (backgroundFile) {
        look.backgroundFile = *backgroundFile;
        look.mode = BackgroundMode::Image;
    }
    if (pureColor) {
        look.pureColor = *pureColor;
        look.mode = BackgroundMode::PureColor;
    }
    if (gradientStart && gradientEnd) {
        look.gradientStart = *gradientStart;
        look.gradientEnd = *gradientEnd;
        look.mode = BackgroundMode::Gradient;
    }
    look.position = position.value_or(look.position);
    look.angle = angle.value_or(look.angle);
    look.logoFile = logoFile.value_or(look.logoFile);
    look.logoHidden = logoHidden.value_or(look.logoHidden);
    look.logoLink = logoLink.value_or(look.logoLink);
    if (hiddenButtons) {
        look.setHiddenButtons(*hiddenButtons);
    }
    look.bookTitle = bookTitle.value_or(look.bookTitle);
    look.displayName = author.value_or(look.displayName);
    look.email = email.value_or(look.email);
    look.webSite = webSite.value_or(look.webSite);
    look.description = description.value_or(look.description);
    look.autoplaySeconds = autoplaySeconds.value_or(look.autoplaySeconds);
    look.rightToLeft = rightToLeft.value_or(look.rightToLeft);
    return look;
}

QStringList ApplyOptions::pictures() const {
    QStringList files;
    for (const std::optional<QString>& file : {backgroundFile, logoFile}) {
        if (file) {
            files << *file;
        }
    }
    return files;
}

HtmlMeta UploadOptions::metaOver(HtmlMeta remembered) const {
    remembered.title = title.value_or(remembered.title);
    remembered.keywords = keywords.value_or(remembered.keywords);
    remembered.description = description.value_or(remembered.description);
    return remembered;
}

BookOptions PublishOptions::bookOver(BookOptions remembered) const {
    remembered.pageName = name;
    remembered.meta.title = title.value_or(remembered.meta.title);
    remembered.meta.keywords = keywords.value_or(remembered.meta.keywords);
    remembered.meta.description = description.value_or(remembered.meta.description);
    remembered.layout = BookLayout::Web;
    return remembered;
}

} // namespace batch
