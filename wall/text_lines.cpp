#include "wall/text_lines.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit) {
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray content = file.read(limit + 1);
    if (content.size() > limit) {
        return std::nullopt;
    }
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
