#include "cli/batch.h"
#include "cli/stop_signals.h"
#include "cli/walls.h"
#include "wall/wall_folder.h"

#include "cmake/version.h"
#include "import/import_checks.h"
#include "import/import_job.h"
#include "import/pdf_import_job.h"
#include "publish/project_file.h"
#include "publish/publish_output.h"
#include "share/book_service.h"
#include "share/credentials.h"
#include "share/upload_job.h"
#include "wall/deck_words.h"
#include "wall/folders.h"
#include "wall/locations.h"
#include "wall/remembered_values.h"
#include "wall/text_codec.h"
#include "wall/text_lines.h"
#include "wall/wall_lock.h"
#include "wall/wall_project.h"
#include "wall/work_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <optional>
#include <unistd.h>

namespace batch {

namespace {

// No answer (or, while uploading, no progress) for this long ends a request.
constexpr int kUploadTimeoutMs = 30000;

// The outcome of a step: a status and, for a failure, what to tell the user.
struct Outcome {
    int status = kSuccess;
    QStringList messages;

    static Outcome failure(const QString& message, int status = kFailure) {
        return {status, {message}};
    }
};

void printOut(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

// Trace lines of the shared code are for the window's log; a batch run shows warnings only.
void batchMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtDebugMsg || type == QtInfoMsg) {
        return;
    }
    const QByteArray line = QStringLiteral("murano: %1\n").arg(text).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
}

QString absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

// --work: a missing or empty folder becomes a new wall; a folder holding other things is refused
// (checkHoldsAWall), so that a mistyped path never fills someone's folder with a wall.
Outcome useWorkFolder(const QString& given) {
    const QString folder = QDir::cleanPath(absolute(given));
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir()) {
        return Outcome::failure(QStringLiteral("--work: \"%1\" is not a folder.").arg(folder),
                                kUsageError);
    }
    if (!info.exists() && !QDir().mkpath(folder)) {
        return Outcome::failure(QStringLiteral("--work: \"%1\" cannot be created.").arg(folder));
    }
    setWorkFolder(folder);
    return {};
}

// Looked at once the wall is locked: another murano may be making the wall in that folder.
Outcome checkHoldsAWall(const QString& folder) {
    if (!isEmptyFolder(folder) && !WallFolder(folder).holdsAWall()) {
        return Outcome::failure(QStringLiteral("--work: \"%1\" holds no wall. Name a wall's "
                                               "folder, an empty folder or a new one.")
                                    .arg(QDir::cleanPath(folder)),
                                kUsageError);
    }
    return {};
}

// What the window does at start-up before the wall can be shown or changed: the work folder made
// from the template when missing, repaired, its look read from the settings file (written on a
// first start), its index read, and the full-screen button that only uploads carry taken off.
// A settings file that cannot be read (not a regular file, or far too large) stops the command:
// going on with an empty look would only fail later, naming an empty logo.
Outcome openWall(WallProject& project) {
    const QString work = workFolder();
    createWorkFolder(work, templateFolder());
    repairWorkFolder(work, templateFolder());
    if (project.loadSettings(userSettingsFile(), applicationFolder(), work) ==
        UserSettingsSource::Unreadable) {
        return Outcome::failure(
            QStringLiteral("The settings file \"%1\" cannot be read: it is not a regular file, "
                           "or larger than %2 MB. Move it away to start from the default look.")
                .arg(userSettingsFile())
                .arg(kTextFileLimit >> 20));
    }
    project.loadIndex(work);
    showFullScreenButton(work, false);
    return {};
}

Outcome applyAndReport(const WallProject& project) {
    const QStringList problems = applyWall(project, workFolder());
    return {problems.isEmpty() ? int(kSuccess) : int(kFailure), problems};
}

Outcome runStep(Job& job, Progress& progress, const QString& label, const QString& ifStopped);

Outcome runPdfImport(const ImportOptions& options, Progress& progress);

