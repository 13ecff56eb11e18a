// Opens, centres and closes the main window's dialogs from one table: each dialog opens centred
// over the window (by its full height, as a rolling dialog may be shown shorter) with its toolbar
// button selected, and its own close signal gives the button back its normal style. The host owns
// the dialogs; they have no parent and live as long as it.
#pragma once

#include "chrome/frameless_dialog.h"

#include <QObject>

#include <functional>
#include <vector>

class QToolButton;

class DialogHost : public QObject {
    Q_OBJECT

public:
    // Style sheets of a toolbar button: select(button, true) selects it; false gives back the
    // normal style and enables it.
    using Select = std::function<void(QToolButton*, bool)>;

    DialogHost(QWidget* window, Select select);
    ~DialogHost() override;

    // Takes a dialog into the table, hidden, with its toolbar button and its own close signal.
    template <typename Dialog>
    Dialog* add(Dialog* dialog, QToolButton* button, void (Dialog::*closeSignal)()) {
        addEntry(dialog, button);
        connect(dialog, closeSignal, this, [this, dialog] { closed(dialog); });
        return dialog;
    }

    // Opens the dialog centred over the window and selects its button.
    void open(FramelessDialog* dialog);
    // The dialog is closing: its button gets its normal style back.
    void closed(FramelessDialog* dialog);

    // The corner that centres a dialog over the window.
    QPoint centredCorner(const FramelessDialog* dialog) const;

signals:
    void opened(FramelessDialog* dialog);
    void closing(FramelessDialog* dialog);

private:
    struct Entry {
        FramelessDialog* dialog;
        QToolButton* button;
    };
    void addEntry(FramelessDialog* dialog, QToolButton* button);
    const Entry* find(const FramelessDialog* dialog) const;

    QWidget* window_;
    Select select_;
    std::vector<Entry> entries_;
};
