#include "publish/project_file.h"
#include "wall/wall_folder.h"

#include "platform/player/gallery_script.h"
#include "platform/zipread/zipread.h"
#include "publish/publish_output.h"
#include "wall/folders.h"
#include "wall/locations.h"
#include "wall/staging_folder.h"
#include "wall/work_folder.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStorageInfo>

#include <algorithm>
#include <map>
#include <string>

namespace {

// Room left free on the disk beyond the unpacked project.
constexpr std::uint64_t kDiskMargin = std::uint64_t(64) << 20;
// Inside the extraction folder, the work folder's replaced data folders wait here for removal.
// Its ":" cannot occur in a vetted entry name, so no unpacked file can be in the way.
// How much larger than the project file its contents may be, once past a small floor.
constexpr std::uint64_t kMaxUnpackRatio = 100;
constexpr std::uint64_t kRatioFloorBytes = std::uint64_t(16) << 20;

// Every file of a vetted archive, by its path relative to the extraction folder, with its size.
using VettedFiles = std::map<std::string, std::uint64_t>;

JobResult failure(const QString& message) {
    return JobResult::failure(message);
}

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

JobResult notAProject(const QString& projectFile, const QString& why) {
    return failure(QObject::tr("\"%1\" cannot be opened as a project: %2").arg(projectFile, why));
}

// Our archives start with an entry's local header. Anything else (another archive format in
// front of a ZIP directory) could show the archive tool other contents than our reader saw.
JobResult checkStart(const QString& projectFile) {
    QFile file(projectFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return notAProject(projectFile, QObject::tr("it cannot be read."));
    }
    if (file.read(4) != QByteArray("PK\x03\x04", 4)) {
        return notAProject(projectFile, QObject::tr("it is not a ZIP archive."));
    }
    return JobResult::done();
}

bool enoughRoom(const QString& workFolder, std::uint64_t unpackedBytes) {
    const QStorageInfo storage(workFolder);
    return !storage.isValid() ||
           std::uint64_t(storage.bytesAvailable()) >= unpackedBytes + kDiskMargin;
}

// A wall's files are mostly JPEGs, which hardly shrink in an archive: a project that unpacks to
// far more than its own size is an archive bomb, not a wall.
bool plausibleRatio(const QString& projectFile, std::uint64_t unpackedBytes) {
    const std::uint64_t packed = std::uint64_t(std::max<qint64>(QFileInfo(projectFile).size(), 0));
    return unpackedBytes <= kRatioFloorBytes || unpackedBytes / kMaxUnpackRatio <= packed;
}

void listFiles(const murano::zipread::Archive& archive, VettedFiles& files, std::uint64_t& total) {
    for (const murano::zipread::Entry& entry : archive.entries()) {
        if (!entry.isDirectory()) {
            files[*murano::zipread::safeRelativePath(entry.name)] = entry.size;
            total += entry.size;
        }
    }
}

// Inflates every entry once, so that each is known to hold exactly its listed size and checksum
// and its local header to name what the directory names: the archive tool then cannot unpack
// more, or other names, than were vetted.
JobResult verifyData(murano::zipread::Archive& archive, const QString& projectFile,
                     const ZipProgress& progress) {
    const auto& entries = archive.entries();
    const int total = static_cast<int>(entries.size());
    for (int i = 0; i < total; ++i) {
        const murano::zipread::Status status =
            archive.read(entries[size_t(i)], [](const char*, std::size_t) { return true; });
        if (!status.ok()) {
            return notAProject(projectFile, QString::fromStdString(status.message()));
        }
        if (progress) {
            progress(i + 1, total);
        }
    }
    return JobResult::done();
}

JobResult vetArchive(const QString& projectFile, const QString& workFolder,
                     const ProjectOpening& opening, VettedFiles& files) {
    if (JobResult start = checkStart(projectFile); !start.ok()) {
        return start;
    }
    murano::zipread::Archive archive;
    murano::zipread::Status status = archive.open(localPath(projectFile));
    if (status.ok()) {
        murano::zipread::Limits limits;
        limits.maxTotalBytes = opening.maxUnpackedBytes;
        limits.maxEntries = size_t(opening.maxEntries);
        status = murano::zipread::checkEntries(archive, limits);
    }
    if (!status.ok()) {
        return notAProject(projectFile, QString::fromStdString(status.message()));
    }
    std::uint64_t total = 0;
    listFiles(archive, files, total);
    if (files.count(WallFolder::indexEntry().toStdString()) == 0) {
        return notAProject(projectFile,
                           QObject::tr("it holds no %1.").arg(WallFolder::indexEntry()));
    }
    if (!plausibleRatio(projectFile, total)) {
        return notAProject(projectFile,
                           QObject::tr("it would unpack to %1 MB, more than %2 times its size.")
                               .arg(total >> 20)
                               .arg(kMaxUnpackRatio));
    }
    if (!enoughRoom(workFolder, total)) {
        return failure(
            QObject::tr("There is not enough room on the disk to open \"%1\".").arg(projectFile));
    }
    return verifyData(archive, projectFile, opening.progress);
}

JobResult runArchiveTool(const QString& tool, const QString& folder, const QString& projectFile,
                         int timeoutMs) {
    if (tool.isEmpty()) {
        return failure(QObject::tr("The archive tool 7z was found neither beside the program "
                                   "nor on the PATH; install p7zip-full to open projects."));
    }
    const QString command =
        QStringLiteral("\"%1\" x -o\"%2\" \"%3\" -y").arg(tool, folder, projectFile);
    qDebug() << "cmd" << command;
    // The same words as the command line, handed over one by one, so that no quote in a file
    // name can add a switch.
    QProcess process;
    process.setProgram(tool);
    process.setArguments({"x", "-o" + folder, projectFile, "-y"});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted()) {
        return failure(QObject::tr("Could not start the archive tool \"%1\".").arg(tool));
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return failure(QObject::tr("The archive tool did not finish unpacking \"%1\" within %2 "
                                   "seconds; the project was not opened.")
                           .arg(projectFile)
                           .arg(timeoutMs / 1000.0));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return failure(QObject::tr("The archive tool could not unpack \"%1\" (exit code %2). %3")
                           .arg(projectFile)
                           .arg(process.exitCode())
                           .arg(said));
    }
    return JobResult::done();
}

