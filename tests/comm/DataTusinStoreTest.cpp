#include "support/TestEnv.h"

#include "comm/DataTusinStore.h"
#include "dbaccess/Globals.h"
#include "platform/Error.h"
#include "support/DbFixture.h"

#include <gtest/gtest.h>

namespace {

class DataTusinStoreTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    }

    // The row of a data set after a receive: name, fiscal year, period and version.
    TDataListRec received(const QString &folder) const
    {
        TDataListRec row;
        row.PASNAME = folder;
        row.ENTTEXT = QString::fromUtf16(u"受信データ");
        row.NENDO = 9;
        row.KISHU = QDate(2019, 4, 1);
        row.KIMATU = QDate(2020, 3, 31);
        row.VER_MAJOR = 11;
        row.VER_MINOR1 = 0;
        row.VER_MINOR2 = 3;
        row.VER_TEXT = QStringLiteral("11.0.3");
        return row;
    }
    QString rowText(const QString &table, const QString &where)
    {
        return scalar(QStringLiteral("ACCDEF"),
                      QStringLiteral("SELECT TRIM(ENTTEXT)||'|'||NENDO||'|'||CAST(KISHU AS DATE)||'|'||CAST(KIMATU AS DATE)||'|'||"
                                     "VER_MAJOR||'.'||VER_MINOR1||'.'||VER_MINOR2||'|'||VER_TEXT FROM %1 WHERE %2")
                          .arg(table, where));
    }

    ScriptedMessages msgs;
    const QString kUpdated = QString::fromUtf16(u"受信データ|9|2019-04-01|2020-03-31|11.0.3|11.0.3");
};

TEST_F(DataTusinStoreTest, LoadsTheGroupsDataList)
{
    describeDataSet(1, QString::fromUtf16(u"みどり"), 1, 11, 0, QStringLiteral("A01"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET GROUPID=20000 WHERE REC=2"));
    TDataTusinStore store;
    TDataSentakuRecArray rows;
    EXPECT_EQ(store.LoadDataList(rows), Product.DataListCnt - 1);
    ASSERT_EQ(rows.size(), Product.DataListCnt - 1);
    EXPECT_EQ(rows[0].REC, 1);
    EXPECT_EQ(rows[1].REC, 3); // row 2 belongs to another group
    EXPECT_EQ(rows[0].ENTTEXT, QString::fromUtf16(u"みどり"));
    EXPECT_EQ(rows[0].NENDO, 2025);
    EXPECT_EQ(rows[0].KikanText, QString::fromUtf16(u"2025/04/01 ～ 2026/03/31"));
    EXPECT_EQ(rows[0].PASNAME, slot(1));
    EXPECT_EQ(rows[0].VER_TEXT, QStringLiteral("11.0.0"));
    EXPECT_EQ(rows[0].GROUPID, 10000);
}

TEST_F(DataTusinStoreTest, UpdatesTheRowInTheRightTable)
{
    // Stand-alone: the row whose number the folder ends in.
    TDataTusinStore store;
    store.UpdateDataListRecord(received(slot(7)), slot(7), QStringLiteral("0"));
    EXPECT_EQ(rowText(QStringLiteral("DATALIST"), QStringLiteral("REC=7")), kUpdated);
    EXPECT_NE(rowText(QStringLiteral("DATALIST"), QStringLiteral("REC=8")), kUpdated);

    // Distributed data: the child row of the parent's folder.
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO CHILD_DATALIST (REC,ROWNO,GROUPID,ENTTEXT,PASNAME) "
                                                  "VALUES (5,2,10000,'child','%1/02')")
                                       .arg(slot(5)));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO CHILD_DATALIST (REC,ROWNO,GROUPID,ENTTEXT,PASNAME) "
                                                  "VALUES (5,3,10000,'child3','%1/103')")
                                       .arg(slot(5)));
    store.UpdateDataListRecord(received(slot(5) + QStringLiteral("/02")), slot(5), QStringLiteral("10"));
    EXPECT_EQ(rowText(QStringLiteral("CHILD_DATALIST"), QStringLiteral("REC=5 AND ROWNO=2")), kUpdated);
    EXPECT_NE(rowText(QStringLiteral("DATALIST"), QStringLiteral("REC=5")), kUpdated);
    store.UpdateDataListRecord(received(slot(5) + QStringLiteral("/103")), slot(5), QStringLiteral("10"));
    EXPECT_EQ(rowText(QStringLiteral("CHILD_DATALIST"), QStringLiteral("REC=5 AND ROWNO=3")), kUpdated);

    // Server modes: by folder, in the table the selected folder belongs to.
    ConnectMode = 1;
    const QString server = QStringLiteral("/srv/dorvelzaimu/data/0003");
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET PASNAME='%1' WHERE REC=3").arg(server));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO DATAPLACEMAN (REC,NAME,PATH) VALUES (1,'place','/srv/place')"));
    const QString placed = QStringLiteral("/srv/place/0001");
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO DATALIST_EX (DATAPLACEREC,REC,GROUPID,PASNAME) VALUES (1,1,10000,'%1')")
                                       .arg(placed));
    store.UpdateDataListRecord(received(server), server, QStringLiteral("0"));
    EXPECT_EQ(rowText(QStringLiteral("DATALIST"), QStringLiteral("REC=3")), kUpdated);
    store.UpdateDataListRecord(received(placed), placed, QStringLiteral("0"));
    EXPECT_EQ(rowText(QStringLiteral("DATALIST_EX"), QStringLiteral("REC=1")), kUpdated);
    EXPECT_TRUE(msgs.shown.isEmpty());
}

