#include "support/TestEnv.h"

#include "datasets/DataListKensaku.h"
#include "dbaccess/Globals.h"
#include "support/DbFixture.h"

namespace {

class DataListKensakuTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SystemDef.OpCode = 100010;
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    }
    QString stored(const QString &column, int listType = 0)
    {
        return scalar(QStringLiteral("ACCDEF"),
                      QStringLiteral("SELECT %1 FROM KENSAKUJYOKEN WHERE OPCODE=100010 AND LISTTYPE=%2")
                          .arg(column)
                          .arg(listType));
    }
};

TDataListRec row(int type, int code, const QString &name, const QString &dataCode, int tanto, int major, int minor)
{
    TDataListRec r;
    r.DATATYPE = type;
    r.CODETYPE = code;
    r.ENTTEXT = name;
    r.DATACODE = dataCode;
    r.TANTOU = tanto;
    r.VER_MAJOR = major;
    r.VER_MINOR1 = minor;
    return r;
}

} // namespace

TEST(DataKensakuCoding, SortColumnAsStored)
{
    const int pairs[][2] = {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 1}};
    for (const auto &p : pairs) {
        EXPECT_EQ(DecodeSortCol(p[0]), p[1]);
        EXPECT_EQ(EncodeSortCol(p[1]), p[0]);
    }
    EXPECT_EQ(DecodeSortCol(0), 0);
    EXPECT_EQ(DecodeSortCol(7), 0);
    EXPECT_EQ(EncodeSortCol(0), 0);
    EXPECT_EQ(EncodeSortCol(9), 0);
}

TEST(DataKensakuCoding, DataKindChoices)
{
    const struct {
        int choice, type, code;
        const char *text;
    } cases[] = {{0, 0, 0, "選択なし"}, {1, 1, 1, "法人"},         {2, 2, 1, "個人(一般)"},
                 {3, 2, 2, "個人(不動産)"}, {4, 3, 1, "医療法人"}, {5, 2, 3, "個人(クリニック)"},
                 {6, 2, 4, "個人(農業)"}};
    for (const auto &c : cases) {
        TDataKensakuRec rec;
        SetDataKbn(c.choice, rec);
        EXPECT_EQ(rec.DataType, c.type);
        EXPECT_EQ(rec.CodeType, c.code);
        EXPECT_EQ(GetDataKbnIndex(rec), c.choice);
        EXPECT_EQ(DataKbnChoiceText(c.choice), QString::fromUtf8(c.text));
    }
    TDataKensakuRec odd;
    odd.DataType = 5;
    EXPECT_EQ(GetDataKbnIndex(odd), 0);
    SetDataKbn(9, odd);
    EXPECT_EQ(odd.DataType, 0);
}

TEST(DataKensakuFilter, EachConditionAlone)
{
    const TDataListRec r = row(2, 4, QStringLiteral("ＡＢＣ農園"), QStringLiteral("Ab12"), 7, 11, 2);
    struct Case {
        const char *what;
        std::function<void(TDataKensakuRec &)> set;
        bool passes;
    } cases[] = {
        {"nothing", [](TDataKensakuRec &) {}, true},
        {"kind and code", [](TDataKensakuRec &c) { c.DataType = 2, c.CodeType = 4; }, true},
        {"other code", [](TDataKensakuRec &c) { c.DataType = 2, c.CodeType = 1; }, false},
        {"kind only", [](TDataKensakuRec &c) { c.DataType = 2; }, true},
        {"kind 1 or 3", [](TDataKensakuRec &c) { c.DataType = -13; }, false},
        {"name any width and case", [](TDataKensakuRec &c) { c.DataName = QStringLiteral("bc"); }, true},
        {"name absent", [](TDataKensakuRec &c) { c.DataName = QStringLiteral("牧場"); }, false},
        {"operator", [](TDataKensakuRec &c) { c.Tanto = 7; }, true},
        {"other operator", [](TDataKensakuRec &c) { c.Tanto = 8; }, false},
        {"exact version", [](TDataKensakuRec &c) { c.DataVer = QStringLiteral("11.2"); }, true},
        {"other minor", [](TDataKensakuRec &c) { c.DataVer = QStringLiteral("11.0"); }, false},
        {"same major", [](TDataKensakuRec &c) { c.DataVer = QStringLiteral("11"), c.VerCompMode = 1; }, true},
        {"newer or equal", [](TDataKensakuRec &c) { c.DataVer = QStringLiteral("11.2"), c.VerCompMode = 2; }, true},
        {"too old", [](TDataKensakuRec &c) { c.DataVer = QStringLiteral("11.3"), c.VerCompMode = 2; }, false},
        {"code prefix with blank", [](TDataKensakuRec &c) { c.DataCode = QStringLiteral(" ab"); }, true},
        {"code not a prefix", [](TDataKensakuRec &c) { c.DataCode = QStringLiteral("b1"); }, false},
        {"code longer than the code", [](TDataKensakuRec &c) { c.DataCode = QStringLiteral("ab123"); }, false},
    };
    for (const auto &c : cases) {
        TDataKensakuRec cond;
        c.set(cond);
        EXPECT_EQ(PassesSearchConditions(r, cond), c.passes) << c.what;
    }
}

