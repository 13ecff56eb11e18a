#include "dialogs/template_previews.h"

#include "wall/folders.h"

#include <algorithm>

QList<TemplatePreview> findTemplatePreviews(const QString& folder) {
    QStringList files;
    listFilesRecursive(folder, files);
    QList<TemplatePreview> previews;
    for (const QString& path : files) {
        if (!path.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive)) {
            continue;
        }
        const qsizetype start = path.lastIndexOf(QLatin1Char('/')) + 1;
        previews.append({path.mid(start, path.lastIndexOf(QLatin1Char('.')) - start), path});
    }
    std::sort(previews.begin(), previews.end(),
              [](const TemplatePreview& a, const TemplatePreview& b) {
                  const int byName = a.name.compare(b.name, Qt::CaseInsensitive);
                  return byName != 0 ? byName < 0 : a.path < b.path;
              });
    return previews;
}
