#include "support/TestEnv.h"

#include "datasets/DataSentakuList.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/DataRoot.h"
#include "dbaccess/Globals.h"
#include "platform/IniFile.h"
#include "support/DbFixture.h"

#include <QDir>
#include <QFileInfo>

namespace {

class DataSentakuListTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SetAppInfoDefaults(AppInfo);
        SystemDef.OpCode = 100010;
        SystemDef.OpName = QStringLiteral("山田");
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    }
    void TearDown() override
    {
        ConnectMode = 0;
        DataListRowUpdater = nullptr;
        DbFixture::TearDown();
    }
    // Names a slot of the list.
    void name(int rec, const QString &ent, int nendo, const QString &code = QString(), int major = 0, int minor = 0)
    {
        exec(QStringLiteral("ACCDEF"),
             QStringLiteral("UPDATE DATALIST SET ENTTEXT='%1',SHOUGOU='%1',NENDO=%2,DATACODE='%3',VER_MAJOR=%4,"
                            "VER_MINOR1=%5 WHERE REC=%6")
                 .arg(ent)
                 .arg(nendo)
                 .arg(code)
                 .arg(major)
                 .arg(minor)
                 .arg(rec));
    }
    static QList<int> numbers(const TDataSentakuListCtl &ctl, int n)
    {
        QList<int> r;
        for (int i = 0; i < n && i < ctl.Recs.size(); ++i) r << ctl.Recs[i].REC;
        return r;
    }
    int count(const QString &where)
    {
        return scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM ") + where).toInt();
    }
};

} // namespace

TEST(DataStatusText, EveryCodeAndTheUnknownOnes)
{
    const struct {
        int code;
        const char *text;
    } cases[] = {{0, "－"},         {1, "－"},        {2, "使用中"},     {3, "データロック中"},
                 {4, "保存中"},     {5, "復元中"},    {6, "コピー中"},   {7, "貼り付け中"},
                 {8, "削除中"},     {9, "新規作成中"}, {10, "破損"},      {11, "状態不明"},
                 {-1, "状態不明"}};
    for (const auto &c : cases) EXPECT_EQ(GetDataStatusText(c.code), QString::fromUtf8(c.text)) << c.code;
    EXPECT_EQ(GetDataStatusText(0).at(0).unicode(), 0xFF0D);
}

TEST_F(DataSentakuListTest, SortOrdersPutNamedRowsFirstAndEmptySlotsAfter)
{
    name(3, QStringLiteral("B社"), 2024, QStringLiteral("200"), 10, 5);
    name(5, QStringLiteral("A社"), 2023, QStringLiteral("100"), 11, 0);
    name(7, QStringLiteral("A社"), 2024, QStringLiteral("100"), 11, 2);
    name(9, QStringLiteral("C社"), 2022, QStringLiteral("050"), 9, 0);
    TDataSentakuListCtl ctl;
    struct Case {
        quint8 kind;
        bool desc;
        QList<int> head; // first six numbers
    } cases[] = {
        {1, false, {1, 2, 3, 4, 5, 6}},
        {1, true, {120, 119, 118, 117, 116, 115}},
        {2, false, {7, 5, 3, 9, 1, 2}},      // name; newest year first within a name
        {2, true, {9, 3, 7, 5, 120, 119}},   // all descending, then empty slots descending
        {3, false, {9, 5, 3, 7, 1, 2}},
        {3, true, {7, 3, 5, 9, 120, 119}},
        {6, false, {9, 3, 5, 7, 1, 2}},
        {6, true, {7, 5, 3, 9, 120, 119}},
        {7, false, {9, 7, 5, 3, 1, 2}},
        {7, true, {3, 7, 5, 9, 120, 119}},
    };
    for (const auto &c : cases) {
        ctl.Execute(c.kind, c.desc);
        EXPECT_EQ(ctl.RecCount, 120) << int(c.kind) << c.desc;
        EXPECT_EQ(numbers(ctl, 6), c.head) << int(c.kind) << c.desc;
    }
}

