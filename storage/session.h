#pragma once

#include "database.h"
#include "inifile.h"
#include "query.h"

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

    // The session created last that still lives; throws StorageError when none.
    static Session& current();
    static bool hasCurrent();

    Database ZDatabase1;
    // On their way out: the shared queries and current() are left only for
    // the windows not yet given their session; new code makes a local
    // Query over ZDatabase1.
    Query ZQuery1;
    Query ZQuery2;
    Query ZQuery3;

    // Folder with a trailing separator, and the settings file in it.
    QString programFolder;
    QString settingsPath;

    // Read once when called; what is written to it needs its commit().
    IniFile settings() const { return IniFile(settingsPath); }
    // Set when the settings file found at the start was not used.
    QString settingsNotice;

private:
    Session* m_previous = nullptr;
};
