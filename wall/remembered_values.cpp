#include "wall/remembered_values.h"

#include "wall/text_lines.h"

RememberedValues& RememberedValues::shared() {
    static RememberedValues table;
    return table;
}

QString RememberedValues::value(int slot) const {
    return slot >= 0 && slot < kSlotCount ? slots_[slot] : QString();
}

void RememberedValues::setValue(int slot, const QString& text) {
    if (slot >= 0 && slot < kSlotCount) {
        slots_[slot] = text;
    }
}

void RememberedValues::clear() {
    slots_.fill(QString());
}

bool RememberedValues::load(const QString& path) {
    const std::optional<QStringList> lines = readTextLines(path);
    if (!lines) {
        return false;
    }
    const int count = std::min<int>(lines->size(), kSlotCount);
    for (int slot = 0; slot < count; ++slot) {
        slots_[slot] = lines->at(slot);
    }
    return true;
}

bool RememberedValues::save(const QString& path) const {
    QStringList lines;
    for (const QString& text : slots_) {
        lines.append(onOneLine(text));
    }
    return writeTextLines(path, lines);
}
