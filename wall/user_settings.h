// The user settings file: the settings panel's and the side dialogs' values carried from one run
// to the next, one value per line. The main window hands its widget values in and sets its
// widgets from the values that come out; nothing here touches a widget.
#pragma once

#include "wall/background_mode.h"

#include <QString>

// The values the file carries, named after the widgets they belong to.
struct UserSettings {
    QString backgroundFile;        // lineEdit_file
    QString logoFile;              // lineEdit_logoFile
    QString logoLink;              // lineEdit_link
    bool shareHidden = false;      // Buttons: checkBox_share
    bool infoHidden = false;       // Buttons: checkBox_info
    QString bookTitle;             // BookInfo: lineEdit_bookTitle
    QString email;                 // BookInfo: lineEdit_Email
    QString webSite;               // BookInfo: lineEdit_WebSite
    QString displayName;           // BookInfo: lineEdit_display
    QString description;           // BookInfo: textEdit_discrption, plain text
    QString pureColor = "#000000"; // colour names: "#" and six lower-case hex digits
    QString gradientStart = "#000000";
    QString gradientEnd = "#000000";
    QString angle = "90"; // lineEdit_angle, as typed
    BackgroundMode mode = BackgroundMode::PureColor;
    int position = 0;        // comboBox_position index: Center, Stretch, Tile
    bool logoHidden = false; // checkBox_showLogo ("Hide Logo")

    bool operator==(const UserSettings& other) const;
};

// How the settings file was found at start-up.
enum class UserSettingsSource {
    Restored,   // read from the file
    FirstStart, // no file: defaults were written
    Unreadable  // present but unreadable: the form values stand and nothing was written
};

struct UserSettingsStart {
    UserSettingsSource source;
    UserSettings values;
};

// The web address a new wall's logo links to.
inline constexpr const char* kDefaultLogoLink = "https://quorvex.example/murano/";

// Start-up: restores the file's values over formValues (the widgets as the form starts), or, when
// there is no file yet, takes the first-start defaults and writes them (18 lines). The book fields
// of a first start are the form's own.
UserSettingsStart startUserSettings(const QString& path, const QString& applicationFolder,
                                    const UserSettings& formValues);

// Reads the file over formValues: a short file leaves the missing values as the form has them (an
// empty mode keeps the form's mode; the position is then 0). Unreadable and missing files are
// told apart by the source; in both cases the values are formValues.
UserSettingsStart restoreUserSettings(const QString& path, const UserSettings& formValues);

// The values of a first start, with the book fields taken from formValues.
UserSettings firstStartSettings(const QString& applicationFolder, const UserSettings& formValues);

// Saves the whole file (19 lines) as every Apply does. Returns false when it could not be written.
bool saveUserSettings(const QString& path, const UserSettings& values);

// A colour's red, green and blue, 0..255.
struct RgbColor {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The colour of a colour name, from its hexadecimal pairs; black for a malformed name.
RgbColor colorFromName(const QString& name);
// The style sheet of a colour swatch: "background-color: rgb(r, g, b)" in decimal.
QString swatchStyle(const QString& colorName);