TEST_F(DataTusinStoreTest, RefusesFoldersThatNameNoRow)
{
    TDataTusinStore store;
    // A blank folder and one that does not end in a number raise; nothing is written.
    for (const QString &folder : {QStringLiteral("　 "), testenv::sandbox() + QStringLiteral("/data/abcd")}) {
        EXPECT_THROW(store.UpdateDataListRecord(received(folder), folder, QStringLiteral("0")), platform::Error)
            << folder.toStdString();
    }
    // Distributed data in a folder of another shape, or without its child row.
    msgs.answer(mrOk);
    msgs.answer(mrOk);
    store.UpdateDataListRecord(received(slot(5) + QStringLiteral("/abcd")), slot(5), QStringLiteral("10"));
    store.UpdateDataListRecord(received(slot(5) + QStringLiteral("/09")), slot(5), QStringLiteral("10"));
    ASSERT_EQ(msgs.shown.size(), 2);
    EXPECT_EQ(msgs.shown[0].text, QStringLiteral("C_DATALISTが更新出来ません。(1)"));
    EXPECT_EQ(msgs.shown[1].text, QStringLiteral("C_DATALISTが更新出来ません。(2)"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM DATALIST WHERE NENDO=9")), QStringLiteral("0"));
}

TEST_F(DataTusinStoreTest, KeepsTheMergedDataSettings)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    TDataTusinStore store;
    QString kubun, count;
    EXPECT_EQ(store.ReadGassanInfo(root.companyDir, kubun, count), 1);
    EXPECT_EQ(kubun, QStringLiteral("0"));
    EXPECT_EQ(count, QStringLiteral("0"));
    EXPECT_EQ(store.WriteGassanInfo(root.companyDir, QStringLiteral("10"), QStringLiteral("3")), 1);
    store.ReadGassanInfo(root.companyDir, kubun, count);
    EXPECT_EQ(kubun, QStringLiteral("10"));
    EXPECT_EQ(count, QStringLiteral("3"));
    EXPECT_FALSE(store.IBDatabaseDAT.connected()); // open only while it works
    // Missing rows read as empty texts.
    exec(QStringLiteral("ACCDAT"), QStringLiteral("DELETE FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='合算データ数'"));
    store.ReadGassanInfo(root.companyDir, kubun, count);
    EXPECT_EQ(kubun, QStringLiteral("10"));
    EXPECT_TRUE(count.isEmpty());
    EXPECT_FALSE(store.CountApprovedEntries(root.companyDir));
    EXPECT_TRUE(msgs.shown.isEmpty());
}

TEST_F(DataTusinStoreTest, AFolderWithoutItsDatabaseIsReported)
{
    TDataTusinStore store;
    msgs.answer(mrOk);
    EXPECT_FALSE(store.CountApprovedEntries(testenv::freshDir(QStringLiteral("empty-data"))));
    ASSERT_EQ(msgs.shown.size(), 1);
    EXPECT_TRUE(msgs.shown[0].text.contains(QStringLiteral("ユーザーデータベースの接続処理に失敗しました。")))
        << msgs.shown[0].text.toStdString();
}

} // namespace