TEST(DataKensakuFilter, DisplayOrderKeepsListOrder)
{
    TDataSentakuRecArray rows;
    for (int t : {3, 2, 1, 1}) {
        TDataSentakuRec r;
        r.DATATYPE = t;
        rows << r;
    }
    TDataKensakuRec cond;
    cond.DataType = -13;
    EXPECT_EQ(ApplySearchFilter(rows, cond), (TDataSentakuRecDispArray{0, 2, 3}));
}

TEST_F(DataListKensakuTest, FirstSelectCreatesAnEmptyRow)
{
    TDataListKensakuCtl ctl;
    ctl.ListType = 1;
    TDataKensakuRec rec;
    rec.DataName = QStringLiteral("leftover");
    ASSERT_TRUE(ctl.SelectRecord(rec));
    EXPECT_EQ(rec.OpCode, 100010);
    EXPECT_EQ(rec.ListType, 1);
    EXPECT_EQ(rec.JyokenUse, 0);
    EXPECT_TRUE(rec.DataName.isEmpty());
    EXPECT_EQ(rec.SortCol, 0);
    EXPECT_EQ(stored(QStringLiteral("COUNT(*)"), 1), QStringLiteral("1"));
    EXPECT_EQ(stored(QStringLiteral("SORTCOL"), 1), QStringLiteral("0"));
    EXPECT_EQ(stored(QStringLiteral("COUNT(*)"), 0), QStringLiteral("0"));
    EXPECT_FALSE(ctl.IBTransactionDEF.inTransaction());
}

TEST_F(DataListKensakuTest, ConditionsRoundTrip)
{
    TDataListKensakuCtl ctl;
    TDataKensakuRec rec;
    ASSERT_TRUE(ctl.SelectRecord(rec));
    rec.JyokenUse = 1;
    SetDataKbn(6, rec);
    rec.DataCode = QStringLiteral("A1");
    rec.DataName = QStringLiteral("農園");
    rec.Tanto = 3;
    rec.DataVer = QStringLiteral("11.0");
    rec.SeihinName = QStringLiteral("Ver11");
    rec.SortCol = 1;
    rec.SortType = 1;
    ASSERT_TRUE(ctl.UpdateRecord(rec));
    EXPECT_EQ(stored(QStringLiteral("SORTCOL")), QStringLiteral("6"));
    TDataKensakuRec back;
    ASSERT_TRUE(ctl.SelectRecord(back));
    EXPECT_EQ(back.JyokenUse, 1);
    EXPECT_EQ(GetDataKbnIndex(back), 6);
    EXPECT_EQ(back.DataCode, QStringLiteral("A1"));
    EXPECT_EQ(back.DataName, QStringLiteral("農園"));
    EXPECT_EQ(back.Tanto, 3);
    EXPECT_EQ(back.DataVer, QStringLiteral("11.0"));
    EXPECT_EQ(back.SeihinName, QStringLiteral("Ver11"));
    EXPECT_EQ(back.SortCol, 1);
    EXPECT_EQ(back.SortType, 1);

    // Only the sort fields.
    TDataKensakuRec sort = back;
    sort.DataName = QStringLiteral("変えない");
    sort.SortCol = 4;
    sort.SortType = 0;
    ASSERT_TRUE(ctl.UpdateRecordSortField(sort));
    EXPECT_EQ(stored(QStringLiteral("SORTCOL")), QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("DATANAME")), QStringLiteral("農園"));
}

TEST_F(DataListKensakuTest, FailureIsReportedOnlyInItsOwnTransaction)
{
    TDataListKensakuCtl ctl;
    TDataKensakuRec rec;
    ASSERT_TRUE(ctl.SelectRecord(rec));
    rec.DataCode = QStringLiteral("TOO-LONG-FOR-THE-COLUMN");
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        EXPECT_FALSE(ctl.UpdateRecord(rec));
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("検索条件レコードの更新に失敗しました。")));
        EXPECT_FALSE(ctl.IBTransactionDEF.inTransaction());
    }
    {
        ScriptedMessages boxes;
        ctl.IBTransactionDEF.startTransaction();
        EXPECT_FALSE(ctl.UpdateRecord(rec));
        EXPECT_TRUE(boxes.shown.isEmpty());
        EXPECT_TRUE(ctl.IBTransactionDEF.inTransaction());
        ctl.IBTransactionDEF.rollback();
    }
}