TEST_F(DataSentakuListTest, LoadedRowsCarryTheirColumnsAndChildren)
{
    exec(QStringLiteral("ACCDEF"),
         QStringLiteral("UPDATE DATALIST SET ENTTEXT='本社',SHOUGOU='本社商事',GASSAN=1,NENDO=2024,"
                        "KISHU='2024-04-01',KIMATU='2025-03-31',VER_TEXT='Ver11' WHERE REC=4"));
    exec(QStringLiteral("ACCDEF"),
         QStringLiteral("INSERT INTO CHILD_DATALIST(REC,ROWNO,GROUPID,ENTTEXT,PASNAME,GASSAN) VALUES(4,2,10000,'支店B','") +
             slot(4) + QStringLiteral("/002',10)"));
    exec(QStringLiteral("ACCDEF"),
         QStringLiteral("INSERT INTO CHILD_DATALIST(REC,ROWNO,GROUPID,ENTTEXT,PASNAME,GASSAN) VALUES(4,1,10000,'支店A','") +
             slot(4) + QStringLiteral("/001',10)"));
    TDataSentakuListCtl ctl;
    ctl.Execute(1, false);
    const TDataSentakuRec &r = ctl.Recs[3];
    EXPECT_EQ(r.REC, 4);
    EXPECT_EQ(r.GROUPID, 10000);
    EXPECT_EQ(r.ENTTEXT, QStringLiteral("本社"));
    EXPECT_EQ(r.DispName, QStringLiteral("本社"));
    EXPECT_EQ(r.KISHU, QDate(2024, 4, 1));
    EXPECT_EQ(r.KikanText, QStringLiteral("2024/04/01 ～ 2025/03/31"));
    EXPECT_EQ(r.PASNAME, slot(4));
    EXPECT_EQ(r.LocalPath, slot(4));
    ASSERT_EQ(r.ChildCount, 2);
    EXPECT_EQ(r.ChildRows[0].ENTTEXT, QStringLiteral("支店A"));
    EXPECT_EQ(r.ChildRows[1].ROWNO, 2);
    EXPECT_EQ(ctl.ChildRecCount, 2);
    // An empty slot reads with empty dates.
    EXPECT_FALSE(ctl.Recs[0].KISHU.isValid());
    EXPECT_EQ(ctl.Recs[1].ChildCount, 0);
}

TEST_F(DataSentakuListTest, ARowWithoutANameDoesNotLeaveAnEmptyRecord)
{
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET ENTTEXT=NULL WHERE REC=8"));
    TDataSentakuListCtl ctl;
    ctl.Execute(2, false);
    EXPECT_EQ(ctl.RecCount, 119);
    EXPECT_EQ(ctl.Recs.size(), 119);
    for (const auto &r : ctl.Recs) EXPECT_GT(r.REC, 0);
}

TEST_F(DataSentakuListTest, ServerListControllerLoadsNothing)
{
    TDataSentakuListCtl ctl;
    ctl.ServerListFlag = 1;
    ctl.Execute(1, false);
    EXPECT_EQ(ctl.RecCount, 0);
    EXPECT_TRUE(ctl.Recs.isEmpty());
}

TEST_F(DataSentakuListTest, LocalFolderOfARow)
{
    SystemDef.SysDir = QStringLiteral("/srv/DATA");
    TDataSentakuListCtl ctl;
    const struct {
        int netDrive;
        int rec;
        int gassan;
        const char *pasName;
        const char *local;
    } cases[] = {
        {1, 5, 0, "//server/share/data/0005", "/srv/DATA/0005"},
        {1, 12, 1, "//server/share/x", "/srv/DATA/0012"},
        {1, 12, 10, "//server/share/x/002", "/srv/DATA/0012/002"},
        {0, 3, 0, "/d/X/0003/", "/d/X/0003"},
        {1, 5, 0, "", ""},
    };
    for (const auto &c : cases) {
        TDataListRec row;
        row.NETDRIVE = c.netDrive;
        row.REC = c.rec;
        row.GASSAN = quint8(c.gassan);
        row.PASNAME = QString::fromUtf8(c.pasName);
        EXPECT_EQ(ctl.GetDataFolderPath(row), QString::fromUtf8(c.local)) << c.pasName;
        EXPECT_EQ(row.LocalPath, QString::fromUtf8(c.local));
    }
}

