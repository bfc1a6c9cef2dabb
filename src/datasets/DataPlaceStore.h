#pragma once
// The data places of the server connection modes: up to 100 folders on the
// data server, each with its own data-set list (the DATALIST_EX rows of its
// number), listed in the system database's table DATAPLACEMAN. The store
// loads the places (making the 100 initial rows of an empty table), writes
// the changed ones, and tells whether a place still holds data sets.
#include <QList>
#include <QString>

#include <functional>

struct TDataPlaceRec {
    int REC = 0;      // 0..99; 0 the standard place
    int State = 0;    // 0 unchanged, 1 newly named, 2 name or order changed, 9 freed
    int ORDERKBN = 0; // display order from 1
    QString PATH;
    QString NAME;     // empty for a free place
    QString Text;
};
using TDataPlaceList = QList<TDataPlaceRec>;

namespace dataplacestore {

inline constexpr int PlaceCount = 100;

// The 100 rows an empty table receives for the system folder: place 0 named
// after the folder (or "標準の場所" when its CP932 form is longer than 40
// bytes), places 1..99 free with the folder followed by their two digits.
TDataPlaceList initialPlaces(const QString &sysDir);

// The places in display order (only the named ones with namedOnly), in one
// transaction on the system database; an empty table is first filled with
// the initial rows of SystemDef.SysDir. Database errors are raised.
TDataPlaceList load(bool namedOnly);

// Writes every place whose state is above 0 in one transaction: its order and
// name; a newly named place also gets its data-list slots (maxCount of them),
// a freed one loses its data-list rows. Afterwards every state is 0. Database
// errors roll back and are raised.
void save(TDataPlaceList &places, int maxCount);

// Whether one folder listed for the place exists (folderExists asks the data
// server); true also when the list cannot be read.
bool hasDataSets(int rec, const std::function<bool(const QString &folder)> &folderExists);

} // namespace dataplacestore
