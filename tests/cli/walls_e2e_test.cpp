// murano walls end to end: the real program on folders of generated decks, with the real converter
// and warm LibreOffice instances. A damaged deck is skipped while the others become walls, names
// that clash get a suffix, an instance killed or stopped from outside under a deck is replaced and
// the deck made anyway, a deck whose instance hangs on both attempts is reported and skipped, and
// SIGINT leaves the finished walls whole and nothing else. Archives are
// read back by Python's zipfile.
#include "tests/import/pdf_maker.h"
#include "tests/support/process.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

namespace {

const std::string kMurano = std::string(MURANO_BIN_DIR) + "/murano";
const std::string kDecks = MURANO_DECK_DIR;

std::string commandLineOf(int pid) {
    std::string line = readFile("/proc/" + std::to_string(pid) + "/cmdline");
    for (char& c : line) {
        c = c == '\0' ? ' ' : c;
    }
    return line;
}

// The entries of an archive, one a line, after zipfile has checked every entry's data.
std::string zipEntries(const std::string& archive) {
    const ProcessResult listed = runProcess(
        "/usr/bin/python3", {"python3", "-c",
                             "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\n"
                             "assert z.testzip() is None\nprint('\\n'.join(sorted(z.namelist())))",
                             archive});
    return listed.status == 0 ? listed.out : "unreadable: " + listed.err;
}

int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

QJsonArray reportedDecks(const std::string& report) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(readFile(report)))
        .object()
        .value("decks")
        .toArray();
}

QJsonObject reportOf(const QJsonArray& decks, const QString& name) {
    for (const QJsonValue& deck : decks) {
        if (deck.toObject().value("name").toString() == name) {
            return deck.toObject();
        }
    }
    return {};
}

// The process groups of the office processes below `pid`.
std::set<int> officeGroupsBelow(int pid) {
    std::set<int> groups;
    for (int below : descendantsOf(pid)) {
        if (commandLineOf(below).find("soffice") != std::string::npos) {
            groups.insert(processGroupOf(below));
        }
    }
    return groups;
}

bool anyAlive(const std::set<int>& groups) {
    return std::any_of(groups.begin(), groups.end(), groupAlive);
}

class Walls : public ::testing::Test {
protected:
    std::map<std::string, std::string> environment() const {
        return {{"XDG_STATE_HOME", scratch.file("state")},
                {"XDG_RUNTIME_DIR", scratch.file("runtime")}};
    }
    void SetUp() override {
        for (const char* folder : {"state", "runtime", "decks", "decks/more", "out"}) {
            ::mkdir(scratch.file(folder).c_str(), 0700);
        }
    }
    void copyDeck(const std::string& from, const std::string& to) const {
        writeFile(scratch.file("decks/" + to), readFile(kDecks + "/" + from));
    }
    std::vector<std::string> walls(const std::vector<std::string>& options) const {
        std::vector<std::string> arguments = {kMurano,
                                              "walls",
                                              scratch.file("decks"),
                                              "--output",
                                              scratch.file("out"),
                                              "--report",
                                              scratch.file("report.json")};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return arguments;
    }
    // A scratch wall in the state folder, or an office profile, left after a run.
    bool scratchLeft() const {
        return !folderEntries(scratch.file("state/quorvex")).empty() ||
               !folderEntries(scratch.file("runtime")).empty();
    }
    TemporaryFolder scratch;
};

