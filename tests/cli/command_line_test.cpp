// The batch command line read into its records, its usage errors, and the progress it shows.
#include "cli/command_line.h"
#include "cli/progress.h"
#include "cli/walls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace batch;

namespace {

CommandLine parse(const QStringList& arguments) {
    return parseCommandLine(arguments);
}

} // namespace

TEST(BatchCommandLine, OnlySubcommandsAndOwnOptionsLeaveTheWindow) {
    const struct {
        QStringList arguments;
        bool batch;
    } cases[] = {
        {{}, false},
        {{"/home/u/deck.pptx"}, false}, // a deck opens the window's import
        {{"-style", "fusion"}, false},  // the toolkit's own options
        {{"import", "deck.pptx"}, true},
        {{"publish"}, true},
        {{"--work", "/tmp/w", "apply"}, true},
        {{"--work=/tmp/w"}, true},
        {{"--help"}, true},
        {{"-h"}, true},
        {{"--version"}, true},
        {{"--colour", "red"}, true}, // refused there as an unknown option, not taken for a deck
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isBatchCommandLine(c.arguments), c.batch) << c.arguments.join(' ').toStdString();
    }
}

TEST(BatchCommandLine, ImportReadsTheDeckAndParsesTheRangeAsTheDialogDoes) {
    CommandLine line = parse({"--work", "/tmp/w", "import", "deck.pptx", "--pages", "1, 5-7, 18"});
    ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    EXPECT_EQ(line.command, Command::Import);
    EXPECT_EQ(line.work, "/tmp/w");
    EXPECT_EQ(line.import.deck, "deck.pptx");
    EXPECT_TRUE(line.import.customRange);
    EXPECT_EQ(line.import.chooesPage, (QStringList{"1", "5", "6", "7", " 18"}));

    line = parse({"import", "--pages=3", "deck.pptx", "--work=/w"});
    EXPECT_TRUE(line.error.isEmpty());
    EXPECT_EQ(line.import.chooesPage, QStringList{"3"});
    EXPECT_EQ(line.work, "/w");

    line = parse({"import", "notes.PDF", "--password-file", "pw.txt"});
    EXPECT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    EXPECT_EQ(line.import.passwordFile, "pw.txt");

    line = parse({"import", "--", "-odd name.pptx"});
    EXPECT_EQ(line.import.deck, "-odd name.pptx");
    EXPECT_FALSE(line.import.customRange);
}

TEST(BatchCommandLine, PublishAndProjectPickTheirKind) {
    CommandLine line = parse({"publish", "zip", "--output", "/out", "--name", "week12",
                              "--meta-title", "Week 12", "--keywords", "a, b", "--overwrite"});
    ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    EXPECT_EQ(line.command, Command::Publish);
    EXPECT_EQ(line.publish.mode, PublishMode::Zip);
    EXPECT_EQ(line.publish.output, "/out");
    EXPECT_TRUE(line.publish.overwrite);
    const BookOptions book = line.publish.bookOver({"old", {"Old", "k", "Kept"}, BookLayout::Web});
    EXPECT_EQ(book.pageName, "week12");
    EXPECT_EQ(book.meta.title, "Week 12");
    EXPECT_EQ(book.meta.keywords, "a, b");
    EXPECT_EQ(book.meta.description, "Kept"); // not given: the remembered one

    EXPECT_EQ(parse({"publish", "html", "--output", "/o"}).publish.name, "");
    EXPECT_EQ(parse({"publish", "exe", "--output", "/o", "--name", "b"}).publish.mode,
              PublishMode::Exe);
    line = parse({"project", "save", "w.mrnp", "--overwrite"});
    EXPECT_EQ(line.command, Command::ProjectSave);
    EXPECT_EQ(line.project.file, "w.mrnp");
    EXPECT_TRUE(line.project.overwrite);
    EXPECT_EQ(parse({"project", "open", "w.mrnp"}).command, Command::ProjectOpen);
}

