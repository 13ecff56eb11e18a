#include "publish/exe_output.h"
#include "wall/wall_folder.h"

#include "wall/locations.h"

#include <QDataStream>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#include <cerrno>

namespace {

const char* const kPayloadMarker = "QUORVEXBOOKPAYLOAD9876540";
constexpr qint64 kCopyBufferSize = 1 << 20;
// The archive's length word cannot say more; 0xFFFFFFFF itself means "no archive".
constexpr qint64 kMaxArchiveSize = 0xFFFFFFFEll;

constexpr QFileDevice::Permissions kExecutablePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser | QFileDevice::ReadGroup |
    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

// Copies what is left of `from` to the end of `to` through a fixed buffer.
bool appendFile(QFile& from, QIODevice& to) {
    QByteArray buffer(kCopyBufferSize, Qt::Uninitialized);
    for (;;) {
        const qint64 read = from.read(buffer.data(), buffer.size());
        if (read < 0) {
            return false;
        }
        if (read == 0) {
            return from.atEnd();
        }
        if (to.write(buffer.constData(), read) != read) {
            return false;
        }
    }
}

// The payload's head as QDataStream writes a C string and a byte array's length.
bool writePayloadHead(QIODevice& to, quint32 archiveSize) {
    QDataStream stream(&to);
    stream << kPayloadMarker << archiveSize;
    return stream.status() == QDataStream::Ok;
}

JobResult writeExe(QFile& stub, QFile& archive, const QString& targetPath) {
    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly)) {
        return JobResult::failure(
            QString("Cannot write \"%1\": %2").arg(targetPath, target.errorString()));
    }
    // The system's own word for a failed write ("No space left on device"): the file's error
    // text is lost once the buffered writes fail at the commit.
    errno = 0;
    const bool written = appendFile(stub, target) &&
                         writePayloadHead(target, static_cast<quint32>(archive.size())) &&
                         appendFile(archive, target);
    if (!written || !target.setPermissions(kExecutablePermissions) || !target.commit()) {
        const int error = errno;
        const QString reason = error != 0 ? qt_error_string(error) : target.errorString();
        target.cancelWriting();
        return JobResult::failure(QString("Cannot write \"%1\": %2").arg(targetPath, reason));
    }
    return JobResult::done();
}

JobResult appendPayload(const QString& archivePath, const QString& targetPath,
                        const QString& stubPath) {
    QFile stub(stubPath);
    if (!stub.open(QIODevice::ReadOnly)) {
        return JobResult::failure(
            QString("The executable stub \"%1\" is missing or unreadable.").arg(stubPath));
    }
    QFile archive(archivePath);
    if (!archive.open(QIODevice::ReadOnly) || archive.size() == 0) {
        return JobResult::failure(
            QString("The book's archive \"%1\" cannot be read.").arg(archivePath));
    }
    if (archive.size() > kMaxArchiveSize) {
        return JobResult::failure(
            QString("The book is too large for an executable (%1 bytes packed; at most %2).")
                .arg(archive.size())
                .arg(kMaxArchiveSize));
    }
    return writeExe(stub, archive, targetPath);
}

} // namespace

QString windowsStubPath() {
    return applicationFolder() + "book.exe";
}

QString linuxStubPath() {
    return applicationFolder() + "book";
}

JobResult generateExe(const QString& archivePath, const QString& targetPath,
                      const QString& stubPath) {
    qDebug() << "generateExe" << archivePath;
    const JobResult result = appendPayload(archivePath, targetPath, stubPath);
    QFile::remove(archivePath);
    return result;
}

JobResult makeExe(const QString& targetPath, const QString& archivePath, const WallFolder& wall,
                  const ZipProgress& progress, const QString& stubPath) {
    BookOptions book;
    book.layout = BookLayout::Executable;
    const JobResult made = makeZip(archivePath, wall.executableStaging(), wall, book, progress);
    if (!made.ok()) {
        QFile::remove(archivePath);
        return made;
    }
    return generateExe(archivePath, targetPath, stubPath);
}

bool openExe(const QString& targetPath, const QString& linuxStub) {
    return QProcess::startDetached(linuxStub, {"--open", targetPath});
}