TEST_F(Walls, GoodDecksBecomeWallsADamagedOneIsSkippedAndClashingNamesGetASuffix) {
    copyDeck("twelve.pptx", "talk.pptx");
    copyDeck("three.odp", "more/talk.odp");
    writeFile(scratch.file("decks/damaged.pptx"), "PK\x03\x04 not really a presentation");
    const ProcessResult run =
        runProcess(kMurano,
                   {kMurano, "walls", scratch.file("decks"), scratch.file("decks/more"), "--output",
                    scratch.file("out"), "--as", "zip", "--jobs", "2", "--report",
                    scratch.file("report.json"), "--author", "Ann"},
                   environment());
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(folderEntries(scratch.file("out")),
              (std::vector<std::string>{"talk-2.zip", "talk.zip"}));
    const std::string twelve = zipEntries(scratch.file("out/talk.zip"));
    EXPECT_EQ(countOf(twelve, "wallimages/thumbs/"), 12) << twelve;
    EXPECT_NE(twelve.find("talk.html"), std::string::npos) << twelve;
    EXPECT_EQ(countOf(zipEntries(scratch.file("out/talk-2.zip")), "wallimages/thumbs/"), 3);

    const QJsonArray decks = reportedDecks(scratch.file("report.json"));
    ASSERT_EQ(decks.size(), 3) << readFile(scratch.file("report.json"));
    const QJsonObject damaged = reportOf(decks, "damaged");
    EXPECT_EQ(damaged.value("status").toString(), "failed");
    EXPECT_EQ(damaged.value("attempts").toInt(), 1) << "a damaged deck is not tried again";
    EXPECT_TRUE(damaged.value("error").toString().contains("could not be opened"));
    EXPECT_TRUE(damaged.value("output").isNull());
    const QJsonObject talk = reportOf(decks, "talk");
    EXPECT_EQ(talk.value("status").toString(), "done");
    EXPECT_EQ(talk.value("slides").toInt(), 12);
    EXPECT_EQ(talk.value("output").toString().toStdString(), scratch.file("out/talk.zip"));
    EXPECT_GT(talk.value("seconds").toDouble(), 0);
    EXPECT_EQ(reportOf(decks, "talk-2").value("slides").toInt(), 3);
    EXPECT_NE(run.out.find("damaged"), std::string::npos) << "the summary names every deck";
    EXPECT_FALSE(scratchLeft());

    // A second run finds the walls there and replaces nothing without --overwrite.
    const std::string before = readFile(scratch.file("out/talk.zip"));
    const ProcessResult again = runProcess(kMurano,
                                           {kMurano, "walls", scratch.file("decks/talk.pptx"),
                                            "--output", scratch.file("out"), "--as", "zip"},
                                           environment());
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("--overwrite"), std::string::npos) << again.err;
    EXPECT_EQ(readFile(scratch.file("out/talk.zip")), before);
}

// Each wall of a web run is a folder with its page; the look given applies to every wall, a PDF's
// pages (through poppler, on no office instance) included.
TEST_F(Walls, WebWallsCarryTheLookGivenAndTheirDecksNames) {
    copyDeck("three.odp", "first.odp");
    copyDeck("three.odp", "second.odp");
    MadePdf pdf;
    for (int n = 1; n <= 3; ++n) {
        pdf.pages << MadePage{
            612, 792, pageColour(n), {QStringLiteral("Page %1 words").arg(n)}, {}};
    }
    ASSERT_TRUE(writeFile(QString::fromStdString(scratch.file("decks/third.pdf")), makePdf(pdf)));
    const ProcessResult run =
        runProcess(kMurano, walls({"--color", "navy", "--hide-buttons", "share"}), environment());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(readFile(scratch.file("out/third/xml/words.json")).find("Page 2 words"),
              std::string::npos);
    for (const char* name : {"first", "second", "third"}) {
        const std::string wall = scratch.file(std::string("out/") + name);
        const std::string index = readFile(wall + "/xml/images.xml");
        EXPECT_NE(index.find(std::string("book_title=\"") + name + "\""), std::string::npos)
            << index.substr(0, 400);
        EXPECT_NE(index.find("back_ground=\"0{0x000080}\""), std::string::npos)
            << index.substr(0, 400);
        EXPECT_NE(index.find("btn_share=\"0\""), std::string::npos);
        EXPECT_EQ(countOf(index, "<img "), 3);
        EXPECT_FALSE(readFile(wall + "/index.html").empty());
    }
}

// The converter below `murano` that converts `deck`; -1 when there is none.
int converterOf(int murano, const std::string& deck) {
    for (int pid : descendantsOf(murano)) {
        if (commandLineOf(pid).find(deck) != std::string::npos &&
            commandLineOf(pid).find("lantrel") != std::string::npos) {
            return pid;
        }
    }
    return -1;
}

