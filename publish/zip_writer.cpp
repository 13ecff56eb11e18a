#include "publish/zip_writer.h"

#include "wall/folders.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>
#include <QThread>

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

// Files are read and compressed in pieces of this size, so memory does not grow with file size.
constexpr qint64 kReadBufferSize = 102400;
// Files up to this size are deflated ahead into memory; larger ones are streamed straight into
// the archive when their turn comes.
constexpr qint64 kAheadLimit = 4 * 1024 * 1024;
// Entries deflated ahead per worker, at most, before the writer has taken them.
constexpr int kAheadPerWorker = 4;
constexpr int kMaxWorkers = 4;
// General-purpose flag bit 11: the entry name is UTF-8.
constexpr uLong kUtf8NameFlag = 0x800;
constexpr uLong kVersionMadeBy = 0;

struct ZipEntry {
    QString name; // relative to the packed folder, "/" between segments
    QString path;
    qint64 size = 0;
};

// An entry's data as it goes into the archive, deflated ahead by a worker.
struct DeflatedEntry {
    bool streamed = false; // too large to hold: the writer deflates it itself
    QByteArray data;
    uLong crc = 0;
    qint64 size = 0;
    bool readFailed = false;
};

// Zero date fields: minizip stores them as the DOS date word 0x0020 and time word 0x0000.
zip_fileinfo fixedEntryInfo() {
    zip_fileinfo info{};
    return info;
}

bool isAscii(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

int openEntry(zipFile archive, const QString& entryName, bool raw) {
    const bool ascii = isAscii(entryName);
    const QByteArray name = ascii ? entryName.toLatin1() : entryName.toUtf8();
    const zip_fileinfo info = fixedEntryInfo();
    return zipOpenNewFileInZip4(archive, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                                Z_DEFLATED, Z_DEFAULT_COMPRESSION, raw ? 1 : 0, -MAX_WBITS,
                                DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kVersionMadeBy,
                                ascii ? 0 : kUtf8NameFlag);
}

// Raw deflate with the parameters minizip uses for its own entries.
class Deflater {
public:
    Deflater() {
        stream_ = z_stream{};
        deflateInit2(&stream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, DEF_MEM_LEVEL,
                     Z_DEFAULT_STRATEGY);
    }
    ~Deflater() { deflateEnd(&stream_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void add(const char* bytes, qint64 length, QByteArray& out) {
        run(bytes, length, Z_NO_FLUSH, out);
    }
    void finish(QByteArray& out) {
        run(nullptr, 0, Z_FINISH, out);
        deflateReset(&stream_);
    }

private:
    void run(const char* bytes, qint64 length, int flush, QByteArray& out) {
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
        stream_.avail_in = static_cast<uInt>(length);
        char piece[16384];
        int status = Z_OK;
        do {
            stream_.next_out = reinterpret_cast<Bytef*>(piece);
            stream_.avail_out = sizeof piece;
            status = deflate(&stream_, flush);
            out.append(piece, static_cast<qsizetype>(sizeof piece - stream_.avail_out));
        } while (stream_.avail_out == 0 || (flush == Z_FINISH && status == Z_OK));
    }

    z_stream stream_;
};

DeflatedEntry deflateFile(const ZipEntry& entry, Deflater& deflater, QByteArray& buffer) {
    DeflatedEntry result;
    if (entry.size > kAheadLimit) {
        result.streamed = true;
        return result;
    }
    QFile file(entry.path);
    result.readFailed = !file.open(QIODevice::ReadOnly);
    result.crc = crc32(0L, Z_NULL, 0);
    while (!result.readFailed) {
        const qint64 read = file.read(buffer.data(), kReadBufferSize);
        result.readFailed = read < 0;
        if (read <= 0) {
            break;
        }
        result.crc = crc32(result.crc, reinterpret_cast<const Bytef*>(buffer.constData()),
                           static_cast<uInt>(read));
        result.size += read;
        deflater.add(buffer.constData(), read, result.data);
    }
    deflater.finish(result.data);
    return result;
}

// Deflates the entries on worker threads, a bounded number ahead of the writer, which takes
// them strictly in order: the archive's bytes are the same whichever worker finishes first.
class AheadDeflater {
public:
    AheadDeflater(const std::vector<ZipEntry>& entries, int workers)
        : entries_(entries), results_(entries.size()),
          window_(static_cast<size_t>(workers * kAheadPerWorker)) {
        for (int i = 0; i < workers; ++i) {
            threads_.emplace_back([this] { work(); });
        }
    }
    ~AheadDeflater() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }
    AheadDeflater(const AheadDeflater&) = delete;
    AheadDeflater& operator=(const AheadDeflater&) = delete;

    DeflatedEntry take(size_t index) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return results_[index].has_value(); });
        DeflatedEntry entry = std::move(*results_[index]);
        results_[index].reset();
        taken_ = index + 1;
        lock.unlock();
        changed_.notify_all();
        return entry;
    }

