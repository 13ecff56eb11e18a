#include "platform/player/gallery_script.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace murano::player {

namespace {

void appendUnicodeEscape(QByteArray& out, char16_t unit) {
    out += "\\u";
    out += QByteArray::number(unit, 16).rightJustified(4, '0');
}

void appendEscaped(QByteArray& out, char16_t unit) {
    switch (unit) {
    case u'"':
        out += "\\\"";
        return;
    case u'\\':
        out += "\\\\";
        return;
    case u'\n':
        out += "\\n";
        return;
    case u'\r':
        out += "\\r";
        return;
    case u'\t':
        out += "\\t";
        return;
    default:
        break;
    }
    // "<" and ">" are escaped so that neither "</script>" nor "<!--" can appear in the file;
    // U+2028 and U+2029 end lines in older script engines; everything else beyond ASCII keeps the
    // file independent of the page's declared encoding.
    const bool plain = unit >= 0x20 && unit < 0x7f && unit != u'<' && unit != u'>';
    if (plain) {
        out += static_cast<char>(unit);
    } else {
        appendUnicodeEscape(out, unit);
    }
}

} // namespace

QByteArray scriptTwinFor(const char* variable, const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size() + text.size() / 8 + 64);
    out += "window.";
    out += variable;
    out += " = \"";
    for (const QChar ch : QString::fromUtf8(text)) {
        appendEscaped(out, ch.unicode());
    }
    out += "\";\n";
    return out;
}

QByteArray galleryScriptFor(const QByteArray& indexXml) {
    return scriptTwinFor("muranoGallery", indexXml);
}

QString galleryScriptPathFor(const QString& indexXmlPath) {
    return QFileInfo(indexXmlPath).dir().filePath(QString::fromLatin1(kGalleryScriptName));
}

bool writeGalleryScript(const QString& indexXmlPath) {
    QFile index(indexXmlPath);
    if (!index.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray xml = index.readAll();
    if (index.error() != QFileDevice::NoError) {
        return false;
    }
    QSaveFile twin(galleryScriptPathFor(indexXmlPath));
    if (!twin.open(QIODevice::WriteOnly)) {
        return false;
    }
    twin.write(galleryScriptFor(xml));
    return twin.commit();
}

} // namespace murano::player
