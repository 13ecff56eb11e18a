#include "app/batch/command_line.h"

#include "import/import_checks.h"

#include <QColor>

#include <algorithm>
#include <functional>
#include <vector>

namespace batch {

namespace {

const QStringList kCommands = {"import", "apply", "publish", "project"};

// One option of a subcommand: its name, whether a value follows it, and what it does with the
// value. take() answers "" or the usage error.
struct Option {
    QString name;
    bool takesValue;
    std::function<QString(const QString& value)> take;
};

QString optionError(const QString& option, const QString& problem) {
    return QStringLiteral("%1: %2").arg(option, problem);
}

// A flag: an option without a value.
Option flag(const QString& name, const std::function<void()>& set) {
    return {name, false, [set](const QString&) {
                set();
                return QString();
            }};
}

// An option whose value is kept as given (in a QString or an optional one).
template <typename Field> Option text(const QString& name, Field& field) {
    return {name, true, [&field](const QString& value) {
                field = value;
                return QString();
            }};
}

// "#rrggbb" for a colour name the toolkit knows ("#2a9df4", "#fff", "navy"), else "".
QString colorName(const QString& value) {
    const QColor color = QColor::fromString(value.trimmed());
    return color.isValid() ? color.name() : QString();
}

QString takeColor(const QString& value, std::optional<QString>& field) {
    const QString name = colorName(value);
    if (name.isEmpty()) {
        return QStringLiteral("\"%1\" is not a colour (use #rrggbb or a colour name)").arg(value);
    }
    field = name;
    return QString();
}

QString takeGradient(const QString& value, ApplyOptions& apply) {
    const QStringList colors = value.split(',');
    if (colors.size() != 2) {
        return QStringLiteral("\"%1\" is not two colours separated by a comma").arg(value);
    }
    if (QString problem = takeColor(colors.at(0), apply.gradientStart); !problem.isEmpty()) {
        return problem;
    }
    return takeColor(colors.at(1), apply.gradientEnd);
}

QString takeAngle(const QString& value, std::optional<QString>& field) {
    bool number = false;
    const int angle = value.trimmed().toInt(&number);
    if (!number || angle < 0 || angle > 360) {
        return QStringLiteral("\"%1\" is not an angle from 0 to 360").arg(value);
    }
    field = QString::number(angle);
    return QString();
}

QString takePosition(const QString& value, std::optional<int>& field) {
    const int index = QStringList{"center", "stretch", "tile"}.indexOf(value.trimmed().toLower());
    if (index < 0) {
        return QStringLiteral("\"%1\" is not a position (center, stretch or tile)").arg(value);
    }
    field = index;
    return QString();
}

// "share", "info", "share,info" or "none": the buttons named are hidden, the others shown.
QString takeHiddenButtons(const QString& value, std::optional<HiddenButtons>& field) {
    HiddenButtons hidden;
    if (value.trimmed() != QLatin1String("none")) {
        for (const QString& name : value.split(',')) {
            const QString button = name.trimmed().toLower();
            if (button == QLatin1String("share")) {
                hidden.share = true;
            } else if (button == QLatin1String("info")) {
                hidden.info = true;
            } else {
                return QStringLiteral("\"%1\" is no button that can be hidden (share, info; or "
                                      "none)")
                    .arg(name.trimmed());
            }
        }
    }
    field = hidden;
    return QString();
}

QString takeAutoplay(const QString& value, std::optional<int>& field) {
    if (value.trimmed() == QLatin1String("off")) {
        field = 0;
        return QString();
    }
    bool ok = false;
    const int seconds = value.trimmed().toInt(&ok);
    if (!ok || seconds < 1 || seconds > kMaxAutoplaySeconds) {
        return QStringLiteral("\"%1\" is neither a number of seconds from 1 to %2 nor off")
            .arg(value)
            .arg(kMaxAutoplaySeconds);
    }
    field = seconds;
    return QString();
}

QString takeDirection(const QString& value, std::optional<bool>& field) {
    const int direction = QStringList{"ltr", "rtl"}.indexOf(value.trimmed().toLower());
    if (direction < 0) {
        return QStringLiteral("\"%1\" is no reading direction (ltr or rtl)").arg(value);
    }
    field = direction == 1;
    return QString();
}

QString takeWork(const QString& value, CommandLine& line) {
    if (value.isEmpty()) {
        return QStringLiteral("name a folder");
    }
    line.work = value;
    return QString();
}

std::vector<Option> importOptions(CommandLine& line) {
    return {{"--pages", true, [&line](const QString& value) {
                 line.import.pages = value;
                 line.import.customRange = true;
                 return QString();
             }}};
}

std::vector<Option> applyOptions(CommandLine& line) {
    ApplyOptions& a = line.apply;
    return {
        text("--background", a.backgroundFile),
        {"--position", true, [&a](const QString& v) { return takePosition(v, a.position); }},
        {"--color", true, [&a](const QString& v) { return takeColor(v, a.pureColor); }},
        {"--gradient", true, [&a](const QString& v) { return takeGradient(v, a); }},
        {"--angle", true, [&a](const QString& v) { return takeAngle(v, a.angle); }},
        text("--logo", a.logoFile),
        flag("--hide-logo", [&a] { a.logoHidden = true; }),
        flag("--show-logo", [&a] { a.logoHidden = false; }),
        text("--link", a.logoLink),
        {"--hide-buttons", true,
         [&a](const QString& v) { return takeHiddenButtons(v, a.hiddenButtons); }},
        text("--title", a.bookTitle),
        text("--author", a.author),
        text("--email", a.email),
        text("--website", a.webSite),
        text("--description", a.description),
        {"--autoplay", true, [&a](const QString& v) { return takeAutoplay(v, a.autoplaySeconds); }},
        {"--direction", true, [&a](const QString& v) { return takeDirection(v, a.rightToLeft); }},
    };
}

std::vector<Option> publishOptions(CommandLine& line) {
    PublishOptions& p = line.publish;
    return {
        text("--output", p.output),           text("--name", p.name),
        text("--meta-title", p.title),        text("--keywords", p.keywords),
        text("--description", p.description), flag("--overwrite", [&p] { p.overwrite = true; }),
    };
}

std::vector<Option> projectOptions(CommandLine& line) {
    if (line.command == Command::ProjectOpen) {
        return {};
    }
    return {flag("--overwrite", [&line] { line.project.overwrite = true; })};
}

// Reads the options and plain arguments that follow the subcommand. "--name value" and
// "--name=value" are both understood; "--" ends the options. Returns the usage error or "".
QString readArguments(QStringList arguments, std::vector<Option> options, CommandLine& line,
                      QStringList& plain) {
    options.push_back(
        {"--work", true, [&line](const QString& value) { return takeWork(value, line); }});
    bool optionsEnded = false;
    while (!arguments.isEmpty()) {
        QString argument = arguments.takeFirst();
        if (optionsEnded || !argument.startsWith('-') || argument == QLatin1String("-")) {
            plain << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.command = Command::Help;
            return QString();
        }
        QString value;
        const int equals = argument.indexOf('=');
        const bool inlineValue = argument.startsWith(QLatin1String("--")) && equals > 0;
        if (inlineValue) {
            value = argument.mid(equals + 1);
            argument.truncate(equals);
        }
        const auto option = std::find_if(options.begin(), options.end(),
                                         [&](const Option& o) { return o.name == argument; });
        if (option == options.end()) {
            return QStringLiteral("unknown option \"%1\"").arg(argument);
        }
        if (option->takesValue && !inlineValue) {
            if (arguments.isEmpty()) {
                return optionError(argument, QStringLiteral("a value is missing"));
            }
            value = arguments.takeFirst();
        } else if (!option->takesValue && inlineValue) {
            return optionError(argument, QStringLiteral("takes no value"));
        }
        if (const QString problem = option->take(value); !problem.isEmpty()) {
            return optionError(argument, problem);
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

QString checkProject(CommandLine& line, const QStringList& plain) {
    if (plain.size() != 1) {
        return QStringLiteral("name one project file");
    }
    line.project.file = plain.first();
    return QString();
}

// Reads the words that pick the subcommand ("publish zip", "project save") into the line and
// returns the options to read after them, or sets a usage error.
std::vector<Option> selectCommand(QStringList& arguments, CommandLine& line) {
    line.topic = arguments.takeFirst();
    if (line.topic == QLatin1String("import")) {
        line.command = Command::Import;
        return importOptions(line);
    }
    if (line.topic == QLatin1String("apply")) {
        line.command = Command::Apply;
        return applyOptions(line);
    }
    const QString kind = arguments.isEmpty() ? QString() : arguments.first();
    if (kind == QLatin1String("--help") || kind == QLatin1String("-h")) {
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
        return publishOptions(line);
    }
    if (kind != QLatin1String("save") && kind != QLatin1String("open")) {
        line.error = kind.isEmpty() ? QStringLiteral("choose save or open")
                                    : QStringLiteral("\"%1\" is neither save nor open").arg(kind);
        return {};
    }
    arguments.removeFirst();
    line.command = kind == QLatin1String("save") ? Command::ProjectSave : Command::ProjectOpen;
    return projectOptions(line);
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
    case Command::Help:
    case Command::Version:
        break;
    }
    return QString();
}

// The options murano itself takes before a subcommand. Returns false when the line is complete.
bool readLeadingOptions(QStringList& arguments, CommandLine& line) {
    while (!arguments.isEmpty() && arguments.first().startsWith('-')) {
        const QString argument = arguments.takeFirst();
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.command = Command::Help;
            return false;
        }
        if (argument == QLatin1String("--version")) {
            line.command = Command::Version;
            return false;
        }
        QString problem = QStringLiteral("unknown option \"%1\"").arg(argument);
        if (argument.startsWith(QLatin1String("--work="))) {
            problem = takeWork(argument.mid(7), line);
        } else if (argument == QLatin1String("--work")) {
            problem = arguments.isEmpty() ? QStringLiteral("a value is missing")
                                          : takeWork(arguments.takeFirst(), line);
        }
        if (!problem.isEmpty()) {
            line.error = argument.startsWith(QLatin1String("--work"))
                             ? optionError(QStringLiteral("--work"), problem)
                             : problem;
            return false;
        }
    }
    return true;
}

} // namespace

bool isBatchCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        return false;
    }
    const QString first = arguments.first();
    // Every long option is the command line's (an unknown one is reported there); the toolkit's
    // own options take one dash and stay with the window.
    return kCommands.contains(first) || first.startsWith(QLatin1String("--")) ||
           first == QLatin1String("-h");
}

