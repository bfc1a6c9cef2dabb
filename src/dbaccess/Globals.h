#pragma once
// Process-wide records of the accounting framework: the system record, the
// product values copied from the identity at start-up, the connection mode
// and edition, and the constant tables several screens share.
// Written on the main thread at start-up and login, read everywhere.
#include "dbaccess/OperatorSettings.h"

#include <QString>
#include <QStringList>
#include <array>

struct TAppInfoRec;

// The system record: connection, folders, login and the operator's settings.
struct TSystemDef {
    int GroupNo = 0;
    QString AppIniFile;
    QString WinUserName;
    QString WinSysDir;
    QString DocumentDir;
    QString DataRootDir;
    QString ProgramDir;
    QString BaseDir;
    QString PrintDir;
    QString HelpDir;
    QString SqlDir;
    QString IniDir;
    QString LogDir;
    QString TempDir;
    QString WinTempDir;
    QString EChoboDir;
    QString SysDir;
    QString DataDir;
    QString HostName;
    bool GoGlobal = false;
    bool GroupFlag = false;
    bool SbcFlag = false;
    bool ExtraFlag = false;
    QString DbUser;
    QString DbPassword;
    QString Serial;
    QString PcName;
    int OpCode = 0;
    int LoginNo = 0;
    QString OpName;
    int OpLevel = 0;
    bool OpAllSiten = false;
    QString DefSisetuCode;
    bool LoginFlag1 = false;
    bool LoginFlag2 = false;
    bool Jimusho = false;       // office operator
    bool MyNumberAdmin = false; // administers individual numbers
    bool Shonin = false;        // may approve
    int SisetuKind = 0;
    QString SisetuCode;
    bool SettingsReadFlag = false;
    bool DataDamaged = false; // the data set chosen last was found damaged
    // operator settings
    int DataCheckKbn = 0; // check data sets for damage (1 on)
    // Flags of Reserve4 of the settings row by bit number (1 to 11; 5 and 6 unused),
    // and the value of bits 5 and 6. Bit 10 selects the Japanese era form of dates.
    std::array<int, 12> Reserve4Bit{};
    int Reserve4Value56 = 0;
    TSysDefSettings SysDef;
    QString ServerWorkDir;
    // start-up values
    QString AppDispName;
    QString AppDispNameCopy;
    QString AppVersion;
    int WinMajorVersion = 0;
    int MenuHeight = 0;
    int CaptionHeight = 0;
    int FrameHeight = 0;
    int FrameAllowance = 0;
};

extern TSystemDef SystemDef;

// Whether dates are shown in the Japanese era form (the operator's date style).
inline bool IsWarekiDisplay() { return SystemDef.Reserve4Bit[10] == 1; }

// Connection mode: 0 stand-alone ("LOCAL"), 1 client/server ("SERVER"), 2 SBC ("SBC").
extern quint8 ConnectMode;
// Start mode: always 0 in this program.
extern quint8 StartMode;
// Edition: 0 standard; 1 (and 2, treated alike) the federation edition.
extern quint8 Edition;

// Product values. Each holds its built-in text until the identity copy at start-up.
struct TProductValues {
    QString AppName = QStringLiteral("vqzaimu");
    QString HomeDir = QStringLiteral("quenta\\dorvelzaimu");
    QString ShareDir = QStringLiteral("dorvelzaimu");
    QString ServerDir = QStringLiteral("\\dorvelzaimu\\data");
    QString ServerTempDir = QStringLiteral("\\dorvelzaimu\\temp");
    QString DataDefFile = QStringLiteral("vqaccdef.fdb");
    QString DataFile = QStringLiteral("vqacc.fdb");
    QString DataBackupFile = QStringLiteral("vqacc.fbk");
    QString DataIniFile = QStringLiteral("vqacc.ini");
    int DataListCnt = 120;
    QString EChoboDataDir = QStringLiteral("vqzview");
    QString CashBookDataDir = QStringLiteral("cb_data");
    // further values of the identity copy
    QString CompanyName;
    QString CompanyURL;
    QString Since;
    QString VeldaHomeDir;
    QString CashBookBackupFile;
    std::array<QString, 5> InitDataFiles; // DataInitFile filled with 11, 21, 22, 23, 31
};

extern TProductValues Product;

// The name under which company-database backups are written into a work folder.
// It does not follow DataBackupFile.
inline const QString WorkBackupFile = QStringLiteral("vqacc.fbk");

// The file-manager database file.
inline const QString FileManFile = QStringLiteral("vqfileman.fdb");

// Optional-menu flag, set and cleared by the login.
extern bool OptionalMenu;

// Period mode of the accounting screens: when positive, the period panels of a
// form open on the first quarter instead of the months from the start of the
// books. Nothing in this program sets it; it stays 0.
extern int KikanMode;

// Copies the identity values into the product values, in one pass, with no checks.
void SetFrameworkGlobals(const TAppInfoRec &info);

// Constant tables.
inline const std::array<QString, 4> SbcKinds = {QString(), QStringLiteral("GO-Global"), QStringLiteral("RDS"),
                                               QStringLiteral("XenDesktop")};
inline const std::array<QString, 13> FunctionKeyLabels = {
    QStringLiteral("ESC:"), QStringLiteral("F1:"), QStringLiteral("F2:"), QStringLiteral("F3:"),
    QStringLiteral("F4:"), QStringLiteral("F5:"), QStringLiteral("F6:"), QStringLiteral("F7:"),
    QStringLiteral("F8:"), QStringLiteral("F9:"), QStringLiteral("F10:"), QStringLiteral("F11:"),
    QStringLiteral("F12:")};
inline const QString SortMarkAsc = QStringLiteral("▲");
inline const QString SortMarkDesc = QStringLiteral("▼");
inline const std::array<QString, 2> ListPrintFonts = {QStringLiteral("ＭＳ 明朝"), QStringLiteral("ＭＳ ゴシック")};
// Data kinds in the order of the choices 1 to 6.
inline const std::array<QString, 6> DataKindNames = {QStringLiteral("法人"), QStringLiteral("個人(一般)"),
                                                     QStringLiteral("個人(不動産)"), QStringLiteral("医療法人"),
                                                     QStringLiteral("個人(クリニック)"), QStringLiteral("個人(農業)")};
// The whole-company label of data kinds 1 to 3 (index = kind - 1).
inline const std::array<QString, 3> WholeCompanyLabels = {QStringLiteral("法人全体"), QStringLiteral("総体"),
                                                          QStringLiteral("法人全体")};
inline const std::array<QString, 5> MedicalBusinessKinds = {
    QStringLiteral("法人全体"), QStringLiteral("病院・診療所"), QStringLiteral("老人保健施設"),
    QStringLiteral("指定訪問看護"), QStringLiteral("その他の事業")};
// Individual-cost code widths by width setting 0 to 3.
inline constexpr std::array<int, 4> CostCodeWidths = {3, 4, 5, 6};
// Merge kinds of main rows, and those that can have child rows.
inline constexpr std::array<int, 3> MainRowMergeKinds = {0, 1, 2};
inline constexpr std::array<int, 2> ParentMergeKinds = {1, 2};
bool IsMainRowMergeKind(int gassan);
bool IsParentMergeKind(int gassan);

// The computer's name as the databases record it (the user's name in the SBC
// mode, "PCNAME-ERROR" when the machine has none).
QString GetPcName();
