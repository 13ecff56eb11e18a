// What an import hands to the wall: which slide images it stored and under which numbers.
#pragma once

#include "wall/gallery_index.h"

#include <QMetaType>
#include <QSize>
#include <QStringList>

struct ImportedSlides {
    bool allPages = true;
    int imageCount = 0;     // slide images the converter produced
    int firstIndex = 0;     // first slide index of an all-pages import
    QStringList chooesPage; // a custom range's page entries, as parsed
    int chooesPageNum = 0;
    QSize pixSize{-1, -1}; // size of the first converted slide image

    // The gallery numbers of the stored images, in wall order.
    QStringList imageNumbers() const {
        return selectedImageNumbers(allPages, imageCount, firstIndex, chooesPage, chooesPageNum);
    }
};

Q_DECLARE_METATYPE(ImportedSlides)
