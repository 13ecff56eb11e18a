#include "app/toolbar_style.h"

#include <QToolButton>

namespace toolbar {

QString selectedStyle() {
    return QStringLiteral(
        "QToolButton{border:none;border-radius: 4px;color: rgb(0, 0, 0);background-color: rgb(85, "
        "170, 255);}QToolButton:hover{background-color:rgba(255,255,255,100);color: rgb(0, 0, "
        "0);}QToolButton:hover:pressed{background-color:rgba(255,255,255,100);}");
}

QString normalStyle() {
    return QStringLiteral(
        "QToolButton{border:none;border-radius: 4px;color: rgb(0, 0, 0);} "
        "QToolButton:hover{background-color:rgba(255,255,255,100);color: rgb(0, 0, "
        "0);}QToolButton:hover:pressed{background-color:rgba(255,255,255,100);}");
}

QString blinkStyle() {
    return QStringLiteral(
        "QToolButton{border:none;border-radius: 4px;color: rgb(255, 10, 255);} "
        "QToolButton:hover{background-color:rgba(255,255,255,100);color: rgb(255, 10, "
        "255);}QToolButton:hover:pressed{background-color:rgba(255,255,255,100);}");
}

void select(QToolButton* button, bool selected) {
    button->setStyleSheet(selected ? selectedStyle() : normalStyle());
    if (!selected) {
        button->setEnabled(true);
    }
}

} // namespace toolbar