TEST_F(DataSentakuListTest, DisplayRecordFromTheInformation)
{
    TDataSentakuListCtl ctl;
    TDataInfomationRec info;
    info.Shougou = QStringLiteral("東京商事");
    info.ListName = QStringLiteral("空き領域");
    info.Kishu = QStringLiteral("2024/04/01");
    info.Kimatu = QStringLiteral("not a date");
    info.Status = 3;
    info.OpCode = 100000007; // group 10000, login 7
    info.ShareStatus = 2;
    info.ShareOpCode = SystemDef.OpCode;
    info.VerMajor = 11;
    info.VerLabel = QStringLiteral("Ver11");

    TDataListRec shared;
    shared.NETDRIVE = 1;
    shared.REC = 5;
    shared.PASNAME = QStringLiteral("//srv/share/a");
    ctl.GetDispRecord(info, shared);
    EXPECT_EQ(shared.ENTTEXT, QStringLiteral("東京商事"));
    EXPECT_EQ(shared.DispName, QStringLiteral("東京商事"));
    EXPECT_EQ(shared.DATALOCK, 7);
    EXPECT_EQ(shared.KYOYULOCK, 1);
    EXPECT_EQ(shared.KISHU, QDate(2024, 4, 1));
    EXPECT_FALSE(shared.KIMATU.isValid());
    EXPECT_EQ(shared.VER_TEXT, QStringLiteral("Ver11"));
    EXPECT_EQ(shared.REC, 5);
    EXPECT_EQ(shared.LocalPath, SystemDef.SysDir + QStringLiteral("/0005"));

    // A local row keeps "空き領域" as its name; a child gets merge kind 10.
    TDataListRec local;
    local.ROWNO = 2;
    info.Status = 1;
    ctl.GetDispRecord(info, local);
    EXPECT_EQ(local.ENTTEXT, QStringLiteral("空き領域"));
    EXPECT_EQ(local.GASSAN, 10);
    EXPECT_EQ(local.DATALOCK, 0);
    info.ListName.clear();
    ctl.GetDispRecord(info, local);
    EXPECT_EQ(local.ENTTEXT, QStringLiteral("東京商事"));
}

TEST(DataSentakuChildren, NumberingAndRemoval)
{
    TDataSentakuRec rec;
    TDataSentakuListCtl::DeleteChildRec(rec, 0);
    EXPECT_EQ(rec.ChildCount, 0);
    for (const char *n : {"支店A", "支店B", "支店C"}) {
        TDataListRec c;
        c.ENTTEXT = QString::fromUtf8(n);
        rec.ChildRows << c;
    }
    rec.ChildCount = 3;
    TDataSentakuListCtl::NumberChildNames(rec);
    EXPECT_EQ(rec.ChildRows[0].DispName, QStringLiteral("01 支店A"));
    EXPECT_EQ(rec.ChildRows[2].DispName, QStringLiteral("03 支店C"));
    TDataSentakuListCtl::DeleteChildRec(rec, 1);
    ASSERT_EQ(rec.ChildCount, 2);
    EXPECT_EQ(rec.ChildRows.size(), 2);
    EXPECT_EQ(rec.ChildRows[1].ENTTEXT, QStringLiteral("支店C"));
}

TEST_F(DataSentakuListTest, ReadUpdateAndEmptyARow)
{
    exec(QStringLiteral("ACCDEF"),
         QStringLiteral("INSERT INTO CHILD_DATALIST(REC,ROWNO,GROUPID,ENTTEXT,PASNAME,GASSAN) VALUES(2,1,10000,'支店','") +
             slot(2) + QStringLiteral("/001',10)"));
    TDataSentakuListCtl ctl;
    TDataListRec row;
    row.REC = 2;
    ctl.GetDataListRecord(0, row, true);
    EXPECT_EQ(row.PASNAME, slot(2));
    row.ENTTEXT = QStringLiteral("新会社");
    row.SHOUGOU = QStringLiteral("新会社株式会社");
    row.KISHU = QDate(2025, 1, 1);
    row.KIMATU = QDate(2025, 12, 31);
    row.UPDATE_LOCK = 1;
    ASSERT_TRUE(ctl.UpdateDataListRecord(row, false, true));
    TDataListRec again;
    again.PASNAME = slot(2);
    ctl.GetDataListRecord(1, again, true);
    EXPECT_EQ(again.REC, 2);
    EXPECT_EQ(again.SHOUGOU, QStringLiteral("新会社株式会社"));
    EXPECT_EQ(again.KIMATU, QDate(2025, 12, 31));
    EXPECT_EQ(again.UPDATE_LOCK, 1);
    EXPECT_EQ(count(QStringLiteral("CHILD_DATALIST WHERE REC=2")), 1);

    // Emptying the row drops its children; the zero dates are stored as the zero day.
    TDataListRec empty;
    ctl.ClearDataListRec(empty, slot(2));
    EXPECT_EQ(empty.NENDO, 1);
    empty.REC = 2;
    ASSERT_TRUE(ctl.UpdateDataListRecord(empty, false, true));
    EXPECT_EQ(count(QStringLiteral("CHILD_DATALIST WHERE REC=2")), 0);
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT CAST(KISHU AS DATE) FROM DATALIST WHERE REC=2")),
              QStringLiteral("1899/12/30"));

    // No number or no folder: nothing to update.
    TDataListRec none;
    none.PASNAME = slot(3);
    EXPECT_FALSE(ctl.UpdateDataListRecord(none, false, true));
    none.REC = 3;
    none.PASNAME = QStringLiteral("　 ");
    EXPECT_FALSE(ctl.UpdateDataListRecord(none, false, true));
}

