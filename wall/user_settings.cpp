#include "wall/user_settings.h"

#include "wall/text_lines.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Slot numbers of the values, as the main window numbers them; slot 2 is the file's first line.
enum Slot : int {
    BackgroundFile = 2,
    LogoShownMarker = 3,
    LogoFile = 4,
    LogoLink = 5,
    SavedMarker = 6,
    ShareHidden = 7,
    Reserved = 8,
    InfoHidden = 9,
    BookTitle = 10,
    Email = 11,
    WebSite = 12,
    DisplayName = 13,
    Description = 14,
    PureColor = 15,
    GradientStart = 16,
    GradientEnd = 17,
    Angle = 18,
    ModeAndPosition = 19,
    LogoHidden = 20
};
constexpr int kFirstSlot = BackgroundFile;

const char* const kFirstStartPureColor = "#000000";
const char* const kFirstStartGradientStart = "#1e3c72";
const char* const kFirstStartGradientEnd = "#2a9df4";
const char* const kFirstStartAngle = "90";

QString flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// The description is the one multi-line value; its line breaks are written as "\n" escapes (and
// a backslash as "\\") so that the value keeps to its own line.
QString encodeDescription(const QString& text) {
    QString encoded;
    encoded.reserve(text.size());
    for (const QChar c : text) {
        if (c == '\\') {
            encoded += QStringLiteral("\\\\");
        } else if (c == '\n') {
            encoded += QStringLiteral("\\n");
        } else if (c == '\r') {
            encoded += QStringLiteral("\\r");
        } else {
            encoded += c;
        }
    }
    return encoded;
}

QString decodeDescription(const QString& line) {
    QString decoded;
    decoded.reserve(line.size());
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        const QChar next = i + 1 < line.size() ? line.at(i + 1) : QChar();
        if (c == '\\' && (next == 'n' || next == 'r' || next == '\\')) {
            decoded += next == 'n' ? QChar('\n') : next == 'r' ? QChar('\r') : QChar('\\');
            ++i;
        } else {
            decoded += c;
        }
    }
    return decoded;
}

bool isColorName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    return pattern.match(name).hasMatch();
}

// A digit 0..2 as a mode or position index, or -1.
int smallIndex(QChar c) {
    return c >= '0' && c <= '2' ? c.digitValue() : -1;
}

// The file's lines by slot number.
class SlotLines {
public:
    explicit SlotLines(QStringList lines) : lines_(std::move(lines)) {}
    bool has(int slot) const { return slot - kFirstSlot < lines_.size(); }
    QString at(int slot) const { return has(slot) ? lines_.at(slot - kFirstSlot) : QString(); }

private:
    QStringList lines_;
};

void restoreText(const SlotLines& lines, int slot, QString& field) {
    if (lines.has(slot)) {
        field = lines.at(slot);
    }
}

void restoreColor(const SlotLines& lines, int slot, QString& color) {
    if (isColorName(lines.at(slot))) {
        color = lines.at(slot).toLower();
    }
}

void restoreHidden(const SlotLines& lines, int slot, bool& hidden) {
    if (lines.has(slot)) {
        hidden = lines.at(slot) != QLatin1String("0");
    }
}

void restoreModeAndPosition(const SlotLines& lines, WallLook& values) {
    const QString digits = lines.at(ModeAndPosition);
    values.position = 0;
    if (digits.isEmpty()) {
        return;
    }
    if (const int mode = smallIndex(digits.front()); mode >= 0) {
        values.mode = static_cast<BackgroundMode>(mode);
    }
    values.position = std::max(smallIndex(digits.back()), 0);
}

WallLook restoredFrom(const SlotLines& lines, WallLook values) {
    restoreText(lines, BackgroundFile, values.backgroundFile);
    if (lines.at(LogoShownMarker) == QLatin1String("0")) {
        values.logoHidden = false;
    }
    restoreText(lines, LogoFile, values.logoFile);
    restoreText(lines, LogoLink, values.logoLink);
    restoreHidden(lines, ShareHidden, values.shareHidden);
    restoreHidden(lines, InfoHidden, values.infoHidden);
    restoreText(lines, BookTitle, values.bookTitle);
    restoreText(lines, Email, values.email);
    restoreText(lines, WebSite, values.webSite);
    restoreText(lines, DisplayName, values.displayName);
    if (lines.has(Description)) {
        values.description = decodeDescription(lines.at(Description));
    }
    restoreColor(lines, PureColor, values.pureColor);
    restoreColor(lines, GradientStart, values.gradientStart);
    restoreColor(lines, GradientEnd, values.gradientEnd);
    restoreText(lines, Angle, values.angle);
    restoreModeAndPosition(lines, values);
    if (lines.at(LogoHidden) == QLatin1String("1")) {
        values.logoHidden = true;
    }
    return values;
}