Outcome runImport(const ImportOptions& options, Progress& progress) {
    if (isPdfFile(options.deck)) {
        return runPdfImport(options, progress);
    }
    const QString converter = converterProgram();
    const QString deck = absolute(options.deck);
    for (const QString& problem : {converterProblem(converter), sourceProblem(deck)}) {
        if (!problem.isEmpty()) {
            return Outcome::failure(problem);
        }
    }
    WallProject project;
    if (Outcome opened = openWall(project); opened.status != kSuccess) {
        return opened;
    }
    ImportJob job;
    job.setRequest({converter, deck, workFolder(), !options.customRange,
                    options.customRange ? options.chooesPage : QStringList()});
    bool preparing = false;
    QObject::connect(&job, &Job::progress, [&](qint64 done, qint64 total, const QString&) {
        if (job.stage() == ImportJob::Stage::TakingIn && !preparing) {
            preparing = true;
            progress.step(QStringLiteral("Preparing slides"));
        }
        progress.update(int(done), int(total));
    });
    if (Outcome converted = runStep(job, progress, QStringLiteral("Converting slides"),
                                    QStringLiteral("the wall is left as it was."));
        converted.status != kSuccess) {
        return converted;
    }
    project.setImages(job.slides().imageNumbers());
    project.takeDeckDetails(workFolder());
    return applyAndReport(project);
}

Outcome runApply(const ApplyOptions& given, Progress&) {
    ApplyOptions options = given;
    for (std::optional<QString>* picture : {&options.backgroundFile, &options.logoFile}) {
        if (!*picture) {
            continue;
        }
        // The settings file keeps the path for later runs, from any folder.
        **picture = absolute(**picture);
        if (!QImageReader(**picture).canRead()) {
            return Outcome::failure(
                QStringLiteral("\"%1\" is not a picture murano can read.").arg(**picture));
        }
    }
    WallProject project;
    if (Outcome opened = openWall(project); opened.status != kSuccess) {
        return opened;
    }
    if (options.notesPublished) {
        QString error;
        if (!setNotesPublished(WallFolder(workFolder()), *options.notesPublished, error)) {
            return Outcome::failure(error);
        }
    }
    project.setLook(options.appliedTo(project.look()));
    return applyAndReport(project);
}

// The page's head and file name as the publish dialog would start with them.
BookOptions rememberedBookOfTheWall() {
    RememberedValues values;
    values.load(rememberedValuesFile());
    return rememberedBook(values);
}

// Archive and copy steps report their entries on the progress line.
ZipProgress entriesTo(Progress& progress) {
    return [&progress](int done, int total) { progress.update(done, total); };
}

QString progressLabel(PublishMode mode) {
    return mode == PublishMode::Html ? QStringLiteral("Copying the wall")
                                     : QStringLiteral("Packing the wall");
}

Outcome runPublish(const PublishOptions& options, Progress& progress) {
    const QString folder = QDir::cleanPath(absolute(options.output));
    const QString target = outputTarget(folder, options.name, options.mode);
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir()) {
        return Outcome::failure(QStringLiteral("\"%1\" is not a folder.").arg(folder));
    }
    const QStringList replaced = replacedByOutput(folder, options.name, options.mode);
    if (!replaced.isEmpty() && !options.overwrite) {
        return Outcome::failure(QStringLiteral("%1 exist%2; add --overwrite to replace %3.")
                                    .arg(quotedPaths(replaced), replaced.size() == 1 ? "s" : "",
                                         replaced.size() == 1 ? "it" : "them"));
    }
    WallProject project;
    if (Outcome opened = openWall(project); opened.status != kSuccess) {
        return opened;
    }
    const bool created = !info.exists();
    if (created && !QDir().mkpath(folder)) {
        return Outcome::failure(QStringLiteral("\"%1\" cannot be created.").arg(folder));
    }
    progress.step(progressLabel(options.mode));
    const JobResult result =
        publishOutput(options.mode, WallFolder(workFolder()), folder,
                      options.bookOver(rememberedBookOfTheWall()), entriesTo(progress));
    progress.finish();
    if (!result.ok()) {
        if (created) {
            removeTree(folder); // it held nothing of the user's
        }
        return Outcome::failure(result.message);
    }
    printOut(target + "\n");
    return {};
}

Outcome runProjectSave(const ProjectOptions& options, Progress& progress) {
    const QString file = withProjectSuffix(absolute(options.file));
    if (QFileInfo::exists(file) && !options.overwrite) {
        return Outcome::failure(
            QStringLiteral("\"%1\" exists; add --overwrite to replace it.").arg(file));
    }
    WallProject project;
    if (Outcome opened = openWall(project); opened.status != kSuccess) {
        return opened;
    }
    progress.step(QStringLiteral("Saving the project"));
    const JobResult result =
        saveProject(file, workFolder(), rememberedBookOfTheWall(), entriesTo(progress));
    progress.finish();
    if (!result.ok()) {
        return Outcome::failure(result.message);
    }
    printOut(file + "\n");
    return {};
}

