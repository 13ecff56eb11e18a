#include "wall/recent_projects.h"

#include "wall/text_lines.h"

#include <QFileInfo>

namespace {

QStringList saved(const QString& listFile, const QStringList& list) {
    writeTextLines(listFile, list);
    return list;
}

} // namespace

QStringList recentProjects(const QString& listFile) {
    QStringList list;
    for (const QString& line : readTextLines(listFile).value_or(QStringList())) {
        if (!line.trimmed().isEmpty() && !list.contains(line) &&
            list.size() < kRecentProjectCount) {
            list.append(line);
        }
    }
    return list;
}

QStringList rememberRecentProject(const QString& listFile, const QString& projectFile) {
    const QString path = QFileInfo(projectFile).absoluteFilePath();
    QStringList list = recentProjects(listFile);
    list.removeAll(path);
    list.prepend(path);
    return saved(listFile, list.mid(0, kRecentProjectCount));
}

QStringList forgetRecentProject(const QString& listFile, const QString& projectFile) {
    QStringList list = recentProjects(listFile);
    list.removeAll(projectFile);
    return saved(listFile, list);
}
