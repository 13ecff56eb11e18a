#include "publish/publish_output.h"
#include "wall/wall_folder.h"

#include "publish/exe_output.h"
#include "wall/remembered_values.h"

#include <QChar>
#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

QString outputExtension(PublishMode mode) {
    switch (mode) {
    case PublishMode::Zip:
        return QStringLiteral(".zip");
    case PublishMode::Exe:
        return QStringLiteral(".exe");
    case PublishMode::Html:
        break;
    }
    return QStringLiteral(".html");
}

QString outputNameProblem(const QString& name, PublishMode mode) {
    if (name.isEmpty() && mode != PublishMode::Html) {
        return QCoreApplication::translate("Publish", "Name the %1 file: an empty name would make "
                                                      "a hidden \"%2\".")
            .arg(outputExtension(mode).mid(1).toUpper(), outputExtension(mode));
    }
    if (!name.contains('/') && !name.contains(QChar(0)) && name != "." && name != "..") {
        return QString();
    }
    return QCoreApplication::translate("Publish",
                                       "\"%1\" cannot be a file name: it must not contain \"/\".")
        .arg(name);
}

QString outputTarget(const QString& folder, const QString& name, PublishMode mode) {
    // The web folder's page is named as copyBook names it (an empty name gives "index.html").
    return folder + "/" +
           (mode == PublishMode::Html ? pageFileName(name) : name + outputExtension(mode));
}

QStringList replacedByOutput(const QString& folder, const QString& name, PublishMode mode) {
    if (mode == PublishMode::Html) {
        QStringList entries = existingBookEntries(folder, name);
        // The page first: it is what the user named.
        const QString page = outputTarget(folder, name, mode);
        if (entries.removeAll(page) > 0) {
            entries.prepend(page);
        }
        return entries;
    }
    const QString target = outputTarget(folder, name, mode);
    return QFileInfo::exists(target) || QFileInfo(target).isSymLink() ? QStringList{target}
                                                                      : QStringList{};
}

ThreadJob* makePublishJob(PublishWork work, QObject* parent) {
    return new ThreadJob(
        [work = std::move(work)](ThreadJob& job) {
            return work([&job](int done, int total) { job.report(done, total); });
        },
        parent);
}

QString quotedPaths(const QStringList& paths) {
    QStringList quoted;
    for (const QString& path : paths) {
        quoted << QLatin1Char('"') + path + QLatin1Char('"');
    }
    return quoted.join(QStringLiteral(", "));
}

QString embeddingSnippet(const BookOptions& book) {
    const QString name =
        book.pageName.trimmed().isEmpty() ? QStringLiteral("index") : book.pageName;
    const QString page =
        QString::fromLatin1(QUrl::toPercentEncoding(name + QStringLiteral(".html")));
    const QString title =
        book.meta.title.trimmed().isEmpty() ? QStringLiteral("Book") : book.meta.title;
    return QStringLiteral("<iframe src=\"%1\" title=\"%2\" width=\"960\" height=\"600\" "
                          "style=\"border:0;max-width:100%\" allowfullscreen></iframe>")
        .arg(page, title.toHtmlEscaped());
}

BookOptions rememberedBook(const RememberedValues& values) {
    return {values.value(SlotOutputName),
            {values.value(SlotHtmlTitle), values.value(SlotHtmlKeywords),
             values.value(SlotHtmlDescription)},
            BookLayout::Web};
}

JobResult publishOutput(PublishMode mode, const WallFolder& wall, const QString& folder,
                        const BookOptions& book, const ZipProgress& progress) {
    // The name may come from a remembered-values file, which anyone could have edited.
    if (const QString problem = outputNameProblem(book.pageName, mode); !problem.isEmpty()) {
        return JobResult::failure(problem);
    }
    switch (mode) {
    case PublishMode::Html:
        return copyBook(wall, folder, book);
    case PublishMode::Zip:
        return makeZip(outputTarget(folder, book.pageName, mode), wall.archiveStaging(), wall, book,
                       progress);
    case PublishMode::Exe:
        break;
    }
    return makeExe(outputTarget(folder, book.pageName, mode), wall.executableArchive(book.pageName),
                   wall, progress);
}
