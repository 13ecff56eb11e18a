// murano's command line without a window: the subcommands a batch run understands, each read into
// a record of its own. Nothing here runs anything; batch.h does.
#pragma once

#include "publish/publish_output.h"
#include "wall/wall_look.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace batch {

// The process status of a batch run.
enum ExitStatus : int {
    kSuccess = 0,
    kFailure = 1,   // the work could not be done; the wall is as it was
    kUsageError = 2 // unknown option, bad value, missing argument: nothing was done
};

enum class Command {
    Help,
    Version,
    Import,
    Apply,
    Publish,
    ProjectSave,
    ProjectOpen,
    Upload,
    Walls
};

// murano import DECK [--pages RANGE]
struct ImportOptions {
    QString deck;
    bool customRange = false; // --pages given; otherwise all pages
    QString pages;            // the custom range as typed
    QStringList chooesPage;   // the range's page entries, as the import dialog parses them
    QString passwordFile;     // a PDF's password: the first line of this file
};

// murano apply [look options]: each option given replaces that part of the wall's look; the rest
// stays as the settings file has it.
struct ApplyOptions {
    std::optional<QString> backgroundFile; // an image background
    std::optional<int> position;           // 0 center, 1 stretch, 2 tile
    std::optional<QString> pureColor;      // a pure-colour background, "#rrggbb"
    std::optional<QString> gradientStart;  // a gradient background, with gradientEnd
    std::optional<QString> gradientEnd;
    std::optional<QString> angle;
    std::optional<QString> logoFile;
    std::optional<bool> logoHidden;
    std::optional<QString> logoLink;
    std::optional<HiddenButtons> hiddenButtons;
    std::optional<QString> bookTitle;
    std::optional<QString> author; // the book's display name
    std::optional<QString> email;
    std::optional<QString> webSite;
    std::optional<QString> description;
    std::optional<int> autoplaySeconds; // 0: off
    std::optional<bool> rightToLeft;
    std::optional<bool> notesPublished; // published copies keep the speaker notes

    // The look with these options applied over it.
    WallLook appliedTo(WallLook look) const;
    // The picture files named, to be checked before anything is written.
    QStringList pictures() const;
};

// murano publish html|zip|exe --output DIR [--name NAME] [page head options] [--overwrite]
struct PublishOptions {
    PublishMode mode = PublishMode::Html;
    QString output;
    QString name;
    std::optional<QString>
        title; // the page head; what is not given comes from the remembered values
    std::optional<QString> keywords;
    std::optional<QString> description;
    bool overwrite = false;

    // The book with the given page head over the remembered one, named after the output.
    BookOptions bookOver(BookOptions remembered) const;
};

// murano project save FILE [--overwrite] | murano project open FILE
struct ProjectOptions {
    QString file;
    bool overwrite = false;
};

// murano upload --service URL --user NAME --book NAME [page head options]; the password comes on
// standard input, or from the login the window remembers for that user.
struct UploadOptions {
    QString service; // the book service's address; empty: the configured one
    QString user;
    QString book;
    std::optional<QString> title; // the page head; what is not given comes from the remembered
    std::optional<QString> keywords;
    std::optional<QString> description;

    // The page head over the remembered one.
    HtmlMeta metaOver(HtmlMeta remembered) const;
};

// murano walls DECK|FOLDER... --output DIR [--as html|zip|exe] [--jobs N] [--report FILE] [apply
// options] [page head options] [--overwrite]: every deck becomes a wall of its own, published into
// DIR. The look comes from the line's ApplyOptions, the output, its kind, the page head and
// --overwrite from its PublishOptions (the name is each deck's own).
struct WallsOptions {
    QStringList inputs; // decks and folders of decks, as given
    int jobs = 0;       // decks converted at once; 0: as many as the machine has cores, at most 4
    QString report;     // the JSON report's file; empty: none
    int recycleAfter = 50;        // conversions an office instance serves before it is replaced
    int memoryLimitMb = 1024;     // resident memory past which an office instance is replaced
    int deckTimeoutSeconds = 300; // a deck's conversion taking longer counts as a hang
};

struct CommandLine {
    Command command = Command::Help;
    QString work;  // --work DIR; empty: the user's own wall
    QString topic; // the subcommand the line is about ("" for murano itself)
    QString error; // a usage error; the command is then not run
    ImportOptions import;
    ApplyOptions apply;
    PublishOptions publish;
    ProjectOptions project;
    UploadOptions upload;
    WallsOptions walls;
};

// Whether the arguments (without the program's name) ask for a batch run: the first one is a
// subcommand, --work, --help, -h or --version. Anything else starts the window.
bool isBatchCommandLine(const QStringList& arguments);

CommandLine parseCommandLine(const QStringList& arguments);

// The help of a subcommand ("import", "apply", "publish", "project"), or of murano for "".
QString usageText(const QString& topic);

// murano's manual page in groff's man format: the same options and texts as the help.
QString manPage();

} // namespace batch
