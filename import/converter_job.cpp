#include "import/converter_job.h"
#include "wall/wall_folder.h"

#include "wall/folders.h"
#include "wall/text_codec.h"

namespace {

const QString kResultMarker = QStringLiteral("Finished");

std::optional<double> lastPercent(const QString& text) {
    const int close = static_cast<int>(text.lastIndexOf(QLatin1String("%]")));
    if (close < 0) {
        return std::nullopt;
    }
    const QString before = text.left(close);
    const QString figure = before.mid(before.lastIndexOf(QLatin1Char('[')) + 1);
    bool ok = false;
    const double percent = figure.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(percent) : std::nullopt;
}

// "Conversion Finished! Result value = 12": the number after the last "=". A result line whose
// number cannot be read counts as no images.
std::optional<int> resultValue(const QString& line) {
    if (!line.contains(kResultMarker)) {
        return std::nullopt;
    }
    const QString value = line.mid(line.lastIndexOf(QLatin1Char('=')) + 1).trimmed();
    bool ok = false;
    const int count = value.toInt(&ok, 10);
    return ok ? count : 0;
}

} // namespace

QStringList converterArguments(const QString& presentation, const QString& workFolder, int part,
                               int parts) {
    const WallFolder work(workFolder);
    QStringList arguments = {QStringLiteral("-debug"), QStringLiteral("-call")};
    if (parts > 1) {
        arguments << QStringLiteral("-part") << QString::number(part) << QStringLiteral("-parts")
                  << QString::number(parts);
    }
    arguments << toNativePath(presentation) << toNativePath(work.conversionOutput(part));
    if (part <= 1) {
        arguments << QStringLiteral("-words") << toNativePath(work.conversionWords());
    }
    return arguments;
}

ConverterOutputReader::Reading ConverterOutputReader::read(const QByteArray& chunk) {
    pending_ += chunk;
    const int lastBreak = static_cast<int>(pending_.lastIndexOf('\n'));
    if (lastBreak < 0) {
        return {};
    }
    const QByteArray whole = pending_.left(lastBreak + 1);
    pending_.remove(0, lastBreak + 1);
    return readLines(decodeProcessText(whole));
}

ConverterOutputReader::Reading ConverterOutputReader::finish() {
    const QByteArray rest = pending_;
    pending_.clear();
    return readLines(decodeProcessText(rest));
}

ConverterOutputReader::Reading ConverterOutputReader::readLines(const QString& text) {
    Reading reading;
    reading.percent = lastPercent(text);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (const std::optional<int> count = resultValue(line)) {
            reading.imageCount = count;
        }
    }
    return reading;
}

QString progressCaption(double percent) {
    return QString::number(percent, 'g', 6) + QStringLiteral("%, processing, please wait...");
}

int progressWidth(double percent, int fullWidth) {
    return static_cast<int>(percent * fullWidth / 100);
}