TEST_F(DataSentakuListTest, ServerModeUpdateLeavesARenumberedRowAlone)
{
    ConnectMode = 1;
    TDataSentakuListCtl ctl;
    ctl.ConnectMode = 1;
    TDataListRec row;
    row.REC = 6;
    row.PASNAME = slot(7); // the number now names another folder
    row.SHOUGOU = QStringLiteral("X");
    EXPECT_TRUE(ctl.UpdateDataListRecord(row, false, true));
    EXPECT_EQ(count(QStringLiteral("DATALIST WHERE SHOUGOU='X'")), 0);
    row.PASNAME = slot(6);
    EXPECT_TRUE(ctl.UpdateDataListRecord(row, false, true));
    EXPECT_EQ(count(QStringLiteral("DATALIST WHERE SHOUGOU='X'")), 1);
}

TEST_F(DataSentakuListTest, InsertingDeletingAndRenumbering)
{
    TDataSentakuListCtl ctl;
    TDataListRec row;
    row.PASNAME = QStringLiteral("/srv/data/extra");
    // The local list consists of its fixed slots.
    EXPECT_TRUE(ctl.InsertDataListRecord(row, true));
    EXPECT_EQ(count(QStringLiteral("DATALIST")), 120);
    TDataListRec blank;
    blank.PASNAME = QStringLiteral("  ");
    EXPECT_FALSE(ctl.InsertDataListRecord(blank, true));

    ConnectMode = 1;
    ctl.ConnectMode = 1;
    for (const QString &p : {QStringLiteral("/srv/a"), QStringLiteral("/srv/b"), QStringLiteral("/srv/c")}) {
        TDataListRec r;
        r.PASNAME = p;
        ASSERT_TRUE(ctl.InsertDataListRecord(r, true));
    }
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT REC FROM DATALIST WHERE PASNAME='/srv/c'")),
              QStringLiteral("123"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET REC=130 WHERE REC=123"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET REC=123 WHERE REC=122"));

    // Rows within the fixed slots are never deleted; the folder compares exactly.
    TDataListRec fixed;
    fixed.PASNAME = slot(1);
    EXPECT_TRUE(ctl.DeleteDataListRecord(fixed, true));
    EXPECT_EQ(count(QStringLiteral("DATALIST")), 123);
    TDataListRec a;
    a.PASNAME = QStringLiteral("/SRV/A");
    EXPECT_TRUE(ctl.DeleteDataListRecord(a, true));
    EXPECT_EQ(count(QStringLiteral("DATALIST")), 123);
    a.PASNAME = QStringLiteral("/srv/a");
    EXPECT_TRUE(ctl.DeleteDataListRecord(a, true));
    EXPECT_EQ(count(QStringLiteral("DATALIST")), 122);

    // 123 and 130 close up behind the fixed slots.
    ctl.RenumberDataListRecord();
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT REC FROM DATALIST WHERE PASNAME='/srv/b'")),
              QStringLiteral("121"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT REC FROM DATALIST WHERE PASNAME='/srv/c'")),
              QStringLiteral("122"));
}

TEST_F(DataSentakuListTest, RenumberingDoesNothingLocally)
{
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO DATALIST(REC,GROUPID,PASNAME) VALUES(125,10000,'/x')"));
    TDataSentakuListCtl ctl;
    ctl.RenumberDataListRecord();
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT REC FROM DATALIST WHERE PASNAME='/x'")),
              QStringLiteral("125"));
}

TEST_F(DataSentakuListTest, NumbersAndLookups)
{
    TDataSentakuListCtl ctl;
    EXPECT_EQ(ctl.GetDataFolderName(1), 121);
    EXPECT_TRUE(ctl.IsDataPathToroku(root.companyDir.toUpper()));
    EXPECT_FALSE(ctl.IsDataPathToroku(root.companyDir + QStringLiteral("x")));
    EXPECT_EQ(ctl.GetRecByPasName(root.companyDir), 1);
    EXPECT_EQ(ctl.GetRecByPasName(root.companyDir.toUpper()), 0);
    EXPECT_EQ(ctl.GetCurrentRecord(slot(17)), 17);
    EXPECT_EQ(ctl.GetCurrentRecord(QStringLiteral(" ")), 0);
    SystemDef.GroupNo = 20000; // a group without rows
    EXPECT_EQ(ctl.GetDataFolderName(1), 1);
}

