// The template previews that ship in the application's template folder: every JPEG picture in it
// or in any of its subfolders, shown to the user under its file name up to the last dot.
#pragma once

#include <QList>
#include <QString>

struct TemplatePreview {
    QString name; // "Warm Paper" for ".../Warm Paper.jpg", "a.b" for "a.b.JPG"
    QString path; // where the picture really lies, subfolder included
};

// The previews under folder (".jpg" in any letter case), sorted by name regardless of letter case,
// so that the chooser shows them in one order everywhere; empty when the folder does not exist.
QList<TemplatePreview> findTemplatePreviews(const QString& folder);
