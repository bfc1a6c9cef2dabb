#include "dbaccess/MenuList.h"

#include "dbaccess/Globals.h"

#include <QRegularExpression>
#include <QStringList>
#include <map>
#include <utility>

namespace {

struct Place {
    int page;
    int position;
    const char *process;
    const char *options;
};

// Filled places of the old menu for levels up to 1000.
const Place kStandard[] = {
    {1, 0, "QmSiwake", "SyoriType=1"},
    {1, 1, "QmSiwake", "SyoriType=0"},
    {1, 2, "QmMonitor", ""},
    {1, 3, "QmMotocho", "SyoriType=0"},
    {1, 4, "QmSisanhyo", ""},
    {1, 5, "QmNippou", ""},
    {1, 10, "QmDataGassan", ""},

    {2, 0, "QmHojinKessansyo", ""},
    {2, 1, "QmCashFlow", ""},
    {2, 2, "QmIkkatuPrint", ""},
    {2, 3, "QmGaikyosyo", ""},
    {2, 5, "QmKojinKessansyo", ""},
    {2, 6, "QmGenkaSyokyaku", ""},
    {2, 7, "QmTouzaChoseihyo", "SyoriType=0"},
    {2, 10, "QmNendoKousin", ""},
    {2, 11, "QmKurikosiChosei", ""},
    {2, 14, "QmIkkatuZeinuki", ""},
    {2, 15, "QmDensiChoubo", ""},

    {3, 0, "QmTaxKazeiSet", ""},
    {3, 1, "QmTaxSinkokusyo", ""},
    {3, 2, "QmTaxUtiwakesyo", ""},
    {3, 3, "QmTaxSyukeihyo", ""},
    {3, 4, "QmTaxSisanhyo", ""},
    {3, 5, "QmTaxSinkokusyoSyusei", ""},

    {4, 0, "QmSimulation", ""},
    {4, 1, "QmGetujiHikakuGraph", ""},
    {4, 2, "QmSankiHikakuGraph", ""},
    {4, 3, "QmSankiKamokuGraph", ""},
    {4, 4, "QmKeieiBunseki", ""},
    {4, 5, "QmSogoHikakuPL", ""},
    {4, 6, "QmYojitutaihi", ""},
    {4, 7, "QmYosoku", ""},
    {4, 8, "QmGetujiHikaku", ""},
    {4, 9, "QmSankiHikaku", ""},
    {4, 10, "QmBumonHikakuBL", ""},
    {4, 11, "QmSikinguri", ""},
    {4, 12, "QmSitenHikakuBL", ""},
    {4, 17, "QmKanendoZan", ""},
    {4, 18, "QmYosan", ""},
    {4, 19, "QmZenkamoku2", ""},

    {5, 0, "QmKihon2", ""},
    {5, 1, "QmBumon2", ""},
    {5, 2, "QmKamoku2", ""},
    {5, 3, "QmKaisizan2", ""},
    {5, 4, "QmBumKaisizan2", ""},
    {5, 5, "QmSitenGroup", ""},
    {5, 15, "QmCodeHenkou", ""},

    {6, 0, "QmCodeTaikei", ""},
    {6, 1, "QmOperator", ""},
    {6, 5, "QmSiwakeText", "SyoriType=2"},
    {6, 6, "QmSiwakeText", "SyoriType=1"},
    {6, 7, "QmSiwakeText", "SyoriType=0"},
    {6, 10, "QmSiwakeJisyoCP", ""},
    {6, 11, "QmSiwakeJisyoEx", "SyoriType=0"},
    {6, 12, "QmSiwakeJisyoEx", "SyoriType=1"},
    {6, 13, "QmBookmarkSet", ""},
    {6, 15, "QmSiwakeSyufuku", ""},
    {6, 19, "QmChouboSet", ""},

    // Page 7, places 0 to 16 (QmUtiwake01..17) are added in code.
    {7, 19, "QmUtiwakeAll", ""},

    {8, 0, "QmDataTusin", "SyoriType=1"},
    {8, 1, "QmDataTusin", "SyoriType=2"},
    {8, 2, "QmTusinSettei", "SyoriType=1"},
    {8, 5, "QmZeqHozn", "SyoriType=1"},
    {8, 6, "QmZeqHozn", "SyoriType=2"},
    {8, 10, "QmDataTusin", "SyoriType=3"},
    {8, 11, "QmDataTusin", "SyoriType=4"},
    {8, 12, "QmTusinSettei", "SyoriType=2"},
    {8, 13, "QmDataTusin", "SyoriType=8"},
    {8, 14, "QmDataTusin", "SyoriType=5"},

    // Places 2 to 4 of page 9 belonged to the maker's add-on products, which
    // this program does not carry: they stay empty.
    {9, 0, "QmKansa", ""},
    {9, 1, "QmOASettei", ""},

    {10, 0, "QmVelda1", ""},
    {10, 1, "QmVelda_HendouSoneki", ""},
    {10, 10, "QmHikakuSuiihyo", ""},
};

// Pages of the facility variant that differ from the standard menu.
const Place kSisetsuPage2[] = {
    {2, 0, "QmMBKessansyo", ""},
    {2, 1, "QmMBKessansyoSisetsu", ""},
    {2, 2, "QmMBHokukuJigyo", ""},
    {2, 3, "QmMBHokukuZaisan", ""},
    {2, 4, "QmMBHokukuKansa", ""},
    {2, 5, "QmCashFlow", ""},
    {2, 6, "QmIkkatuPrint", ""},
    {2, 7, "QmGaikyosyo", ""},
    {2, 8, "QmGenkaSyokyaku", ""},
    {2, 9, "QmTouzaChoseihyo", "SyoriType=0"},
    {2, 10, "QmNendoKousin", ""},
    {2, 11, "QmKurikosiChosei", ""},
    {2, 14, "QmIkkatuZeinuki", ""},
    {2, 15, "QmDensiChoubo", ""},
};

const Place kSisetsuReplaced[] = {
    {4, 4, "QmKeieiBunseki2", ""},
    {4, 7, "QmYosoku2", ""},
    {4, 18, "QmYosan2", ""},
    {5, 2, "QmMBKamoku2", ""},
};

using PlaceMap = std::map<std::pair<int, int>, std::pair<QString, QString>>;

void put(PlaceMap &map, const Place &p)
{
    map[{p.page, p.position}] = {QString::fromLatin1(p.process), QString::fromLatin1(p.options)};
}

PlaceMap standardPlaces()
{
    PlaceMap map;
    for (const Place &p : kStandard)
        put(map, p);
    for (int i = 0; i <= 16; ++i)
        map[{7, i}] = {QStringLiteral("QmUtiwake%1").arg(i + 1, 2, 10, QLatin1Char('0')), QString()};
    return map;
}

// The complete table: every place of every page, empty ones included, in
// page and position order.
std::vector<TMenuListRec> completeTable(const PlaceMap &map, int pages)
{
    std::vector<TMenuListRec> table;
    table.reserve(std::size_t(pages) * MenuPlacesPerPage);
    int id = 0;
    for (int page = 1; page <= pages; ++page) {
        for (int pos = 0; pos < MenuPlacesPerPage; ++pos) {
            TMenuListRec rec;
            rec.Page = page;
            rec.Position = pos;
            const auto it = map.find({page, pos});
            if (it != map.end()) {
                rec.ProcessName = it->second.first;
                rec.Options = it->second.second;
                rec.MenuId = id++;
            }
            table.push_back(rec);
        }
    }
    return table;
}

// The "SyoriType" line of an options text, or empty.
QString syoriTypeLine(const QString &options)
{
    const QStringList lines = options.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    for (const QString &line : lines) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).compare(QLatin1String("SyoriType"), Qt::CaseInsensitive) == 0)
            return line;
    }
    return {};
}

} // namespace

