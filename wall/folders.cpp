#include "wall/folders.h"

#include "platform/leftovers/owned_names.h"
#include "platform/posix/posix_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <unistd.h>

namespace {

constexpr int kFolderAttempts = 5;
constexpr int kFolderRetryMs = 100;

void makeOwnerWritable(const QString& file) {
    const QFileDevice::Permissions now = QFile::permissions(file);
    if (!(now & QFileDevice::WriteOwner)) {
        QFile::setPermissions(file, now | QFileDevice::WriteOwner);
    }
}

} // namespace

QString toNativePath(const QString& path) {
    static const QRegularExpression slashes(QStringLiteral("/{2,}"));
    QString native = path;
    return native.replace(slashes, QStringLiteral("/"));
}

bool isEmptyFolder(const QString& folder) {
    return QFileInfo(folder).isDir() && QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden |
                                                             QDir::System | QDir::NoDotAndDotDot);
}

bool removeTree(const QString& folder) {
    return posix::removeTree(QFile::encodeName(folder).toStdString());
}

void copyTree(const QString& source, const QString& destination) {
    const QDir sourceDir(source);
    if (!sourceDir.exists()) {
        return;
    }
    ensureFolder(destination);
    const QFileInfoList files = sourceDir.entryInfoList(QDir::Files);
    for (const QFileInfo& file : files) {
        const QString target = toNativePath(destination + "/" + file.fileName());
        if (QFile::copy(toNativePath(source + "/" + file.fileName()), target)) {
            makeOwnerWritable(target);
        }
    }
    const QFileInfoList folders = sourceDir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& sub : folders) {
        if (!sub.isSymLink()) {
            copyTree(source + "/" + sub.fileName(), destination + "/" + sub.fileName());
        }
    }
}

void listFilesRecursive(const QString& folder, QStringList& files) {
    const QDir dir(folder);
    if (!dir.exists()) {
        return;
    }
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        const QString path = folder + "/" + entry.fileName();
        if (entry.isDir()) {
            if (!entry.isSymLink()) {
                listFilesRecursive(path, files);
            }
        } else {
            files.append(path);
        }
    }
}

bool copyFolderFiles(const QString& destination, const QString& source, QString* failedFile,
                     FileTransfer transfer) {
    if (!ensureFolder(destination)) {
        return false;
    }
    const QFileInfoList files = QDir(source).entryInfoList(QDir::Files);
    for (const QFileInfo& file : files) {
        const QString target = destination + file.fileName();
        if (transfer == FileTransfer::LinkWhenPossible &&
            ::link(QFile::encodeName(source + file.fileName()).constData(),
                   QFile::encodeName(target).constData()) == 0) {
            continue;
        }
        if (!QFile::copy(source + file.fileName(), target)) {
            if (QFileInfo(target).isFile()) {
                continue;
            }
            if (failedFile) {
                *failedFile = file.fileName();
            }
            return false;
        }
        makeOwnerWritable(target);
    }
    return true;
}

bool ensureFolder(const QString& folder) {
    const QString native = toNativePath(folder);
    for (int attempt = 1; attempt <= kFolderAttempts; ++attempt) {
        if (QFileInfo(native).isDir()) {
            return true;
        }
        if (QDir().mkpath(native) || attempt == kFolderAttempts) {
            continue;
        }
        QThread::msleep(kFolderRetryMs);
    }
    return QFileInfo(native).isDir();
}

void removeLeftoversOfEndedProcesses(const QString& folder, const QRegularExpression& pattern) {
    const QDir dir(folder);
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch() && murano::leftovers::processGone(match.captured(1).toLong())) {
            const QString path = dir.filePath(name);
            if (!removeTree(path)) {
                QFile::remove(path);
            }
        }
    }
}