TEST(BatchCommandLine, HelpIsFoundAtEveryLevel) {
    const struct {
        QStringList arguments;
        QString topic;
    } cases[] = {{{"--help"}, ""},
                 {{"--work", "/w", "-h"}, ""},
                 {{"import", "--help"}, "import"},
                 {{"apply", "--color", "red", "-h"}, "apply"},
                 {{"publish", "--help"}, "publish"},
                 {{"publish", "zip", "--help"}, "publish"},
                 {{"project", "-h"}, "project"}};
    for (const auto& c : cases) {
        const CommandLine line = parse(c.arguments);
        EXPECT_EQ(line.command, Command::Help) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(line.error.isEmpty());
        EXPECT_EQ(line.topic, c.topic);
        EXPECT_FALSE(usageText(line.topic).isEmpty());
    }
    EXPECT_EQ(parse({"--version"}).command, Command::Version);
}

TEST(BatchCommandLine, UsageErrorsNameWhatIsWrong) {
    const struct {
        QStringList arguments;
        const char* error;
    } cases[] = {
        {{"--work"}, "--work: a value is missing"},
        {{"--work", ""}, "--work: name a folder"},
        {{"--work", "/w"}, "name a command"},
        {{"--frobnicate"}, "unknown option \"--frobnicate\""},
        {{"--work", "/w", "export"}, "unknown command \"export\""},
        {{"import"}, "name the presentation"},
        {{"import", "a.pptx", "b.pptx"}, "one presentation at a time"},
        {{"import", "a.pptx", "--pages"}, "--pages: a value is missing"},
        {{"import", "a.pptx", "--pages", "10-5"}, "--pages: The page range names no page"},
        {{"import", "a.pptx", "--pages", "4097"}, "more than 4096 pages"},
        {{"import", "a.pptx", "--all"}, "unknown option \"--all\""},
        {{"import", "a.pptx", "--password-file", "pw"}, "--password-file: only a PDF file"},
        {{"apply", "--position", "middle"}, "--position: \"middle\" is not a position"},
        {{"apply", "--color", "#12345"}, "--color: \"#12345\" is not a colour"},
        {{"apply", "--gradient", "red"}, "not two colours"},
        {{"apply", "--angle", "400"}, "not an angle from 0 to 360"},
        {{"apply", "--hide-buttons", "print,share"}, "\"print\" is no button"},
        {{"apply", "--hide-logo=yes"}, "--hide-logo: takes no value"},
        {{"apply", "--color", "red", "--background", "a.jpg"}, "choose one background"},
        {{"apply", "stray"}, "unexpected argument \"stray\""},
        {{"apply", "--autoplay", "0"}, "--autoplay: \"0\" is neither a number of seconds"},
        {{"apply", "--autoplay", "3601"}, "from 1 to 3600 nor off"},
        {{"apply", "--autoplay", "5s"}, "\"5s\" is neither"},
        {{"apply", "--direction", "up"}, "--direction: \"up\" is no reading direction"},
        {{"apply", "--speaker-notes", "yes"}, "--speaker-notes: \"yes\" is neither publish nor"},
        {{"publish"}, "choose html, zip or exe"},
        {{"publish", "pdf"}, "\"pdf\" is no output"},
        {{"publish", "html"}, "--output: name the folder"},
        {{"publish", "zip", "--output", "/o"}, "--name: Name the ZIP file"},
        {{"publish", "exe", "--output", "/o", "--name", "../x"}, "cannot be a file name"},
        {{"project", "close", "w.mrnp"}, "neither save nor open"},
        {{"project", "save"}, "name one project file"},
        {{"project", "open", "w.mrnp", "--overwrite"}, "unknown option \"--overwrite\""},
        {{"walls", "--output", "/o"}, "name the decks or folders"},
        {{"walls", "decks"}, "--output: name the folder the walls go into"},
        {{"walls", "d", "--output", "/o", "--as", "pdf"}, "--as: \"pdf\" is no output"},
        {{"walls", "d", "--output", "/o", "--jobs", "0"}, "--jobs: \"0\" is not a number from 1"},
        {{"walls", "d", "--output", "/o", "--memory-limit", "lots"}, "\"lots\" is not a number"},
        {{"walls", "d", "--output", "/o", "--color", "red", "--gradient", "red,blue"},
         "choose one background"},
    };
    for (const auto& c : cases) {
        const CommandLine line = parse(c.arguments);
        EXPECT_TRUE(line.error.contains(QLatin1String(c.error)))
            << c.arguments.join(' ').toStdString() << " gave: " << line.error.toStdString();
    }
}

