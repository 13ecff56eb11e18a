// The work folder: the live wall that the preview plays, made from the template folder once and
// repaired before every load of the preview.
#pragma once

#include <QString>

// Creates the work folder as a full copy of the template folder when it does not exist yet or is
// an empty folder. An existing work folder, with the images and settings of an earlier run, is
// reused untouched.
// Returns true when the folder was created now.
bool createWorkFolder(const QString& workFolder, const QString& templateFolder);

// Recreates the data folders (xml, background, logo, wallimages) and the three player files where
// they are missing. Nothing else is restored: a lost images.xml or wallimages/thumbs stays lost.
void repairWorkFolder(const QString& workFolder, const QString& templateFolder);
