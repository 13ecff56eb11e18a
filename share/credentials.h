// The remembered user name and password of the upload dialog: an INI file in the per-user data
// folder with the keys "Usr/Usr" and "Usr/Inf", readable and writable by its owner only.
#pragma once

#include <QString>

struct Credentials {
    QString userName;
    QString password;
};

// The data location + "/quorrvexmuranosetting.ini".
QString credentialsFile();
// What was last remembered; both empty when the file is missing or unreadable.
Credentials readCredentials();
// Writes both keys (empty ones when forgetting), the file at mode 0600 before anything is in it.
void writeCredentials(const Credentials& credentials);