TEST(BatchCommandLine, WallsTakesDecksTheLookAndThePublishOptions) {
    const QString words = "walls a.pptx decks --output /o --as zip --jobs 3 --report r.json "
                          "--title T --meta-title M --recycle-after 7 --memory-limit 700 "
                          "--deck-timeout 30 --overwrite";
    const CommandLine line = parse(words.split(' '));
    ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    EXPECT_EQ(line.command, Command::Walls);
    EXPECT_EQ(line.walls.inputs, (QStringList{"a.pptx", "decks"}));
    EXPECT_EQ(line.publish.output, "/o");
    EXPECT_EQ(line.publish.mode, PublishMode::Zip);
    EXPECT_TRUE(line.publish.overwrite);
    EXPECT_EQ(line.publish.title, "M");
    EXPECT_EQ(line.apply.bookTitle, "T");
    EXPECT_EQ(line.walls.jobs, 3);
    EXPECT_EQ(line.walls.report, "r.json");
    EXPECT_EQ(line.walls.recycleAfter, 7);
    EXPECT_EQ(line.walls.memoryLimitMb, 700);
    EXPECT_EQ(line.walls.deckTimeoutSeconds, 30);
    EXPECT_EQ(parse({"walls", "d", "--output", "/o"}).publish.mode, PublishMode::Html);
}

// Folders give their presentations in name order, each deck once; a name an earlier deck has
// (whatever its case) gets the next free suffix; what names no presentation is a problem.
TEST(BatchWalls, DecksAreGatheredOnceAndClashingNamesGetASuffix) {
    QTemporaryDir dir;
    for (const char* name : {"b.pptx", "a.odp", "Talk.ppt", "notes.txt", "..pptx"}) {
        QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
    }
    QDir().mkpath(dir.filePath("more"));
    QDir().mkpath(dir.filePath("empty"));
    QFile(dir.filePath("more/talk.pptx")).open(QIODevice::WriteOnly);
    QFile(dir.filePath("more/a.pptx")).open(QIODevice::WriteOnly);
    QStringList problems;
    const std::vector<WallsDeck> decks = gatherDecks(
        {dir.path(), dir.filePath("more"), dir.filePath("b.pptx"), dir.filePath("notes.txt"),
         dir.filePath("gone.pptx"), dir.filePath("empty"), dir.filePath("..pptx")},
        problems);
    QStringList names;
    for (const WallsDeck& deck : decks) {
        names << QFileInfo(deck.deck).fileName() + "=" + deck.name;
    }
    EXPECT_EQ(names, (QStringList{"a.odp=a", "b.pptx=b", "Talk.ppt=Talk", "a.pptx=a-2",
                                  "talk.pptx=talk-2", "..pptx=deck"}));
    ASSERT_EQ(problems.size(), 3) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems.at(0).contains("is no presentation"));
    EXPECT_TRUE(problems.at(1).contains("does not exist"));
    EXPECT_TRUE(problems.at(2).contains("holds no presentation"));
}

