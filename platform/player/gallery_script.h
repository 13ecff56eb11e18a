// The gallery index's script twin. A page opened straight from disk may not fetch xml/images.xml,
// but it may load a script: xml/images.js carries the same text as a JavaScript string,
//     window.muranoGallery = "...";
// and the wall player falls back to it. Whoever rewrites the index rewrites the twin beside it.
#pragma once

#include <QByteArray>
#include <QString>

namespace murano::player {

// File name of the twin, beside the index.
inline constexpr char kGalleryScriptName[] = "images.js";

// A script that sets window.<variable> to `text` (UTF-8) as a JavaScript string, escaped as below.
QByteArray scriptTwinFor(const char* variable, const QByteArray& text);

// The twin's text for an index (UTF-8 bytes). Pure ASCII: everything outside printable ASCII, and
// every character that could end the string or the script element, is written as an escape.
QByteArray galleryScriptFor(const QByteArray& indexXml);

// The twin's path for an index path: the same folder, file name images.js.
QString galleryScriptPathFor(const QString& indexXmlPath);

// Reads the index and writes its twin beside it, replacing the old one in one step. False, and the
// old twin left as it was, when the index cannot be read or the twin cannot be written.
bool writeGalleryScript(const QString& indexXmlPath);

} // namespace murano::player
