// What the main window's tests share: a prepared application folder (the shipped flash/ and
// Image/ folders copied from the build), a fresh private state folder per test, and an answerer
// for the missing-engine question.
#pragma once

#include "wall/folders.h"
#include "wall/locations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <memory>

namespace hometest {

// Copies the shipped template and skin into a folder of the test's own and points the program
// there, so that nothing a test does can touch the build's files.
inline bool prepareApplicationFolder(const QTemporaryDir& folder) {
    const QString bin = QStringLiteral(MURANO_BIN_DIR);
    if (!QFile::exists(bin + QStringLiteral("/flash/main.swf")) ||
        !QFile::exists(bin + QStringLiteral("/Image/close.png"))) {
        return false;
    }
    copyTree(bin + QStringLiteral("/flash"), folder.path() + QStringLiteral("/flash"));
    copyTree(bin + QStringLiteral("/Image"), folder.path() + QStringLiteral("/Image"));
    setApplicationFolder(folder.path());
    return true;
}

// Points the private state folder (work folder, settings file) at a fresh folder.
inline std::unique_ptr<QTemporaryDir> freshState() {
    auto state = std::make_unique<QTemporaryDir>();
    qputenv("XDG_STATE_HOME", state->path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (state->path() + QStringLiteral("/data")).toLocal8Bit());
    return state;
}

// The part of a widget that its window shows: its rectangle cut by every panel around it.
inline QRect shownPart(const QWidget* widget, const QWidget* window) {
    QRect shown(widget->mapTo(window, QPoint(0, 0)), widget->size());
    for (const QWidget* outer = widget->parentWidget(); outer && outer != window;
         outer = outer->parentWidget()) {
        shown &= QRect(outer->mapTo(window, QPoint(0, 0)), outer->size());
    }
    return shown & window->rect();
}

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers every question box that appears with the next of the given buttons, then with No.
class QuestionAnswerer : public QObject {
public:
    explicit QuestionAnswerer(QList<QMessageBox::StandardButton> answers = {})
        : answers_(std::move(answers)) {
        connect(&timer_, &QTimer::timeout, this, &QuestionAnswerer::answer);
        timer_.start(10);
    }

    int asked() const { return asked_; }
    QStringList texts() const { return texts_; }

private:
    void answer() {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget* window : windows) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!box || !box->isVisible()) {
                continue;
            }
            texts_ << box->text() + QLatin1Char('|') + box->informativeText();
            const QMessageBox::StandardButton reply =
                asked_ < answers_.size() ? answers_.at(asked_) : QMessageBox::No;
            ++asked_;
            if (QAbstractButton* button = box->button(reply)) {
                button->click();
            }
        }
    }

    QList<QMessageBox::StandardButton> answers_;
    QTimer timer_;
    int asked_ = 0;
    QStringList texts_;
};

} // namespace hometest
