#pragma once
// The company file steps from 3.0.0 on: their statements come from the script
// files "vqzup01.sql" and following in the step's folder under the "sql"
// folder. Each step lists its files in order and leaves some out by rules on
// the open company (medical data, data kind, edition) and on what its pre-step
// found. The frame differs by version: "SET NAMES SJIS_0208;" from 3.0.6 on,
// the stamp last up to 5.0.2 and first from 5.0.5 on, a missing file passed
// over up to 7.0.2 and ending the step with 18 from 7.0.3 on, and the operator
// form of the stamp's MEMO in 10.0.1 to 10.0.5.
#include "dbupdate/z5DbUpdateScript.h"

#include <QString>
#include <QStringList>

#include <initializer_list>

// What the rules of the file steps read: values of the open company, the
// edition, and what a pre-step learnt.
struct TUserFileStepFacts {
    bool Medical = false;     // medical-corporation data
    int DataType = 0;         // ACCDEF1.DATATYPE: 1 corporation, 2 individual, 3 medical kinds
    int CodeType = 0;         // ACCDEF1.CODETYPE
    int Edition = 0;          // 0 standard, 1 and 2 the federation editions
    int ProductVariant = 0;   // always 0 in this program
    int Siten = 0;            // ACCDEF1.SITEN: branches kept when above 0
    int Bumon = 0;            // ACCDEF1.BUMON: departments kept when above 0
    QString SyokutiCode;      // account code of "諸口"
    // Pre-step findings.
    bool HasKamokuUpdate2 = false; // 3.0.4: trigger KAMOKUMST_AFTER_UPDATE2 exists
    int AccountLayout = 0;         // 3.0.6: 1 (377 accounts) or 2 (567 accounts) of medical data, else 0
    bool HasTaxCode116 = false;    // 7.0.4: TAXMST holds tax code 116
};

// The facts of the open company (AccInf) and the edition; the pre-step
// findings are false / 0.
TUserFileStepFacts CurrentUserFileStepFacts();

// One company file step.
struct TUserFileStep {
    int Major = 0, Minor1 = 0, Minor2 = 0;
    QStringList Files; // in the order they are read
};

// The file steps 3.0.0 to 11.0.0 in version order (4.0.2 among them).
const QList<TUserFileStep> &UserFileSteps();
// The step of a version; null when it is no company file step.
const TUserFileStep *FindUserFileStep(int major, int minor1, int minor2);

// True when the step's rules leave the file out for these facts.
bool UserFileStepSkips(const TUserFileStep &step, const QString &file, const TUserFileStepFacts &facts);

// Writes the script of a file step for these facts: the frame, the files the
// rules keep and the step's own statements. 1, or 18 when a file is missing
// from 7.0.3 on (the script is then incomplete and must not run).
int BuildUserFileStep(TDbUpdateScript &script, const TUserFileStep &step, const TUserFileStepFacts &facts);

// Builds and runs the script of a file step: 1, 16, 17 or 18.
int RunUserFileStep(int major, int minor1, int minor2, const TUserFileStepFacts &facts);

// Pre-steps and post-steps: the work each does on the company database of the
// data folder (RunPreStep / RunPostStep connect it for the work alone). They
// are declared here so that tests can run them on their own.

// 3.0.4 / 3.0.7: whether a trigger of that name exists.
bool UserDbTriggerExists(FbQuery &q, const QString &name);
// 3.0.6: the account layout of medical data and the changes made before the script.
int UserDbUpdate306PreStep(FbQuery &q, const TUserFileStepFacts &facts);
// 3.0.7: creates the empty trigger KAMOKUSZ_AFTER_DELETE2 when it is missing.
void UserDbUpdate307PreStep(FbQuery &q);
// 7.0.0: the data password moves to "データパスワードV2" in scrambled form.
// False, with nothing changed, when the password holds a character the
// scramble cannot take (only letters and digits).
bool UserDbUpdate700PreStep(FbQuery &q);
// 7.0.4: whether TAXMST holds tax code 116.
bool UserDbUpdate704PreStep(FbQuery &q);
// The post-steps: seed rows, conversions and switches after the script.
void UserDbUpdate802PostStep(FbQuery &q, const TUserFileStepFacts &facts);
void UserDbUpdate803PostStep(FbQuery &q, const TUserFileStepFacts &facts);
void UserDbUpdate902PostStep(FbQuery &q, const TUserFileStepFacts &facts);
void UserDbUpdate903PostStep(FbQuery &q);
void UserDbUpdate904PostStep(FbQuery &q, const TUserFileStepFacts &facts);
void UserDbUpdate905PostStep(FbQuery &q, const TUserFileStepFacts &facts);

// The rating rows of the comparison analysis and the account rates of an
// account group: a rise line carries 0.95,0,1.05,1, a fall line 1.05,1,0.95,0.
struct TYojituRatingRow {
    const char16_t *code;
    const char16_t *name;
    bool rise;
};
void InsertYojituRatingRows(FbQuery &q, std::initializer_list<TYojituRatingRow> rows);
void UpdateYojituAccountRates(FbQuery &q, const QString &group, bool rise);

// The message of step 7.0.0 when the data password cannot be scrambled.
QString DataPasswordNotScramblableMessage();
