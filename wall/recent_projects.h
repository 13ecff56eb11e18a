// The project files the user saved or opened last, newest first: one absolute path a line in the
// file recentProjectsFile() names (UTF-8), beside the remembered values, and shown by the main
// window as a short list under Open Project.
#pragma once

#include <QString>
#include <QStringList>

// How many projects the list keeps.
inline constexpr int kRecentProjectCount = 6;

// The list as the file holds it (at most kRecentProjectCount paths); empty without a file.
QStringList recentProjects(const QString& listFile);

// Puts a project at the top of the list (once), drops the oldest beyond the count, and saves the
// list. Returns the new list.
QStringList rememberRecentProject(const QString& listFile, const QString& projectFile);

// Takes a project off the list (one that is gone) and saves the list. Returns the new list.
QStringList forgetRecentProject(const QString& listFile, const QString& projectFile);
