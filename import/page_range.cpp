#include "import/page_range.h"

#include <QDebug>

#include <algorithm>
#include <climits>

namespace {

enum class PartResult { Stored, Skipped, TooMany };

PartResult storeEntry(const QString& entry, QStringList& pages) {
    if (pages.size() >= kMaxPages) {
        return PartResult::TooMany;
    }
    pages.append(entry);
    return PartResult::Stored;
}

PartResult addSinglePage(const QString& part, QStringList& pages) {
    const int value = pageValue(part);
    if (value == 0) {
        return PartResult::Skipped;
    }
    if (value > kMaxPages) {
        return PartResult::TooMany;
    }
    return storeEntry(part, pages);
}

PartResult addPageRange(const QString& part, QStringList& pages) {
    const QStringList ends = part.split(QLatin1Char('-'));
    const int first = pageValue(ends.at(0));
    const int last = pageValue(ends.at(1));
    if (first == 0 || last == 0) {
        return PartResult::Skipped;
    }
    qDebug() << "range" << first << last;
    if (first > kMaxPages || last > kMaxPages) {
        return PartResult::TooMany;
    }
    for (int page = first; page <= last; ++page) {
        if (storeEntry(QString::number(page), pages) == PartResult::TooMany) {
            return PartResult::TooMany;
        }
    }
    return PartResult::Stored;
}

} // namespace

int pageValue(const QString& text) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok) {
        return 0;
    }
    return static_cast<int>(std::clamp<qlonglong>(value, INT_MIN, INT_MAX));
}

int analysisImage(const QString& text, QStringList& chooesPage) {
    qDebug() << "analysisImage";
    chooesPage.clear();
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString& part : parts) {
        if (part.isEmpty()) {
            continue;
        }
        const PartResult result = part.contains(QLatin1Char('-')) ? addPageRange(part, chooesPage)
                                                                  : addSinglePage(part, chooesPage);
        if (result == PartResult::TooMany) {
            qDebug() << "return" << kTooManyPages;
            return kTooManyPages;
        }
    }
    qDebug() << "return" << chooesPage.size();
    return static_cast<int>(chooesPage.size());
}