Outcome runProjectOpen(const ProjectOptions& options, Progress& progress) {
    const QString file = absolute(options.file);
    if (!QFileInfo(file).isFile()) {
        return Outcome::failure(QStringLiteral("\"%1\" does not exist.").arg(file));
    }
    WallProject project;
    if (Outcome opened = openWall(project); opened.status != kSuccess) {
        return opened;
    }
    progress.step(QStringLiteral("Opening the project"));
    ProjectOpening opening = programProjectOpening();
    opening.progress = entriesTo(progress);
    const JobResult result = readProject(file, workFolder(), opening);
    progress.finish();
    if (!result.ok()) {
        return Outcome::failure(result.message);
    }
    // The project's look becomes the wall's, so that a later apply or import keeps it.
    const QStringList problems = project.adoptWall(workFolder());
    return {problems.isEmpty() ? int(kSuccess) : int(kFailure), problems};
}

// A job run to its end on this thread's event loop as one step of the progress display. SIGINT,
// SIGTERM and SIGHUP stop it (the outcome then has 128 + the signal's number, unless the work had
// already been done); a failure is the job's message on one line.
Outcome runStep(Job& job, Progress& progress, const QString& label, const QString& ifStopped) {
    QEventLoop loop;
    QObject::connect(&job, &Job::finished, &loop, &QEventLoop::quit);
    int stoppedBy = 0;
    StopSignals stopSignals;
    stopSignals.onStop(&loop, [&](int number) {
        stoppedBy = number;
        job.cancel();
    });
    progress.step(label);
    if (job.start() && job.isRunning()) {
        loop.exec();
    }
    progress.finish();
    if (stoppedBy != 0 && !job.result().ok()) {
        return Outcome::failure(QStringLiteral("Stopped; %1").arg(ifStopped), 128 + stoppedBy);
    }
    if (!job.result().ok()) {
        return Outcome::failure(QString(job.result().message).replace('\n', ' '));
    }
    return {};
}

// --password-file: the password is the file's first line, without its line end.
std::optional<QByteArray> passwordFrom(const QString& file, QString& problem) {
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("--password-file: \"%1\" cannot be read.").arg(absolute(file));
        return std::nullopt;
    }
    QByteArray line = input.readLine(kTextFileLimit);
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

Outcome runPdfImport(const ImportOptions& options, Progress& progress) {
    PdfImportRequest request;
    request.pdf = absolute(options.deck);
    request.allPages = !options.customRange;
    request.chooesPage = options.customRange ? options.chooesPage : QStringList();
    if (const QString problem = sourceProblem(request.pdf); !problem.isEmpty()) {
        return Outcome::failure(problem);
    }
    if (!options.passwordFile.isEmpty()) {
        QString problem;
        const std::optional<QByteArray> password = passwordFrom(options.passwordFile, problem);
        if (!password) {
            return Outcome::failure(problem, kUsageError);
        }
        request.password = *password;
    }
    WallProject project;
    if (Outcome opened = openWall(project); opened.status != kSuccess) {
        return opened;
    }
    request.workFolder = workFolder();
    PdfImportJob job;
    job.setRequest(request);
    QObject::connect(&job, &Job::progress, [&progress](qint64 done, qint64 total, const QString&) {
        progress.update(int(done), int(total));
    });
    Outcome rendered = runStep(job, progress, QStringLiteral("Rendering pages"),
                               QStringLiteral("the wall is left as it was."));
    if (job.problem() == PdfDocument::Problem::NeedsPassword) {
        rendered.messages.last() += QStringLiteral(" Give it with --password-file FILE.");
    }
    if (rendered.status != kSuccess) {
        return rendered;
    }
    project.setImages(job.slides().imageNumbers());
    project.takeDeckDetails(workFolder());
    return applyAndReport(project);
}

// The password of an upload: one line on standard input when it is not a terminal, else the one
// the window remembers for that user.
std::optional<QString> uploadPassword(const QString& user) {
    if (::isatty(STDIN_FILENO) != 1) {
        QTextStream input(stdin);
        const QString line = input.readLine();
        if (!line.isEmpty()) {
            return line;
        }
    }
    const Credentials remembered = readCredentials();
    if (remembered.userName == user && !remembered.password.isEmpty()) {
        return remembered.password;
    }
    return std::nullopt;
}

