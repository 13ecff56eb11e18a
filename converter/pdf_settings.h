// The PDF export's settings from the converter's PDF options.
#pragma once

#include "platform/office/murano_office.h"
#include "converter/options.h"

// Title, subject, author and keywords; the open password; the owner password with the
// restrictions of -encryption (4 printing, 8 changes, 16 copying, 32 commenting, 256 form filling,
// 512 extraction, 1024 assembly, 2048 high-resolution printing); -bookmark as the outline's
// bookmarks. Restrictions without an owner password are locked with a random one, so that they
// hold. The key length is the export's own (128 bits).
office::PdfSettings pdfSettingsFrom(const ConverterOptions& options);

// The permitted changes (0 none ... 4 all but extracting pages) left by -encryption's bits.
int permittedChanges(int encryption);
