#include "share/upload.h"

#include "app/dialog_look.h"
#include "ui_upload.h"

upLoad::upLoad(QWidget* parent)
    : FramelessDialog(Motion::Roll, kSlidePeriodMs, parent), ui_(std::make_unique<Ui::upLoad>()) {
    ui_->setupUi(this);
    dressDialog(this, ui_->label_bg, ui_->label_icon, ui_->label_caption,
                QStringLiteral("bg_upload.png"));
    setUpFrame({kRadius, ui_->label_bg, QRect(470, 0, 25, 25)});
}

upLoad::~upLoad() = default;

void upLoad::on_close_click() {
    startClosing();
    emit upLoadClose();
}