// The process group of the warm instance `converter` was handed (MURANO_OFFICE in its
// environment): the office below `murano` that listens on that pipe; -1 when there is none.
int warmInstanceOf(int murano, int converter) {
    const std::string environment = readFile("/proc/" + std::to_string(converter) + "/environ");
    const std::string key = std::string("MURANO_OFFICE=");
    const std::size_t at = environment.find(key);
    if (at == std::string::npos) {
        return -1;
    }
    const std::string pipe = environment.substr(at + key.size()).c_str();
    for (int pid : descendantsOf(murano)) {
        const std::string line = commandLineOf(pid);
        if (line.find("soffice") != std::string::npos && line.find(pipe) != std::string::npos) {
            return processGroupOf(pid);
        }
    }
    return -1;
}

// Whether a slide file is in the staging folder of the scratch wall of the run's deck `index`: its
// converter is exporting on the office it borrowed.
bool exporting(const std::string& state, int index) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::recursive_directory_iterator it(state, error), end; !error && it != end;
         it.increment(error)) {
        const fs::path& path = it->path();
        if (path.extension() == ".JPG" && path.parent_path().filename() == ".laq" &&
            path.parent_path().parent_path().filename() == std::to_string(index)) {
            return true;
        }
    }
    return false;
}

// Waits until a converter of `deck` (the run's deck `index`) not among `converters` exports on a
// warm instance, adds it to `converters` and returns the instance's process group; -1 when none
// did within four minutes. Stopping or killing the instance then lands in the middle of the work.
int warmInstanceExporting(int murano, const std::string& state, const std::string& deck, int index,
                          std::set<int>& converters) {
    int instance = -1;
    waitUntil(
        [&] {
            const int converter = converterOf(murano, deck);
            if (converter < 0 || converters.count(converter) || !exporting(state, index)) {
                return false;
            }
            instance = warmInstanceOf(murano, converter);
            converters.insert(converter);
            return instance > 1;
        },
        240000);
    return instance;
}

// An instance killed under a deck: the converter repeats the deck in an office of its own and the
// pool replaces the instance. An instance that stops answering (stopped from outside, as a hung
// one): the deck's time limit ends the conversion, the instance is replaced and the deck is made on
// the fresh one. Either way every deck becomes a wall and no office is left running.
class WallsInstanceLost : public Walls, public ::testing::WithParamInterface<int> {};

TEST_P(WallsInstanceLost, TheDeckIsMadeAnywayAndTheOthersGoOn) {
    copyDeck("twelve.pptx", "a.pptx");
    copyDeck("forty.pptx", "b.pptx");
    copyDeck("twelve.pptx", "c.pptx");
    RunningProcess murano(kMurano, walls({"--as", "zip", "--jobs", "1", "--deck-timeout", "30"}),
                          environment());
    std::set<int> converters;
    const int instance =
        warmInstanceExporting(murano.pid(), scratch.file("state"), "b.pptx", 1, converters);
    ASSERT_GT(instance, 1) << "deck b never exported on a warm instance";
    const std::set<int> offices = officeGroupsBelow(murano.pid());
    ::kill(-instance, GetParam());
    EXPECT_EQ(murano.wait(300000), 0) << murano.output();
    const QJsonArray decks = reportedDecks(scratch.file("report.json"));
    for (const auto& [name, slides] : {std::pair{"a", 12}, {"b", 40}, {"c", 12}}) {
        EXPECT_EQ(reportOf(decks, name).value("status").toString(), "done") << name;
        EXPECT_EQ(countOf(zipEntries(scratch.file(std::string("out/") + name + ".zip")),
                          "wallimages/thumbs/"),
                  slides)
            << name;
    }
    if (GetParam() == SIGSTOP) {
        EXPECT_EQ(reportOf(decks, "b").value("attempts").toInt(), 2);
    }
    EXPECT_TRUE(waitUntil([&] { return !anyAlive(offices); }, 15000)) << "an office is left";
    EXPECT_FALSE(scratchLeft());
}

INSTANTIATE_TEST_SUITE_P(KilledOrStopped, WallsInstanceLost, ::testing::Values(SIGKILL, SIGSTOP),
                         [](const ::testing::TestParamInfo<int>& param) {
                             return std::string(param.param == SIGKILL ? "Killed" : "Stopped");
                         });

