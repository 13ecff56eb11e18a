#include "dialogs/template.h"

#include "app/dialog_look.h"
#include "app/window_chrome.h"
#include "ui_template.h"

#include <QPixmap>

Template::Template(QWidget* parent)
    : FramelessDialog(Motion::Roll, kSlidePeriodMs, parent), ui_(std::make_unique<Ui::Template>()) {
    ui_->setupUi(this);
    dressDialog(this, ui_->label_bg, ui_->label_icom, ui_->label_3,
                QStringLiteral("bg_template.png"));
    ui_->label_icon->setPixmap(QPixmap(chrome::skinPath(QStringLiteral("template.png"))));
    setUpFrame({kRadius, ui_->label_title, QRect(570, 0, 25, 25)});
}

Template::~Template() = default;

void Template::on_close_click() {
    startClosing();
    emit templateClose();
}
