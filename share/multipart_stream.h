// The body of a book upload, read straight from the archive on disk: the multipart head, the
// archive's bytes and the multipart tail, as one random-access device whose size is known before
// the first byte goes out. Memory stays flat whatever the book's size.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>

// The boundary of the upload form, and the Content-Type that names it.
extern const QByteArray kUploadBoundary;
QByteArray uploadContentType();

// Everything before the archive's bytes (the body begins with an empty line).
QByteArray uploadHead();
// Everything after them: the user name and book name parts and the closing delimiter.
QByteArray uploadTail(const QString& userName, const QString& bookName);

class MultipartStream : public QIODevice {
    Q_OBJECT

public:
    MultipartStream(const QString& archivePath, const QString& userName, const QString& bookName,
                    QObject* parent = nullptr);

    // Opens the archive and the device for reading; false when the archive cannot be opened.
    bool open(OpenMode mode) override;
    void close() override;
    qint64 size() const override;
    bool isSequential() const override { return false; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray head_;
    QByteArray tail_;
    QFile archive_;
    qint64 archiveSize_ = 0;
};
