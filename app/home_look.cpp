// The main window's side of the wall's look: the panel and the side dialogs turned into the start
// tag of the gallery index, with the background and logo files the tag names.
#include "app/home.h"
#include "platform/player/gallery_script.h"
#include "ui_home.h"
#include "wall/wall_look.h"

void Home::applyLook() {
    WallLook look;
    look.mode = static_cast<BackgroundMode>(backgroundMode_);
    look.pureColour = pureColour_.name();
    look.startColour = startColour_.name();
    look.endColour = endColour_.name();
    look.angle = ui_->lineEdit_angle->text();
    look.backgroundFile = ui_->lineEdit_file->text();
    look.position = ui_->comboBox_position->currentText();
    look.logoFile = ui_->lineEdit_logoFile->text();
    look.hideLogo = ui_->checkBox_showLogo->isChecked();
    look.link = ui_->lineEdit_link->text();
    look.hideShare = hiddenButtons_.share;
    look.hideInfo = hiddenButtons_.info;
    look.bookTitle = book_.title;
    look.email = book_.email;
    look.website = book_.webSite;
    look.displayName = book_.displayName;
    look.description = book_.description;

    installLogo(look.logoFile, flashPath_);
    if (look.mode == BackgroundMode::Image) {
        installBackground(look.backgroundFile, flashPath_);
    }
    index_.setStartTag(galleryStartTag(look));
    if (index_.write(indexPath())) {
        murano::player::writeGalleryScript(indexPath());
    }
}
