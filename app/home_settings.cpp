// The main window's side of the user settings file: the widgets the file's values come from and
// go back into.
#include "app/home.h"
#include "dialogs/bookinfo.h"
#include "dialogs/buttons.h"
#include "ui_home.h"
#include "wall/locations.h"
#include "wall/user_settings.h"

namespace {

UserSettings formValues(const Ui::Home& form, const BookDetails& book,
                        const HiddenButtons& hidden) {
    UserSettings values;
    values.backgroundFile = form.lineEdit_file->text();
    values.logoFile = form.lineEdit_logoFile->text();
    values.logoLink = form.lineEdit_link->text();
    values.shareHidden = hidden.share;
    values.infoHidden = hidden.info;
    values.bookTitle = book.title;
    values.email = book.email;
    values.webSite = book.webSite;
    values.displayName = book.displayName;
    values.description = book.description;
    values.angle = form.lineEdit_angle->text();
    values.position = form.comboBox_position->currentIndex();
    values.logoHidden = form.checkBox_showLogo->isChecked();
    return values;
}

} // namespace

void Home::saveSettings() const {
    UserSettings values = formValues(*ui_, book_, hiddenButtons_);
    values.pureColor = pureColour_.name();
    values.gradientStart = startColour_.name();
    values.gradientEnd = endColour_.name();
    values.mode = static_cast<BackgroundMode>(backgroundMode_);
    saveUserSettings(userSettingsFile(), values);
}

void Home::restoreSettings() {
    UserSettings form = formValues(*ui_, book_, hiddenButtons_);
    form.mode = static_cast<BackgroundMode>(backgroundMode_);
    const UserSettingsStart start = startUserSettings(userSettingsFile(), appPath_, form);
    if (start.source == UserSettingsSource::Unreadable) {
        return;
    }
    const UserSettings& values = start.values;
    ui_->lineEdit_file->setText(values.backgroundFile);
    ui_->lineEdit_logoFile->setText(values.logoFile);
    ui_->lineEdit_link->setText(values.logoLink);
    hiddenButtons_ = {values.infoHidden, values.shareHidden};
    book_ = {values.bookTitle, values.email, values.webSite, values.displayName,
             values.description};
    buttons_->setHidden(hiddenButtons_);
    bookInfo_->setDetails(book_);
    // A first start keeps the form's black pure colour, which suits the wall's dark stage, until
    // the user picks one; the settings file still records its own first-start colour.
    if (start.source != UserSettingsSource::FirstStart) {
        pureColour_ = QColor(values.pureColor);
    }
    startColour_ = QColor(values.gradientStart);
    endColour_ = QColor(values.gradientEnd);
    showSwatch(ui_->lineEdit_color, pureColour_);
    showSwatch(ui_->lineEdit_starColor, startColour_);
    showSwatch(ui_->lineEdit_endColor, endColour_);
    ui_->lineEdit_angle->setText(values.angle);
    setBackgroundMode(static_cast<int>(values.mode));
    ui_->comboBox_position->setCurrentIndex(values.position);
    ui_->checkBox_showLogo->setChecked(values.logoHidden);
}

void Home::showSwatch(QLineEdit* swatch, const QColor& colour) {
    swatch->setStyleSheet(swatchStyle(colour.name()));
}
