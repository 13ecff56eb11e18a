#include "publish/publish.h"

#include "app/dialog_look.h"
#include "ui_publish.h"

Publish::Publish(QWidget* parent)
    : FramelessDialog(Motion::Roll, kRollPeriodMs, parent), ui_(std::make_unique<Ui::Publish>()) {
    ui_->setupUi(this);
    dressDialog(this, ui_->label_bg, ui_->label_icon, ui_->label_Title,
                QStringLiteral("Aboutbg.png"));
    setUpFrame({kRadius, ui_->label_bg, QRect(490, 0, 25, 25)});
}

Publish::~Publish() = default;

void Publish::loadSettings(const QString& path) {
    settingsPath_ = path;
}

void Publish::on_close_click() {
    startClosing();
    emit publishClose();
}
