// The user settings file: a wall's look carried from one run to the next, one value per line.
#pragma once

#include "wall/wall_look.h"

#include <QString>

#include <functional>

// How the settings file was found at start-up.
enum class UserSettingsSource {
    Restored,   // read from the file
    FirstStart, // no file: defaults were written
    Unreadable  // present but unreadable: the form values stand and nothing was written
};

struct UserSettingsStart {
    UserSettingsSource source;
    WallLook values;
};

// The web address a new wall's logo links to.
inline constexpr const char* kDefaultLogoLink = "https://quorvex.example/murano/";

// Start-up: restores the file's values over formValues (the widgets as the form starts), or, when
// there is no file yet, takes the first-start defaults (adjusted by onFirstStart when given, to
// what the wall shows) and writes them (18 lines). The book fields of a first start are the form's
// own.
UserSettingsStart
startUserSettings(const QString& path, const QString& applicationFolder, const WallLook& formValues,
                  const std::function<WallLook(const WallLook&)>& onFirstStart = {});

// Reads the file over formValues: a short file leaves the missing values as the form has them (an
// empty mode keeps the form's mode; the position is then 0). Unreadable and missing files are
// told apart by the source; in both cases the values are formValues.
UserSettingsStart restoreUserSettings(const QString& path, const WallLook& formValues);

// The values of a first start, with the book fields taken from formValues.
WallLook firstStartSettings(const QString& applicationFolder, const WallLook& formValues);

// Saves the whole file (19 lines) as every Apply does. Returns false when it could not be written.
bool saveUserSettings(const QString& path, const WallLook& values);

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