TEST_F(DataSentakuListTest, PathConversions)
{
    TDataSentakuListCtl ctl;
    QString listed;
    int lock = 9, drive = 9;
    // A listed folder converts to itself.
    EXPECT_TRUE(ctl.ConvLocalPathToSharePath(root.companyDir, listed, lock, drive));
    EXPECT_EQ(listed, root.companyDir);
    EXPECT_EQ(lock, 0);
    EXPECT_EQ(drive, 0);
    EXPECT_FALSE(ctl.ConvLocalPathToSharePath(QStringLiteral("  "), listed, lock, drive));

    // The local work folder of a shared row converts to the listed share path.
    exec(QStringLiteral("ACCDEF"),
         QStringLiteral("UPDATE DATALIST SET PASNAME='//srv/Share/Kaisha',NETDRIVE=1,KYOYULOCK=1 WHERE REC=12"));
    EXPECT_TRUE(ctl.ConvLocalPathToSharePath(slot(12), listed, lock, drive));
    EXPECT_EQ(listed, QStringLiteral("//srv/Share/Kaisha"));
    EXPECT_EQ(lock, 1);
    EXPECT_EQ(drive, 1);
    EXPECT_TRUE(ctl.ConvLocalPathToSharePath(slot(12) + QStringLiteral("/002"), listed, lock, drive));
    EXPECT_EQ(listed, QStringLiteral("//srv/Share/Kaisha/002"));

    TDataSentakuRec rec;
    EXPECT_EQ(ctl.GetDataListRecordByPath(slot(12), rec), 1);
    EXPECT_EQ(rec.REC, 12);
    EXPECT_EQ(rec.PASNAME, QStringLiteral("//srv/Share/Kaisha"));
    EXPECT_EQ(rec.LocalPath, slot(12));
    EXPECT_EQ(ctl.GetDataListRecordByPath(QStringLiteral("/nowhere/else"), rec), 0);
    EXPECT_EQ(rec.REC, 0);

    // Server modes do not convert.
    ConnectMode = 1;
    ctl.ConnectMode = 1;
    EXPECT_TRUE(ctl.ConvLocalPathToSharePath(slot(12), listed, lock, drive));
    EXPECT_EQ(listed, slot(12));
}

TEST_F(DataSentakuListTest, SharedChildrenOfAFolderGoByPrefixNotByPattern)
{
    // Folder names with an apostrophe and the pattern characters "%" and "_".
    const QString parent = QStringLiteral("/srv/it's 100%_a");
    exec(QStringLiteral("ACCDEF"),
         QStringLiteral("INSERT INTO SERVERDATALIST(GROUPID,DRIVELETTER,REC,PASNAME) VALUES(10000,'/',1,'x')"));
    for (const QString &p : {parent + QStringLiteral("/001"), QStringLiteral("/srv/it's 100%_ab/001"),
                             QStringLiteral("/srv/itXs 100XXa/001")}) {
        static int row = 0;
        QString quoted = p;
        quoted.replace(u'\'', QStringLiteral("''"));
        exec(QStringLiteral("ACCDEF"),
             QStringLiteral("INSERT INTO CHILD_SERVERDATALIST(GROUPID,DRIVELETTER,REC,ROWNO,PASNAME) "
                            "VALUES(10000,'/',1,%1,'%2')")
                 .arg(++row)
                 .arg(quoted));
    }
    TDataSentakuListCtl ctl;
    TDataListRec row;
    row.REC = 3;
    row.GASSAN = 1;
    row.NETDRIVE = 1;
    row.PASNAME = parent;
    ASSERT_TRUE(ctl.DeleteDataListChildRecord(row, true));
    EXPECT_EQ(count(QStringLiteral("CHILD_SERVERDATALIST")), 2);
    EXPECT_EQ(count(QStringLiteral("CHILD_SERVERDATALIST WHERE PASNAME STARTING WITH '/srv/it''s 100%_a/'")), 0);
}

