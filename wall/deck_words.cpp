#include "wall/deck_words.h"

#include "platform/player/gallery_script.h"
#include "wall/text_lines.h"
#include "wall/wall_folder.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSaveFile>
#include <QUrl>

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

bool operator==(const WordsLink& a, const WordsLink& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h && a.url == b.url &&
           a.slide == b.slide;
}

bool operator==(const SlideWords& a, const SlideWords& b) {
    return a.number == b.number && a.title == b.title && a.text == b.text && a.notes == b.notes &&
           a.alt == b.alt && a.links == b.links;
}

bool operator==(const DeckWords& a, const DeckWords& b) {
    return a.title == b.title && a.author == b.author && a.language == b.language &&
           a.slides == b.slides && a.notesPublished == b.notesPublished;
}

namespace {

WordsLink linkFrom(const QJsonObject& object) {
    WordsLink link;
    link.x = object.value(QLatin1String("x")).toDouble();
    link.y = object.value(QLatin1String("y")).toDouble();
    link.w = object.value(QLatin1String("w")).toDouble();
    link.h = object.value(QLatin1String("h")).toDouble();
    link.url = object.value(QLatin1String("url")).toString();
    link.slide = object.value(QLatin1String("slide")).toInt();
    return link;
}

QStringList stringsFrom(const QJsonArray& array) {
    QStringList strings;
    for (const QJsonValue& value : array) {
        if (value.isString()) {
            strings << value.toString();
        }
    }
    return strings;
}

SlideWords slideFrom(const QJsonObject& object) {
    SlideWords slide;
    slide.number = object.value(QLatin1String("number")).toInt();
    slide.title = object.value(QLatin1String("title")).toString();
    slide.text = object.value(QLatin1String("text")).toString();
    slide.notes = object.value(QLatin1String("notes")).toString();
    slide.alt = stringsFrom(object.value(QLatin1String("alt")).toArray());
    for (const QJsonValue& link : object.value(QLatin1String("links")).toArray()) {
        if (link.isObject()) {
            slide.links << linkFrom(link.toObject());
        }
    }
    return slide;
}

QJsonObject linkJson(const WordsLink& link) {
    QJsonObject object{{QLatin1String("x"), link.x},
                       {QLatin1String("y"), link.y},
                       {QLatin1String("w"), link.w},
                       {QLatin1String("h"), link.h}};
    if (link.url.isEmpty()) {
        object.insert(QLatin1String("slide"), link.slide);
    } else {
        object.insert(QLatin1String("url"), link.url);
    }
    return object;
}

QJsonObject slideJson(const SlideWords& slide) {
    QJsonObject object;
    if (slide.number > 0) {
        object.insert(QLatin1String("number"), slide.number);
    }
    object.insert(QLatin1String("title"), slide.title);
    object.insert(QLatin1String("text"), slide.text);
    if (!slide.notes.isEmpty()) {
        object.insert(QLatin1String("notes"), slide.notes);
    }
    object.insert(QLatin1String("alt"), QJsonArray::fromStringList(slide.alt));
    QJsonArray links;
    for (const WordsLink& link : slide.links) {
        links << linkJson(link);
    }
    object.insert(QLatin1String("links"), links);
    return object;
}

// Line breaks and tabs stay; every other control character, and a surrogate without its partner,
// goes.
QString withoutControls(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            kept += ch;
            kept += text.at(++i);
            continue;
        }
        const char16_t unit = ch.unicode();
        const bool control = (unit < 0x20 && unit != u'\n' && unit != u'\t') ||
                             (unit >= 0x7f && unit < 0xa0) || ch.isSurrogate() || unit == 0xfffe ||
                             unit == 0xffff;
        if (!control) {
            kept += ch;
        }
    }
    return kept;
}

// The text cut to at most `limit` UTF-8 bytes, at the last blank before the limit when there is
// one (else at a character).
QString cutAtWord(const QString& text, int limit) {
    if (text.toUtf8().size() <= limit) {
        return text;
    }
    qsizetype end = 0;
    int bytes = 0;
    while (end < text.size()) {
        const int step = (text.at(end).isHighSurrogate() && end + 1 < text.size()) ? 2 : 1;
        const int size = static_cast<int>(text.mid(end, step).toUtf8().size());
        if (bytes + size > limit) {
            break;
        }
        bytes += size;
        end += step;
    }
    const qsizetype blank =
        text.left(end + 1).lastIndexOf(QRegularExpression(QStringLiteral("\\s")));
    return (blank > 0 ? text.left(blank) : text.left(end)).trimmed();
}

QString cleanedText(const QString& text) {
    return cutAtWord(withoutControls(text), kMaxSlideTextBytes);
}

bool keptUrl(const QString& url) {
    const QString scheme = QUrl(url.trimmed()).scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("mailto");
}

