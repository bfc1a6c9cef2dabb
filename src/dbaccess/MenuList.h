#pragma once
// The accounting package's menu as constant tables: which process sits at
// which page and place of the menu. The only reader is the old-menu lookup
// that the schema upgrade uses to convert an operator's stored menu entries
// from (level, page, position) to a process name and its start option.
#include <QString>
#include <QtGlobal>
#include <vector>

struct TMenuListRec {
    QString ProcessName;   // registered process name; empty for an empty place
    int Page = 0;          // menu page, from 1
    int Position = 0;      // place on the page, 0 to 19
    int Reserve1 = 0;      // 0 in every row
    int Flag = 0;          // 0 or 1 (not read here)
    int MenuId = -1;       // number of the entry; -1 for an empty place
    QString Caption;       // menu caption (not needed by the lookup)
    QString Reserve2;      // empty in every row
    QString Options;       // start options as name=value lines, e.g. "SyoriType=1"
    quint8 Reserve3 = 0;   // 0 in every row
};

// Places on a menu page.
inline constexpr int MenuPlacesPerPage = 20;

// The old menu for level numbers up to 1000: pages 1 to 10, 200 places.
const std::vector<TMenuListRec> &OldMenuList();
// The old menu for level numbers above 1000 (with the facility screens):
// pages 1 to 12, 240 places.
const std::vector<TMenuListRec> &OldMenuListSisetsu();

// The process at an old menu place. Fills processName and option (the whole
// "SyoriType" line of the place's options, or empty) and answers the process
// name; both are empty for an empty or unknown place. In the federation
// editions (Edition 1 or 2) page 1 of the first table carries four places of
// its own.
QString GetOldMenuProcess(int levelNo, int pageNo, int position, QString &processName,
                          QString &option);
