// The one process-wide 8-bit codec: text that crosses to or from 8-bit bytes without naming a
// codec (the converter's output, for one) goes through it.
#pragma once

#include <QByteArray>
#include <QString>

class QTextCodec;

// The codec "GBK".
QTextCodec* processCodec();

// Makes the process codec the locale codec of the process.
void installProcessCodec();

// Bytes from an 8-bit program, up to the first zero byte, as text.
QString decodeProcessText(const QByteArray& bytes);