// Slots 2 to 19, the part every write shares; saved says whether this is an Apply's save (slot 6
// "1") or the first start (slot 6 "0"). Both record the look as it stands, so that the next start
// shows what this one showed.
QStringList leadingLines(const WallLook& values, bool saved) {
    return {onOneLine(values.backgroundFile),
            QStringLiteral("0"),
            onOneLine(values.logoFile),
            onOneLine(values.logoLink),
            flag(saved),
            flag(values.shareHidden),
            QStringLiteral("0"),
            flag(values.infoHidden),
            onOneLine(values.bookTitle),
            onOneLine(values.email),
            onOneLine(values.webSite),
            onOneLine(values.displayName),
            encodeDescription(values.description),
            onOneLine(values.pureColor),
            onOneLine(values.gradientStart),
            onOneLine(values.gradientEnd),
            onOneLine(values.angle),
            QString::number(static_cast<int>(values.mode)) + QString::number(values.position)};
}

} // namespace

UserSettingsStart restoreUserSettings(const QString& path, const WallLook& formValues) {
    if (!QFileInfo::exists(path)) {
        return {UserSettingsSource::FirstStart, formValues};
    }
    const std::optional<QStringList> lines = readTextLines(path);
    if (!lines) {
        return {UserSettingsSource::Unreadable, formValues};
    }
    return {UserSettingsSource::Restored, restoredFrom(SlotLines(*lines), formValues)};
}

WallLook firstStartSettings(const QString& applicationFolder, const WallLook& formValues) {
    WallLook values = formValues;
    values.backgroundFile = applicationFolder + "flash/background/background.jpg";
    values.logoFile = applicationFolder + "flash/logo/logo.png";
    values.logoLink = kDefaultLogoLink;
    values.shareHidden = false;
    values.infoHidden = false;
    values.pureColor = kFirstStartPureColor;
    values.gradientStart = kFirstStartGradientStart;
    values.gradientEnd = kFirstStartGradientEnd;
    values.angle = kFirstStartAngle;
    values.mode = BackgroundMode::PureColor;
    values.position = 0;
    return values;
}

namespace {

// A default picture stored where the program lived before (another build tree, an installation
// moved elsewhere) is found where the program lives now; any other path stays as it is.
QString shippedPicture(const QString& stored, const QString& applicationFolder,
                       const QString& shipped) {
    if (stored.endsWith(QLatin1Char('/') + shipped) && !QFileInfo::exists(stored)) {
        return applicationFolder + shipped;
    }
    return stored;
}

} // namespace

UserSettingsStart startUserSettings(const QString& path, const QString& applicationFolder,
                                    const WallLook& formValues,
                                    const std::function<WallLook(const WallLook&)>& onFirstStart) {
    UserSettingsStart start = restoreUserSettings(path, formValues);
    if (start.source == UserSettingsSource::Restored) {
        start.values.backgroundFile = shippedPicture(start.values.backgroundFile, applicationFolder,
                                                     "flash/background/background.jpg");
        start.values.logoFile =
            shippedPicture(start.values.logoFile, applicationFolder, "flash/logo/logo.png");
    }
    if (start.source == UserSettingsSource::FirstStart) {
        start.values = firstStartSettings(applicationFolder, formValues);
        if (onFirstStart) {
            start.values = onFirstStart(start.values);
        }
        writeTextLines(path, leadingLines(start.values, false));
    }
    return start;
}

bool saveUserSettings(const QString& path, const WallLook& values) {
    QStringList lines = leadingLines(values, true);
    lines.append(flag(values.logoHidden));
    return writeTextLines(path, lines);
}

RgbColor colorFromName(const QString& name) {
    if (!isColorName(name)) {
        return {};
    }
    return {name.mid(1, 2).toInt(nullptr, 16), name.mid(3, 2).toInt(nullptr, 16),
            name.mid(5, 2).toInt(nullptr, 16)};
}

QString swatchStyle(const QString& colorName) {
    const RgbColor color = colorFromName(colorName);
    return QStringLiteral("background-color: rgb(%1, %2, %3)")
        .arg(color.red)
        .arg(color.green)
        .arg(color.blue);
}