TEST_F(DataSentakuListTest, ChildRowsAreWrittenAndReadLocally)
{
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET GASSAN=2,ENTTEXT='親' WHERE REC=6"));
    TDataSentakuListCtl ctl;
    TDataListRec child;
    child.REC = 6;
    child.ROWNO = 1;
    child.GASSAN = 10;
    child.ENTTEXT = QStringLiteral("分散1");
    child.PASNAME = slot(6) + QStringLiteral("/001");
    ASSERT_TRUE(ctl.UpdateDataListRecord(child, false, true)); // a child row goes to the child table
    child.ENTTEXT = QStringLiteral("分散1改");
    ASSERT_TRUE(ctl.UpdateDataListChildRecord(child, true));
    TDataSentakuRec parent;
    parent.REC = 6;
    parent.GASSAN = 2;
    ctl.GetDataListChildRecord(parent, true);
    ASSERT_EQ(parent.ChildCount, 1);
    EXPECT_EQ(parent.ChildRows[0].ENTTEXT, QStringLiteral("分散1改"));
    EXPECT_EQ(parent.ChildRows[0].GASSAN, 10);

    // A child row is found by its folder.
    TDataListRec byPath;
    byPath.GASSAN = 10;
    byPath.PASNAME = child.PASNAME;
    ctl.GetDataListRecord(1, byPath, true);
    EXPECT_EQ(byPath.ROWNO, 1);

    ASSERT_TRUE(ctl.DeleteDataListRecord(child, true)); // locally a child delete
    EXPECT_EQ(count(QStringLiteral("CHILD_DATALIST")), 0);
}

TEST_F(DataSentakuListTest, FailuresAreReportedOrPassedOn)
{
    dm->IBDatabaseDEF.close();
    TDataSentakuListCtl ctl;
    TDataListRec row;
    row.REC = 1;
    row.PASNAME = slot(1);
    EXPECT_ANY_THROW(ctl.UpdateDataListRecord(row, false, false));
    EXPECT_FALSE(dm->IBTransactionDEF.inTransaction());

    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_FALSE(ctl.UpdateDataListRecord(row, false, true));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("データリストの更新に失敗しました。")))
        << boxes.shown[0].text.toStdString();
    boxes.answer(mrOk);
    ctl.Execute(1, false);
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_TRUE(boxes.shown[1].text.startsWith(QStringLiteral("データリストの取得に失敗しました。")));
    EXPECT_EQ(ctl.RecCount, 0);
    EXPECT_EQ(ctl.GetRecByPasName(slot(1)), 0); // swallowed
}

TEST_F(DataSentakuListTest, ReleasingADataSetRefreshesItsListRow)
{
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET ENTTEXT='一覧名' WHERE REC=1"));
    InstallDataInfoHooks();
    InstallDataListRowUpdater();
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, true));
    ASSERT_TRUE(dm->fnAccDatDisConnected(root.companyDir, true, true));
    TDataSentakuListCtl ctl;
    TDataListRec row;
    row.REC = 1;
    ctl.GetDataListRecord(0, row, true);
    EXPECT_EQ(row.SHOUGOU, QStringLiteral("サンプル株式会社"));
    EXPECT_EQ(row.ENTTEXT, QStringLiteral("一覧名"));
    EXPECT_EQ(row.VER_MAJOR, 11);
    EXPECT_EQ(row.KISHU, QDate(2024, 4, 1));
    EXPECT_EQ(row.PASNAME, root.companyDir);
    EXPECT_EQ(count(QStringLiteral("DATALIST WHERE SHOUGOU<>''")), 1);

    // Without the flag the row is left alone.
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET SHOUGOU='' WHERE REC=1"));
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, true));
    ASSERT_TRUE(dm->fnAccDatDisConnected(root.companyDir, true, false));
    EXPECT_EQ(count(QStringLiteral("DATALIST WHERE SHOUGOU<>''")), 0);
}

