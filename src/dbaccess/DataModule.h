#pragma once
// The data module: the one owner of the program's database connections — the
// system database, the company database of the open data set, the file-manager
// database and a spare — with their transactions and shared statements, and the
// services built on them: opening and closing, server file operations, schema
// probes and journal counts, and the settings stores.
#include "core/Currency.h"
#include "dbaccess/FbClient.h"

#include <QDate>
#include <QObject>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <memory>

// One SYSTEMINI row.
struct TSystemIniRec {
    int REC = 0;
    int RESERVE1 = 0, RESERVE2 = 0, RESERVE3 = 0, RESERVE4 = 0, RESERVE5 = 0;
    QString SSTR;
};

// Connection parameters of every connection, in order.
QStringList DatabaseParams();

// The path rule: "host:folder/file" in a server mode unless the host is
// "127.0.0.1", else "folder/file".
QString DatabasePath(const QString &host, const QString &folder, const QString &file);

class TDM : public QObject
{
    Q_OBJECT
public:
    explicit TDM(QObject *parent = nullptr);
    ~TDM() override;

    // Connections and transactions.
    FbDatabase IBDatabaseDEF;
    FbTransaction IBTransactionDEF;
    FbDatabase IBDatabaseDAT;
    FbTransaction IBTransactionDAT;
    FbTransaction IBTransactionDATSS;
    FbTransaction IBTransactionDATStable;
    FbTransaction IBTransactionDAT_Thread;
    FbDatabase IBDatabaseZEN;
    FbTransaction IBTransactionZEN;
    FbTransaction IBTransactionZENStable;
    FbDatabase IBFileMan;
    FbTransaction IBTransFileMan;

    // Shared statements.
    FbQuery IBQSysDefGet, IBQSysDefPut, QueryDef, IBSQLDEF;
    FbQuery IBQACC1, IBQACC2, IBQACC3;
    FbQuery IBSQL1;
    FbQuery IBQueryFileMan, IBSQLFileMan;
    FbStoredProc IBStoredProcPUTEVENT;

    QTimer TimerFormClose, TimerSyoriKidou;

    // Opening and closing. An empty host means the record's HostName, an empty
    // folder its DataDir.
    bool fnAccDefConnected(const QString &host, bool report);
    bool fnFileManConnected(const QString &host);
    bool fnAccDatConnected(const QString &host, const QString &dataDir, bool markInUse);
    bool fnAccDatDisConnected(const QString &dataDir, bool writeInfo, bool updateList);
    bool AccDatInConnection(int kind, const QString &host, bool keepOwn, const QString &folder);
    // Whether another attachment holds the local company database of the
    // folder: another connection to it, or another program whose engine keeps
    // the file locked. Our own company connection does not count; nothing is shown.
    bool AccDatHeldElsewhere(const QString &folder);
    bool AccDatDropDatabase(const QString &host, const QString &dataDir);
    void DeleteLogonInfo();

    // File operations: local in mode 0, through the system database's procedures in modes 1 and 2.
    bool ServerFileOperation(const QString &operation, const QString &path1, const QString &path2);
    QString ServerLongToShortFileName(const QString &longPath);
    bool DExist(const QString &folder, int mode);
    bool MkDir(const QString &folder, int mode);
    bool RmDir(const QString &folder, int mode, bool toRecycleBin);
    bool FExist(const QString &file, int mode);
    bool FDel(const QString &file, int mode, bool toRecycleBin);
    bool FMove(const QString &source, const QString &target, int mode);
    bool FCopy(const QString &source, const QString &target, int mode);
    QString GetShortFileName(const QString &path, int mode);

    // Backup, restore and validation of a whole database file. The protocol is
    // 0 (TCP/IP to the host) or 3 (local, no host); paths are the server's own.
    // A restore never works in place: it writes a new file beside the target
    // and puts it in place only when complete; a backup file is replaced by a
    // rename over it, so a failure leaves the previous one.
    enum { ProtocolTcp = 0, ProtocolLocal = 3 };
    bool BackupFDB(int protocol, const QString &host, const QString &dbPath, const QString &backupFile, bool direct);
    bool RestoreFDB(int protocol, const QString &host, const QString &dbPath, const QString &backupFile, bool keepIndexes);
    // The same through the command-line tool; the host "127.0.0.1" takes the services.
    // The backup raises its failures to the caller.
    bool BackupFDBByGbak(int protocol, const QString &host, const QString &dbPath, const QString &backupFile, bool direct);
    bool RestoreFDBByGbak(int protocol, const QString &host, const QString &dbPath, const QString &backupFile, bool keepIndexes);
    // True when the database passed a full validation.
    bool ValidateDatabase(int protocol, const QString &host, const QString &dbPath);

    // Schema probes and journal counts on the company database.
    bool fnExistence_Table(const QString &table);
    bool fnExistence_Field(const QString &table, const QString &field);
    int GetYukouSiwakeCount(const QString &branch);
    int GetUpDelSiwakeCount(const QString &branch);
    int GetSiwakeCount(const QString &branch, int &live, int &changed);
    int GetSiwakeCountAll(const QString &branch);

