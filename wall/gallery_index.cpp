#include "wall/gallery_index.h"
#include "platform/player/gallery_script.h"

#include "wall/text_lines.h"

#include <QDebug>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

const QString kDeclaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>");
const QString kClosingTag = QStringLiteral("</gallery>");

bool readWhole(const QString& path, QByteArray& content) {
    const std::optional<QByteArray> read = readRegularFile(path, kTextFileLimit);
    content = read.value_or(QByteArray());
    return read.has_value();
}

// One element per line: an index written all on one line (or with several tags on a line) is
// split between its tags, so that the start tag and every image keep a line of their own.
QStringList indexLines(const QByteArray& content) {
    static const QRegularExpression betweenTags(QStringLiteral(">[ \t\r]*<"));
    QString text = QString::fromUtf8(content);
    text.replace(betweenTags, QStringLiteral(">\n<"));
    return text.split(QLatin1Char('\n'));
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
    // The table holds every line that is not blank, and one empty line at the end when the file
    // had any; a blank line between image lines loses none of them. It has no upper bound, so a
    // wall of any size survives a load and a write.
    bool blank = false;
    for (const QString& line : indexLines(content)) {
        if (line.trimmed().isEmpty()) {
            blank = true;
        } else {
            lines_.append(line);
        }
    }
    if (blank) {
        lines_.append(QString());
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
    return writeTextLines(path, lines_) && murano::player::writeGalleryScript(path);
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
