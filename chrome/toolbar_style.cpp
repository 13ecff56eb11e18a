#include "chrome/toolbar_style.h"

#include <QToolButton>

namespace toolbar {

namespace {

// A button reached with Tab shows a ring, so that Space and Enter press a button one can see.
const QString kFocusRule =
    QStringLiteral("QToolButton:focus{border: 2px solid rgb(20, 90, 200); border-radius: 4px;}");

} // namespace

QString selectedStyle() {
    return QStringLiteral("QToolButton{border:none;border-radius: 4px;color: rgb(0, 0, 0);"
                          "background-color: rgb(85, 170, 255);}"
                          "QToolButton:hover{background-color:rgba(255,255,255,100);"
                          "color: rgb(0, 0, 0);}"
                          "QToolButton:hover:pressed{background-color:rgba(255,255,255,100);}") +
           kFocusRule;
}

QString normalStyle() {
    return QStringLiteral("QToolButton{border:none;border-radius: 4px;color: rgb(0, 0, 0);} "
                          "QToolButton:hover{background-color:rgba(255,255,255,100);"
                          "color: rgb(0, 0, 0);}"
                          "QToolButton:hover:pressed{background-color:rgba(255,255,255,100);}") +
           kFocusRule;
}

QString blinkStyle() {
    return QStringLiteral("QToolButton{border:none;border-radius: 4px;color: rgb(255, 10, 255);} "
                          "QToolButton:hover{background-color:rgba(255,255,255,100);"
                          "color: rgb(255, 10, 255);}"
                          "QToolButton:hover:pressed{background-color:rgba(255,255,255,100);}") +
           kFocusRule;
}

// The window-wide look of the panels, fields and tabs; the toolbar buttons carry their own.
QString panelStyle() {
    return QStringLiteral(
        "QLabel#label_titleText{color: #ffffff; font-size: 14px; font-weight: 600;}"
        "QWidget#widget_home, QWidget#widget_setting{background-color: rgba(255, 255, 255, 150);"
        " border-radius: 6px;}"
        "QWidget#widget_logeSetting, QWidget#widget_backgroundConfig,"
        " QWidget#widget_screenSetting{background: transparent;}"
        "QWidget#page_image, QWidget#page_pureColor, QWidget#page_gradientColor,"
        " QStackedWidget{background: transparent;}"
        "QLabel#label_style{color: #24557f; font-weight: 600;}"
        "QWidget#widget_setting QLabel{color: #1d2433;}"
        "QLineEdit, QComboBox{background-color: #ffffff; color: #1d2433; border: 1px solid #9fb1c7;"
        " border-radius: 4px; padding: 1px 4px;}"
        "QLineEdit:focus, QComboBox:focus{border: 1px solid #3d8fe0;}"
        "QWidget#widget_setting QToolButton#toolButton_file,"
        " QWidget#widget_setting QToolButton#toolButton_color,"
        " QWidget#widget_setting QToolButton#toolButton_startColor,"
        " QWidget#widget_setting QToolButton#toolButton_endColor{background-color: #e9eef5;"
        " border: 1px solid #9fb1c7; border-radius: 4px;}"
        "QCheckBox{color: #1d2433;}"
        "QFrame#line_home3, QFrame#line_home5{color: rgba(0, 0, 0, 60);}"
        "QToolButton::menu-button{border: none; width: 16px;}"
        "QMenuBar{background: transparent; border: none;}"
        "QMenuBar::item{padding: 0px; background: transparent;}"
        "QMenu{background-color: #ffffff; color: #1d2433; border: 1px solid #9fb1c7;}"
        "QMenu::item:selected{background-color: #55aaff; color: #ffffff;}"
        "QMenu::item:disabled{color: #9aa3b2;}");
}

void select(QToolButton* button, bool selected) {
    button->setStyleSheet(selected ? selectedStyle() : normalStyle());
    if (!selected) {
        button->setEnabled(true);
    }
}

} // namespace toolbar
