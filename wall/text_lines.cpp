#include "wall/text_lines.h"

#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::optional<QByteArray> readOpenedFile(int descriptor, qint64 limit) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > limit) {
        return std::nullopt;
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        return std::nullopt;
    }
    QByteArray content = file.read(limit + 1);
    if (content.size() > limit) {
        return std::nullopt;
    }
    return content;
}

} // namespace

std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit) {
    // Opened without blocking and only then looked at, so that a FIFO put in the file's place
    // between a look and the opening cannot hold the program.
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return std::nullopt;
    }
    std::optional<QByteArray> content = readOpenedFile(descriptor, limit);
    ::close(descriptor);
    return content;
}

std::optional<QStringList> readTextLines(const QString& path) {
    const std::optional<QByteArray> content = readRegularFile(path, kTextFileLimit);
    if (!content) {
        return std::nullopt;
    }
    QString text = QString::fromUtf8(*content);
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1); // a byte-order mark left by an editor is no part of the first value
    }
    QStringList lines = text.split('\n');
    if (lines.last().isEmpty()) {
        lines.removeLast();
    }
    for (QString& line : lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    return lines;
}

bool writeTextLines(const QString& path, const QStringList& lines) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += '\n';
    }
    file.write(bytes);
    return file.commit();
}

QString onOneLine(QString value) {
    value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    value.replace('\r', ' ');
    value.replace('\n', ' ');
    return value;
}