double fraction(double value) {
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

std::optional<WordsLink> cleanedLink(WordsLink link) {
    link.url = withoutControls(link.url).trimmed();
    if (link.url.isEmpty() ? link.slide < 1 : !keptUrl(link.url)) {
        return std::nullopt;
    }
    if (!link.url.isEmpty()) {
        link.slide = 0;
    }
    link.x = fraction(link.x);
    link.y = fraction(link.y);
    link.w = std::min(fraction(link.w), 1.0 - link.x);
    link.h = std::min(fraction(link.h), 1.0 - link.y);
    if (link.w <= 0 || link.h <= 0) {
        return std::nullopt;
    }
    return link;
}

SlideWords cleanedSlide(SlideWords slide, int position) {
    slide.title = withoutControls(slide.title).simplified();
    slide.title = cutAtWord(slide.title, kMaxSlideTextBytes);
    if (slide.title.isEmpty()) {
        slide.title = QStringLiteral("Slide %1").arg(position);
    }
    slide.text = cleanedText(slide.text);
    slide.notes = cleanedText(slide.notes);
    QStringList alt;
    for (const QString& description : slide.alt) {
        if (const QString kept = cleanedText(description).simplified(); !kept.isEmpty()) {
            alt << kept;
        }
    }
    slide.alt = alt;
    QList<WordsLink> links;
    for (const WordsLink& link : slide.links) {
        if (const auto kept = cleanedLink(link)) {
            links << *kept;
        }
    }
    slide.links = links;
    return slide;
}

bool writeReplacing(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

std::optional<DeckWords> parseDeckWords(const QByteArray& json, QString& error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject()) {
        error = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                             : QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    DeckWords words;
    words.title = object.value(QLatin1String("title")).toString();
    words.author = object.value(QLatin1String("author")).toString();
    words.language = object.value(QLatin1String("language")).toString();
    words.notesPublished = object.value(QLatin1String("publishNotes")).toBool();
    for (const QJsonValue& slide : object.value(QLatin1String("slides")).toArray()) {
        words.slides << slideFrom(slide.toObject());
    }
    return words;
}

QByteArray deckWordsJson(const DeckWords& words) {
    QJsonArray slides;
    for (const SlideWords& slide : words.slides) {
        slides << slideJson(slide);
    }
    QJsonObject object{{QLatin1String("version"), 1},
                       {QLatin1String("title"), words.title},
                       {QLatin1String("author"), words.author},
                       {QLatin1String("language"), words.language},
                       {QLatin1String("slides"), slides}};
    if (words.notesPublished) {
        object.insert(QLatin1String("publishNotes"), true);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

DeckWords cleanedWords(DeckWords words) {
    words.title = withoutControls(words.title).simplified();
    words.author = withoutControls(words.author).simplified();
    words.language = withoutControls(words.language).simplified();
    for (qsizetype i = 0; i < words.slides.size(); ++i) {
        words.slides[i] = cleanedSlide(words.slides[i], static_cast<int>(i + 1));
    }
    return words;
}

DeckWords wallWords(const DeckWords& deck, const QList<int>& deckNumbers) {
    DeckWords wall = deck;
    wall.slides.clear();
    for (const int number : deckNumbers) {
        const auto found =
            std::find_if(deck.slides.begin(), deck.slides.end(),
                         [number](const SlideWords& s) { return s.number == number; });
        SlideWords slide = found != deck.slides.end() ? *found : SlideWords{};
        slide.number = 0;
        QList<WordsLink> links;
        for (WordsLink link : slide.links) {
            if (link.url.isEmpty()) {
                const qsizetype target = deckNumbers.indexOf(link.slide);
                if (target < 0) {
                    continue;
                }
                link.slide = static_cast<int>(target + 1);
            }
            links << link;
        }
        slide.links = links;
        // A deck slide without words keeps no stale title: cleanedWords names it by position.
        if (found == deck.slides.end()) {
            slide.title.clear();
        }
        wall.slides << slide;
    }
    return cleanedWords(wall);
}

DeckWords withoutNotes(DeckWords words) {
    for (SlideWords& slide : words.slides) {
        slide.notes.clear();
    }
    return words;
}

bool writePublishedWords(const WallFolder& wall, const WallFolder& copy, QString& error) {
    const std::optional<DeckWords> words = readWallWords(wall);
    if (!words || words->notesPublished) {
        return true;
    }
    return writeWallWords(copy, withoutNotes(*words), error);
}

bool notesPublished(const WallFolder& wall) {
    const std::optional<DeckWords> words = readWallWords(wall);
    return words && words->notesPublished;
}

bool setNotesPublished(const WallFolder& wall, bool published, QString& error) {
    std::optional<DeckWords> words = readWallWords(wall);
    if (!words) {
        error = QStringLiteral("The wall has no words of its deck, so it has no speaker notes.");
        return false;
    }
    if (words->notesPublished == published) {
        return true;
    }
    words->notesPublished = published;
    return writeWallWords(wall, *words, error);
}

BookDetails bookWithDeckDetails(BookDetails book, const DeckWords& words) {
    if (book.title.trimmed().isEmpty()) {
        book.title = words.title;
    }
    if (book.displayName.trimmed().isEmpty()) {
        book.displayName = words.author;
    }
    return book;
}

bool readsRightToLeft(const QString& language) {
    const QString tag = language.trimmed();
    if (tag.isEmpty()) {
        return false;
    }
    const QLocale locale(tag);
    return locale.language() != QLocale::C && locale.textDirection() == Qt::RightToLeft;
}

bool writeWallWords(const WallFolder& wall, const DeckWords& words, QString& error) {
    const QByteArray json = deckWordsJson(words);
    return writeReplacing(wall.words(), json, error) &&
           writeReplacing(wall.wordsScript(), murano::player::scriptTwinFor("muranoWords", json),
                          error);
}

std::optional<DeckWords> readWallWords(const WallFolder& wall) {
    const auto bytes = readRegularFile(wall.words(), kTextFileLimit);
    if (!bytes) {
        return std::nullopt;
    }
    QString error;
    return parseDeckWords(*bytes, error);
}

void removeWallWords(const WallFolder& wall) {
    QFile::remove(wall.words());
    QFile::remove(wall.wordsScript());
}
