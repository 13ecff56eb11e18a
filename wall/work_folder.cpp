#include "wall/work_folder.h"
#include "wall/wall_folder.h"

#include "wall/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString asFolder(const QString& path) {
    return path.endsWith('/') ? path : path + '/';
}

} // namespace

bool createWorkFolder(const QString& workFolder, const QString& templateFolder) {
    // An empty folder holds no wall yet (one made ahead for the program, such as mktemp -d).
    if (QFileInfo(workFolder).isDir() && !isEmptyFolder(workFolder)) {
        return false;
    }
    ensureFolder(workFolder);
    copyTree(templateFolder, workFolder);
    return true;
}

void repairWorkFolder(const QString& workFolderPath, const QString& templateFolderPath) {
    const QString workFolder = asFolder(workFolderPath);
    const QString templateFolder = asFolder(templateFolderPath);
    ensureFolder(workFolder);
    for (const QString& folder : WallFolder::topDataFolders()) {
        QDir().mkpath(workFolder + folder);
    }
    for (const QString& file : WallFolder::playerFiles()) {
        const QString target = workFolder + file;
        if (!QFileInfo::exists(target)) {
            QFile::copy(templateFolder + file, target);
            QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
        }
    }
}
