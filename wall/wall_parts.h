// Parts of a wall that the side dialogs edit and hand back as values: the book information and
// which of the player's buttons the wall hides.
#pragma once

#include <QMetaType>
#include <QString>

struct BookDetails {
    QString title;
    QString email;
    QString webSite;
    QString displayName;
    QString description; // plain text

    bool operator==(const BookDetails& other) const {
        return title == other.title && email == other.email && webSite == other.webSite &&
               displayName == other.displayName && description == other.description;
    }
};

struct HiddenButtons {
    bool info = false;
    bool share = false;

    bool operator==(const HiddenButtons& other) const {
        return info == other.info && share == other.share;
    }
};

Q_DECLARE_METATYPE(BookDetails)
Q_DECLARE_METATYPE(HiddenButtons)
