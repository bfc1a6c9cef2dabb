#include "dbaccess/Globals.h"
#include "dbaccess/MenuList.h"

#include <gtest/gtest.h>

namespace {

struct OldMenuCase {
    int level;
    int page;
    int position;
    quint8 edition;
    const char *process;
    const char *option;
};

class OldMenuLookup : public ::testing::TestWithParam<OldMenuCase> {};

TEST_P(OldMenuLookup, AnswersProcessAndOption)
{
    const OldMenuCase c = GetParam();
    const quint8 saved = Edition;
    Edition = c.edition;
    QString process = QStringLiteral("stale");
    QString option = QStringLiteral("stale");
    const QString answer = GetOldMenuProcess(c.level, c.page, c.position, process, option);
    Edition = saved;
    EXPECT_EQ(process, QString::fromLatin1(c.process));
    EXPECT_EQ(option, QString::fromLatin1(c.option));
    EXPECT_EQ(answer, process);
}

INSTANTIATE_TEST_SUITE_P(
    Places, OldMenuLookup,
    ::testing::Values(
        OldMenuCase{1, 1, 0, 0, "QmSiwake", "SyoriType=1"},
        OldMenuCase{1, 1, 1, 0, "QmSiwake", "SyoriType=0"},
        OldMenuCase{1000, 1, 2, 0, "QmMonitor", ""},
        OldMenuCase{1, 1, 6, 0, "", ""},            // empty place
        OldMenuCase{1, 1, 15, 0, "", ""},           // empty in the standard edition
        OldMenuCase{1, 11, 0, 0, "", ""},           // beyond the first table
        OldMenuCase{1, 0, 0, 0, "", ""},
        OldMenuCase{1, 2, 7, 0, "QmTouzaChoseihyo", "SyoriType=0"},
        OldMenuCase{1, 6, 11, 0, "QmSiwakeJisyoEx", "SyoriType=0"},
        OldMenuCase{1, 7, 0, 0, "QmUtiwake01", ""},
        OldMenuCase{1, 7, 16, 0, "QmUtiwake17", ""},
        OldMenuCase{1, 7, 17, 0, "", ""},
        OldMenuCase{1, 8, 13, 0, "QmDataTusin", "SyoriType=8"},
        OldMenuCase{1, 9, 3, 0, "", ""},
        OldMenuCase{1, 10, 1, 0, "QmVelda_HendouSoneki", ""},
        // Federation editions override four places of page 1.
        OldMenuCase{1, 1, 15, 1, "QmMeridaSiwake", "SyoriType=1"},
        OldMenuCase{1, 1, 17, 2, "QmKobetuIchiranhyo", ""},
        OldMenuCase{1, 1, 18, 1, "QmKobetuMeisaihyo", ""},
        OldMenuCase{1, 1, 19, 1, "QmKobetuMotocho", ""},
        OldMenuCase{1, 1, 0, 1, "QmSiwake", "SyoriType=1"},
        OldMenuCase{1, 2, 15, 1, "QmDensiChoubo", ""},
        // The second table: never overridden, facility pages.
        OldMenuCase{1001, 1, 15, 1, "", ""},
        OldMenuCase{1001, 1, 0, 0, "QmSiwake", "SyoriType=1"},
        OldMenuCase{1001, 2, 1, 0, "QmMBKessansyoSisetsu", ""},
        OldMenuCase{1001, 2, 9, 0, "QmTouzaChoseihyo", "SyoriType=0"},
        OldMenuCase{1001, 4, 4, 0, "QmKeieiBunseki2", ""},
        OldMenuCase{1001, 4, 5, 0, "QmSogoHikakuPL", ""},
        OldMenuCase{1001, 5, 2, 0, "QmMBKamoku2", ""},
        OldMenuCase{1001, 10, 0, 0, "", ""},
        OldMenuCase{1001, 10, 10, 0, "QmHikakuSuiihyo", ""},
        OldMenuCase{1001, 11, 9, 0, "QmFuzokuM09", ""},
        OldMenuCase{1001, 11, 10, 0, "QmFuzokuR01", ""},
        OldMenuCase{1001, 11, 19, 0, "QmFuzokuIkkatu", ""},
        OldMenuCase{1001, 12, 11, 0, "QmGenkaKeisan11", ""},
        OldMenuCase{1001, 12, 12, 0, "", ""},
        OldMenuCase{1001, 13, 0, 0, "", ""}));

TEST(OldMenuTables, CompleteAndOrdered)
{
    const std::pair<const std::vector<TMenuListRec> *, int> tables[] = {
        {&OldMenuList(), 10}, {&OldMenuListSisetsu(), 12}};
    for (const auto &[table, pages] : tables) {
        ASSERT_EQ(table->size(), std::size_t(pages * MenuPlacesPerPage));
        for (std::size_t i = 0; i < table->size(); ++i) {
            const TMenuListRec &rec = (*table)[i];
            EXPECT_EQ(rec.Page, int(i) / MenuPlacesPerPage + 1);
            EXPECT_EQ(rec.Position, int(i) % MenuPlacesPerPage);
            EXPECT_EQ(rec.MenuId < 0, rec.ProcessName.isEmpty());
        }
    }
    // The pages the two tables share are equal.
    for (int page : {1, 3, 6, 7, 8, 9})
        for (int pos = 0; pos < MenuPlacesPerPage; ++pos) {
            const std::size_t i = std::size_t((page - 1) * MenuPlacesPerPage + pos);
            EXPECT_EQ(OldMenuList()[i].ProcessName, OldMenuListSisetsu()[i].ProcessName);
            EXPECT_EQ(OldMenuList()[i].Options, OldMenuListSisetsu()[i].Options);
        }
}

} // namespace