    // System settings stores.
    void funcGetSysReg(const QString &key, const QString &kind, QVariant &value, int opCode, const QString &def);
    void funcPutSysReg(const QString &key, const QString &kind, int opCode, const QVariant &value);
    // The same passing database errors on to the caller.
    QVariant readSysReg(const QString &key, const QString &kind, int opCode, const QString &def);
    void writeSysReg(const QString &key, const QString &kind, int opCode, const QVariant &value);
    void GetSysReg(const QString &key, const QString &kind, QVariant &value, const QString &def);
    void PutSysReg(const QString &key, const QString &kind, const QVariant &value);
    bool GetSysIni(TSystemIniRec &rec);
    bool SetSysIni(const TSystemIniRec &rec);
    // The settings text of an operator's style row; failures answer empty or
    // are ignored. The Read/Write forms pass database errors on to the caller.
    QString GetStyleColor(int opCode, const QString &styleName);
    void PutStyleColor(int opCode, const QString &styleName, const QString &text);
    QString readStyleColor(int opCode, const QString &styleName);
    void writeStyleColor(int opCode, const QString &styleName, const QString &text);

    // Operator settings (SYSDEF and its SYSREG values).
    bool fnGetSysDef();
    bool fnPutSysDef();

    // Company master load and its services.
    bool fnGetAccInfo();
    static QString GetDataTypeName(int dataType);                                  // throws platform::Error
    static QString GetCodeTypeName(int dataType, int codeType, bool fullForm);     // throws platform::Error
    static bool SetMedicalMode(int dataType, int codeType);
    static bool SetMedicalModeOfSession();
    static bool IsMedicalDataKind(const QString &dataKind);
    void SetSystemCode(const QString &roleName, QString &kcode, QString &userCode);
    QString GetUserCode(const QString &kcode);
    QString fnGetAccTotalName(const QString &group, const QString &column);
    void GetTusinId(int rec, int slot);
    bool fnGetDataBaseVer(QString &version);

    // Operator rights and the default facility.
    bool IsUnrestrictedOperator();
    bool fnGetExistsOpeDefSisetu();
    void GetOpeDefSisetu(QString &name);
    // Reads the operator's default facility (branch) code into the system
    // record; false when it cannot be read (an error, reported, or none set).
    bool GetOpeDefSisetuCode();
    static void GetSisetuColor(const QString &text, const QString &name, QVariant &value);
    static void GetTextValue(const QString &text, const QString &name, QString &value);

    // Data paths, eras and the deferred actions.
    static void SplitDataPath(const QString &path, QString &first, QString &second);
    void GetDataListRec(const QString &dataDir, int &listNo, int &childNo);
    void LoadGengo();
    static int MapIntValue(int value, int) { return value; }
    static QString MapTextValue(const QString &text, int) { return text; }
    void TimerFormCloseTimer();
    void TimerSyoriKidouTimer();
    QString SyoriKidouName;
    int SyoriKidouNumber = 0;
    QString SyoriKidouParams;

    // Query factory and company settings store. A query is made on the system
    // database (exactly "ACCDEF") or on the company database (its snapshot transaction
    // when asked); never null.
    std::unique_ptr<FbQuery> CreateAccQuery(const QString &selector, bool snapshot);
    std::unique_ptr<FbQuery> CreateAccSQL(const QString &selector, bool snapshot);
    QVariant GetAccReg(const QString &group, const QString &code, const QString &kind, const QString &def);
    void PutAccReg(const QString &group, const QString &code, const QString &kind, const QVariant &value);
    void DeleteAccReg(const QString &group, const QString &code);
    QVariant GetAccRegBlob(const QString &group, const QString &key, const QString &kind);
    void PutAccRegBlob(const QString &group, const QString &key, const QString &kind, const QVariant &value);

    // What the opening and closing of a data set write into its information file
    // and the data-set list. The data-set information installs them.
    std::function<void(const QString &dataDir)> OnDataSetOpened;
    std::function<void(const QString &dataDir, bool writeInfo, bool updateList)> OnDataSetClosing;

private:
    // The default facility: code and kind into the system record, its name out;
    // true when a row was found. Errors are raised.
    bool readOpeDefSisetu(QString &name);
    void connectTo(FbDatabase &db, const QString &host, const QString &folder, const QString &file);
};

// The one data module of the process (null until the start-up creates it).
extern TDM *DM;

// Runs a process form by name (installed by the host program): name, number, parameters.
extern std::function<int(const QString &name, int number, const QString &params)> RunProcessHook;

// The host program's check of a data set found unusable: host, data folder and
// an argument in, 0 out when the data set is damaged.
extern std::function<QVariant(const QString &host, const QString &dataDir, int argument)> DataCheckHook;
// The hook's answer, or 1 when no check is made (the operator's damage-check
// setting is off and the check is not forced, or no hook is installed).
int CheckDataByHook(const QString &host, const QString &dataDir, int force, int argument);

// Text forms of the settings stores.
bool SysRegStrToBool(const QString &text);
QString SysRegBoolToStr(bool value);
bool AccRegStrToBool(const QString &text);
QString AccRegBoolToStr(bool value);
QString DateToRegText(int style, const QDate &date);
Currency RegTextToCurr(const QString &text);
QDate RegTextToDate(const QString &text);