TEST(BatchCommandLine, ApplyChangesOnlyWhatIsGiven) {
    WallLook before;
    before.backgroundFile = "/old/bg.jpg";
    before.mode = BackgroundMode::Image;
    before.position = 2;
    before.logoLink = "https://old.example/";
    before.bookTitle = "Old";
    before.displayName = "Someone";
    before.infoHidden = true;

    CommandLine line =
        parse({"apply", "--color", "#2A9DF4", "--title", "Week 12", "--hide-buttons", "share"});
    ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    WallLook after = line.apply.appliedTo(before);
    EXPECT_EQ(after.mode, BackgroundMode::PureColor);
    EXPECT_EQ(after.pureColor, "#2a9df4");
    EXPECT_EQ(after.backgroundFile, "/old/bg.jpg");
    EXPECT_EQ(after.position, 2);
    EXPECT_EQ(after.bookTitle, "Week 12");
    EXPECT_EQ(after.displayName, "Someone");
    EXPECT_EQ(after.logoLink, "https://old.example/");
    EXPECT_TRUE(after.shareHidden);
    EXPECT_FALSE(after.infoHidden); // the list names every hidden button

    line = parse({"apply", "--background", "sky.jpg", "--position", "Stretch", "--logo", "l.png",
                  "--link", "", "--author", "Ann", "--gradient", "navy,#fff", "--angle", "45"});
    EXPECT_TRUE(line.error.contains("choose one background"));
    line = parse({"apply", "--gradient", "navy,#fff", "--angle", "45", "--hide-logo", "--link", "",
                  "--author", "Ann", "--hide-buttons", "none"});
    ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    after = line.apply.appliedTo(before);
    EXPECT_EQ(after.mode, BackgroundMode::Gradient);
    EXPECT_EQ(after.gradientStart, "#000080");
    EXPECT_EQ(after.gradientEnd, "#ffffff");
    EXPECT_EQ(after.angle, "45");
    EXPECT_TRUE(after.logoHidden);
    EXPECT_EQ(after.logoLink, "");
    EXPECT_EQ(after.displayName, "Ann");
    EXPECT_FALSE(after.infoHidden);
    EXPECT_FALSE(after.shareHidden);
    EXPECT_EQ(after.autoplaySeconds, 0);
    EXPECT_FALSE(after.rightToLeft);

    // The slideshow and the reading direction, set and set back.
    line = parse({"apply", "--autoplay", "8", "--direction=RTL"});
    ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    after = line.apply.appliedTo(before);
    EXPECT_EQ(after.autoplaySeconds, 8);
    EXPECT_TRUE(after.rightToLeft);
    EXPECT_FALSE(line.apply.notesPublished);
    for (const auto& [word, published] : {std::pair{"publish", true}, {"PRIVATE", false}}) {
        line = parse({"apply", "--speaker-notes", word});
        ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
        EXPECT_EQ(line.apply.notesPublished, published);
    }
    line = parse({"apply", "--autoplay", "off", "--direction", "ltr"});
    ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    after = line.apply.appliedTo(after);
    EXPECT_EQ(after.autoplaySeconds, 0);
    EXPECT_FALSE(after.rightToLeft);
    WallLook playing;
    playing.autoplaySeconds = 5;
    after = parse({"apply", "--title", "x"}).apply.appliedTo(playing);
    EXPECT_EQ(after.autoplaySeconds, 5) << "what is not given stays";
}

namespace {

// The options a help text lists, each as "SPELLINGS VALUE" ("--help, -h", "--pages RANGE").
QStringList helpTerms(const QString& help) {
    QStringList terms;
    for (const QString& line : help.split('\n')) {
        if (line.startsWith(QLatin1String("  -"))) {
            terms << line.mid(2).section(QLatin1String("  "), 0, 0);
        }
    }
    return terms;
}

// The options a manual page lists, in the same form.
QStringList manTerms(const QString& page) {
    QStringList terms;
    const QStringList lines = page.split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i) {
        if (lines.at(i) == QLatin1String(".TP")) {
            terms << QString(lines.at(i + 1))
                         .remove(QRegularExpression(R"(\\f[BIR])"))
                         .replace(QLatin1String("\\-"), QLatin1String("-"));
        }
    }
    return terms;
}

