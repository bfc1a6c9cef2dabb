#pragma once
// The application ini file: per computer, how the program reaches its database
// server — one section per connection mode (LOCAL, SERVER, SBC) with host,
// system-database folder, database user and password, and the last connection
// mode with window defaults (APPLICATION).
#include <QString>

class TAppIniSettings
{
public:
    // The section of a connection mode: 0 "LOCAL", 1 "SERVER", 2 "SBC".
    static QString SectionOf(int mode);

    // With reset: the default file (stand-alone mode clears the host first);
    // without: the current values into the section of the current connection mode.
    static bool WriteIniFile(bool reset);
    static void SaveConnectMode(int mode);
    static int ReadConnectMode();
    // Reads the section of a mode into the system record; 1.
    static int ReadServerSettings(int mode);
    // 1 read, 0 for an application kind this program does not know.
    static int LoadSettings(int mode);

    // Application kind: always 0 in this program.
    static int ApplicationKind;
};
