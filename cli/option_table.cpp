#include "cli/option_table.h"

#include <QColor>

#include <algorithm>

namespace batch {

namespace {

const QStringList kHelpNames = {"--help", "-h"};

using Reader = std::function<QString(CommandLine& line, const QString& value)>;

// A flag: an option without a value.
Reader setting(const std::function<void(CommandLine&)>& set) {
    return [set](CommandLine& line, const QString&) {
        set(line);
        return QString();
    };
}

// A value kept as given, in a field (a QString or an optional one) of one of the line's records.
template <typename Record, typename Field>
Reader kept(Record CommandLine::*record, Field Record::*field) {
    return [record, field](CommandLine& line, const QString& value) {
        line.*record.*field = value;
        return QString();
    };
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

QString takeSpeakerNotes(const QString& value, std::optional<bool>& field) {
    const int choice = QStringList{"private", "publish"}.indexOf(value.trimmed().toLower());
    if (choice < 0) {
        return QStringLiteral("\"%1\" is neither publish nor private").arg(value);
    }
    field = choice == 1;
    return QString();
}

QString takeWork(CommandLine& line, const QString& value) {
    if (value.isEmpty()) {
        return QStringLiteral("name a folder");
    }
    line.work = value;
    return QString();
}

QString takePages(CommandLine& line, const QString& value) {
    line.import.pages = value;
    line.import.customRange = true;
    return QString();
}

OptionRow heading(const QString& text) {
    return {{}, QString(), text, nullptr};
}

std::vector<OptionRow> applyOptions() {
    return {
        heading("Background (one of):"),
        {{"--background"},
         "FILE",
         "an image background",
         kept(&CommandLine::apply, &ApplyOptions::backgroundFile)},
        {{"--color"},
         "COLOUR",
         "a pure colour (#rrggbb or a colour name)",
         [](CommandLine& l, const QString& v) { return takeColor(v, l.apply.pureColor); }},
        {{"--gradient"},
         "FROM,TO",
         "a gradient between two colours",
         [](CommandLine& l, const QString& v) { return takeGradient(v, l.apply); }},
        {{"--position"},
         "POS",
         "how the image sits: center, stretch or tile",
         [](CommandLine& l, const QString& v) { return takePosition(v, l.apply.position); }},
        {{"--angle"},
         "DEGREES",
         "the gradient's angle, 0 to 360",
         [](CommandLine& l, const QString& v) { return takeAngle(v, l.apply.angle); }},
        heading("Logo:"),
        {{"--logo"},
         "FILE",
         "the logo picture",
         kept(&CommandLine::apply, &ApplyOptions::logoFile)},
        {{"--link"},
         "URL",
         "where a click on the logo leads",
         kept(&CommandLine::apply, &ApplyOptions::logoLink)},
        {{"--hide-logo"}, "", "hide the logo", setting([](CommandLine& l) {
             l.apply.logoHidden = true;
         })},
        {{"--show-logo"}, "", "show the logo", setting([](CommandLine& l) {
             l.apply.logoHidden = false;
         })},
        heading("Player buttons:"),
        {{"--hide-buttons"},
         "LIST",
         "share, info, share,info, or none to show both",
         [](CommandLine& l, const QString& v) {
             return takeHiddenButtons(v, l.apply.hiddenButtons);
         }},
        heading("Book information:"),
        {{"--title"},
         "TEXT",
         "the book's title",
         kept(&CommandLine::apply, &ApplyOptions::bookTitle)},
        {{"--author"},
         "NAME",
         "the name the book is shown under",
         kept(&CommandLine::apply, &ApplyOptions::author)},
        {{"--email"},
         "ADDRESS",
         "the author's e-mail address",
         kept(&CommandLine::apply, &ApplyOptions::email)},
        {{"--website"},
         "URL",
         "the author's web site",
         kept(&CommandLine::apply, &ApplyOptions::webSite)},
        {{"--description"},
         "TEXT",
         "what the book is about",
         kept(&CommandLine::apply, &ApplyOptions::description)},
        heading("Reading:"),
        {{"--autoplay"},
         "SECONDS|off",
         "the slideshow plays at open, a slide every SECONDS (1 to 3600)",
         [](CommandLine& l, const QString& v) { return takeAutoplay(v, l.apply.autoplaySeconds); }},
        {{"--direction"},
         "ltr|rtl",
         "the book reads from left to right or from right to left",
         [](CommandLine& l, const QString& v) { return takeDirection(v, l.apply.rightToLeft); }},
        {{"--speaker-notes"},
         "publish|private",
         "published copies (web folder, ZIP, executable, upload) carry the deck's speaker notes, "
         "or keep them private (the default; project files always keep them)",
         [](CommandLine& l, const QString& v) {
             return takeSpeakerNotes(v, l.apply.notesPublished);
         }},
    };
}

// The page head, which publish and upload both take.
template <typename Record> std::vector<OptionRow> pageHeadOptions(Record CommandLine::*record) {
    return {
        {{"--meta-title"}, "TEXT", "the page's title", kept(record, &Record::title)},
        {{"--keywords"}, "TEXT", "the page's keywords", kept(record, &Record::keywords)},
        {{"--description"},
         "TEXT",
         "the page's description\n"
         "(the page head not given is the one last set in the\n"
         "window's HTML Meta Settings)",
         kept(record, &Record::description)},
    };
}

std::vector<OptionRow> withRows(std::vector<OptionRow> rows, const std::vector<OptionRow>& more) {
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
}

std::vector<OptionRow> publishOptions() {
    return withRows(withRows({{{"--output"},
                               "DIR",
                               "the folder to publish into",
                               kept(&CommandLine::publish, &PublishOptions::output)},
                              {{"--name"},
                               "NAME",
                               "the file name without extension (html: index by default)",
                               kept(&CommandLine::publish, &PublishOptions::name)}},
                             pageHeadOptions(&CommandLine::publish)),
                    {{{"--overwrite"},
                      "",
                      "replace what the output would overwrite: NAME.zip, NAME.exe,\n"
                      "or for html the page, player files and wall folders in DIR",
                      setting([](CommandLine& l) { l.publish.overwrite = true; })}});
}

std::vector<OptionRow> uploadOptions() {
    return withRows(
        {{{"--service"},
          "URL",
          "the book service (default: MURANO_BOOK_SERVICE, else\n"
          "http://127.0.0.1:8080/)",
          kept(&CommandLine::upload, &UploadOptions::service)},
         {{"--user"}, "NAME", "the account", kept(&CommandLine::upload, &UploadOptions::user)},
         {{"--book"},
          "NAME",
          "the book's name (letters, digits and _; others become -)",
          kept(&CommandLine::upload, &UploadOptions::book)}},
        pageHeadOptions(&CommandLine::upload));
}

// A whole number from `least` to `most`.
QString takeCount(const QString& value, int least, int most, int& field) {
    bool ok = false;
    const int count = value.trimmed().toInt(&ok);
    if (!ok || count < least || count > most) {
        return QStringLiteral("\"%1\" is not a number from %2 to %3")
            .arg(value)
            .arg(least)
            .arg(most);
    }
    field = count;
    return QString();
}

QString takeOutputKind(const QString& value, PublishMode& mode) {
    const int kind = QStringList{"html", "zip", "exe"}.indexOf(value.trimmed().toLower());
    if (kind < 0) {
        return QStringLiteral("\"%1\" is no output (html, zip or exe)").arg(value);
    }
    mode = static_cast<PublishMode>(kind);
    return QString();
}

// walls takes the look of apply, and of the page head the title and keywords: its --description
// is the book's.
std::vector<OptionRow> wallsOptions() {
    std::vector<OptionRow> own = {
        {{"--output"},
         "DIR",
         "the folder the walls go into: DIR/NAME/ (html), DIR/NAME.zip\n"
         "or DIR/NAME.exe, NAME being the deck's (a suffix when two clash)",
         kept(&CommandLine::publish, &PublishOptions::output)},
        {{"--as"},
         "html|zip|exe",
         "what each wall is published as (default html)",
         [](CommandLine& l, const QString& v) { return takeOutputKind(v, l.publish.mode); }},
        {{"--jobs"},
         "N",
         "decks converted at once, each on a warm office instance of\n"
         "its own (default: the machine's cores, at most 4)",
         [](CommandLine& l, const QString& v) { return takeCount(v, 1, 16, l.walls.jobs); }},
        {{"--report"},
         "FILE",
         "write a JSON report: each deck's status, slides, seconds,\n"
         "output and error",
         kept(&CommandLine::walls, &WallsOptions::report)},
        {{"--overwrite"}, "", "replace walls that exist already", setting([](CommandLine& l) {
             l.publish.overwrite = true;
         })},
        {{"--recycle-after"},
         "N",
         "an office instance is replaced after N conversions (default 50)",
         [](CommandLine& l, const QString& v) {
             return takeCount(v, 1, 100000, l.walls.recycleAfter);
         }},
        {{"--memory-limit"},
         "MB",
         "or once its memory passes MB megabytes (default 1024)",
         [](CommandLine& l, const QString& v) {
             return takeCount(v, 100, 1048576, l.walls.memoryLimitMb);
         }},
        {{"--deck-timeout"},
         "SECONDS",
         "a deck converting for longer has hung its office instance: it is\n"
         "tried once more on a fresh one (default 300)",
         [](CommandLine& l, const QString& v) {
             return takeCount(v, 5, 86400, l.walls.deckTimeoutSeconds);
         }},
        heading("Page head:"),
    };
    for (const OptionRow& row : pageHeadOptions(&CommandLine::publish)) {
        if (row.names.first() != QLatin1String("--description")) {
            own.push_back(row);
        }
    }
    return withRows(own, applyOptions());
}

std::vector<Subcommand> makeSubcommands() {
    return {
        {"import",
         "import DECK [--pages RANGE]",
         "take a presentation's slides into the wall",
         {{"import DECK [--pages RANGE]", ""},
          {"import FILE.pdf [--pages RANGE] [--password-file FILE]", ""}},
         "Turns the slides of a presentation (.ppt, .pptx, .pps, .ppsx, .odp) or the pages of a\n"
         "PDF into the wall's images, replacing the slides it held, and applies the wall's look.",
         24,
         {{{"--pages"},
           "RANGE",
           "only these slides, in this order, e.g. \"1, 5-10, 18\"\n"
           "(at most 4096 pages; slides past the deck's end are skipped)",
           takePages},
          {{"--password-file"},
           "FILE",
           "a protected PDF's password: the first line of FILE",
           kept(&CommandLine::import, &ImportOptions::passwordFile)}}},
        {"apply",
         "apply [OPTIONS]",
         "change the wall's look",
         {{"apply [OPTIONS]", ""}},
         "Changes the wall's look and writes it, as Apply does in the window. What is not\n"
         "given stays as it was.",
         25,
         applyOptions()},
        {"publish",
         "publish html|zip|exe --output DIR",
         "publish the wall",
         {{"publish html|zip|exe --output DIR [OPTIONS]", ""}},
         "Publishes the wall: html writes the page NAME.html with the player and the wall's\n"
         "folders into DIR; zip packs the same into DIR/NAME.zip; exe writes DIR/NAME.exe, a\n"
         "Windows program that shows the wall. DIR is created when missing.",
         25,
         publishOptions()},
        {"project",
         "project save|open FILE",
         "save the wall to a project file, or open one",
         {{"project save FILE [--overwrite]", ""}, {"project open FILE", ""}},
         "save writes the wall into a project file (\".mrnp\" is added to a name without an\n"
         "extension). open replaces the wall's slides, background, logo and index with the\n"
         "project's; a damaged or unsafe project file leaves the wall as it was.",
         25,
         {{{"--overwrite"},
           "",
           "save: replace an existing project file",
           setting([](CommandLine& l) { l.project.overwrite = true; })}}},
        {"upload",
         "upload --user NAME --book NAME",
         "upload the wall to the online book service",
         {{"upload --user NAME --book NAME [OPTIONS] < PASSWORD", ""}},
         "Logs in to the online book service and uploads the wall as the book NAME, as the\n"
         "window's Upload does, showing the size, rate and time left; prints the book's\n"
         "address. The password is read as one line from standard input; on a terminal the\n"
         "one the window remembers for that user is taken.",
         25,
         uploadOptions()},
        {"walls",
         "walls DECK|FOLDER... --output DIR",
         "turn many decks into walls at once",
         {{"walls DECK|FOLDER... --output DIR [--as html|zip|exe] [OPTIONS]", ""}},
         "Turns every deck named, and every deck in the folders named (.ppt, .pptx, .pps,\n"
         ".ppsx, .odp, and PDF files), into a wall of its own with the look the options give,\n"
         "and publishes it into DIR; the user's own wall is not touched. A pool of warm office\n"
         "instances converts several decks at once (PDFs need none); an instance that hangs or\n"
         "dies is replaced and its deck tried once more. A deck that cannot be converted is\n"
         "reported and skipped while the others go on. A wall's book title is its deck's name unless --title is given.\n"
         "Status 0 when every deck made a wall, 1 when some failed.",
         27,
         wallsOptions()},
    };
}

} // namespace

const char* const kProgramSummary = "turn presentations into image walls and publish them";

const char* const kProgramDescription =
    "Without arguments, or given a presentation, murano opens its window. Given a command it\n"
    "works without a window, on the same code as the window: it takes a presentation's slides\n"
    "into the wall, changes the wall's look, publishes the wall as a web folder, a ZIP archive\n"
    "or a Windows program, saves the wall to a project file or opens one, and uploads it to\n"
    "the online book service.";

const char* const kExitStatus =
    "0 done, 1 failed (the wall is left as it was), 2 bad command line.";

const std::vector<OptionRow>& sharedOptions() {
    static const std::vector<OptionRow> rows = {
        {{"--work"},
         "DIR",
         "work on the wall in DIR (made from the template when missing or empty;\n"
         "it keeps its own settings) instead of the user's own wall",
         takeWork},
        {kHelpNames, "", "this help", setting([](CommandLine& l) { l.command = Command::Help; })},
    };
    return rows;
}

bool isHelpOption(const QString& word) {
    return kHelpNames.contains(word);
}

const std::vector<UsageLine>& programUsage() {
    static const std::vector<UsageLine> lines = {{"", "start the window"},
                                                 {"[--work DIR] COMMAND [OPTIONS]", ""}};
    return lines;
}

const std::vector<OptionRow>& programOptions() {
    static const std::vector<OptionRow> rows = [] {
        std::vector<OptionRow> all = sharedOptions();
        all.push_back({{"--version"}, "", "the version", setting([](CommandLine& l) {
                           l.command = Command::Version;
                       })});
        return all;
    }();
    return rows;
}

const std::vector<Subcommand>& subcommands() {
    static const std::vector<Subcommand> all = makeSubcommands();
    return all;
}

const Subcommand* findSubcommand(const QString& word) {
    const std::vector<Subcommand>& all = subcommands();
    const auto found = std::find_if(
        all.begin(), all.end(), [&](const Subcommand& command) { return command.word == word; });
    return found == all.end() ? nullptr : &*found;
}

const OptionRow* findOption(const std::vector<OptionRow>& rows, const QString& name) {
    const auto found = std::find_if(rows.begin(), rows.end(),
                                    [&](const OptionRow& row) { return row.names.contains(name); });
    return found == rows.end() ? nullptr : &*found;
}

} // namespace batch
