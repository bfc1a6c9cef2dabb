#pragma once
// The script of one upgrade step, in the fixed frame every step writes: a
// comment header, the CONNECT statement of the step's database, optionally
// "SET NAMES SJIS_0208;", the statements, the version stamp, "COMMIT;" and
// "EXIT;". Statements stand in the step itself or come from the step's script
// files under the "sql" folder. Saved as "vqzdataup.sql" in the work folder in
// CP932 with CR LF, then run through RunIsqlScript.
#include <QString>
#include <QStringList>

#include <functional>

class FbQuery;

enum class TDbUpdateTarget { System, Company };

// The value with every apostrophe doubled, so that it stays one SQL string literal.
QString SqlText(const QString &value);

class TDbUpdateScript
{
public:
    TDbUpdateScript(TDbUpdateTarget target, int major, int minor1, int minor2);

    QStringList Lines;

    // Header, empty line, CONNECT and, when asked, "SET NAMES SJIS_0208;".
    void AddOpening(bool setNames);
    // The version stamp statement of the step (without COMMIT). The operator
    // form of MEMO adds operator code, operator name and computer name.
    void AddStamp(bool operatorMemo = false);
    void Add(const QString &line) { Lines << line; }
    void Add(const QStringList &lines) { Lines << lines; }

    // Stamp last: opening lines ... statements, stamp, "COMMIT;", "EXIT;".
    void BeginStampLast(bool setNames) { AddOpening(setNames); }
    void EndStampLast(bool operatorMemo = false);
    // Stamp first: opening lines, stamp, "COMMIT;" ... file lines, "EXIT;".
    void BeginStampFirst(bool setNames, bool operatorMemo = false);
    void EndStampFirst() { Lines << QStringLiteral("EXIT;"); }

    // Appends the non-empty lines of the step's script files, in order, from
    // "<sql folder>/<major><minor1><minor2>/<name>". A missing file is passed
    // over, or, with missingEndsStep, ends the assembly with result 18 before any
    // rule looks at the name. skip names the files the step's rules leave out.
    // Result 1 when the assembly may go on.
    int AddFiles(const QStringList &names, bool missingEndsStep,
                 const std::function<bool(const QString &name)> &skip = {});

    // "%d.%d.%d" of the step.
    QString VersionText() const;
    // The step's folder under the "sql" folder.
    QString FileFolder() const;
    // The CONNECT statement of the step's database.
    QString ConnectLine() const;

    // Saves the script and runs it; the step's result (1, 16, 17, 18).
    // Throws platform::Error when a line has a character CP932 cannot hold.
    int Run() const;
    void Save(const QString &path) const;

private:
    TDbUpdateTarget m_target;
    int m_major, m_minor1, m_minor2;
};

// The work a step does on its database from inside the program: a pre-step
// before its script is written (what it learns steers the step's rules), a
// post-step after the script succeeded. Both get a statement on the step's
// database ("ACCDEF" or "ACCDAT"), connected for the work alone (a company
// database without marking it in use), in a transaction started unless one is
// active; afterwards the database is disconnected, also after an error.
using TDbStepWork = std::function<void(FbQuery &q)>;

// A pre-step: the work is committed when it ends; an error rolls it back and
// goes on to the caller (the runner reports it and counts the step failed).
void RunPreStep(TDbUpdateTarget target, const TDbStepWork &work);
// A post-step: 1, or 19 when the work raised an error; the statements executed
// before the error stay committed.
int RunPostStep(TDbUpdateTarget target, const TDbStepWork &work);
// Executes the statements one after another, each on its own.
void ExecEach(FbQuery &q, const QStringList &statements);
