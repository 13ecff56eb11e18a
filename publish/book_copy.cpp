#include "publish/book_copy.h"

#include "wall/folders.h"
#include "wall/wall_look.h"
#include "wall/wall_project.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QTextCodec>

namespace {

constexpr int kTitleLine = 3;

QString withSlash(const QString& folder) {
    return folder.endsWith('/') ? folder : folder + '/';
}

// The charset a page declares in its head, or UTF-8 when it declares none this process knows.
QTextCodec* declaredCodec(const QByteArray& page) {
    static const QRegularExpression charset(
        QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?([A-Za-z0-9_.:-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = charset.match(QString::fromLatin1(page.left(4096)));
    QTextCodec* codec =
        match.hasMatch() ? QTextCodec::codecForName(match.captured(1).toLatin1()) : nullptr;
    return codec ? codec : QTextCodec::codecForName("UTF-8");
}

// Text for an HTML element or a quoted attribute value, showing exactly as typed in a page
// written with codec: markup characters as entities, characters the codec cannot hold (and
// control characters) as numeric references.
QString htmlEscaped(const QString& text, QTextCodec* codec) {
    QString escaped;
    for (const char32_t c : xmlEscaped(text).toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        if (c < 0x20 || !codec->canEncode(character)) {
            escaped += QStringLiteral("&#x%1;").arg(static_cast<uint>(c), 0, 16);
        } else {
            escaped += character;
        }
    }
    return escaped;
}

bool isKeywordsOrDescriptionLine(const QString& line) {
    static const QRegularExpression meta(
        QStringLiteral("^\\s*<meta\\s+name\\s*=\\s*[\"']?(keywords|description)[\"'\\s>]"),
        QRegularExpression::CaseInsensitiveOption);
    return meta.match(line).hasMatch();
}

// The lines of a page split at "\n", each keeping a carriage return before it; a final "\n"
// ends the last line rather than starting an empty one.
QStringList pageLines(const QString& text, bool* endsWithNewline) {
    QStringList lines = text.split('\n');
    *endsWithNewline = lines.size() > 1 && lines.last().isEmpty();
    if (*endsWithNewline) {
        lines.removeLast();
    }
    return lines;
}

// Where a path leads, for telling whether two folders overlap; a missing path is cleaned only.
QString resolvedPath(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool isSameOrInside(const QString& path, const QString& folder) {
    const QString inner = resolvedPath(path);
    const QString outer = resolvedPath(folder);
    return inner == outer || inner.startsWith(outer + '/');
}

// Whether writing the book into destination would damage the source: the same folder, an output
// inside one of the source's data folders, or a source inside one of the folders the copy replaces.
bool destinationEndangersSource(const QString& source, const QString& destination) {
    if (resolvedPath(destination) == resolvedPath(source)) {
        return true;
    }
    for (const char* folder : kBookDataFolders) {
        if (isSameOrInside(destination, source + folder) ||
            isSameOrInside(source, destination + folder)) {
            return true;
        }
    }
    return false;
}

PublishResult copyFile(const QString& from, const QString& to) {
    if (QFile::copy(from, to)) {
        return PublishResult::success();
    }
    return PublishResult::failure(
        QObject::tr("Could not copy \"%1\" to \"%2\".")
            .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to)));
}

PublishResult writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(bytes) == bytes.size() && file.flush()) {
        return PublishResult::success();
    }
    file.close();
    QFile::remove(path);
    return PublishResult::failure(QObject::tr("Could not write \"%1\".").arg(path));
}

PublishResult removeFile(const QString& path) {
    if (!QFileInfo::exists(path) || QFile::remove(path)) {
        return PublishResult::success();
    }
    return PublishResult::failure(QObject::tr("Could not replace \"%1\".").arg(path));
}

// Empties the data folders first and then fills them, so that "wallimages/" loses its old
// "thumbs/" before the new thumbnails arrive.
PublishResult replaceDataFolders(const QString& source, const QString& destination,
                                 FileTransfer transfer) {
    for (const char* folder : kBookDataFolders) {
        removeTree(destination + folder);
        if (QFileInfo::exists(destination + folder)) {
            return PublishResult::failure(
                QObject::tr("Could not replace the folder \"%1\".").arg(destination + folder));
        }
    }
    for (const char* folder : kBookDataFolders) {
        QString failed;
        if (!copyFolderFiles(destination + folder, source + folder, &failed, transfer)) {
            return PublishResult::failure(
                QObject::tr("Could not copy \"%1\" to \"%2\".")
                    .arg(source + folder + failed, destination + folder + failed));
        }
    }
    return PublishResult::success();
}

PublishResult readPage(const QString& path, QByteArray* bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return PublishResult::failure(
            QObject::tr("The page \"%1\" of the wall could not be read.").arg(path));
    }
    *bytes = file.readAll();
    return PublishResult::success();
}