JobResult unexpected(const QString& path) {
    return failure(
        QObject::tr("Unpacking the project gave \"%1\", which does not match the project's "
                    "listing; the project was not opened.")
            .arg(path));
}

// Checks everything the archive tool made against the vetted listing: only folders and regular
// files, every file listed with its size, every listed file there. Files get plain rights, and
// their relative paths are collected (a name with "\" is one file at the top level until
// arranged).
JobResult checkExtraction(const QString& folder, const VettedFiles& files,
                          std::map<std::string, QString>& produced) {
    const QDir root(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isDir() && !info.isSymLink()) {
            continue;
        }
        const QString relative = root.relativeFilePath(info.filePath());
        const auto path = murano::zipread::safeRelativePath(relative.toStdString());
        const auto listed = path ? files.find(*path) : files.end();
        if (info.isSymLink() || !info.isFile() || listed == files.end() ||
            std::uint64_t(info.size()) != listed->second || produced.count(*path) != 0) {
            return unexpected(relative);
        }
        QFile::setPermissions(info.filePath(), QFile::ReadOwner | QFile::WriteOwner |
                                                   QFile::ReadGroup | QFile::ReadOther);
        produced[*path] = relative;
    }
    if (produced.size() != files.size()) {
        return failure(QObject::tr("Unpacking the project left files out; the project was not "
                                   "opened."));
    }
    return JobResult::done();
}

bool isProjectFolderFile(const std::string& path) {
    // The folders a project brings into the work folder; everything else in it is ignored.
    for (const QString& folder : WallFolder::topDataFolders()) {
        if (path.rfind(folder.toStdString() + "/", 0) == 0) {
            return true;
        }
    }
    return false;
}

