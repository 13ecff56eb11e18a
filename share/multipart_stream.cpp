#include "share/multipart_stream.h"

#include <algorithm>
#include <cstring>

const QByteArray kUploadBoundary = QByteArray(29, '-') + "7d935033608e2";

namespace {

const QByteArray kCrLf = "\r\n";

QByteArray textPart(const QByteArray& name, const QString& value) {
    return "--" + kUploadBoundary + kCrLf + "Content-Disposition: form-data; name=\"" + name +
           "\"" + kCrLf + kCrLf + value.toUtf8() + kCrLf;
}

// Copies what overlaps [at, at + maxSize) of a block that starts at blockStart; the bytes copied.
qint64 copyFromBlock(const QByteArray& block, qint64 blockStart, qint64 at, char* data,
                     qint64 maxSize) {
    const qint64 count = std::min<qint64>(maxSize, blockStart + block.size() - at);
    std::memcpy(data, block.constData() + (at - blockStart), size_t(count));
    return count;
}

} // namespace

QByteArray uploadContentType() {
    return "multipart/form-data; boundary=" + kUploadBoundary;
}

QByteArray uploadHead() {
    return kCrLf + "--" + kUploadBoundary + kCrLf +
           "Content-Disposition: form-data; name=\"user_upload_file[]\"; filename=\"" +
           "zapperstab" + ".zip\"" + kCrLf + "Content-Type: application/octet-stream" + kCrLf +
           kCrLf;
}

QByteArray uploadTail(const QString& userName, const QString& bookName) {
    return kCrLf + textPart("username", userName) + textPart("bookname", bookName) + "--" +
           kUploadBoundary + "--" + kCrLf;
}

MultipartStream::MultipartStream(const QString& archivePath, const QString& userName,
                                 const QString& bookName, QObject* parent)
    : QIODevice(parent), head_(uploadHead()), tail_(uploadTail(userName, bookName)),
      archive_(archivePath) {}

bool MultipartStream::open(OpenMode mode) {
    if (mode != ReadOnly || !archive_.open(QIODevice::ReadOnly)) {
        return false;
    }
    archiveSize_ = archive_.size();
    return QIODevice::open(ReadOnly | Unbuffered);
}

void MultipartStream::close() {
    archive_.close();
    QIODevice::close();
}

qint64 MultipartStream::size() const {
    return head_.size() + archiveSize_ + tail_.size();
}

qint64 MultipartStream::readData(char* data, qint64 maxSize) {
    const qint64 archiveStart = head_.size();
    const qint64 tailStart = archiveStart + archiveSize_;
    qint64 at = pos();
    qint64 done = 0;
    while (done < maxSize && at < size()) {
        qint64 got = 0;
        if (at < archiveStart) {
            got = copyFromBlock(head_, 0, at, data + done, maxSize - done);
        } else if (at < tailStart) {
            if (!archive_.seek(at - archiveStart)) {
                return -1;
            }
            got = archive_.read(data + done, std::min(maxSize - done, tailStart - at));
            if (got <= 0) {
                return -1; // the archive shrank or failed: the body would be wrong
            }
        } else {
            got = copyFromBlock(tail_, tailStart, at, data + done, maxSize - done);
        }
        done += got;
        at += got;
    }
    return done;
}
