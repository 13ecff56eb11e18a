#include "wall/text_codec.h"

#include <QTextCodec>

namespace {
const char* const kProcessCodecName = "GBK";
}

QTextCodec* processCodec() {
    return QTextCodec::codecForName(kProcessCodecName);
}

void installProcessCodec() {
    QTextCodec::setCodecForLocale(processCodec());
}

QString decodeProcessText(const QByteArray& bytes) {
    const int end = static_cast<int>(bytes.indexOf('\0'));
    const QByteArray text = end < 0 ? bytes : bytes.left(end);
    QTextCodec* codec = processCodec();
    return codec ? codec->toUnicode(text) : QString::fromLocal8Bit(text);
}
