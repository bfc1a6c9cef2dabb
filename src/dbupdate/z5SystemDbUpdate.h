#pragma once
// The upgrade steps of the system database ("vqaccdef.fdb") and the work some
// of them do on it from inside the program.
#include <QString>
#include <QStringList>

class FbQuery;

// The step functions, in version order.
int SystemDbUpdate031();
int SystemDbUpdate032();
int SystemDbUpdate033();
int SystemDbUpdate101();
int SystemDbUpdate300();
int SystemDbUpdate305();
int SystemDbUpdate307();
int SystemDbUpdate400();
int SystemDbUpdate402();
int SystemDbUpdate500();
int SystemDbUpdate700();
int SystemDbUpdate704();
int SystemDbUpdate800();
int SystemDbUpdate802();
int SystemDbUpdate904();
int SystemDbUpdate1004();

// Step 7.0.0, before its script: the office row (SYSTEMINI row 10) read into
// the session's office fields and, for an office installation (RESERVE1 1),
// written back with the office flag set and only its name, address and
// telephone lines. Works on the connected system database in the caller's
// transaction; errors go to the caller.
void RewriteOfficeRecord();

// Step 8.0.2, after its script: one JOBCONTROL2 row (level, process, start
// option) for each old JOBCONTROL row whose menu place has a process.
void ConvertJobControl(FbQuery &q);

// Step 9.0.4, after its script: the dictionary switches of every operator's
// SYSDEF row turned into the eight named open settings of the description and
// customer fields.
void ConvertDictionarySettings(FbQuery &q);

// The open settings of one field from its old dictionary switch (0 off, 1 the
// dictionary, 2 the association list) and its input setting: dictionary,
// association, automatic, no input.
struct TDictionaryOpen {
    int Dictionary = 0;
    int Association = 0;
    int Automatic = 0;
    int NoInput = 0;
    friend bool operator==(const TDictionaryOpen &, const TDictionaryOpen &) = default;
};
TDictionaryOpen DictionaryOpenOf(int dictionarySwitch, int inputSetting);

// The name of the standard data place: the system folder itself when its
// CP932 form takes at most 40 bytes, else "標準の場所".
QString DataPlaceZeroName(const QString &systemFolder);

// The statements of step 5.0.0 that name the data places: the standard place
// and the ninety-nine free places with the system folder and two digits.
QStringList DataPlaceInserts(const QString &systemFolder);

// What the system steps share.
namespace sysupdate {

// The lines of a block of statements written in the step, one script line each.
QStringList lines(const char *text);

// A script-file step: stamp first, then the lines of "sysup01.sql" of the
// step's folder. A missing file is passed over, or, with missingEndsStep, ends
// the step with 18 before anything is written or run. The result of the run.
int runFileStep(int major, int minor1, int minor2, bool missingEndsStep);

// In the client/server connection mode, the call of SP_DATALIST_UPDATE with the
// system folder in upper case and "COMMIT;"; nothing in the other modes.
QStringList dataListFolderCall();

} // namespace sysupdate
