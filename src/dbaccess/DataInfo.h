#pragma once
// What the data-selection screens know of one company data set without keeping
// its database open: lock and share status, holder, names, fiscal year, counts
// and data version — read from the company database or from the information
// file beside it ("vqacc.ini": sections DATASTS and DATAINFO), and written there.
#include "dbaccess/SeihinVersion.h"

#include <QString>

#include <functional>

struct TDataInfomationRec {
    quint8 Status = 1;      // 0 unreadable, 1 free, 2 in use, 3 locked, ... 10 damaged
    int OpCode = 0;
    QString OpName;
    quint8 ShareStatus = 1; // 1 free, 2 taken out of the shared area
    int ShareOpCode = 0;
    QString ShareOpName;
    int UpdateLock = 0;
    QString ListName;
    QString Code;
    int DataKbn = 0;
    int CodeKbn = 0;
    QString Shougou;
    QString Kana;
    int Nendo = 0;
    QString Kishu;  // "yyyy/mm/dd"
    QString Kimatu; // "yyyy/mm/dd"
    int Tanto = 0;
    int Siten = 0;
    int SitenCnt = 0;
    int Bumon = 0;
    int BumonCnt = 0;
    int Siwake = 0;
    int TotalSiwake = 0;
    int VerMajor = 0, VerMinor1 = 0, VerMinor2 = 0;
    QString VerLabel;
    quint8 GassanKbn = 0;
    int UseMyNumber = 0;
};

// The list table of a data folder in the server modes: "DATALIST" for a folder
// of the server's data folder, "DATALIST_EX" for one of another data place.
QString DataListTableOf(const QString &dataDir);

// The display texts of the statuses 0 to 10.
QString DataStatusText(int status);

class TDataInfomation
{
public:
    TDataInfomation();

    quint8 ConnectMode = 0;
    TDataInfomationRec Rec;

    static void ClearDataInfoRec(TDataInfomationRec &rec);
    // The information file of a data folder.
    static QString IniFileOf(const QString &dataDir);

    int GetDataInfoRec(TDataInfomationRec &rec);
    int GetDataInfoRecByPath(const QString &dataDir, TDataInfomationRec &rec);
    int ReadIniFile(const QString &host, const QString &dataDir, TDataInfomationRec &rec);
    int ReadIniInfo(const QString &dataDir, TDataInfomationRec &rec);
    void WriteIniFile(const QString &dataDir, const QString &section, const TDataInfomationRec &rec);
    void WriteIniValue(const QString &dataDir, const QString &section, bool remove, const QString &value, const QString &key);
    void SetDataStatus(const QString &dataDir, int status);
    void SetShareStatus(const QString &dataDir, int status);
    bool ChangeShareStatus(const QString &dataDir, int status);
    void UpdateIniFile(const QString &dataDir, const QString &section);
    void UpdateDataInfomation(const QString &host, const QString &dataDir, TDataInfomationRec &rec);
    bool IsUseData(const QString &dataDir);
    QString VersionLabel(int major, int minor1) const;
    int PutServerData(const QString &serverDir, const QString &localDir, bool quiet);
    int GetServerData(const QString &serverDir, const QString &localDir, bool quiet);

private:
    TSeihinVersionList m_versions;
};

// Refreshes the data-list row of a closed data set (installed by the data-set list).
extern std::function<void(const QString &dataDir, const TDataInfomationRec &rec)> DataListRowUpdater;

// Marks a data set in use when the data module opens it with information
// writing, and free when it closes it: installs the data module's slots.
void InstallDataInfoHooks();