const std::vector<TMenuListRec> &OldMenuList()
{
    static const std::vector<TMenuListRec> table = completeTable(standardPlaces(), 10);
    return table;
}

const std::vector<TMenuListRec> &OldMenuListSisetsu()
{
    static const std::vector<TMenuListRec> table = [] {
        PlaceMap map = standardPlaces();
        for (auto it = map.begin(); it != map.end();) {
            const int page = it->first.first;
            it = (page == 2 || page == 10) ? map.erase(it) : std::next(it);
        }
        for (const Place &p : kSisetsuPage2)
            put(map, p);
        for (const Place &p : kSisetsuReplaced)
            put(map, p);
        map[{10, 10}] = {QStringLiteral("QmHikakuSuiihyo"), QString()};
        map[{11, 0}] = {QStringLiteral("QmFuzokuKikan"), QString()};
        for (int i = 1; i <= 9; ++i)
            map[{11, i}] = {QStringLiteral("QmFuzokuM%1").arg(i, 2, 10, QLatin1Char('0')), QString()};
        for (int i = 1; i <= 5; ++i)
            map[{11, 9 + i}] = {QStringLiteral("QmFuzokuR%1").arg(i, 2, 10, QLatin1Char('0')), QString()};
        map[{11, 19}] = {QStringLiteral("QmFuzokuIkkatu"), QString()};
        map[{12, 0}] = {QStringLiteral("QmGenkaHaifuSettei"), QString()};
        for (int i = 1; i <= 11; ++i)
            map[{12, i}] = {QStringLiteral("QmGenkaKeisan%1").arg(i, 2, 10, QLatin1Char('0')), QString()};
        return completeTable(map, 12);
    }();
    return table;
}

QString GetOldMenuProcess(int levelNo, int pageNo, int position, QString &processName,
                          QString &option)
{
    processName.clear();
    option.clear();
    const bool standard = levelNo <= 1000;
    const std::vector<TMenuListRec> &table = standard ? OldMenuList() : OldMenuListSisetsu();
    for (const TMenuListRec &rec : table) {
        if (rec.Page == pageNo && rec.Position == position) {
            processName = rec.ProcessName;
            option = syoriTypeLine(rec.Options);
            break;
        }
    }
    if (standard && (Edition == 1 || Edition == 2) && pageNo == 1) {
        switch (position) {
        case 15:
            processName = QStringLiteral("QmMeridaSiwake");
            option = QStringLiteral("SyoriType=1");
            break;
        case 17:
            processName = QStringLiteral("QmKobetuIchiranhyo");
            option.clear();
            break;
        case 18:
            processName = QStringLiteral("QmKobetuMeisaihyo");
            option.clear();
            break;
        case 19:
            processName = QStringLiteral("QmKobetuMotocho");
            option.clear();
            break;
        default:
            break;
        }
    }
    return processName;
}
