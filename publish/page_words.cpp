#include "publish/page_words.h"

#include "wall/deck_words.h"
#include "wall/wall_folder.h"

#include <QRegularExpression>
#include <QString>

namespace {

const QByteArray kSectionId = QByteArrayLiteral("murano-words");

// Text for an HTML element: markup characters as entities, characters outside printable ASCII as
// numeric references, control characters (which HTML does not allow) dropped; "\n" becomes <br>.
QByteArray escapedText(const QString& text) {
    QByteArray escaped;
    for (const char32_t c : text.toUcs4()) {
        if (c == '\n') {
            escaped += "<br>";
        } else if (c == '&') {
            escaped += "&amp;";
        } else if (c == '<') {
            escaped += "&lt;";
        } else if (c == '>') {
            escaped += "&gt;";
        } else if (c == '\t') {
            escaped += ' ';
        } else if (c >= 0x20 && c < 0x7f) {
            escaped += char(c);
        } else if (c > 0x9f && !(c >= 0xd800 && c <= 0xdfff)) {
            escaped += "&#x" + QByteArray::number(quint32(c), 16) + ';';
        }
    }
    return escaped;
}

bool isLanguageTag(const QString& language) {
    static const QRegularExpression tag(QStringLiteral("^[A-Za-z]{1,8}(-[A-Za-z0-9]{1,8})*$"));
    return tag.match(language).hasMatch();
}

// The deck's language as the page's: the lang of the <html> start tag replaced, or added.
QByteArray withLanguage(QByteArray page, const QString& language) {
    static const QRegularExpression html(QStringLiteral("<html\\b[^>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression lang(
        QStringLiteral("\\slang\\s*=\\s*(\"[^\"]*\"|'[^']*'|[^\\s>]*)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = QString::fromLatin1(page);
    const QRegularExpressionMatch start = html.match(text);
    if (!start.hasMatch() || !isLanguageTag(language)) {
        return page;
    }
    QString tag = start.captured();
    const QString attribute = QStringLiteral(" lang=\"%1\"").arg(language);
    const QRegularExpressionMatch old = lang.match(tag);
    if (old.hasMatch()) {
        tag.replace(old.capturedStart(), old.capturedLength(), attribute);
    } else {
        tag.insert(5, attribute);
    }
    return page.replace(start.capturedStart(), start.capturedLength(), tag.toLatin1());
}

// Where the section goes: after the wall's element, else before the end of the body, else at the
// end of the page.
qsizetype sectionPlace(const QByteArray& page) {
    const qsizetype wall = page.indexOf("id=\"murano-wall\"");
    const qsizetype wallEnd = wall < 0 ? -1 : page.indexOf("</div>", wall);
    if (wallEnd >= 0) {
        const qsizetype lineEnd = page.indexOf('\n', wallEnd);
        return lineEnd < 0 ? wallEnd + 6 : lineEnd + 1;
    }
    const qsizetype body = page.lastIndexOf("</body>");
    return body < 0 ? page.size() : body;
}

} // namespace

QByteArray pageWordsSection(const DeckWords& words) {
    QByteArray section = "<section id=\"" + kSectionId + "\" aria-label=\"Slides\">\n";
    for (qsizetype i = 0; i < words.slides.size(); ++i) {
        const SlideWords& slide = words.slides[i];
        const QString title =
            slide.title.trimmed().isEmpty() ? QStringLiteral("Slide %1").arg(i + 1) : slide.title;
        section += "<h2>" + escapedText(title) + "</h2>\n";
        if (!slide.text.trimmed().isEmpty()) {
            section += "<p>" + escapedText(slide.text.trimmed()) + "</p>\n";
        }
    }
    return section + "</section>\n";
}

QByteArray withPageWords(const QByteArray& page, const DeckWords& words) {
    QByteArray written = withLanguage(page, words.language);
    if (!words.slides.isEmpty()) {
        written.insert(sectionPlace(written), pageWordsSection(words));
    }
    return written;
}

QByteArray withoutPageWords(const QByteArray& page) {
    const qsizetype head = page.indexOf("</head>");
    return QByteArray(page).insert(head < 0 ? 0 : head,
                                   "<meta name=\"murano-words\" content=\"none\">\n");
}

void addPageWords(QByteArray* page, const WallFolder& wall) {
    const std::optional<DeckWords> words = readWallWords(wall);
    *page = words ? withPageWords(*page, cleanedWords(*words)) : withoutPageWords(*page);
}