private:
    void work() {
        Deflater deflater;
        QByteArray buffer(kReadBufferSize, Qt::Uninitialized);
        for (;;) {
            size_t index = 0;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] {
                    return stopping_ || next_ >= entries_.size() || next_ < taken_ + window_;
                });
                if (stopping_ || next_ >= entries_.size()) {
                    return;
                }
                index = next_++;
            }
            DeflatedEntry entry = deflateFile(entries_[index], deflater, buffer);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                results_[index] = std::move(entry);
            }
            changed_.notify_all();
        }
    }

    const std::vector<ZipEntry>& entries_;
    std::vector<std::optional<DeflatedEntry>> results_;
    const size_t window_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t next_ = 0;
    size_t taken_ = 0;
    bool stopping_ = false;
};

int writeDeflatedEntry(zipFile archive, const QString& name, const DeflatedEntry& entry) {
    int status = openEntry(archive, name, true);
    if (status == ZIP_OK && !entry.data.isEmpty()) {
        status = zipWriteInFileInZip(archive, entry.data.constData(),
                                     static_cast<unsigned>(entry.data.size()));
    }
    const int closed = zipCloseFileInZipRaw(archive, static_cast<uLong>(entry.size), entry.crc);
    return status == ZIP_OK ? closed : status;
}

std::vector<ZipEntry> entriesOf(const QString& folder) {
    QStringList files;
    listFilesRecursive(folder, files);
    std::vector<ZipEntry> entries;
    entries.reserve(static_cast<size_t>(files.size()));
    for (const QString& path : files) {
        entries.push_back({path.mid(folder.size() + 1), path, QFileInfo(path).size()});
    }
    std::sort(entries.begin(), entries.end(),
              [](const ZipEntry& a, const ZipEntry& b) { return a.name < b.name; });
    return entries;
}

int workerCount() {
    return std::clamp(QThread::idealThreadCount(), 1, kMaxWorkers);
}

// One entry streamed from a file; readFailed tells a file that could not be read apart from an
// archive that could not be written (both are ZIP_ERRNO to minizip).
int streamFileIntoZip(zipFile archive, const QString& entryName, const QString& filePath,
                      bool* readFailed) {
    int status = openEntry(archive, entryName, false);
    QFile file(filePath);
    *readFailed = !filePath.isEmpty() && !file.open(QIODevice::ReadOnly);
    if (status == ZIP_OK && file.isOpen()) {
        QByteArray buffer(kReadBufferSize, Qt::Uninitialized);
        qint64 read = 0;
        while (status == ZIP_OK && (read = file.read(buffer.data(), kReadBufferSize)) > 0) {
            status = zipWriteInFileInZip(archive, buffer.constData(), static_cast<unsigned>(read));
        }
        *readFailed = read < 0;
    }
    const int closed = zipCloseFileInZip(archive);
    return status != ZIP_OK ? status : closed;
}

JobResult cannotWrite(const QString& archivePath) {
    return JobResult::failure(
        QObject::tr("Could not write the archive \"%1\". Check that the disk has room and that "
                    "you may write there.")
            .arg(archivePath));
}

JobResult writeEntries(zipFile archive, const std::vector<ZipEntry>& entries,
                       const QString& archivePath, const ZipProgress& progress) {
    AheadDeflater ahead(entries, workerCount());
    const int total = static_cast<int>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const ZipEntry& entry = entries[i];
        const DeflatedEntry deflated = ahead.take(i);
        bool readFailed = deflated.readFailed;
        const int status = deflated.streamed
                               ? streamFileIntoZip(archive, entry.name, entry.path, &readFailed)
                               : writeDeflatedEntry(archive, entry.name, deflated);
        if (readFailed) {
            return JobResult::failure(QObject::tr("Could not read \"%1\".").arg(entry.path));
        }
        if (status != ZIP_OK) {
            return cannotWrite(archivePath);
        }
        if (progress) {
            progress(static_cast<int>(i) + 1, total);
        }
    }
    return JobResult::done();
}

