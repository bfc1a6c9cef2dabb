#pragma once
// The exchange with the cash-book application through the relay server's
// three cash-book slots of the cash-book identity: "/01" what the cash book
// sent, "/02" what this program sent for it, "/03" this program's master data.
//   3  send to "/02"                    4  receive "/01" and load it (dialog)
//   5  master send to "/03"             6  receive "/03", else "/02", unasked
//   7  send to "/01", no closing word   9  send to "/01"
//   10 receive "/03", else "/02", after asking
// Sends stamp the cash entries with their links (TCashBookSender); receives
// restore the data into a work database and hand it to the loader; only a
// load that finished deletes the slot on the server.
#include <QString>

class TfmDataTusin;

namespace cashbook {

// The checks of a cash-book mode before the slot list; false ends the run.
bool Checks(TfmDataTusin &form);
// The exchange after the slot list: the run's result (send modes 1 when the
// data went out, receive modes 1 or 2 for "/03", 0 otherwise).
int Run(TfmDataTusin &form);

// The comparison of a slot with the data set before a send: -1 declined, 1
// accepted, 2 nothing differs.
int CompareWithServer(TfmDataTusin &form, int index);
// The send of the open data set to the mode's slot: 1 when it went out, 0 when
// a step failed (each failing step has said why).
int SendCashBookData(TfmDataTusin &form);
// The receive of a slot into the work database and its load: 1 when the load
// finished, 0 otherwise.
int ReceiveCashBookData(TfmDataTusin &form, int index);

// The title of the cash book's upgrade window, during which nothing is sent.
inline const QString kUpgradeWindowTitle = QStringLiteral("現金出納帳バージョンアップ");

} // namespace cashbook

// Installs the cash-book modes into the communication window.
void InstallCashBookPipelines();
