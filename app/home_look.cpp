// The main window's side of the wall's look: the panel and the side dialogs turned into the start
// tag of the gallery index, with the background and logo files the tag names.
#include "dialogs/bookinfo.h"
#include "dialogs/buttons.h"
#include "platform/player/gallery_script.h"
#include "app/home.h"
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
    look.hideShare = buttons_->shareHidden();
    look.hideInfo = buttons_->infoHidden();
    const BookDetails book = bookInfo_->details();
    look.bookTitle = book.title;
    look.email = book.email;
    look.website = book.webSite;
    look.displayName = book.displayName;
    look.description = book.description;

    installLogo(look.logoFile, flashPath_);
    if (look.mode == BackgroundMode::Image) {
        installBackground(look.backgroundFile, flashPath_);
    }
    index_.setStartTag(galleryStartTag(look));
    if (index_.write(indexPath())) {
        murano::player::writeGalleryScript(indexPath());
    }
}