// The files beside the data folders, under their names in the destination.
struct PlayerFiles {
    QString pageName;
    QString movieName;
    QByteArray page;
};

PublishResult placePlayerFiles(const QString& source, const QString& destination,
                               const PlayerFiles& files) {
    PublishResult result;
    for (const QString& name : {files.pageName, files.movieName, QStringLiteral("swfobject.js")}) {
        if (result.ok()) {
            result = removeFile(destination + name);
        }
    }
    if (result.ok()) {
        result = writeFile(destination + files.pageName, files.page);
    }
    if (result.ok()) {
        result = copyFile(source + "main.swf", destination + files.movieName);
    }
    if (result.ok()) {
        result = copyFile(source + "swfobject.js", destination + "swfobject.js");
    }
    return result;
}

// The executable stub opens "Book/index.html" from the archive: the folder starts empty.
PublishResult makeEmptyFolder(const QString& folder) {
    removeTree(folder);
    if (!QDir().mkpath(folder) || !QDir(folder).isEmpty()) {
        return PublishResult::failure(
            QObject::tr("Could not create the folder \"%1\".").arg(folder));
    }
    return PublishResult::success();
}

} // namespace

QString pageFileName(const QString& pageName) {
    return (pageName.isEmpty() ? QStringLiteral("index") : pageName) + QStringLiteral(".html");
}

PublishResult alterHtml(const QByteArray& templatePage, const HtmlMeta& meta, QByteArray* page) {
    qDebug() << "alterHtml";
    QTextCodec* codec = declaredCodec(templatePage);
    bool endsWithNewline = false;
    const QStringList lines = pageLines(codec->toUnicode(templatePage), &endsWithNewline);
    if (lines.size() <= kTitleLine) {
        return PublishResult::failure(
            QObject::tr("The page of the wall has fewer than four lines, so its title line is "
                        "missing. Choose a template again to repair it."));
    }
    QStringList written = lines.mid(0, kTitleLine);
    written << QStringLiteral("<title>%1</title>").arg(htmlEscaped(meta.title, codec))
            << QStringLiteral("<meta name=\"keywords\" content=\"%1\">")
                   .arg(htmlEscaped(meta.keywords, codec))
            << QStringLiteral("<meta name=\"description\" content=\"%1\">")
                   .arg(htmlEscaped(meta.description, codec));
    for (const QString& line : lines.mid(kTitleLine + 1)) {
        if (!isKeywordsOrDescriptionLine(line)) {
            written << line;
        }
    }
    QString text = written.join('\n');
    if (endsWithNewline) {
        text += '\n';
    }
    *page = codec->fromUnicode(text);
    return PublishResult::success();
}

HtmlMeta publishedMeta(const HtmlMeta& typed, const QString& workFolder) {
    HtmlMeta meta = typed;
    if (meta.title.isEmpty()) {
        meta.title = wallBookTitle(workFolder);
    }
    return meta;
}

PublishResult copyBook(const QString& sourceFolder, const QString& destinationFolder,
                       const BookOptions& options, FileTransfer transfer) {
    qDebug() << "htmlWork outPutPaht" << destinationFolder;
    const bool web = options.layout == BookLayout::Web;
    const QString source = withSlash(sourceFolder);
    const QString destination = withSlash(destinationFolder) + (web ? "" : "Book/");
    if (destinationEndangersSource(source, destination)) {
        return PublishResult::failure(
            QObject::tr("The output folder \"%1\" holds the wall being published. Choose "
                        "another folder.")
                .arg(destinationFolder));
    }
    PlayerFiles files;
    files.pageName = web ? pageFileName(options.pageName) : QStringLiteral("index.html");
    files.movieName = web ? QStringLiteral("main.swf") : QStringLiteral("book.swf");
    PublishResult result = readPage(source + "index.html", &files.page);
    if (result.ok() && web) {
        result =
            alterHtml(QByteArray(files.page), publishedMeta(options.meta, source), &files.page);
    }
    if (result.ok() && !web) {
        result = makeEmptyFolder(destination);
    }
    if (result.ok()) {
        result = replaceDataFolders(source, destination, transfer);
    }
    if (result.ok()) {
        result = placePlayerFiles(source, destination, files);
    }
    return result;
}