TEST_F(DataSentakuListTest, ADataSetMadeOutsideTheListIsListedFromItsDatabase)
{
    // A fresh root lists its first data set as an empty slot, which the
    // wizard's conditions (data kind 1 or 3, major version 11) never show.
    TDataSentakuListCtl ctl;
    TDataListRec row;
    row.REC = 1;
    ctl.GetDataListRecord(0, row, true);
    ASSERT_EQ(row.DATATYPE, 0);
    ASSERT_TRUE(row.ENTTEXT.isEmpty());

    ASSERT_TRUE(registerDataSetRow(root.companyDir));
    row = TDataListRec();
    row.REC = 1;
    ctl.GetDataListRecord(0, row, true);
    EXPECT_EQ(row.ENTTEXT, QStringLiteral("サンプル株式会社")); // the empty list name takes the company name
    EXPECT_EQ(row.SHOUGOU, QStringLiteral("サンプル株式会社"));
    EXPECT_EQ(row.DATACODE, QStringLiteral("000001"));
    EXPECT_EQ(row.DATATYPE, 1);
    EXPECT_EQ(row.CODETYPE, 1);
    EXPECT_EQ(row.NENDO, 10);
    EXPECT_EQ(row.KISHU, QDate(2024, 4, 1));
    EXPECT_EQ(row.KIMATU, QDate(2025, 3, 31));
    EXPECT_EQ(row.VER_MAJOR, 11);
    EXPECT_EQ(row.PASNAME, root.companyDir);
    // The information file says the same.
    const platform::IniFile ini(TDataInfomation::IniFileOf(root.companyDir));
    EXPECT_EQ(ini.readString(QStringLiteral("DATAINFO"), QStringLiteral("SHOUGOU")), QStringLiteral("サンプル株式会社"));
    EXPECT_EQ(ini.readString(QStringLiteral("DATAINFO"), QStringLiteral("VERSION1")), QStringLiteral("11.0.0"));
    EXPECT_EQ(ini.readString(QStringLiteral("DATASTS"), QStringLiteral("UPDATE_LOCK")), QStringLiteral("0"));

    // A name the list already has stays; a folder without a row or a database is not listed.
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET ENTTEXT='一覧名' WHERE REC=1"));
    ASSERT_TRUE(registerDataSetRow(root.companyDir));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT FROM DATALIST WHERE REC=1")), QStringLiteral("一覧名"));
    EXPECT_FALSE(registerDataSetRow(slot(2)));
    EXPECT_FALSE(registerDataSetRow(testenv::sandbox() + QStringLiteral("/elsewhere")));
}

TEST_F(DataSentakuListTest, ADataPlaceReadsItsOwnListInTheServerModes)
{
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO DATAPLACEMAN(REC,NAME,PATH) VALUES(3,'支社','/srv/p3')"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM SP_DATALIST_INSERT(3, '/srv/p3', 4)"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST_EX SET ENTTEXT='支社データ' WHERE REC=2"));
    TDataSentakuListCtl ctl;
    ctl.SetDataListTable(3); // stand-alone: no data place
    EXPECT_EQ(ctl.DataListTable(), QStringLiteral("DATALIST"));
    EXPECT_EQ(ctl.DataPlaceRec(), 0);

    ConnectMode = 1;
    ctl.ConnectMode = 1;
    ctl.SetDataListTable(3);
    EXPECT_EQ(ctl.DataListTable(), QStringLiteral("DATALIST_EX"));
    ctl.Execute(2, false);
    ASSERT_EQ(ctl.RecCount, 4);
    EXPECT_EQ(ctl.Recs[0].ENTTEXT, QStringLiteral("支社データ"));
    EXPECT_EQ(ctl.Recs[0].PASNAME, QStringLiteral("/srv/p3/0002"));
    EXPECT_EQ(ctl.GetDataFolderName(1), 5);
    EXPECT_TRUE(ctl.IsDataPathToroku(QStringLiteral("/SRV/P3/0004")));
    EXPECT_FALSE(ctl.IsDataPathToroku(root.companyDir));

    TDataListRec r;
    r.PASNAME = QStringLiteral("/srv/p3/new");
    ASSERT_TRUE(ctl.InsertDataListRecord(r, true));
    EXPECT_EQ(r.REC, 5);
    EXPECT_EQ(count(QStringLiteral("DATALIST_EX WHERE DATAPLACEREC=3 AND REC=5")), 1);
    EXPECT_EQ(count(QStringLiteral("DATALIST")), 120);
}

TEST_F(DataSentakuListTest, AWriteInsideTheCallersTransactionKeepsItOpen)
{
    TDataSentakuListCtl ctl;
    TDataListRec row;
    row.REC = 9;
    ctl.GetDataListRecord(0, row, true);
    row.SHOUGOU = QStringLiteral("継続");
    dm->IBTransactionDEF.startTransaction();
    ASSERT_TRUE(ctl.UpdateDataListRecord(row, false, true));
    EXPECT_TRUE(dm->IBTransactionDEF.inTransaction());
    // Committed for everybody else all the same.
    EXPECT_EQ(count(QStringLiteral("DATALIST WHERE SHOUGOU='継続'")), 1);
    dm->IBTransactionDEF.commit();
}

