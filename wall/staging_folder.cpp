#include "wall/staging_folder.h"

#include "wall/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

const QString kPrefix = QStringLiteral(".murano-staging-");

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

bool exchange(const QString& from, const QString& to) {
    return ::renameat2(AT_FDCWD, encoded(from).constData(), AT_FDCWD, encoded(to).constData(),
                       RENAME_EXCHANGE) == 0;
}

bool rename(const QString& from, const QString& to) {
    return ::renameat2(AT_FDCWD, encoded(from).constData(), AT_FDCWD, encoded(to).constData(),
                       RENAME_NOREPLACE) == 0;
}

// A folder and a file (or the other way round) under one name: replacing one by the other would
// take what the user keeps there. A symbolic link is replaced itself, never followed.
bool kindsClash(const QString& from, const QString& to) {
    struct stat staged {};
    struct stat present {};
    if (::lstat(encoded(from).constData(), &staged) != 0 ||
        ::lstat(encoded(to).constData(), &present) != 0 || S_ISLNK(present.st_mode)) {
        return false;
    }
    return S_ISDIR(staged.st_mode) != S_ISDIR(present.st_mode);
}

} // namespace

StagingFolder::StagingFolder(const QString& folder) : folder_(folder) {
    if (!folder_.endsWith('/')) {
        folder_ += '/';
    }
    if (!QDir().mkpath(folder_)) {
        return;
    }
    static const QRegularExpression leftover(
        QStringLiteral("^%1(\\d+)-").arg(QRegularExpression::escape(kPrefix)));
    removeLeftoversOfEndedProcesses(folder_, leftover);
    QByteArray name =
        encoded(folder_ + kPrefix + QString::number(QCoreApplication::applicationPid()) +
                QStringLiteral("-XXXXXX"));
    if (::mkdtemp(name.data())) {
        path_ = QFile::decodeName(name) + '/';
    }
}

StagingFolder::StagingFolder(const QString& folder, const QString& stagingPath)
    : folder_(folder.endsWith('/') ? folder : folder + '/') {
    removeTree(stagingPath);
    if (QDir().mkpath(stagingPath) &&
        QFile::setPermissions(stagingPath,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        path_ = stagingPath.endsWith('/') ? stagingPath : stagingPath + '/';
    } else {
        removeTree(stagingPath);
    }
}

StagingFolder::~StagingFolder() {
    if (created()) {
        removeTree(path_);
    }
}

bool StagingFolder::moveOne(const QString& name, bool* exchanged) {
    const QString from = path_ + name;
    const QString to = folder_ + name;
    if (kindsClash(from, to)) {
        return false;
    }
    *exchanged = exchange(from, to);
    return *exchanged || (errno == ENOENT && rename(from, to));
}

void StagingFolder::moveBack(const QString& name, bool exchanged) {
    const QString staged = path_ + name;
    const QString placed = folder_ + name;
    if (exchanged) {
        exchange(staged, placed);
    } else {
        rename(placed, staged);
    }
}

bool StagingFolder::moveInto(const QStringList& names, QString* failedName) {
    std::vector<std::pair<QString, bool>> moved;
    for (const QString& name : names) {
        bool exchanged = false;
        if (!moveOne(name, &exchanged)) {
            for (auto entry = moved.rbegin(); entry != moved.rend(); ++entry) {
                moveBack(entry->first, entry->second);
            }
            if (failedName) {
                *failedName = name;
            }
            return false;
        }
        moved.emplace_back(name, exchanged);
    }
    return true;
}
