#include "wall/gallery_index.h"

#include "wall/text_lines.h"

#include <QDebug>
#include <QFile>
#include <QSaveFile>

namespace {

const QString kDeclaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>");
const QString kClosingTag = QStringLiteral("</gallery>");

bool readWhole(const QString& path, QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    content = file.readAll();
    return true;
}

bool writeWhole(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(content);
    return file.commit();
}

} // namespace

bool GalleryIndex::load(const QString& path) {
    lines_.clear();
    QByteArray content;
    const bool readable = readWhole(path, content);
    // The table holds every line up to and including the first empty one; it has no upper bound,
    // so a wall of any size survives a load and a write.
    const QStringList sections = QString::fromUtf8(content).split(QLatin1Char('\n'));
    for (const QString& line : sections) {
        lines_.append(line);
        if (line.isEmpty()) {
            break;
        }
    }
    return readable;
}

void GalleryIndex::ensureHeaderLines() {
    if (lines_.isEmpty() || lines_.first().isEmpty()) {
        // A missing or blank index still becomes a whole, well-formed file.
        lines_ = QStringList{kDeclaration, QString(), kClosingTag};
    }
    if (lines_.size() < 3) {
        // Only a declaration: the start tag and the closing tag follow it.
        lines_.resize(2);
        lines_.append(kClosingTag);
    }
}

void GalleryIndex::setImageLines(const QStringList& imageNumbers) {
    ensureHeaderLines();
    lines_.erase(lines_.begin() + 2, lines_.end());
    for (const QString& number : imageNumbers) {
        const QString line = imageLine(number);
        qDebug().noquote() << line;
        lines_.append(line);
    }
    lines_.append(kClosingTag);
}

void GalleryIndex::setStartTag(const QString& startTag) {
    ensureHeaderLines();
    lines_[1] = startTag;
}

bool GalleryIndex::write(const QString& path) const {
    return writeTextLines(path, lines_);
}

QString imageLine(const QString& number) {
    return QStringLiteral("\t<img src=\"%1%2\" width=\"960\" height=\"720\" />")
        .arg(number, QStringLiteral(".jpg"));
}

QStringList selectedImageNumbers(bool allPages, int imageCount, int firstIndex,
                                 const QStringList& chosenPages, int chosenCount) {
    QStringList numbers;
    if (allPages) {
        for (int k = 0; k < imageCount; ++k) {
            numbers.append(QString::number(firstIndex + k));
        }
        return numbers;
    }
    const int count = std::min<int>(chosenCount, static_cast<int>(chosenPages.size()));
    for (int i = 0; i < count; ++i) {
        // The number without the blanks typed around it, as the slide's file is named.
        const QString page = chosenPages.at(i).trimmed();
        if (page.toInt() <= imageCount) {
            numbers.append(page);
        }
    }
    return numbers;
}

bool replaceInIndex(const QString& path, const QString& from, const QString& to) {
    QByteArray content;
    if (!readWhole(path, content)) {
        return false;
    }
    QString text = QString::fromUtf8(content);
    text.replace(from, to, Qt::CaseSensitive);
    return writeWhole(path, text.toUtf8());
}
