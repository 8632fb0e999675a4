#pragma once

#include "database.h"
#include "inifile.h"
#include "query.h"

#include <QString>

// The diary's storage for one run of the program: the one connection with
// its three shared queries, the program folder and the settings file. The
// main window owns it; every other window and the diary operations reach it
// through Session::current().
//
// ZQuery1 serves almost every statement, ZQuery2 nested reads while another
// result is being walked, ZQuery3 the outer loop of the editor's list view.
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
