#pragma once
// The schema upgrade: the registered upgrade steps of the system database and of
// company databases, the version test that tells whether a database still needs
// steps, and the runner that hands a step's script to the Firebird SQL tool.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <compare>
#include <functional>
#include <vector>

// A step function: writes the step's script, runs it and returns a result code.
using TDbUpdateProc = int (*)();

// Result codes of a step.
enum : int {
    DbUpdateDone = 1,          // success
    DbUpdateToolError = 16,    // the tool reported an error
    DbUpdateToolNotRun = 17,   // the tool could not be started
    DbUpdateFileMissing = 18,  // the script or one of the step's script files is missing
    DbUpdatePostStepError = 19 // a change made from the program after the script failed
};

// One registered upgrade step.
struct TDbUpdateListRec {
    int Major = 0;
    int Minor1 = 0;
    int Minor2 = 0;
    TDbUpdateProc UpdateProc = nullptr;
    int NeedBackup = 0;
    QString Title;
    QString Description; // lines separated by "\r"
};
using TArrayDbUpdateListRec = std::vector<TDbUpdateListRec>;

// A database version: major, minor, revision, ordered field by field.
struct TDbVersionRec {
    int Major = 0;
    int Minor = 0;
    int Rev = 0;
    friend auto operator<=>(const TDbVersionRec &, const TDbVersionRec &) = default;
};

// The registered steps in version order, described with the edition and the
// product title in force: 16 of the system database, 55 of a company database.
TArrayDbUpdateListRec SystemDbUpdateSteps();
TArrayDbUpdateListRec UserDbUpdateSteps();

// The step function of the steps whose scripts this build does not carry: it
// changes nothing and reports the script as missing.
int DbUpdateScriptUnavailable();

// The company steps whose scripts this build carries.
int UserDbUpdate011();
int UserDbUpdate402();

// The schema-upgrade dialog without its window: it registers every step when it
// is created, and SetUpdateList prepares it for one database and tells whether
// that database still needs steps. Nothing here shows a window.
class TDbUpdateBox
{
public:
    TDbUpdateBox();
    TDbUpdateBox(const TDbUpdateBox &) = delete;
    TDbUpdateBox &operator=(const TDbUpdateBox &) = delete;

    // kind 0 the system database, 1 a company database. A version text
    // "major.minor.revision" is taken as the database version; an empty text
    // reads the version from the open database of the kind. When nothing is
    // pending the list keeps the rows it had.
    void SetUpdateList(quint8 kind, const QString &versionText);
    // Reads the version of the open database of the current kind.
    void SetDbVersion();
    // Parses a version text; anything but three fields gives 0.0.0, a field that
    // is not a number counts 0.
    void SetDbVersionText(const QString &text);

    bool UpdateNeeded() const { return FUpdateNeeded; }
    bool UpdateOk() const { return FUpdateOk; }
    int DbKind() const { return FDbKind; }
    int FirstIndex() const { return FFirstIndex; }
    int LastIndex() const { return FLastIndex; }
    int BackupCount() const { return FBackupCount; }
    TDbVersionRec DbVersion() const { return FDbVersion; }
    TDbVersionRec NewestVersion() const { return FNewestVersion; }
    const TArrayDbUpdateListRec &SystemList() const { return FSystemList; }
    const TArrayDbUpdateListRec &DataList() const { return FDataList; }
    const TArrayDbUpdateListRec &CurrentList() const { return *FCurrentList; }

    // What the dialog shows for the prepared database.
    struct TListColumn {
        QString Caption;
        int Width = 0;
    };
    struct TListRow {
        QString Caption; // "major.minor.revision"
        QString Title;
        QString Status;  // empty until the step ran
    };
    QList<TListColumn> Columns;
    QList<TListRow> Rows;
    QString Description; // of the selected row
    QString Title1, Title2, Title3;
    bool AgreeVisible = false;
    bool AgreeChecked = false;
    bool CancelVisible = false;
    bool OkEnabled = true;

    // The agreement box enables OK while it is checked; without it OK is enabled.
    void cboxAgreeClick();
    // Shows the description of the step of a list row.
    void ListView1SelectItem(int row);

private:
    void arrangeForKind();

    quint8 FDbKind = 0;
    TArrayDbUpdateListRec FSystemList;
    TArrayDbUpdateListRec FDataList;
    const TArrayDbUpdateListRec *FCurrentList = &FSystemList;
    TDbVersionRec FDbVersion;
    TDbVersionRec FNewestVersion;
    bool FUpdateNeeded = false;
    int FFirstIndex = 0;
    int FLastIndex = 0;
    int FBackupCount = 0;
    bool FUpdateOk = false;
};

// Runs the script "vqzdataup.sql" of the work folder through the Firebird SQL
// tool and judges the tool's output; the version text names the step in the
// failure message. Result 1, 16, 17 or 18.
int RunIsqlScript(const QString &versionText);

// Appends the tool's output lines to "ErrDataup.log" in the log folder.
void AppendErrorLog(const QStringList &lines);

// The tool's output of the last run (its file is deleted after the run).
QStringList LastIsqlOutput();

// The Firebird SQL tool: the path set with SetIsqlToolPath, else "isql-fb" on
// the path, else the tool beside the Firebird installation. Empty when none.
QString FindIsqlTool();
void SetIsqlToolPath(const QString &path); // empty: search again

// The clock of the scripts' header and version stamp (tests fix it).
void SetDbUpdateClock(std::function<QDateTime()> clock);
QDateTime DbUpdateNow();
