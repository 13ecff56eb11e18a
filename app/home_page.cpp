#include "app/home_page.h"

#include "chrome/toolbar_style.h"
#include "chrome/window_chrome.h"
#include "ui_home_page.h"

HomePage::HomePage(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::HomePage>()) {
    ui_->setupUi(this);
    // The window's style sheet paints the page's panel, as it does a plain widget's.
    setAttribute(Qt::WA_StyledBackground);
    const struct {
        QToolButton* button;
        const char* icon;
    } commands[] = {
        {ui_->toolButton_import, "import.png"},     {ui_->toolButton_publish, "publish.png"},
        {ui_->toolButton_template, "template.png"}, {ui_->toolButton_share, "upload.png"},
        {ui_->toolButton_save, "save.png"},         {ui_->toolButton_open, "open.png"},
        {ui_->toolButton_about, "help.png"},
    };
    for (const auto& entry : commands) {
        entry.button->setIcon(QIcon(chrome::skinPath(QLatin1String(entry.icon))));
        entry.button->setStyleSheet(toolbar::normalStyle());
        entry.button->setCursor(Qt::PointingHandCursor);
    }
}

HomePage::~HomePage() = default;

QWidget* HomePage::panel() const {
    return ui_->widget_panel;
}
