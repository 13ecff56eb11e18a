#include "chrome/dialog_look.h"

#include "chrome/window_chrome.h"

#include <QLabel>
#include <QPixmap>
#include <QWidget>

QString dialogStyle(const QString& windowName, const QString& captionName) {
    QString style =
        QStringLiteral("QWidget#%1{background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                       " stop:0 #f3f6fb, stop:1 #e3e8f1);}"
                       "QLabel{color: #1d2433;}"
                       "QLineEdit, QTextEdit{background-color: #ffffff; color: #1d2433;"
                       " border: 1px solid #9fb1c7; border-radius: 4px; padding: 1px 4px;}"
                       "QLineEdit:focus, QTextEdit:focus{border: 1px solid #3d8fe0;}"
                       "QCheckBox{color: #1d2433; spacing: 8px;}")
            .arg(windowName);
    if (!captionName.isEmpty()) {
        style += QStringLiteral("QLabel#%1{color: #ffffff; font-weight: 600;}").arg(captionName);
    }
    return style;
}

void dressDialog(QWidget* window, QLabel* backgroundLabel, QLabel* iconLabel, QLabel* caption,
                 const QString& background) {
    window->setStyleSheet(
        dialogStyle(window->objectName(), caption ? caption->objectName() : QString()));
    if (backgroundLabel) {
        backgroundLabel->setScaledContents(true);
        backgroundLabel->setPixmap(QPixmap(chrome::skinPath(background)));
    }
    if (iconLabel) {
        iconLabel->setScaledContents(true);
        iconLabel->setPixmap(QPixmap(chrome::skinPath(QStringLiteral("icon.png"))));
    }
}