// Moves files unpacked under names with "\" to their place in folders, and makes sure each of
// the four data folders exists (empty when the project has none).
JobResult arrangeExtraction(const QString& folder, const std::map<std::string, QString>& produced) {
    for (const auto& [path, unpacked] : produced) {
        const QString target = QString::fromStdString(path);
        if (!isProjectFolderFile(path) || target == unpacked) {
            continue;
        }
        QDir().mkpath(QFileInfo(folder + target).path());
        if (!QFile::rename(folder + unpacked, folder + target)) {
            return failure(QObject::tr("Could not arrange \"%1\" of the project.").arg(target));
        }
    }
    for (const QString& name : WallFolder::topDataFolders()) {
        if (!QDir().mkpath(folder + name)) {
            return failure(QObject::tr("Could not create the folder \"%1\".").arg(folder + name));
        }
    }
    return JobResult::done();
}

// Puts the unpacked data folders in place of the work folder's, each in one step; the work
// folder's own go into the extraction folder and leave with it. A failure puts back every folder
// already swapped.
JobResult swapFolders(const QString& workFolder, StagingFolder& extraction) {
    QString failed;
    if (extraction.moveInto(WallFolder::topDataFolders(), &failed)) {
        return JobResult::done();
    }
    return failure(QObject::tr("Could not replace the folder \"%1\"; the wall was left as it was.")
                       .arg(workFolder + failed));
}

QString withTrailingSlash(const QString& folder) {
    return folder.endsWith('/') ? folder : folder + '/';
}

} // namespace

QString projectStagingFolder(const QString& workFolder) {
    return toNativePath(WallFolder(workFolder).projectStaging());
}

QString projectExtractionFolder(const QString& workFolder) {
    return toNativePath(WallFolder(workFolder).projectExtraction());
}

QString withProjectSuffix(const QString& fileName) {
    return QFileInfo(fileName).suffix().isEmpty() ? fileName + ".mrnp" : fileName;
}

QString folderOfFile(const QString& filePath) {
    return filePath.left(filePath.lastIndexOf('/'));
}

JobResult saveProject(const QString& projectFile, const QString& workFolder,
                      const BookOptions& book, const ZipProgress& progress) {
    if (const QString problem = outputNameProblem(book.pageName, PublishMode::Html);
        !problem.isEmpty()) {
        return JobResult::failure(problem);
    }
    const QString staging = projectStagingFolder(workFolder);
    BookOptions whole = book;
    whole.wholeWall = true;
    JobResult result = makeZip(projectFile, staging, WallFolder(workFolder), whole, progress);
    removeTree(staging);
    return result;
}

QString findArchiveTool(const QString& applicationFolder) {
    const QFileInfo beside(withTrailingSlash(applicationFolder) + "7z");
    if (beside.isFile() && beside.isExecutable()) {
        return beside.filePath();
    }
    return QStandardPaths::findExecutable("7z");
}

ProjectOpening programProjectOpening() {
    ProjectOpening opening;
    opening.archiveTool = findArchiveTool(applicationFolder());
    opening.templateFolder = templateFolder();
    return opening;
}

JobResult readProject(const QString& projectFile, const QString& workFolder,
                      const ProjectOpening& opening) {
    qDebug() << "readProject" << workFolder;
    const QString work = withTrailingSlash(toNativePath(workFolder));
    const QString file = QFileInfo(projectFile).absoluteFilePath();
    VettedFiles files;
    JobResult result = vetArchive(file, work, opening, files);
    if (!result.ok()) {
        return result;
    }
    // Removed when the opening ends, however it ends.
    StagingFolder extraction(work, projectExtractionFolder(work));
    if (!extraction.created()) {
        return failure(
            QObject::tr("Could not create the folder \"%1\".").arg(projectExtractionFolder(work)));
    }
    if (opening.progress) {
        opening.progress(0, 0);
    }
    std::map<std::string, QString> produced;
    result =
        runArchiveTool(opening.archiveTool, extraction.path(), file, opening.extractionTimeoutMs);
    if (result.ok()) {
        result = checkExtraction(extraction.path(), files, produced);
    }
    if (result.ok()) {
        result = arrangeExtraction(extraction.path(), produced);
    }
    if (result.ok()) {
        result = swapFolders(work, extraction);
    }
    if (result.ok()) {
        repairWorkFolder(work, opening.templateFolder);
        murano::player::writeGalleryScript(WallFolder(work).index());
    }
    return result;
}
