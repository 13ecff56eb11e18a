#include "wall/wall_look.h"

#include "platform/player/index_attributes.h"
#include "wall/folders.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

QString colourDigits(const QString& colourName) {
    QString digits = colourName.trimmed().toLower();
    if (digits.startsWith(QLatin1Char('#'))) {
        digits.remove(0, 1);
    }
    return digits;
}

QString flag(bool shown) {
    return shown ? QStringLiteral("1") : QStringLiteral("0");
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
           logoHidden == other.logoHidden && autoplaySeconds == other.autoplaySeconds &&
           rightToLeft == other.rightToLeft;
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

namespace {

// The value the wall writes for one attribute of the start tag; free text is escaped so that the
// index stays well-formed and shows as typed.
QString attributeValue(murano::player::IndexAttributeId id, const WallLook& look) {
    using Id = murano::player::IndexAttributeId;
    switch (id) {
    case Id::ImagesFolder:
        return QStringLiteral("wallimages/");
    case Id::ThumbnailsFolder:
        return QStringLiteral("wallimages/thumbs/");
    case Id::Background:
        return backgroundValue(look);
    case Id::LogoVisible:
        return flag(!look.logoHidden);
    case Id::LogoImage:
        return xmlEscaped(logoPath(look.logoFile));
    case Id::LogoLink:
        return xmlEscaped(look.logoLink);
    case Id::FullScreenButton:
    case Id::ReloadButton:
        return flag(false);
    case Id::ShareButton:
        return flag(!look.shareHidden);
    case Id::InfoButton:
        return flag(!look.infoHidden);
    case Id::BookTitle:
        return xmlEscaped(look.bookTitle);
    case Id::Email:
        return xmlEscaped(look.email);
    case Id::Website:
        return xmlEscaped(look.webSite);
    case Id::DisplayName:
        return xmlEscaped(look.displayName);
    case Id::Description:
        return xmlEscaped(look.description);
    case Id::Autoplay:
        return look.autoplaySeconds > 0 ? QString::number(look.autoplaySeconds)
                                        : QStringLiteral("off");
    case Id::Direction:
        return look.rightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
    }
    return {};
}

} // namespace

// Every attribute the player reads, in the order of the shared attribute table.
QString galleryStartTag(const WallLook& look) {
    QString tag = QStringLiteral("<gallery ");
    for (const auto& attribute : murano::player::kIndexAttributes) {
        tag += QStringLiteral("%1=\"%2\" ")
                   .arg(QLatin1String(attribute.name), attributeValue(attribute.id, look));
    }
    tag += QLatin1Char('>');
    return tag;
}

namespace {

// The attributes of a start tag, their entities resolved.
QHash<QString, QString> startTagAttributes(const QString& startTag) {
    QHash<QString, QString> attributes;
    QXmlStreamReader reader(startTag);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement) {
            for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                attributes.insert(attribute.name().toString(), attribute.value().toString());
            }
            break;
        }
    }
    return attributes;
}

int positionIndex(const QString& keyword) {
    if (keyword == QLatin1String("center")) {
        return 0;
    }
    return keyword == QLatin1String("titl") || keyword == QLatin1String("tile") ? 2 : 1;
}

// The wall's own copy named by a relative path such as "logo/logo.png"; empty for any other path,
// so that a project's index cannot point Apply at a file outside the wall.
QString wallPicture(const QString& relative, const QString& name, const QString& workFolder) {
    static const QRegularExpression extension(QStringLiteral("^(\\.[A-Za-z0-9]{1,8})?$"));
    const QString prefix = name + QLatin1Char('/') + name;
    if (!relative.startsWith(prefix) || !extension.match(relative.mid(prefix.size())).hasMatch()) {
        return QString();
    }
    return toNativePath(workFolder + QLatin1Char('/') + relative);
}

QString colourName(const QString& digits) {
    return QLatin1Char('#') + digits.toLower();
}

void readBackground(const QString& value, const QString& workFolder, WallLook& look) {
    static const QRegularExpression pure(QStringLiteral("^0\\{0x([0-9a-fA-F]{6})\\}$"));
    static const QRegularExpression gradient(
        QStringLiteral("^1\\{0x([0-9a-fA-F]{6}),0x([0-9a-fA-F]{6}),([^}]*)\\}$"));
    static const QRegularExpression image(QStringLiteral("^2\\{([^,}]+),([a-z]+)\\}$"));
    if (const auto m = pure.match(value); m.hasMatch()) {
        look.mode = BackgroundMode::PureColor;
        look.pureColor = colourName(m.captured(1));
    } else if (const auto g = gradient.match(value); g.hasMatch()) {
        look.mode = BackgroundMode::Gradient;
        look.gradientStart = colourName(g.captured(1));
        look.gradientEnd = colourName(g.captured(2));
        look.angle = g.captured(3);
    } else if (const auto i = image.match(value); i.hasMatch()) {
        const QString picture =
            wallPicture(i.captured(1), QStringLiteral("background"), workFolder);
        if (!picture.isEmpty()) {
            look.mode = BackgroundMode::Image;
            look.backgroundFile = picture;
            look.position = positionIndex(i.captured(2));
        }
    }
}

// Whole seconds from 1 to kMaxAutoplaySeconds; anything else ("off", empty, garbage) is off.
int autoplayFromValue(const QString& value) {
    bool ok = false;
    const int seconds = value.trimmed().toInt(&ok);
    return ok && seconds > 0 && seconds <= kMaxAutoplaySeconds ? seconds : 0;
}

} // namespace

WallLook lookFromStartTag(const QString& startTag, const QString& workFolder,
                          const WallLook& base) {
    using Id = murano::player::IndexAttributeId;
    const QHash<QString, QString> attributes = startTagAttributes(startTag);
    const auto value = [&attributes](Id id) {
        const auto& attribute = murano::player::kIndexAttributes[static_cast<std::size_t>(id)];
        return attributes.value(QLatin1String(attribute.name),
                                QLatin1String(attribute.playerDefault));
    };
    WallLook look = base;
    readBackground(value(Id::Background), workFolder, look);
    look.logoHidden = value(Id::LogoVisible) == QLatin1String("0");
    if (const QString logo = wallPicture(value(Id::LogoImage), QStringLiteral("logo"), workFolder);
        !logo.isEmpty()) {
        look.logoFile = logo;
    }
    look.logoLink = value(Id::LogoLink);
    look.shareHidden = value(Id::ShareButton) == QLatin1String("0");
    look.infoHidden = value(Id::InfoButton) == QLatin1String("0");
    look.setBook({value(Id::BookTitle), value(Id::Email), value(Id::Website),
                  value(Id::DisplayName), value(Id::Description)});
    look.autoplaySeconds = autoplayFromValue(value(Id::Autoplay));
    look.rightToLeft =
        value(Id::Direction).trimmed().compare(QLatin1String("rtl"), Qt::CaseInsensitive) == 0;
    return look;
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
