#include "wall/wall_folder.h"

#include <QFileInfo>

WallFolder::WallFolder(const QString& folder)
    : root_(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')) {}

bool WallFolder::holdsAWall() const {
    return QFileInfo::exists(index()) || QFileInfo::exists(movie());
}

QStringList WallFolder::topDataFolders() {
    QStringList top;
    for (const QString& folder : dataFolders()) {
        const QString first = folder.section(QLatin1Char('/'), 0, 0);
        if (!top.contains(first)) {
            top << first;
        }
    }
    return top;
}