// A deck whose instance hangs under it on both attempts (stopped from outside while it exports):
// tried once more on a fresh instance, then reported as failed and skipped, while the decks before
// and after it become walls; the run ends with status 1.
TEST_F(Walls, ADeckFailingTwiceIsReportedAndSkippedWhileTheOthersGoOn) {
    copyDeck("twelve.pptx", "a.pptx");
    copyDeck("forty.pptx", "b.pptx");
    copyDeck("twelve.pptx", "c.pptx");
    RunningProcess murano(kMurano, walls({"--as", "zip", "--jobs", "1", "--deck-timeout", "30"}),
                          environment());
    std::set<int> converters; // of deck b, one an attempt
    std::set<int> offices;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const int instance =
            warmInstanceExporting(murano.pid(), scratch.file("state"), "b.pptx", 1, converters);
        ASSERT_GT(instance, 1) << "attempt " << attempt
                               << " of deck b never exported on a warm instance";
        const std::set<int> now = officeGroupsBelow(murano.pid());
        offices.insert(now.begin(), now.end());
        ::kill(-instance, SIGSTOP);
    }
    EXPECT_EQ(murano.wait(300000), 1) << murano.output();
    EXPECT_EQ(folderEntries(scratch.file("out")), (std::vector<std::string>{"a.zip", "c.zip"}));
    const QJsonDocument report =
        QJsonDocument::fromJson(QByteArray::fromStdString(readFile(scratch.file("report.json"))));
    EXPECT_EQ(report.object().value("status").toInt(), 1);
    const QJsonArray decks = report.object().value("decks").toArray();
    const QJsonObject failed = reportOf(decks, "b");
    EXPECT_EQ(failed.value("status").toString(), "failed");
    EXPECT_EQ(failed.value("attempts").toInt(), 2);
    EXPECT_TRUE(failed.value("error").toString().contains("hung"))
        << failed.value("error").toString().toStdString();
    EXPECT_TRUE(failed.value("output").isNull());
    for (const char* name : {"a", "c"}) {
        EXPECT_EQ(reportOf(decks, name).value("status").toString(), "done") << name;
        EXPECT_EQ(countOf(zipEntries(scratch.file(std::string("out/") + name + ".zip")),
                          "wallimages/thumbs/"),
                  12)
            << name;
    }
    EXPECT_TRUE(waitUntil([&] { return !anyAlive(offices); }, 15000)) << "an office is left";
    EXPECT_FALSE(scratchLeft());
}

TEST_F(Walls, SigintKeepsTheFinishedWallsAndLeavesNothingHalfWritten) {
    for (const char* name : {"a.pptx", "b.pptx", "c.pptx", "d.pptx"}) {
        copyDeck("twelve.pptx", name);
    }
    RunningProcess murano(kMurano, walls({"--as", "zip", "--jobs", "1"}), environment());
    ASSERT_TRUE(waitUntil(
        [&] {
            const std::vector<std::string> out = folderEntries(scratch.file("out"));
            return std::find(out.begin(), out.end(), "a.zip") != out.end();
        },
        240000));
    const std::set<int> offices = officeGroupsBelow(murano.pid());
    ASSERT_FALSE(offices.empty());
    murano.signal(SIGINT);
    EXPECT_EQ(murano.wait(60000), 128 + SIGINT);
    const std::vector<std::string> out = folderEntries(scratch.file("out"));
    ASSERT_FALSE(out.empty());
    EXPECT_LT(out.size(), 4u) << "the run went on after SIGINT";
    for (const std::string& name : out) {
        EXPECT_EQ(name.substr(name.size() - 4), ".zip") << "a half-written output: " << name;
        EXPECT_EQ(countOf(zipEntries(scratch.file("out/" + name)), "wallimages/thumbs/"), 12)
            << name;
    }
    const QJsonArray decks = reportedDecks(scratch.file("report.json"));
    EXPECT_EQ(reportOf(decks, "a").value("status").toString(), "done");
    EXPECT_EQ(reportOf(decks, "d").value("status").toString(), "stopped");
    EXPECT_TRUE(waitUntil([&] { return !anyAlive(offices); }, 15000)) << "an office is left";
    EXPECT_FALSE(scratchLeft());
}

} // namespace
