#include "share/book_packing.h"

#include "publish/page_words.h"
#include "publish/zip_writer.h"
#include "wall/deck_words.h"
#include "wall/folders.h"
#include "wall/wall_folder.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

const QString kRootPage = QStringLiteral("/index.html");

JobResult writeRewrittenPage(const BookPacking& packing) {
    QFile source(packing.root + kRootPage);
    if (!source.open(QIODevice::ReadOnly)) {
        return JobResult::failure(
            QObject::tr("The wall's page %1 cannot be read.").arg(source.fileName()));
    }
    QByteArray page;
    const JobResult altered =
        alterHtml(source.readAll(), publishedMeta(packing.meta, packing.root), &page);
    if (!altered.ok()) {
        return altered;
    }
    addPageWords(&page, WallFolder(packing.root));
    QFile::remove(packing.pagePath);
    QFile copy(packing.pagePath);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(page) != page.size() || !copy.flush()) {
        return JobResult::failure(
            QObject::tr("The page %1 cannot be written.").arg(packing.pagePath));
    }
    return JobResult::done();
}

// A file that cannot be read still gets its entry, short or empty; only a failure of the archive
// itself ends the packing.
bool addEntry(zipFile archive, const QString& entryName, const QString& path) {
    const int status = addFileToZip(archive, entryName, path);
    return status == ZIP_OK || status == ZIP_ERRNO;
}

// The file an entry packs: the wall's own, or its published words when they differ.
QString packedFile(const QString& path, const QString& relative, const WallFolder& published) {
    for (const QString& words : {WallFolder::wordsEntry(), WallFolder::wordsScriptEntry()}) {
        if (relative == QLatin1Char('/') + words && QFile::exists(published.root() + words)) {
            return published.root() + words;
        }
    }
    return path;
}

JobResult addEntries(zipFile archive, const BookPacking& packing, const WallFolder& published) {
    QStringList files;
    listFilesRecursive(packing.root, files);
    for (const QString& path : files) {
        const QString relative = path.mid(packing.root.size());
        if (relative == kRootPage) {
            continue;
        }
        if (!addEntry(archive, packing.bookName + relative,
                      packedFile(path, relative, published))) {
            return JobResult::failure(QObject::tr("The archive cannot be written."));
        }
    }
    return addEntry(archive, packing.bookName + kRootPage, packing.pagePath)
               ? JobResult::done()
               : JobResult::failure(QObject::tr("The archive cannot be written."));
}

JobResult writeArchive(const BookPacking& packing) {
    QFile::remove(packing.archivePath);
    zipFile archive =
        zipOpen64(QFile::encodeName(packing.archivePath).constData(), APPEND_STATUS_CREATE);
    if (!archive) {
        return JobResult::failure(
            QObject::tr("The archive %1 cannot be created.").arg(packing.archivePath));
    }
    // The uploaded book is published: its words keep the speaker notes only when the wall
    // publishes them.
    QTemporaryDir scratch;
    const WallFolder published(scratch.path());
    QString error;
    if (!scratch.isValid() || !QDir().mkpath(published.root() + QStringLiteral("xml")) ||
        !writePublishedWords(WallFolder(packing.root), published, error)) {
        zipClose(archive, nullptr);
        return JobResult::failure(
            QObject::tr("The book's words cannot be prepared for the upload: %1").arg(error));
    }
    const JobResult added = addEntries(archive, packing, published);
    if (zipClose(archive, nullptr) != ZIP_OK && added.ok()) {
        return JobResult::failure(QObject::tr("The archive cannot be written."));
    }
    return added;
}

} // namespace

JobResult packBook(const BookPacking& packing) {
    qDebug() << "gettheTempZip";
    BookPacking clean = packing;
    clean.root = QDir::cleanPath(packing.root);
    JobResult result = writeRewrittenPage(clean);
    if (result.ok()) {
        result = writeArchive(clean);
    }
    QFile::remove(clean.pagePath);
    if (!result.ok()) {
        QFile::remove(clean.archivePath);
    }
    return result;
}
