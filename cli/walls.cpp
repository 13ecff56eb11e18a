#include "cli/walls.h"

#include "cli/stop_signals.h"
#include "import/import_checks.h"
#include "import/import_job.h"
#include "import/pdf_import_job.h"
#include "platform/office/office_pool.h"
#include "publish/publish_output.h"
#include "wall/folders.h"
#include "wall/locations.h"
#include "wall/wall_folder.h"
#include "wall/wall_project.h"
#include "wall/work_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace batch {

namespace {

// How often the run looks for a free office instance for a waiting deck.
constexpr int kPumpIntervalMs = 200;
// A deck waits this long for a warm instance that is starting; then it converts without one (the
// converter starts an office of its own), so that instances that never answer stop no run.
constexpr qint64 kWarmWaitMs = 120000;
constexpr int kMostAttempts = 2;

enum class DeckState { Waiting, Converting, TakingIn, Publishing, Done, Failed, Stopped };

QString stateWord(DeckState state) {
    switch (state) {
    case DeckState::Done:
        return QStringLiteral("done");
    case DeckState::Failed:
        return QStringLiteral("failed");
    case DeckState::Stopped:
        return QStringLiteral("stopped");
    default:
        return QStringLiteral("waiting");
    }
}

struct DeckRun {
    int index = 0; // in the run, which names its scratch wall
    WallsDeck source;
    QString folder; // the output folder publishOutput writes into
    QString target; // the wall's page, archive or executable
    DeckState state = DeckState::Waiting;
    int attempts = 0;
    int slides = 0;
    QString error;
    QElapsedTimer clock; // since its first attempt
    double seconds = 0;
    QString work; // the scratch wall
    // The import under way: a deck's on an office instance, or a PDF's through poppler.
    std::unique_ptr<ImportJob> import;
    std::unique_ptr<PdfImportJob> pdf;
    std::unique_ptr<ThreadJob> publish;
    const WarmOffice* office = nullptr;
    const WarmOffice* second = nullptr; // the other half of a split deck's
    QTimer deadline;
    bool hung = false;
    qint64 slidesTakenIn = 0; // of the attempt under way
    qint64 officeMemory = 0;  // the pool's resident memory when the deck ended

    bool isPdf() const { return isPdfFile(source.deck); }
    Job& importJob() const { return isPdf() ? static_cast<Job&>(*pdf) : *import; }
    const ImportedSlides& importedSlides() const {
        return isPdf() ? pdf->slides() : import->slides();
    }
    // Whether a failed import failed for the deck itself, which another attempt cannot mend (a
    // PDF's import needs no office that could have been at fault).
    bool failedForItsDeck() const {
        return importJob().result().code == JobResult::Failed &&
               (isPdf() || failureLiesInTheDeck(import->failure()));
    }

