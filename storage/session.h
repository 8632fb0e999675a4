#pragma once

#include "database.h"
#include "inifile.h"

#include <QString>

// The diary's storage for one run of the program: the one connection, the
// program folder and the settings file. The main window owns it and hands
// it to the windows it opens; storage and calc functions take its database.
class Session
{
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Database ZDatabase1;

    // Folder with a trailing separator, and the settings file in it.
    QString programFolder;
    QString settingsPath;

    // Read once when called; what is written to it needs its commit().
    IniFile settings() const { return IniFile(settingsPath); }
    // Set when the settings file found at the start was not used.
    QString settingsNotice;
};
