// The individual-number management log: entries made within one clock tick,
// the entry that finds no free time, comments cut on character borders, the
// merge into a database of the same company only, and the settings' cipher.
#include "core/SjisText.h"
#include "dbaccess/Globals.h"
#include "dbaccess/z5ComMyNumber.h"
#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include <QDateTime>

namespace {

class MyNumberLogTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        db = root.companyDir + QStringLiteral("/vqacc.fdb");
        SystemDef.LoginNo = 3;
        SystemDef.OpName = QStringLiteral("担当");
    }
    void TearDown() override
    {
        SetMyNumberLogClock(nullptr);
        DbFixture::TearDown();
    }
    QStringList times()
    {
        TMyNumberIO io;
        EXPECT_TRUE(io.LoadLogListOfData(QString(), db));
        QStringList out;
        for (const auto &r : io.LogList) out << r.FHIZUKE.toString(QStringLiteral("hh:mm:ss.zzz"));
        return out;
    }
    QString db;
};

const QDateTime kTick(QDate(2026, 1, 5), QTime(10, 0, 0));

} // namespace

TEST_F(MyNumberLogTest, AnEntryInTheSameTickTakesAFreshTime)
{
    int calls = 0;
    // The clock stands still for three readings, then moves on.
    SetMyNumberLogClock([&] { return ++calls <= 3 ? kTick : kTick.addMSecs(5); });
    TMyNumberIO io;
    TMyNumberLogRec a, b;
    io.MakeLogRec(a, 4, QStringLiteral("参照"));
    io.MakeLogRec(b, 5, QStringLiteral("印刷"));
    ASSERT_TRUE(io.AddLogToData(a, QString(), db));
    ASSERT_TRUE(io.AddLogToData(b, QString(), db)); // two collisions, then a free time
    EXPECT_EQ(times(), (QStringList{QStringLiteral("10:00:00.000"), QStringLiteral("10:00:00.005")}));
}

TEST_F(MyNumberLogTest, TheFourthCollisionIsReportedNotLost)
{
    SetMyNumberLogClock([] { return kTick; });
    TMyNumberIO io;
    TMyNumberLogRec a, b;
    io.MakeLogRec(a, 4, QStringLiteral("参照"));
    io.MakeLogRec(b, 4, QStringLiteral("参照"));
    ASSERT_TRUE(io.AddLogToData(a, QString(), db));
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_FALSE(io.AddLogToData(b, QString(), db));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("管理ログリストの追加に失敗しました。"))) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(times().size(), 1);
}

TEST_F(MyNumberLogTest, RecordsAreCutOnCharacterBordersAndWordedByKind)
{
    SystemDef.PcName = QString(59, u'P') + QStringLiteral("端末");
    TMyNumberIO io;
    TMyNumberLogRec r;
    io.MakeLogRec(r, 6, QString(39, u'x') + QStringLiteral("送信"));
    EXPECT_EQ(r.FHOST, QString(59, u'P')); // the double-byte character at byte 60 is not split
    EXPECT_EQ(r.FPROCNAME, QString(39, u'x'));
    EXPECT_EQ(r.FCOMMENT, QStringLiteral("マイナンバー情報を含むデータが送信されました。"));
    EXPECT_EQ(r.FOPCODE, QStringLiteral("3"));
    EXPECT_FALSE(r.FHIZUKE.isValid());
    struct Case {
        int kind;
        QString process, comment;
    };
    const Case cases[] = {
        {3, QStringLiteral("x"), QStringLiteral("マイナンバー情報が削除されました。")},
        {7, QStringLiteral("データ受信"), QStringLiteral("マイナンバー情報を含むデータが受信されました。")},
        {7, QStringLiteral("復元"), QStringLiteral("マイナンバー情報を含むデータが復元されました。")},
        {8, QStringLiteral("送信"), QStringLiteral("マイナンバー情報を含めずにデータが送信されました。")},
        {9, QStringLiteral("x"), QStringLiteral("マイナンバー管理パスワードを既定値に設定しました。")},
        {10, QStringLiteral("x"), QStringLiteral("マイナンバー管理パスワードを変更しました。")},
    };
    for (const Case &c : cases) {
        io.MakeLogRec(r, c.kind, c.process);
        EXPECT_EQ(r.FCOMMENT, c.comment) << c.kind;
        EXPECT_LE(SjisLength(r.FCOMMENT), 100);
    }
}

TEST_F(MyNumberLogTest, MergeAddsOnlyMissingEntriesAndOnlyForTheSameCompany)
{
    addCompany(2);
    const QString other = slot(2) + QStringLiteral("/vqacc.fdb");
    auto name = [&](const QString &folder, const QString &shougou) {
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), folder, false));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU='%1' WHERE REC=1").arg(shougou));
        dm->fnAccDatDisConnected(QString(), false, false);
    };
    name(root.companyDir, QStringLiteral("㈱ソルテア"));
    name(slot(2), QStringLiteral("別会社"));

    int ms = 0;
    SetMyNumberLogClock([&] { return kTick.addMSecs(ms += 10); });
    TMyNumberIO io;
    TMyNumberLogRec r;
    for (int kind : {1, 2}) {
        io.MakeLogRec(r, kind, QStringLiteral("p"));
        ASSERT_TRUE(io.AddLogToData(r, QString(), db));
    }
    TMyNumberIO kept;
    ASSERT_TRUE(kept.LoadLogListOfData(QString(), db));
    ASSERT_EQ(kept.LogList.size(), 2);
    EXPECT_EQ(kept.CompanyName, QStringLiteral("㈱ソルテア"));

    // Another company: nothing is added.
    EXPECT_FALSE(kept.MergeLogList(QString(), other));
    TMyNumberIO check;
    ASSERT_TRUE(check.LoadLogListOfData(QString(), other));
    EXPECT_TRUE(check.LogList.isEmpty());

    // The same company already holding the first entry: only the second is added.
    name(slot(2), QStringLiteral("㈱ソルテア"));
    TMyNumberLogRec first = kept.LogList[0];
    ASSERT_TRUE(io.AddLogToData(first, QString(), other));
    ASSERT_TRUE(kept.MergeLogList(QString(), other));
    ASSERT_TRUE(check.LoadLogListOfData(QString(), other));
    ASSERT_EQ(check.LogList.size(), 2);
    EXPECT_EQ(check.LogList[0].FHIZUKE, kept.LogList[0].FHIZUKE);
    EXPECT_EQ(check.LogList[1].FCOMMENT, QStringLiteral("マイナンバー情報が変更されました。"));
}

TEST(MyNumberCipher, ProtectedValuesAreStoredEncipheredAndReadBack)
{
    for (const QString &plain : {QStringLiteral("abc123"), QStringLiteral("A"), QStringLiteral("12345678"),
                                 QStringLiteral("値-①/x y")}) {
        const QString stored = EncipherMyNumberValue(plain);
        EXPECT_FALSE(stored.contains(plain)) << plain.toStdString();
        EXPECT_EQ(DecipherMyNumberValue(stored), plain);
    }
    EXPECT_TRUE(EncipherMyNumberValue(QString()).isEmpty());
    EXPECT_TRUE(DecipherMyNumberValue(QStringLiteral(" ")).isEmpty());
}