// The partial archives of the same target that earlier runs left: ".<name>.<pid>-<n>.part".
QRegularExpression leftoverPattern(const QString& fileName) {
    return QRegularExpression(
        QStringLiteral("^\\.%1\\.(\\d+)-\\d+\\.part$").arg(QRegularExpression::escape(fileName)));
}

// The archive in the making: a new file beside the target, created with the rights any new file
// gets, removed again unless it replaces the target once complete.
class PartialArchive {
public:
    explicit PartialArchive(const QString& target) : target_(target) {
        const QFileInfo info(target);
        removeLeftoversOfEndedProcesses(info.absolutePath(), leftoverPattern(info.fileName()));
        for (int attempt = 0; attempt < 100 && path_.isEmpty(); ++attempt) {
            const QString candidate = QStringLiteral("%1/.%2.%3-%4.part")
                                          .arg(info.absolutePath(), info.fileName())
                                          .arg(QCoreApplication::applicationPid())
                                          .arg(attempt);
            if (std::FILE* file = std::fopen(QFile::encodeName(candidate).constData(), "wbx")) {
                std::fclose(file);
                path_ = candidate;
            } else if (errno != EEXIST) {
                break;
            }
        }
    }
    ~PartialArchive() {
        if (!path_.isEmpty()) {
            QFile::remove(path_);
        }
    }
    PartialArchive(const PartialArchive&) = delete;
    PartialArchive& operator=(const PartialArchive&) = delete;

    bool created() const { return !path_.isEmpty(); }
    QByteArray encodedPath() const { return QFile::encodeName(path_); }

    // Moves the finished archive over the target in one step.
    bool replaceTarget() {
        if (std::rename(encodedPath().constData(), QFile::encodeName(target_).constData()) != 0) {
            return false;
        }
        path_.clear();
        return true;
    }

private:
    QString target_;
    QString path_;
};

} // namespace

int addFileToZip(zipFile archive, const QString& entryName, const QString& filePath) {
    bool readFailed = false;
    const int status = streamFileIntoZip(archive, entryName, filePath, &readFailed);
    return status == ZIP_OK && readFailed ? ZIP_ERRNO : status;
}

JobResult zipFolder(const QString& folder, const QString& archivePath,
                    const ZipProgress& progress) {
    QString root = toNativePath(folder);
    while (root.size() > 1 && root.endsWith('/')) {
        root.chop(1);
    }
    const std::vector<ZipEntry> entries = entriesOf(root);
    PartialArchive partial(archivePath);
    if (!partial.created()) {
        return JobResult::failure(
            QObject::tr("Could not create the archive \"%1\". Check the folder and your rights "
                        "there.")
                .arg(archivePath));
    }
    zipFile archive = zipOpen(partial.encodedPath().constData(), APPEND_STATUS_CREATE);
    if (!archive) {
        return cannotWrite(archivePath);
    }
    JobResult result = writeEntries(archive, entries, archivePath, progress);
    if (zipClose(archive, nullptr) != ZIP_OK && result.ok()) {
        result = cannotWrite(archivePath);
    }
    if (result.ok() && !partial.replaceTarget()) {
        result = JobResult::failure(
            QObject::tr("Could not replace \"%1\" with the new archive.").arg(archivePath));
    }
    return result;
}

JobResult makeZip(const QString& archivePath, const QString& stagingFolder, const WallFolder& wall,
                  const BookOptions& book, const ZipProgress& progress) {
    qDebug() << "makeZip" << archivePath;
    removeTree(stagingFolder);
    JobResult result;
    if (!QDir().mkpath(stagingFolder)) {
        result = JobResult::failure(
            QObject::tr("Could not create the folder \"%1\".").arg(stagingFolder));
    }
    if (result.ok()) {
        result = copyBook(wall, stagingFolder, book, FileTransfer::LinkWhenPossible);
    }
    if (result.ok()) {
        result = zipFolder(stagingFolder, archivePath, progress);
    }
    removeTree(stagingFolder);
    return result;
}
