#include "app/dialog_host.h"

#include <QToolButton>

DialogHost::DialogHost(QWidget* window, Select select)
    : QObject(window), window_(window), select_(std::move(select)) {}

DialogHost::~DialogHost() {
    for (const Entry& entry : entries_) {
        delete entry.dialog;
    }
}

void DialogHost::addEntry(FramelessDialog* dialog, QToolButton* button) {
    dialog->hide();
    entries_.push_back({dialog, button});
}

const DialogHost::Entry* DialogHost::find(const FramelessDialog* dialog) const {
    for (const Entry& entry : entries_) {
        if (entry.dialog == dialog) {
            return &entry;
        }
    }
    return nullptr;
}

QPoint DialogHost::centredCorner(const FramelessDialog* dialog) const {
    return QPoint(window_->x() + (window_->width() - dialog->width()) / 2,
                  window_->y() + (window_->height() - dialog->fullHeight()) / 2);
}

void DialogHost::open(FramelessDialog* dialog) {
    const QPoint corner = centredCorner(dialog);
    dialog->setPosition(corner.x(), corner.y());
    dialog->showDialog();
    if (const Entry* entry = find(dialog)) {
        select_(entry->button, true);
    }
    emit opened(dialog);
}

void DialogHost::closed(FramelessDialog* dialog) {
    if (const Entry* entry = find(dialog)) {
        select_(entry->button, false);
    }
    emit closing(dialog);
}
