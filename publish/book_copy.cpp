#include "publish/book_copy.h"
#include "publish/page_words.h"
#include "wall/wall_folder.h"

#include "wall/deck_words.h"
#include "wall/folders.h"
#include "wall/staging_folder.h"
#include "wall/text_lines.h"
#include "wall/wall_look.h"
#include "wall/wall_project.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QTextCodec>

#include <optional>
#include <utility>

namespace {

constexpr int kTitleLine = 3;
// A wall's page is a few kilobytes; anything past this bound is not a page of ours.
constexpr qint64 kMaxPageBytes = qint64(32) << 20;

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
    for (const QString& folder : WallFolder::dataFolders()) {
        if (isSameOrInside(destination, source + folder) ||
            isSameOrInside(source, destination + folder)) {
            return true;
        }
    }
    return false;
}

JobResult copyFile(const QString& from, const QString& to) {
    if (QFile::copy(from, to)) {
        return JobResult::done();
    }
    return JobResult::failure(
        QObject::tr("Could not copy \"%1\" to \"%2\".")
            .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to)));
}

JobResult writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(bytes) == bytes.size() && file.flush()) {
        return JobResult::done();
    }
    file.close();
    QFile::remove(path);
    return JobResult::failure(QObject::tr("Could not write \"%1\".").arg(path));
}

JobResult copyDataFolders(const QString& source, const QString& destination,
                          FileTransfer transfer) {
    for (const QString& folder : WallFolder::dataFolders()) {
        QString failed;
        if (!copyFolderFiles(destination + folder, source + folder, &failed, transfer)) {
            return JobResult::failure(
                QObject::tr("Could not copy \"%1\" to \"%2\".")
                    .arg(source + folder + failed, destination + folder + failed));
        }
    }
    return JobResult::done();
}

JobResult readPage(const QString& path, QByteArray* bytes) {
    std::optional<QByteArray> page = readRegularFile(path, kMaxPageBytes);
    if (!page) {
        return JobResult::failure(
            QObject::tr("The page \"%1\" of the wall could not be read: it must be a file of at "
                        "most %2 MB. Choose a template again to repair it.")
                .arg(path)
                .arg(kMaxPageBytes >> 20));
    }
    *bytes = std::move(*page);
    return JobResult::done();
}

// The files beside the data folders, under their names in the destination.
struct PlayerFiles {
    QString pageName;
    QString movieName;
    QByteArray page;
};

// What a web book puts at the top of its folder: the data folders, the page and the player files.
QStringList bookEntries(const PlayerFiles& files) {
    return WallFolder::topDataFolders()
           << files.pageName << files.movieName << WallFolder::playerScriptName();
}

// The copy's words as published. They replace the copied (or linked) ones in a step of their
// own, so a linked source file is never written through.
JobResult publishWords(const WallFolder& source, const QString& destination) {
    QString error;
    return writePublishedWords(source, WallFolder(destination), error) ? JobResult::done()
                                                                       : JobResult::failure(error);
}

// Writes the whole book into the new, empty folder destination.
JobResult buildBook(const WallFolder& source, const QString& destination, const PlayerFiles& files,
                    const BookOptions& options, FileTransfer transfer) {
    JobResult result = copyDataFolders(source.root(), destination, transfer);
    if (result.ok() && !options.wholeWall) {
        result = publishWords(source, destination);
    }
    if (result.ok()) {
        result = writeFile(destination + files.pageName, files.page);
    }
    if (result.ok()) {
        result = copyFile(source.movie(), destination + files.movieName);
    }
    if (result.ok()) {
        result = copyFile(source.playerScript(), destination + WallFolder::playerScriptName());
    }
    return result;
}

} // namespace

QString pageFileName(const QString& pageName) {
    return (pageName.isEmpty() ? QStringLiteral("index") : pageName) + QStringLiteral(".html");
}

JobResult alterHtml(const QByteArray& templatePage, const HtmlMeta& meta, QByteArray* page) {
    qDebug() << "alterHtml";
    QTextCodec* codec = declaredCodec(templatePage);
    bool endsWithNewline = false;
    const QStringList lines = pageLines(codec->toUnicode(templatePage), &endsWithNewline);
    if (lines.size() <= kTitleLine) {
        return JobResult::failure(
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
    return JobResult::done();
}

HtmlMeta publishedMeta(const HtmlMeta& typed, const QString& workFolder) {
    HtmlMeta meta = typed;
    if (meta.title.isEmpty()) {
        meta.title = wallBookTitle(workFolder);
    }
    return meta;
}

JobResult copyBook(const WallFolder& wall, const QString& destinationFolder,
                   const BookOptions& options, FileTransfer transfer) {
    qDebug() << "htmlWork outPutPaht" << destinationFolder;
    const bool web = options.layout == BookLayout::Web;
    const QString destination = withSlash(destinationFolder);
    if (destinationEndangersSource(wall.root(), destination + (web ? "" : "Book/"))) {
        return JobResult::failure(
            QObject::tr("The output folder \"%1\" holds the wall being published. Choose "
                        "another folder.")
                .arg(destinationFolder));
    }
    PlayerFiles files;
    files.pageName = web ? pageFileName(options.pageName) : WallFolder::pageName();
    files.movieName = web ? WallFolder::movieName() : QStringLiteral("book.swf");
    JobResult result = readPage(wall.page(), &files.page);
    if (result.ok() && web) {
        result = alterHtml(QByteArray(files.page), publishedMeta(options.meta, wall.root()),
                           &files.page);
        addPageWords(&files.page, wall);
    }
    if (!result.ok()) {
        return result;
    }
    // The whole book is made beside what the folder holds and only then put in its place, so a
    // failed or killed publication leaves the earlier book (and the user's files) as they were.
    StagingFolder staging(destination);
    if (!staging.created()) {
        return JobResult::failure(
            QObject::tr("Could not create the folder \"%1\".").arg(destination));
    }
    const QString book = staging.path() + (web ? "" : "Book/");
    result = buildBook(wall, book, files, options, transfer);
    QString clash;
    if (result.ok() && !staging.moveInto(web ? bookEntries(files) : QStringList{"Book"}, &clash)) {
        result =
            JobResult::failure(QObject::tr("Could not replace \"%1\".").arg(destination + clash));
    }
    return result;
}

QStringList existingBookEntries(const QString& folder, const QString& pageName) {
    PlayerFiles files;
    files.pageName = pageFileName(pageName);
    files.movieName = WallFolder::movieName();
    QStringList existing;
    for (const QString& name : bookEntries(files)) {
        const QString path = withSlash(folder) + name;
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
            existing << path;
        }
    }
    return existing;
}
