#include "wall/wall_look.h"

#include "wall/folders.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString colourDigits(const QString& colourName) {
    QString digits = colourName.trimmed().toLower();
    if (digits.startsWith(QLatin1Char('#'))) {
        digits.remove(0, 1);
    }
    return digits;
}

QString attribute(const char* name, const QString& value) {
    return QStringLiteral("%1=\"%2\" ").arg(QLatin1String(name), value);
}

QString flag(const char* name, bool shown) {
    return attribute(name, shown ? QStringLiteral("1") : QStringLiteral("0"));
}

bool isSameFile(const QString& a, const QString& b) {
    return toNativePath(a) == toNativePath(b);
}

} // namespace

BookDetails WallLook::book() const {
    return {bookTitle, email, webSite, displayName, description};
}

void WallLook::setBook(const BookDetails& book) {
    bookTitle = book.title;
    email = book.email;
    webSite = book.webSite;
    displayName = book.displayName;
    description = book.description;
}

HiddenButtons WallLook::hiddenButtons() const {
    return {infoHidden, shareHidden};
}

void WallLook::setHiddenButtons(const HiddenButtons& hidden) {
    infoHidden = hidden.info;
    shareHidden = hidden.share;
}

bool WallLook::operator==(const WallLook& other) const {
    return backgroundFile == other.backgroundFile && logoFile == other.logoFile &&
           logoLink == other.logoLink && hiddenButtons() == other.hiddenButtons() &&
           book() == other.book() && pureColor == other.pureColor &&
           gradientStart == other.gradientStart && gradientEnd == other.gradientEnd &&
           angle == other.angle && mode == other.mode && position == other.position &&
           logoHidden == other.logoHidden;
}

QString positionKeyword(int position) {
    switch (position) {
    case 0:
        return QStringLiteral("center");
    case 2:
        return QStringLiteral("titl");
    default:
        return QStringLiteral("stretch");
    }
}

QString fileExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const int dot = static_cast<int>(name.lastIndexOf(QLatin1Char('.')));
    return dot < 0 ? QString() : name.mid(dot);
}

QString logoPath(const QString& logoFile) {
    return QStringLiteral("logo/logo") + fileExtension(logoFile);
}

QString backgroundPath(const QString& backgroundFile) {
    return QStringLiteral("background/background") + fileExtension(backgroundFile);
}

QString backgroundValue(const WallLook& look) {
    switch (look.mode) {
    case BackgroundMode::PureColor:
        return QStringLiteral("0{0x%1}").arg(colourDigits(look.pureColor));
    case BackgroundMode::Gradient:
        return QStringLiteral("1{0x%1,0x%2,%3}")
            .arg(colourDigits(look.gradientStart), colourDigits(look.gradientEnd),
                 xmlEscaped(look.angle));
    case BackgroundMode::Image:
        break;
    }
    return QStringLiteral("2{%1,%2}")
        .arg(xmlEscaped(backgroundPath(look.backgroundFile)), positionKeyword(look.position));
}

QString galleryStartTag(const WallLook& look) {
    QString tag = QStringLiteral("<gallery ");
    tag += attribute("imagesFolder", QStringLiteral("wallimages/"));
    tag += attribute("thumbnailsFolder", QStringLiteral("wallimages/thumbs/"));
    tag += attribute("back_ground", backgroundValue(look));
    tag += flag("logo_visible", !look.logoHidden);
    tag += attribute("logo_img", xmlEscaped(logoPath(look.logoFile)));
    tag += attribute("logo_link", xmlEscaped(look.logoLink));
    tag += flag("btn_fullscreen", false);
    tag += flag("btn_share", !look.shareHidden);
    tag += flag("btn_reload", false);
    tag += flag("btn_info", !look.infoHidden);
    tag += attribute("book_title", xmlEscaped(look.bookTitle));
    tag += attribute("email", xmlEscaped(look.email));
    tag += attribute("website", xmlEscaped(look.webSite));
    tag += attribute("display_name", xmlEscaped(look.displayName));
    tag += attribute("description", xmlEscaped(look.description));
    tag += QLatin1Char('>');
    return tag;
}

QString installLogo(const QString& logoFile, const QString& workFolder) {
    const QString relative = logoPath(logoFile);
    const QString target = workFolder + QLatin1Char('/') + relative;
    if (!isSameFile(logoFile, target)) {
        const QString folder = workFolder + QStringLiteral("/logo");
        removeTree(folder);
        ensureFolder(folder);
        QFile::copy(logoFile, target);
    }
    return relative;
}

QString installBackground(const QString& backgroundFile, const QString& workFolder) {
    const QString relative = backgroundPath(backgroundFile);
    const QString target = workFolder + QLatin1Char('/') + relative;
    if (!isSameFile(backgroundFile, target)) {
        ensureFolder(workFolder + QStringLiteral("/background"));
        QFile::remove(target);
        QFile::copy(backgroundFile, target);
    }
    return relative;
}

QString xmlEscaped(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            escaped += QLatin1String("&amp;");
            break;
        case '<':
            escaped += QLatin1String("&lt;");
            break;
        case '>':
            escaped += QLatin1String("&gt;");
            break;
        case '"':
            escaped += QLatin1String("&quot;");
            break;
        case '\'':
            escaped += QLatin1String("&apos;");
            break;
        case '\n':
            escaped += QLatin1String("&#10;");
            break;
        case '\r':
            escaped += QLatin1String("&#13;");
            break;
        case '\t':
            escaped += QLatin1String("&#9;");
            break;
        default:
            // Other control characters have no place in an XML document, not even as references.
            if (c.unicode() >= 0x20) {
                escaped += c;
            }
        }
    }
    return escaped;
}