CommandLine parseCommandLine(const QStringList& given) {
    CommandLine line;
    QStringList arguments = given;
    if (!readLeadingOptions(arguments, line)) {
        return line;
    }
    if (arguments.isEmpty()) {
        line.error = QStringLiteral("name a command: %1").arg(kCommands.join(", "));
        return line;
    }
    if (!kCommands.contains(arguments.first())) {
        line.error = QStringLiteral("unknown command \"%1\"").arg(arguments.first());
        return line;
    }
    const std::vector<Option> options = selectCommand(arguments, line);
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

BookOptions PublishOptions::bookOver(BookOptions remembered) const {
    remembered.pageName = name;
    remembered.meta.title = title.value_or(remembered.meta.title);
    remembered.meta.keywords = keywords.value_or(remembered.meta.keywords);
    remembered.meta.description = description.value_or(remembered.meta.description);
    remembered.layout = BookLayout::Web;
    return remembered;
}

} // namespace batch

namespace batch {

QString usageText(const QString& topic) {
    if (topic == QLatin1String("import")) {
        return QStringLiteral(
            "Usage: murano [--work DIR] import DECK [--pages RANGE]\n"
            "\n"
            "Turns the slides of a presentation (.ppt, .pptx, .pps, .ppsx, .odp) into the wall's\n"
            "images, replacing the slides it held, and applies the wall's look.\n"
            "\n"
            "  --pages RANGE   only these slides, in this order, e.g. \"1, 5-10, 18\"\n"
            "                  (at most 4096 pages; slides past the deck's end are skipped)\n");
    }
    if (topic == QLatin1String("apply")) {
        return QStringLiteral(
            "Usage: murano [--work DIR] apply [OPTIONS]\n"
            "\n"
            "Changes the wall's look and writes it, as Apply does in the window. What is not\n"
            "given stays as it was.\n"
            "\n"
            "Background (one of):\n"
            "  --background FILE      an image background\n"
            "  --color COLOUR         a pure colour (#rrggbb or a colour name)\n"
            "  --gradient FROM,TO     a gradient between two colours\n"
            "  --position POS         how the image sits: center, stretch or tile\n"
            "  --angle DEGREES        the gradient's angle, 0 to 360\n"
            "Logo:\n"
            "  --logo FILE            the logo picture\n"
            "  --link URL             where a click on the logo leads\n"
            "  --hide-logo, --show-logo\n"
            "Player buttons:\n"
            "  --hide-buttons LIST    share, info, share,info, or none to show both\n"
            "Book information:\n"
            "  --title TEXT  --author NAME  --email ADDRESS  --website URL  --description TEXT\n"
            "Reading:\n"
            "  --autoplay SECONDS|off the slideshow plays at open, a slide every SECONDS (1 to "
            "3600)\n"
            "  --direction ltr|rtl    the book reads from left to right or from right to left\n");
    }
    if (topic == QLatin1String("publish")) {
        return QStringLiteral(
            "Usage: murano [--work DIR] publish html|zip|exe --output DIR [OPTIONS]\n"
            "\n"
            "Publishes the wall: html writes the page NAME.html with the player and the wall's\n"
            "folders into DIR; zip packs the same into DIR/NAME.zip; exe writes DIR/NAME.exe, a\n"
            "Windows program that shows the wall. DIR is created when missing.\n"
            "\n"
            "  --output DIR           the folder to publish into\n"
            "  --name NAME            the file name without extension (html: index by default)\n"
            "  --meta-title TEXT      the page's title\n"
            "  --keywords TEXT        the page's keywords\n"
            "  --description TEXT     the page's description\n"
            "                         (the page head not given is the one last set in the\n"
            "                         window's HTML Meta Settings)\n"
            "  --overwrite            replace an existing NAME.html, NAME.zip or NAME.exe\n");
    }
    if (topic == QLatin1String("project")) {
        return QStringLiteral(
            "Usage: murano [--work DIR] project save FILE [--overwrite]\n"
            "       murano [--work DIR] project open FILE\n"
            "\n"
            "save writes the wall into a project file (\".mrnp\" is added to a name without an\n"
            "extension); --overwrite replaces an existing file. open replaces the wall's slides,\n"
            "background, logo and index with the project's; a damaged or unsafe project file\n"
            "leaves the wall as it was.\n");
    }
    return QStringLiteral(
        "Usage: murano                          start the window\n"
        "       murano [--work DIR] COMMAND [OPTIONS]\n"
        "\n"
        "Commands (murano COMMAND --help tells more):\n"
        "  import DECK [--pages RANGE]          take a presentation's slides into the wall\n"
        "  apply [OPTIONS]                      change the wall's look\n"
        "  publish html|zip|exe --output DIR    publish the wall\n"
        "  project save|open FILE               save the wall to a project file, or open one\n"
        "\n"
        "  --work DIR    work on the wall in DIR (made from the template when missing or empty;\n"
        "                it keeps its own settings) instead of the user's own wall\n"
        "  --help, -h    this help\n"
        "  --version     the version\n"
        "\n"
        "Exit status: 0 done, 1 failed (the wall is left as it was), 2 bad command line.\n");
}

} // namespace batch