Outcome runUpload(const UploadOptions& options, Progress& progress) {
    const std::optional<QString> password = uploadPassword(options.user);
    if (!password) {
        return Outcome::failure(QStringLiteral("no password for \"%1\": give it on standard "
                                               "input, or log in once in the window with "
                                               "Remember ticked.")
                                    .arg(options.user),
                                kUsageError);
    }
    const QString service = options.service.isEmpty() ? bookServiceUrl() : options.service;
    QNetworkAccessManager network;
    LoginJob login(&network);
    login.setLogin(service, options.user, *password, kUploadTimeoutMs);
    if (Outcome logged = runStep(login, progress, QStringLiteral("Logging in"),
                                 QStringLiteral("nothing was uploaded."));
        logged.status != kSuccess) {
        return logged;
    }
    WallProject project;
    if (Outcome opened = openWall(project); opened.status != kSuccess) {
        return opened;
    }
    QTemporaryDir scratch(tempFolder() + QStringLiteral("upload-XXXXXX"));
    UploadJob upload(&network);
    upload.setRequest({service, options.user, login.reply().email, options.book,
                       options.metaOver(rememberedBookOfTheWall().meta), workFolder(),
                       scratch.filePath(QStringLiteral("index.html")),
                       scratch.filePath(QStringLiteral("book.zip")), kUploadTimeoutMs});
    QObject::connect(&upload, &Job::progress,
                     [&progress](qint64 done, qint64 total, const QString& text) {
                         if (!text.isEmpty()) {
                             progress.relabel(text);
                         }
                         progress.update(int(done * 1000 / qMax<qint64>(total, 1)), 1000);
                     });
    if (Outcome uploaded = runStep(upload, progress, QStringLiteral("Uploading"),
                                   QStringLiteral("nothing was published."));
        uploaded.status != kSuccess) {
        return uploaded;
    }
    printOut(bookAddress(service, login.reply().userId, options.book) + "\n");
    return {};
}

Outcome runCommand(const CommandLine& line, Progress& progress) {
    switch (line.command) {
    case Command::Import:
        return runImport(line.import, progress);
    case Command::Apply:
        return runApply(line.apply, progress);
    case Command::Publish:
        return runPublish(line.publish, progress);
    case Command::ProjectSave:
        return runProjectSave(line.project, progress);
    case Command::ProjectOpen:
        return runProjectOpen(line.project, progress);
    case Command::Upload:
        return runUpload(line.upload, progress);
    case Command::Walls:
        return {runWalls(line, progress), {}};
    case Command::Help:
        printOut(usageText(line.topic));
        break;
    case Command::Version:
        printOut(QStringLiteral("murano %1\n").arg(QLatin1String(MURANO_VERSION)));
        break;
    }
    return {};
}

// walls makes walls of its own and leaves the user's alone.
bool changesTheWall(Command command) {
    return command != Command::Help && command != Command::Version && command != Command::Walls;
}

// Every command that opens the wall holds it for its whole run: another murano changing the same
// folder at once would mix two walls.
Outcome runLocked(const CommandLine& line, Progress& progress) {
    if (!changesTheWall(line.command)) {
        return runCommand(line, progress);
    }
    const WallLock lock(workFolder(), WallLock::kBatchWaitMs);
    if (!lock.held()) {
        return Outcome::failure(WallLock::inUseMessage(workFolder()));
    }
    if (!line.work.isEmpty()) {
        if (Outcome checked = checkHoldsAWall(workFolder()); checked.status != kSuccess) {
            return checked;
        }
    }
    return runCommand(line, progress);
}

QString usageError(const CommandLine& line) {
    const QString command = line.topic.isEmpty() ? QString() : line.topic + QStringLiteral(": ");
    const QString help = line.topic.isEmpty() ? QStringLiteral("murano --help")
                                              : QStringLiteral("murano %1 --help").arg(line.topic);
    return QStringLiteral("%1%2 (see %3)").arg(command, line.error, help);
}

} // namespace

bool wantsBatch(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return isBatchCommandLine(arguments);
}

int runCommandLine(const CommandLine& line, Progress& progress) {
    if (!line.error.isEmpty()) {
        progress.message(usageError(line));
        return kUsageError;
    }
    Outcome outcome;
    if (!line.work.isEmpty()) {
        outcome = useWorkFolder(line.work);
    }
    if (outcome.status == kSuccess) {
        outcome = runLocked(line, progress);
    }
    for (const QString& message : outcome.messages) {
        progress.message(message);
    }
    return outcome.status;
}

int runBatch(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quorvex Murano"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvex"));
    qInstallMessageHandler(batchMessages);
    installProcessCodec();
    Progress progress;
    return runCommandLine(parseCommandLine(QCoreApplication::arguments().mid(1)), progress);
}

} // namespace batch
