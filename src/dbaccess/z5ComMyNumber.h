#pragma once
// The individual-number management of a company database: its management log
// (table MYNUMBER_LOG) and its settings in the company settings store (group
// "基本設定": "＃USE", and the enciphered "＃KEY" and "＃VALUE"). Windowless;
// the password prompt is the framework's, installed as a hook.
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <functional>

struct TMyNumberLogRec {
    QDateTime FHIZUKE; // invalid: the current time is taken when inserting
    QString FSERIAL;
    QString FOPCODE;
    QString FOPNAME;
    QString FHOST;
    quint8 FSTATE = 0;
    QString FPROCNAME;
    QString FCOMMENT;
};
using TMyNumberLogList = QList<TMyNumberLogRec>;

extern const std::array<QString, 11> MyNumberLogKindText;

class TMyNumberIO
{
public:
    void MakeLogRec(TMyNumberLogRec &rec, int kind, const QString &processName) const;
    // Inserts the entry into the open company database; a time taken twice
    // within one clock tick is taken again (four attempts). False on failure,
    // which is reported.
    bool AddLog(TMyNumberLogRec &rec);
    bool AddLogToData(TMyNumberLogRec &rec, const QString &host, const QString &dbPath);
    // The company name and the whole log of the open company database; order 1 newest first.
    bool LoadLogList(int order);
    bool LoadLogListOfData(const QString &host, const QString &dbPath);
    // Adds the held entries that the database lacks, when its company name is the held one.
    bool MergeLogList(const QString &host, const QString &dbPath);
    bool DeleteLog(const TMyNumberLogRec &rec);
    // Reads the use flag and the two protected values; the command
    // "MYNUMBER_CLEAR" also clears them (and logs the clearing).
    bool LoadMyNumberSettings(const QString &host, const QString &dbPath, const QString &command, const QString &processName);
    // Writes the held settings back and removes the clearing's entry.
    bool RestoreMyNumberSettings(const QString &host, const QString &dbPath);

    QString CompanyName;
    int LogCount = 0;
    TMyNumberLogList LogList;
    TMyNumberLogRec ClearLog; // the entry written when the settings were cleared
    int UseMyNumber = 0;
    QString Password;
    QString Value;

private:
    // Runs the work on the company database of the path, opening it when needed.
    bool onData(const QString &host, const QString &dbPath, const std::function<bool()> &work);
};

// The cipher of the protected values in the store.
QString EncipherMyNumberValue(const QString &plain);
QString DecipherMyNumberValue(const QString &stored);

// The clock of the log entries (tests replace it); nullptr restores the real one.
void SetMyNumberLogClock(std::function<QDateTime()> clock);

// Asks for the individual-number management password (three tries): true
// without asking for an operator who is no administrator, false with no
// stored password or when the prompt is cancelled or failed three times.
bool AskMyNumberPassword(const QString &storedPassword);

// One prompt: the message (retry: the second and later tries) and the input;
// false when cancelled. The framework installs its input dialog.
extern std::function<bool(bool retry, QString &input)> MyNumberPasswordPrompt;