// A value of the kind a help names: "off" for "SECONDS|off", "2-3" for "RANGE".
QString sampleValue(const QString& valueName) {
    if (valueName.contains('|')) {
        return valueName.section('|', -1);
    }
    static const QHash<QString, QString> samples = {{"RANGE", "2-3"},
                                                    {"FILE", "a.png"},
                                                    {"COLOUR", "navy"},
                                                    {"FROM,TO", "navy,#fff"},
                                                    {"POS", "tile"},
                                                    {"DEGREES", "90"},
                                                    {"URL", "https://example.org/"},
                                                    {"LIST", "info"},
                                                    {"TEXT", "Week 12"},
                                                    {"NAME", "week12"},
                                                    {"ADDRESS", "ann@example.org"},
                                                    {"DIR", "/tmp/out"},
                                                    {"SECONDS|off", "5"},
                                                    {"N", "2"},
                                                    {"MB", "512"},
                                                    {"SECONDS", "60"},
                                                    {"ltr|rtl", "rtl"},
                                                    {"publish|private", "publish"}};
    return samples.value(valueName);
}

} // namespace

TEST(BatchCommandLine, EveryOptionTheHelpListsIsAcceptedAndTheManualPageListsTheSame) {
    const struct {
        QString topic;
        QStringList before; // a valid line without the option
        QStringList after;
    } pages[] = {{"", {}, {"apply"}},
                 {"import", {"import", "handout.pdf"}, {}},
                 {"apply", {"apply"}, {}},
                 {"publish", {"publish", "zip", "--output", "/o", "--name", "n"}, {}},
                 {"project", {"project", "save", "w.mrnp"}, {}},
                 {"upload", {"upload", "--user", "ann", "--book", "b"}, {}},
                 {"walls", {"walls", "decks", "--output", "/o"}, {}}};
    QStringList listed;
    for (const auto& page : pages) {
        const QStringList terms = helpTerms(usageText(page.topic));
        EXPECT_FALSE(terms.isEmpty()) << page.topic.toStdString();
        for (const QString& term : terms) {
            QStringList spellings = term.split(QLatin1String(", "));
            const QString valueName = spellings.last().section(' ', 1);
            spellings.last() = spellings.last().section(' ', 0, 0);
            ASSERT_TRUE(valueName.isEmpty() || !sampleValue(valueName).isEmpty())
                << term.toStdString();
            for (const QString& spelling : spellings) {
                QStringList option{spelling};
                if (!valueName.isEmpty()) {
                    option << sampleValue(valueName);
                }
                const CommandLine line = parse(page.before + option + page.after);
                EXPECT_TRUE(line.error.isEmpty())
                    << page.topic.toStdString() << " " << spelling.toStdString() << ": "
                    << line.error.toStdString();
            }
        }
        listed << terms;
    }
    QStringList inManual = manTerms(manPage());
    listed.sort();
    inManual.sort();
    EXPECT_EQ(inManual, listed);
}

TEST(BatchProgress, ATerminalGetsOneRedrawnBarALogOneLinePerStep) {
    QByteArray shown;
    Progress terminal(true, [&](const QByteArray& text) { shown += text; });
    terminal.step("Converting slides");
    terminal.percent(50);
    terminal.step("Preparing slides");
    terminal.update(12, 12);
    terminal.message("done");
    EXPECT_EQ(shown, "\rConverting slides..."
                     "\rConverting slides [############............]  50%\n"
                     "\rPreparing slides..."
                     "\rPreparing slides [########################] 100%\n"
                     "murano: done\n");

    QByteArray logged;
    Progress log(false, [&](const QByteArray& text) { logged += text; });
    log.step("Converting slides");
    log.percent(50);
    log.update(3, 12);
    log.finish();
    log.message("\"x.zip\" exists");
    EXPECT_EQ(logged, "murano: Converting slides...\nmurano: \"x.zip\" exists\n");
}

TEST(BatchProgress, AShorterLineWipesTheLongerOne) {
    QByteArray shown;
    Progress terminal(true, [&](const QByteArray& text) { shown += text; });
    terminal.step("Packing the wall");
    terminal.update(1, 3);
    shown.clear();
    terminal.update(0, 0);
    const int barWidth = static_cast<int>(progressBar("Packing the wall", 1, 3).size());
    EXPECT_EQ(shown, "\rPacking the wall..." + QByteArray(barWidth - 19, ' '));
}