TEST_F(DataSentakuListTest, SharedAreaIsFetchedIntoItsWorkFolderAndStoredBack)
{
    InstallDataInfoHooks(); // an area without its information file gets one when first read
    const QString area = testenv::freshDir(QStringLiteral("share")) + QStringLiteral("/data/sv0001");
    CreateCompanyDatabase(area, QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET PASNAME='%1',NETDRIVE=1,KYOYULOCK=0,ENTTEXT='共有商事',"
                                                  "KISHU='2025-04-01',KIMATU='2026-03-31' WHERE REC=12").arg(area));
    QStringList messages;
    TDataSentakuListCtl ctl;
    ctl.ShowSharedMessage = [&messages](const QString &, const QString &text, const QStringList &) { messages << text; };
    auto lockOf = [this] { return scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT KYOYULOCK FROM DATALIST WHERE REC=12")); };
    auto shareStatusOf = [](const QString &folder) {
        return platform::IniFile(TDataInfomation::IniFileOf(folder)).readString(QStringLiteral("DATASTS"), QStringLiteral("SHARE_STATUS"));
    };

    TDataSentakuRec rec;
    ASSERT_EQ(ctl.GetDataListRecordByPath(slot(12), rec), 1);
    ASSERT_EQ(rec.PASNAME, area);
    EXPECT_EQ(ctl.KyoyuDataDown(rec, true), 1);
    EXPECT_TRUE(QFileInfo::exists(slot(12) + QStringLiteral("/vqacc.fdb")));
    EXPECT_EQ(lockOf(), QStringLiteral("1"));
    EXPECT_EQ(shareStatusOf(area), QStringLiteral("2"));
    // This installation's view of the area was written.
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT REC FROM SERVERDATALIST WHERE PASNAME='%1'").arg(area)),
              QStringLiteral("1"));

    // While it is taken out, another fetch is refused and says so.
    TDataSentakuRec other = rec;
    EXPECT_EQ(ctl.KyoyuDataDown(other, false), -1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("共有データは現在使用されています。"));

    EXPECT_EQ(ctl.KyoyuDataUp(rec, true), 1);
    EXPECT_EQ(lockOf(), QStringLiteral("0"));
    EXPECT_EQ(shareStatusOf(area), QStringLiteral("1"));

    // A damaged area is not copied.
    QDir(slot(12)).removeRecursively();
    platform::IniFile(TDataInfomation::IniFileOf(area)).writeString(QStringLiteral("DATASTS"), QStringLiteral("STATUS"), QStringLiteral("10"));
    EXPECT_EQ(ctl.KyoyuDataDown(rec, true), -1);
    EXPECT_EQ(messages.last().left(20), QStringLiteral("共有サーバー上のデータが破損しているため"));
    EXPECT_FALSE(QFileInfo::exists(slot(12) + QStringLiteral("/vqacc.fdb")));

    // An area that is gone answers 0, quietly when asked to.
    messages.clear();
    rec.PASNAME = area + QStringLiteral("-gone");
    EXPECT_EQ(ctl.KyoyuDataDown(rec, true), 0);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(ctl.KyoyuDataDown(rec, false), 0);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("共有サーバーが起動していない")));
}

TEST_F(DataSentakuListTest, AreaRowsOfASharedDrive)
{
    const QString area = testenv::freshDir(QStringLiteral("drive")) + QStringLiteral("/sv0003");
    QDir().mkpath(area);
    TDataSentakuListCtl ctl;
    TDataListRec row;
    ctl.ClearDataListRec(row, area);
    row.NETDRIVE = 1;
    row.ENTTEXT = QStringLiteral("共有商事");
    row.KISHU = QDate(2025, 4, 1);
    row.KIMATU = QDate(2026, 3, 31);
    row.DATALOCK = 7;
    auto areaRows = [&] { return count(QStringLiteral("SERVERDATALIST WHERE PASNAME='%1'").arg(area)); };
    // Two rows of one path: the next write leaves one, with a new number.
    for (int rec : {1, 2})
        exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, PASNAME) "
                                                      "VALUES (10000, '/', %1, '%2')").arg(rec).arg(area));
    ASSERT_TRUE(ctl.UpdateServerDataListRecord(row, true, true));
    EXPECT_EQ(areaRows(), 1);
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT REC FROM SERVERDATALIST WHERE PASNAME='%1'").arg(area)),
              QStringLiteral("1"));
    // The data lock follows to the local rows that name the area.
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET PASNAME='%1',NETDRIVE=1 WHERE REC=20").arg(area));
    row.DATALOCK = 9;
    QDir(area).removeRecursively(); // a vanished area writes no area row
    ASSERT_TRUE(ctl.UpdateServerDataListRecord(row, true, true));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT DATALOCK FROM DATALIST WHERE REC=20")), QStringLiteral("9"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT DATALOCK FROM SERVERDATALIST WHERE PASNAME='%1'").arg(area)),
              QStringLiteral("7"));
}
