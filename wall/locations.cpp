#include "wall/locations.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString& applicationFolderOverride() {
    static QString folder;
    return folder;
}

QString& workFolderOverride() {
    static QString folder;
    return folder;
}

QString withTrailingSlash(QString path) {
    if (!path.endsWith('/')) {
        path += '/';
    }
    return path;
}

QString stateBase() {
    // Only an absolute XDG_STATE_HOME counts; a relative one is invalid and ignored.
    const QString configured = qEnvironmentVariable("XDG_STATE_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured)) {
        return configured;
    }
    return QDir::homePath() + "/.local/state";
}

// Keeps the folder at mode 0700. A path that is no folder is never touched: it is reported.
void makePrivate(const QString& folder) {
    if (!QFileInfo(folder).isDir()) {
        qWarning().noquote() << "The state folder" << folder << "is not a folder.";
        return;
    }
    constexpr QFileDevice::Permissions owner =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    constexpr QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileDevice::Permissions now = QFile::permissions(folder);
    if ((now & others) || (now & owner) != owner) {
        QFile::setPermissions(folder, owner);
    }
}

} // namespace

QString applicationFolder() {
    const QString& override = applicationFolderOverride();
    return withTrailingSlash(override.isEmpty() ? QCoreApplication::applicationDirPath()
                                                : override);
}

void setApplicationFolder(const QString& folder) {
    applicationFolderOverride() = folder;
}

QString templateFolder() {
    return applicationFolder() + "flash/";
}

QString skinFolder() {
    QString folder = applicationFolder();
    folder.chop(1);
    return folder + "/Image/";
}

QString templatePreviewFolder() {
    QString folder = applicationFolder();
    folder.chop(1);
    return folder + "/template";
}

QString tempLocation() {
    const QString folder = stateBase() + "/quorvex";
    QDir().mkpath(folder);
    makePrivate(folder);
    return folder;
}

QString tempFolder() {
    return tempLocation() + "/";
}

QString workFolder() {
    const QString& override = workFolderOverride();
    return override.isEmpty() ? tempFolder() + "Quorvex_Murano/" : withTrailingSlash(override);
}

void setWorkFolder(const QString& folder) {
    workFolderOverride() = folder;
}

QString userSettingsFile() {
    if (!workFolderOverride().isEmpty()) {
        return workFolder() + ".quorvexmrnoini";
    }
    return tempFolder() + "/quorvexmrnoini";
}

QString rememberedValuesFile() {
    return workFolder() + ".home";
}

QString projectValuesFile() {
    return workFolder() + ".home..";
}

QString recentProjectsFile() {
    return workFolder() + ".recent";
}
