// Where murano finds its read-only resources and keeps the user's wall, settings and remembered
// values. Every path is built by concatenation, exactly as the files that store them expect.
#pragma once

#include <QString>

// The application folder, ending in "/": the folder of the running program, or the folder set
// with setApplicationFolder (tests point it at a folder of their own).
QString applicationFolder();
// Replaces the application folder for the rest of the process; an empty path restores the default.
void setApplicationFolder(const QString& folder);

// The template of a new wall: application folder + "flash/".
QString templateFolder();
// The skin pictures: the application folder + "/Image/" (one slash between them).
QString skinFolder();
// The template previews of the template chooser: the application folder + "/template".
QString templatePreviewFolder();

// The user's private folder for everything the program writes: $XDG_STATE_HOME/quorvex (by
// default ~/.local/state/quorvex), without a trailing "/". Created when missing and kept at mode
// 0700, so that no other user can read the wall or plant files in it.
QString tempLocation();
// tempLocation() + "/".
QString tempFolder();
// The live wall: tempFolder() + "Quorvex_Murano/", or the folder set with setWorkFolder, ending in
// "/".
QString workFolder();
// Points the program at another wall folder for the rest of the process (a batch run's --work);
// an empty path restores the user's own. Such a folder keeps its own user settings file inside it,
// so that runs on different folders share nothing.
void setWorkFolder(const QString& folder);
// The user settings file: tempFolder() + "/quorvexmrnoini" (the doubled slash is kept); for a
// folder set with setWorkFolder, its hidden ".quorvexmrnoini", which no output or upload packs.
QString userSettingsFile();
// The remembered values of the import and publish side: workFolder() + ".home".
QString rememberedValuesFile();
// The remembered values of the project side: workFolder() + ".home..".
QString projectValuesFile();
// The recently saved and opened project files: workFolder() + ".recent".
QString recentProjectsFile();
