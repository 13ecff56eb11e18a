#include "wall/locations.h"
#include "platform/posix/posix_files.h"
#include "wall/wall_folder.h"

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
    // The rule every program of ours shares (the converter keeps its office files there too).
    const std::string folder = posix::privateStateFolder();
    if (folder.empty()) {
        const QString path = QFile::decodeName(posix::stateFolderPath().c_str());
        qWarning().noquote() << "The state folder" << path << "cannot be made a private folder.";
        return path;
    }
    return QFile::decodeName(folder.c_str());
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
        return WallFolder(workFolder()).ownSettingsFile();
    }
    return tempFolder() + "/quorvexmrnoini";
}

QString rememberedValuesFile() {
    return WallFolder(workFolder()).rememberedValues();
}

QString projectValuesFile() {
    return WallFolder(workFolder()).projectValues();
}

QString recentProjectsFile() {
    return workFolder() + ".recent";
}