    bool ended() const {
        return state == DeckState::Done || state == DeckState::Failed ||
               state == DeckState::Stopped;
    }
};

QString printable(double seconds) {
    const int whole = static_cast<int>(seconds + 0.5);
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

void printOut(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

class WallsRun : public QObject {
public:
    WallsRun(const CommandLine& line, Progress& progress, std::vector<WallsDeck> decks);

    // Runs every deck to its end; returns the process status.
    int run();

private:
    int jobs() const;
    QString pageName(const DeckRun& deck) const;
    void prepareTargets();
    QStringList existingOutputs() const;
    void schedule();
    void pump();
    int inState(DeckState state) const;
    DeckRun* nextWaiting();
    const WarmOffice* secondOfficeFor(const DeckRun& deck, const WarmOffice* office);
    void startImport(DeckRun& deck, const WarmOffice* office, const WarmOffice* second);
    void imported(DeckRun& deck);
    void giveBackOffices(DeckRun& deck, bool broken);
    void retryOrFail(DeckRun& deck, const QString& error);
    void publish(DeckRun& deck);
    void published(DeckRun& deck);
    void end(DeckRun& deck, DeckState state, const QString& error = {});
    void stop(int signal);
    void show();
    QString summary() const;
    bool writeReport() const;
    int status() const;

    const CommandLine& line_;
    Progress& progress_;
    std::vector<std::unique_ptr<DeckRun>> decks_;
    OfficePool pool_;
    QTemporaryDir scratch_;
    QString converter_;
    QString outputFolder_;
    QEventLoop loop_;
    QTimer pumpTimer_;
    QElapsedTimer clock_;
    QElapsedTimer waitingForOffice_;
    int stoppedBy_ = 0;
    qint64 firstMemory_ = -1;
    qint64 lastMemory_ = 0;
    qint64 mostMemory_ = 0;
};

PoolLimits poolLimits(const WallsOptions& walls, int instances) {
    PoolLimits limits;
    limits.instances = instances;
    limits.recycleAfter = walls.recycleAfter;
    limits.memoryLimit = qint64(walls.memoryLimitMb) * 1024 * 1024;
    return limits;
}

WallsRun::WallsRun(const CommandLine& line, Progress& progress, std::vector<WallsDeck> decks)
    : line_(line), progress_(progress),
      pool_(poolLimits(line.walls,
                       qMin<int>(line.walls.jobs > 0 ? line.walls.jobs : OfficePool::defaultSize(),
                                 qMax<int>(1, int(decks.size()))))),
      scratch_(tempFolder() + QStringLiteral("walls-XXXXXX")), converter_(converterProgram()),
      outputFolder_(QDir::cleanPath(QFileInfo(line.publish.output).absoluteFilePath())) {
    for (WallsDeck& source : decks) {
        auto deck = std::make_unique<DeckRun>();
        deck->index = static_cast<int>(decks_.size());
        deck->source = std::move(source);
        deck->deadline.setSingleShot(true);
        decks_.push_back(std::move(deck));
    }
    pumpTimer_.setInterval(kPumpIntervalMs);
    connect(&pumpTimer_, &QTimer::timeout, this, &WallsRun::pump);
    prepareTargets();
}

int WallsRun::jobs() const {
    return pool_.size();
}

// html: DIR/NAME/index.html; zip and exe: DIR/NAME.zip, DIR/NAME.exe.
QString WallsRun::pageName(const DeckRun& deck) const {
    return line_.publish.mode == PublishMode::Html ? QString() : deck.source.name;
}

void WallsRun::prepareTargets() {
    for (const auto& deck : decks_) {
        deck->folder = line_.publish.mode == PublishMode::Html
                           ? outputFolder_ + QLatin1Char('/') + deck->source.name
                           : outputFolder_;
        deck->target = outputTarget(deck->folder, pageName(*deck), line_.publish.mode);
    }
}

QStringList WallsRun::existingOutputs() const {
    QStringList existing;
    for (const auto& deck : decks_) {
        existing << replacedByOutput(deck->folder, pageName(*deck), line_.publish.mode);
    }
    return existing;
}

int WallsRun::run() {
    if (const QString problem = converterProblem(converter_); !problem.isEmpty()) {
        progress_.message(problem);
        return kFailure;
    }
    for (const QString& picture : line_.apply.pictures()) {
        if (!QImageReader(picture).canRead()) {
            progress_.message(
                QStringLiteral("\"%1\" is not a picture murano can read.").arg(picture));
            return kFailure;
        }
    }
    if (const QStringList existing = existingOutputs();
        !existing.isEmpty() && !line_.publish.overwrite) {
        progress_.message(QStringLiteral("%1 exist%2; add --overwrite to replace %3.")
                              .arg(quotedPaths(existing), existing.size() == 1 ? "s" : "",
                                   existing.size() == 1 ? "it" : "them"));
        return kFailure;
    }
    if (!scratch_.isValid() || !QDir().mkpath(outputFolder_)) {
        progress_.message(QStringLiteral("\"%1\" cannot be created.").arg(outputFolder_));
        return kFailure;
    }
    StopSignals stopSignals;
    stopSignals.onStop(this, [this](int number) { stop(number); });
    clock_.start();
    pool_.start();
    progress_.step(QStringLiteral("Walls"));
    pumpTimer_.start();
    schedule();
    loop_.exec();
    pumpTimer_.stop();
    lastMemory_ = pool_.residentBytes();
    pool_.end();
    progress_.finish();
    printOut(summary());
    if (!line_.walls.report.isEmpty() && !writeReport()) {
        progress_.message(
            QStringLiteral("The report \"%1\" cannot be written.").arg(line_.walls.report));
        return kFailure;
    }
    return status();
}

void WallsRun::schedule() {
    QMetaObject::invokeMethod(this, &WallsRun::pump, Qt::QueuedConnection);
}

int WallsRun::inState(DeckState state) const {
    return static_cast<int>(std::count_if(
        decks_.begin(), decks_.end(), [state](const auto& deck) { return deck->state == state; }));
}

DeckRun* WallsRun::nextWaiting() {
    for (const auto& deck : decks_) {
        if (deck->state == DeckState::Waiting) {
            return deck.get();
        }
    }
    return nullptr;
}

// Starts waiting decks while fewer than the pool's size convert, each on a free instance; without
// one, a deck waits for a starting instance, up to a bound. A deck gives its instance back as soon
// as its converter has ended, so that the next deck converts while its slides are taken in and
// its wall is published. Conversions wait only while more walls are being finished than the pool
// has instances, which bounds the walls in the making to twice the pool's size.
void WallsRun::pump() {
    while (stoppedBy_ == 0 && inState(DeckState::Converting) < jobs() &&
           inState(DeckState::TakingIn) + inState(DeckState::Publishing) <= jobs()) {
        DeckRun* deck = nextWaiting();
        if (!deck) {
            break;
        }
        const WarmOffice* office = deck->isPdf() ? nullptr : pool_.lend();
        if (!deck->isPdf() && !office && pool_.mayLend()) {
            if (!waitingForOffice_.isValid()) {
                waitingForOffice_.start();
            }
            if (waitingForOffice_.elapsed() < kWarmWaitMs) {
                break;
            }
        }
        waitingForOffice_.invalidate();
        startImport(*deck, office, secondOfficeFor(*deck, office));
    }
    if (std::all_of(decks_.begin(), decks_.end(), [](const auto& deck) { return deck->ended(); })) {
        loop_.quit();
    }
    show();
}

// A second instance for a large deck when no other deck waits for one: while others wait, the
// instances serve a deck each, which gains more than splitting one.
const WarmOffice* WallsRun::secondOfficeFor(const DeckRun& deck, const WarmOffice* office) {
    const bool othersWait = std::any_of(decks_.begin(), decks_.end(), [&deck](const auto& other) {
        return other.get() != &deck && other->state == DeckState::Waiting;
    });
    return office && !othersWait && ImportJob::worthSplitting(deck.source.deck) ? pool_.lend()
                                                                                : nullptr;
}

// A large deck given a second instance is split between the two.
void WallsRun::startImport(DeckRun& deck, const WarmOffice* office, const WarmOffice* second) {
    if (deck.attempts++ == 0) {
        deck.clock.start();
        deck.work = scratch_.filePath(QString::number(deck.index)) + "/";
    }
    removeTree(deck.work); // what an earlier attempt left
    createWorkFolder(deck.work, templateFolder());
    showFullScreenButton(deck.work, false);
    deck.state = DeckState::Converting;
    deck.office = office;
    deck.second = second;
    deck.hung = false;
    deck.slidesTakenIn = 0;
    if (deck.isPdf()) {
        deck.pdf = std::make_unique<PdfImportJob>();
        deck.pdf->setRequest({deck.source.deck, deck.work, true, {}, {}});
        connect(deck.pdf.get(), &Job::progress, this,
                [this, &deck](qint64 done, qint64, const QString&) {
                    deck.slidesTakenIn = done;
                    show();
                });
    } else {
        deck.import = std::make_unique<ImportJob>();
        deck.import->setRequest({converter_, deck.source.deck, deck.work, true, {}});
        deck.import->setWarmOffice(office);
        deck.import->setSecondOffice(second);
        ImportJob* job = deck.import.get();
        connect(job, &Job::progress, this, [this, &deck, job](qint64 done, qint64, const QString&) {
            if (job->stage() == ImportJob::Stage::TakingIn) {
                deck.slidesTakenIn = done;
                show();
            }
        });
        connect(job, &ImportJob::converted, this, [this, &deck] {
            deck.deadline.stop(); // the office's part is over: nothing left that could hang it
            giveBackOffices(deck, false);
            deck.state = DeckState::TakingIn;
            schedule();
        });
    }
    Job& job = deck.importJob();
    connect(&job, &Job::finished, this, [this, &deck] { imported(deck); });
    deck.deadline.disconnect();
    connect(&deck.deadline, &QTimer::timeout, this, [&deck] {
        deck.hung = true;
        deck.importJob().cancel();
    });
    deck.deadline.start(line_.walls.deckTimeoutSeconds * 1000);
    job.start();
}

void WallsRun::imported(DeckRun& deck) {
    deck.deadline.stop();
    const JobResult result = deck.importJob().result();
    const bool deckAtFault = deck.failedForItsDeck();
    giveBackOffices(deck, !result.ok() && !deckAtFault);
    if (result.ok()) {
        publish(deck);
    } else if (result.code == JobResult::Stopped && !deck.hung) {
        end(deck, DeckState::Stopped, QStringLiteral("stopped before its wall was made"));
    } else if (deck.hung) {
        retryOrFail(deck, QStringLiteral("The conversion took longer than %1 s: the office suite "
                                         "hung.")
                              .arg(line_.walls.deckTimeoutSeconds));
    } else if (deckAtFault) {
        end(deck, DeckState::Failed, result.message);
    } else {
        retryOrFail(deck, result.message);
    }
    schedule();
}

// The instances a deck borrowed, unless it gave them back already; broken ones are replaced.
void WallsRun::giveBackOffices(DeckRun& deck, bool broken) {
    for (const WarmOffice* office : {deck.office, deck.second}) {
        pool_.giveBack(office, broken);
    }
    deck.office = deck.second = nullptr;
}

void WallsRun::retryOrFail(DeckRun& deck, const QString& error) {
    if (deck.attempts < kMostAttempts && stoppedBy_ == 0) {
        deck.state = DeckState::Waiting; // first in line again, on a fresh instance
        progress_.message(QStringLiteral("%1: %2 Trying once more.").arg(deck.source.name, error));
        return;
    }
    end(deck, DeckState::Failed, error);
}

void WallsRun::publish(DeckRun& deck) {
    WallProject project;
    project.loadSettings(WallFolder(deck.work).ownSettingsFile(), applicationFolder(), deck.work);
    project.loadIndex(deck.work);
    project.setImages(deck.importedSlides().imageNumbers());
    WallLook look = line_.apply.appliedTo(project.look());
    if (!line_.apply.bookTitle) {
        look.bookTitle = deck.source.name;
    }
    project.setLook(look);
    if (const QStringList problems = applyWall(project, deck.work); !problems.isEmpty()) {
        end(deck, DeckState::Failed, problems.join(QLatin1Char(' ')));
        return;
    }
    deck.slides = static_cast<int>(deck.importedSlides().imageNumbers().size());
    deck.state = DeckState::Publishing;
    const bool created = !QFileInfo::exists(deck.folder);
    if (created && !QDir().mkpath(deck.folder)) {
        end(deck, DeckState::Failed, QStringLiteral("\"%1\" cannot be created.").arg(deck.folder));
        return;
    }
    PublishOptions options = line_.publish;
    options.name = pageName(deck);
    const BookOptions book = options.bookOver(BookOptions());
    const PublishMode mode = line_.publish.mode;
    const QString work = deck.work;
    const QString folder = deck.folder;
    deck.publish.reset(makePublishJob(
        [mode, work, folder, book](const ZipProgress& progress) {
            return publishOutput(mode, WallFolder(work), folder, book, progress);
        },
        nullptr));
    connect(deck.publish.get(), &Job::finished, this, [this, &deck, created] {
        if (!deck.publish->result().ok() && created) {
            removeTree(deck.folder); // it held nothing of the user's
        }
        published(deck);
    });
    deck.publish->start();
}

void WallsRun::published(DeckRun& deck) {
    const JobResult& result = deck.publish->result();
    if (result.ok()) {
        end(deck, DeckState::Done);
    } else {
        end(deck, DeckState::Failed, QString(result.message).replace('\n', ' '));
    }
    schedule();
}

void WallsRun::end(DeckRun& deck, DeckState state, const QString& error) {
    deck.state = state;
    deck.error = error;
    deck.seconds = deck.clock.isValid() ? deck.clock.elapsed() / 1000.0 : 0;
    if (!deck.work.isEmpty()) {
        removeTree(deck.work);
    }
    const qint64 memory = pool_.residentBytes();
    deck.officeMemory = memory;
    if (firstMemory_ < 0 && memory > 0) {
        firstMemory_ = memory;
    }
    mostMemory_ = qMax(mostMemory_, memory);
    if (state == DeckState::Done) {
        progress_.message(QStringLiteral("%1: %2 slides, %3 s: %4")
                              .arg(deck.source.name)
                              .arg(deck.slides)
                              .arg(deck.seconds, 0, 'f', 1)
                              .arg(deck.target));
    } else if (state == DeckState::Failed) {
        progress_.message(QStringLiteral("%1: failed: %2").arg(deck.source.name, error));
    }
}

// A signal: no deck starts any more, conversions under way are stopped (their converters end
// their office instances), walls being published are finished, so that none is left half-written.
void WallsRun::stop(int signal) {
    if (stoppedBy_ != 0) {
        return;
    }
    stoppedBy_ = signal;
    for (const auto& deck : decks_) {
        if (deck->state == DeckState::Waiting) {
            end(*deck, DeckState::Stopped, QStringLiteral("stopped before it was converted"));
        } else if (deck->state == DeckState::Converting || deck->state == DeckState::TakingIn) {
            deck->deadline.stop();
            deck->importJob().cancel();
        }
    }
    schedule();
}

// The run on the progress line: walls done of all, the decks being converted, slides, time left.
void WallsRun::show() {
    int ended = 0;
    qint64 slides = 0;
    QStringList current;
    for (const auto& deck : decks_) {
        ended += deck->ended();
        slides += deck->state == DeckState::Done ? deck->slides : 0;
        if (deck->state != DeckState::Waiting && !deck->ended()) {
            current << deck->source.name;
            slides += deck->slidesTakenIn;
        }
    }
    const int total = static_cast<int>(decks_.size());
    QString label = QStringLiteral("Walls %1/%2").arg(ended).arg(total);
    if (!current.isEmpty()) {
        label += QStringLiteral(", now %1").arg(current.join(QStringLiteral(", ")));
    }
    label += QStringLiteral(", %1 slides").arg(slides);
    if (ended > 0 && ended < total) {
        const double perDeck = clock_.elapsed() / 1000.0 / ended;
        label += QStringLiteral(", %1 left").arg(printable(perDeck * (total - ended)));
    }
    progress_.relabel(label);
    progress_.update(ended, total);
}

QString WallsRun::summary() const {
    QString table = QStringLiteral("%1  %2  %3  %4  %5\n")
                        .arg(QStringLiteral("wall"), -24)
                        .arg(QStringLiteral("status"), -7)
                        .arg(QStringLiteral("slides"), 6)
                        .arg(QStringLiteral("seconds"), 7)
                        .arg(QStringLiteral("output or error"));
    for (const auto& deck : decks_) {
        table += QStringLiteral("%1  %2  %3  %4  %5\n")
                     .arg(deck->source.name, -24)
                     .arg(stateWord(deck->state), -7)
                     .arg(deck->slides, 6)
                     .arg(deck->seconds, 7, 'f', 1)
                     .arg(deck->state == DeckState::Done ? deck->target : deck->error);
    }
    return table;
}

bool WallsRun::writeReport() const {
    QJsonArray decks;
    for (const auto& deck : decks_) {
        decks.append(QJsonObject{
            {"deck", deck->source.deck},
            {"name", deck->source.name},
            {"status", stateWord(deck->state)},
            {"slides", deck->slides},
            {"seconds", deck->seconds},
            {"attempts", deck->attempts},
            {"output", deck->state == DeckState::Done ? QJsonValue(deck->target) : QJsonValue()},
            {"error", deck->error},
            {"officeMemory", deck->officeMemory},
        });
    }
    const QJsonObject report{
        {"decks", decks},
        {"status", status()},
        {"seconds", clock_.elapsed() / 1000.0},
        {"jobs", jobs()},
        {"officeMemory", QJsonObject{{"first", qMax<qint64>(firstMemory_, 0)},
                                     {"last", lastMemory_},
                                     {"most", mostMemory_}}},
        {"officeInstancesReplaced", pool_.replaced()},
    };
    QSaveFile file(QFileInfo(line_.walls.report).absoluteFilePath());
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(report).toJson()) >= 0 &&
           file.commit();
}

int WallsRun::status() const {
    if (stoppedBy_ != 0) {
        return 128 + stoppedBy_;
    }
    const bool allDone = std::all_of(decks_.begin(), decks_.end(), [](const auto& deck) {
        return deck->state == DeckState::Done;
    });
    return allDone ? kSuccess : kFailure;
}

QStringList presentationsIn(const QString& folder) {
    QStringList patterns;
    for (const QString& suffix : kPresentationSuffixes) {
        patterns << QStringLiteral("*.") + suffix;
    }
    QDir dir(folder);
    dir.setNameFilters(patterns);
    dir.setFilter(QDir::Files | QDir::Readable);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    QStringList decks;
    for (const QFileInfo& file : dir.entryInfoList()) {
        if (isPresentationFile(file.fileName())) { // the filter ignores case; the suffix rule too
            decks << file.absoluteFilePath();
        }
    }
    return decks;
}

// "talk", then "talk-2", "talk-3"... for names taken already. A deck whose base name is empty or
// only dots ("..pptx") is called "deck": its wall would otherwise be the output folder itself.
QString freeName(QString wanted, QSet<QString>& taken) {
    if (QString(wanted).remove(QLatin1Char('.')).isEmpty()) {
        wanted = QStringLiteral("deck");
    }
    QString name = wanted;
    for (int n = 2; taken.contains(name.toLower()); ++n) {
        name = QStringLiteral("%1-%2").arg(wanted).arg(n);
    }
    taken.insert(name.toLower());
    return name;
}

} // namespace

std::vector<WallsDeck> gatherDecks(const QStringList& inputs, QStringList& problems) {
    QStringList paths;
    for (const QString& input : inputs) {
        const QFileInfo info(input);
        if (info.isDir()) {
            const QStringList found = presentationsIn(info.absoluteFilePath());
            if (found.isEmpty()) {
                problems << QStringLiteral("\"%1\" holds no presentation.").arg(input);
            }
            paths << found;
        } else if (!info.exists()) {
            problems << QStringLiteral("\"%1\" does not exist.").arg(input);
        } else if (!isPresentationFile(input)) {
            problems << QStringLiteral(
                            "\"%1\" is no presentation (.ppt, .pptx, .pps, .ppsx, .odp) or PDF.")
                            .arg(input);
        } else {
            paths << info.absoluteFilePath();
        }
    }
    paths.removeDuplicates();
    std::vector<WallsDeck> decks;
    QSet<QString> taken;
    for (const QString& path : paths) {
        decks.push_back({path, freeName(QFileInfo(path).completeBaseName(), taken)});
    }
    return decks;
}

int runWalls(const CommandLine& line, Progress& progress) {
    QStringList problems;
    std::vector<WallsDeck> decks = gatherDecks(line.walls.inputs, problems);
    for (const QString& problem : problems) {
        progress.message(problem);
    }
    if (decks.empty()) {
        return kFailure;
    }
    WallsRun run(line, progress, std::move(decks));
    const int status = run.run();
    return problems.isEmpty() || status != kSuccess ? status : kFailure;
}

} // namespace batch
