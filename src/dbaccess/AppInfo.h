#pragma once
// The identity of the product build, read at start-up from "AppInfo.ini" beside
// the program: names and titles, registry key, folders, database and backup file
// names, communication menu captions and the maker's contact data.
#include <QString>

struct TAppInfoRec {
    struct {
        QString OEM;
        QString Since;
        QString RegKey;
        QString Zeq;
        QString ZeqAlias;
        int VerMajorDiff = 0;
        int VerMinorDiff = 0;
        int VerRevDiff = 0;
        QString VerTest;
        int DuviridoBlind = 0;
        QString WebVeldaServer;
    } Application;
    struct {
        QString Name, ZipCode, Addr, TEL, FAX, Mail, URL;
    } Company;
    struct {
        QString AppName, AppTitle, AppTitle_CL, RegKey, HomeDir, ShareDir, ServerDir, ServerTempDir;
        QString DataDefFile, DataFile, DataBackupFile, DataInitFile, DataIniFile;
        int DataListCnt = 0;
    } Rirev;
    struct {
        QString AppTitle, DataDir, WriteDirFmt;
    } EChobo;
    struct {
        QString AppTitle, RegKey, HomeDir;
    } Velda;
    struct {
        QString AppTitle, RegKey, DataDir, DataBackupFile;
    } Duvirido;
    struct {
        QString DataCon, DataCon01, DataCon02, DataCon03, DataConZeq01, DataConZeq02;
    } Menu;
};

// The process's one identity record.
extern TAppInfoRec AppInfo;

// Reads "AppInfo.ini" from the folder of the program path.
// 1 read; 0 no file (record untouched); -1 OEM missing or empty (record holds the
// built-in values); -10 the file could not be read (record holds what was read).
int LoadAppInfo(const QString &programPath, TAppInfoRec &rec);

// Every field to its built-in value.
void SetAppInfoDefaults(TAppInfoRec &rec);
