#include "share/book_packing.h"

#include "publish/zip_writer.h"
#include "wall/folders.h"

#include <QDebug>
#include <QDir>
#include <QFile>

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

JobResult addEntries(zipFile archive, const BookPacking& packing) {
    QStringList files;
    listFilesRecursive(packing.root, files);
    for (const QString& path : files) {
        const QString relative = path.mid(packing.root.size());
        if (relative == kRootPage) {
            continue;
        }
        if (!addEntry(archive, packing.bookName + relative, path)) {
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
    const JobResult added = addEntries(archive, packing);
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
