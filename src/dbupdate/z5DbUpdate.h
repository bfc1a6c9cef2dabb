#pragma once
// The schema upgrade: the registered upgrade steps of the system database and of
// company databases, the version test that tells whether a database still needs
// steps, and the runner that hands a step's script to the Firebird SQL tool.
#include "dbaccess/BackupRestoreThread.h"
#include "dbupdate/DbVersionStore.h"
#include "framework/MessageDlg2.h"

#include <QDateTime>
#include <QDialog>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <compare>
#include <functional>
#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTextEdit;
class TxAnimeProgressDialog;

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

// The registered steps in version order, described with the edition and the
// product title in force: 16 of the system database, 55 of a company database.
TArrayDbUpdateListRec SystemDbUpdateSteps();
TArrayDbUpdateListRec UserDbUpdateSteps();

// The step function of the steps whose scripts this build does not carry: it
// changes nothing and reports the script as missing.
int DbUpdateScriptUnavailable();

// The company steps whose scripts this build carries.
int UserDbUpdate011();
int UserDbUpdate012();
int UserDbUpdate013();
int UserDbUpdate014();
int UserDbUpdate015();
int UserDbUpdate020();
int UserDbUpdate021();
int UserDbUpdate022();
int UserDbUpdate030();
int UserDbUpdate031();
int UserDbUpdate032();
int UserDbUpdate033();
int UserDbUpdate034();
int UserDbUpdate040();
int UserDbUpdate041();
int UserDbUpdate100();
int UserDbUpdate101();
int UserDbUpdate102();
int UserDbUpdate103();
int UserDbUpdate105();
int UserDbUpdate200();
int UserDbUpdate204();
int UserDbUpdate300();
int UserDbUpdate301();
int UserDbUpdate303();
int UserDbUpdate304();
int UserDbUpdate306();
int UserDbUpdate307();
int UserDbUpdate400();
int UserDbUpdate402();
int UserDbUpdate500();
int UserDbUpdate502();
int UserDbUpdate505();
int UserDbUpdate600();
int UserDbUpdate610();
int UserDbUpdate613();
int UserDbUpdate700();
int UserDbUpdate702();
int UserDbUpdate703();
int UserDbUpdate704();
int UserDbUpdate800();
int UserDbUpdate802();
int UserDbUpdate803();
int UserDbUpdate900();
int UserDbUpdate901();
int UserDbUpdate902();
int UserDbUpdate903();
int UserDbUpdate904();
int UserDbUpdate905();
int UserDbUpdate1000();
int UserDbUpdate1001();
int UserDbUpdate1003();
int UserDbUpdate1004();
int UserDbUpdate1005();
int UserDbUpdate1100();

// A step that fails for a reason the operator can mend names it here; the
// dialog shows it in its failure box. The runner clears it before every step.
void SetDbUpdateStepMessage(const QString &text);
QString DbUpdateStepMessage();

// The schema-upgrade dialog. It registers every step when it is created;
// SetUpdateList prepares it for one database and tells whether that database
// still needs steps (the data-selection screen asks only this and never shows
// it). Shown modally, it lists the pending steps, asks the operator to agree,
// refuses while others use the database, backs the database up, runs the
// steps one after another, puts the backup back when a step fails, and closes
// with 1 after a successful run, 2 after Cancel and 4 after OK otherwise.
class TDbUpdateBox : public QDialog
{
    Q_OBJECT
public:
    explicit TDbUpdateBox(QWidget *parent = nullptr);
    // A dialog over other step lists than the registered ones.
    TDbUpdateBox(TArrayDbUpdateListRec systemList, TArrayDbUpdateListRec dataList, QWidget *parent = nullptr);
    ~TDbUpdateBox() override;

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

    // Backup, the pending steps, and the restore after a failed step: 1 every
    // step succeeded, 0 a step failed and the database is as before, -1
    // nothing ran (nothing pending, or the backup failed) or the restore failed.
    int ExecuteUpdate();
    // The operators logged on to the system database in the operator's group,
    // other than the operator himself: "[ %.4d ]:  %s" and "\r" each.
    QString GetUseOperatorList();

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
    // The backup of the last run ("dataup.fbk" in the temporary folder).
    QString BackupFile() const { return FBackupFile; }
    // The result record of the last backup or restore job.
    const TErrInfomation &JobResult() const { return FJobResult; }
    // True while a run is under way.
    bool Running() const { return FRunTag != 0; }

    // Handlers.
    void btnOkClick();
    void btnCancelClick();
    // The agreement box enables OK while it is checked; without it OK is enabled.
    void cboxAgreeClick();
    // Shows the description of the step of a list row.
    void ListView1SelectItem(int row);

    // Controls (objectName = the name).
    QLabel *ImageRed = nullptr;
    QLabel *ImageGrn = nullptr;
    QLabel *lblTitle1 = nullptr;
    QTableWidget *ListView1 = nullptr; // "Ver.", "説明", "状況"
    QTextEdit *RichEdit1 = nullptr;
    QCheckBox *cboxAgree = nullptr;
    QLabel *lblTitle2 = nullptr;
    QLabel *lblTitle3 = nullptr;
    QFrame *pnlProgress = nullptr;
    QLabel *Label1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    TxAnimeProgressDialog *xAnimeProgressDialog1 = nullptr;
    // Status images: 0 done, 1 failed.
    QIcon ImageList1[2];

    // The status text of a list row ("完了", "失敗", "ﾌｧｲﾙ不足" or empty).
    QString RowStatus(int row) const;

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void reject() override; // Esc and the close button act as Cancel

private:
    void buildControls();
    void arrangeForKind();
    void setRowStatus(int row, const QString &text, int image);
    // Runs one backup or restore job behind the progress window.
    bool runJob(int mode, const QString &caption, const QString &info, const QString &dbPath);
    void showFailureBox();

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
    QString FBackupFile;
    TErrInfomation FJobResult;
    TMessage2InfoRec FErrorBox;
    int FRunTag = 0; // the OK button's tag: 1 while a run is under way
};

// Runs the script "vqzdataup.sql" of the work folder through the Firebird SQL
// tool and judges the run; the version text names the step in the failure
// message. Result 1, 16, 17 or 18. The run fails (16) when an output of more
// than two lines holds "failed" or "Error", and also when the tool ended with
// an error, was killed, or left no output at all. The output kept in the
// error files has the database password masked.
int RunIsqlScript(const QString &versionText);

// Appends the tool's output lines to "ErrDataup.log" in the log folder.
void AppendErrorLog(const QStringList &lines);

// The text with every password of a CONNECT statement, and the database
// password itself, replaced by asterisks.
QString MaskPasswords(const QString &text);

// The tool's output of the last run, password masked (its file is deleted after the run).
QStringList LastIsqlOutput();

// The Firebird SQL tool: the path set with SetIsqlToolPath, else "isql-fb" on
// the path, else the tool beside the Firebird installation. Empty when none.
QString FindIsqlTool();
void SetIsqlToolPath(const QString &path); // empty: search again

// The clock of the scripts' header and version stamp (tests fix it).
void SetDbUpdateClock(std::function<QDateTime()> clock);
QDateTime DbUpdateNow();
