#include "dbaccess/ErrorHandler.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "platform/Cp932.h"
#include "support/DbFixture.h"
#include "support/SchemaTemplates.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString companyVersion(TDM &dm)
{
    TransactionGuard g(dm.IBTransactionDAT);
    dm.IBQACC1.setSql(QStringLiteral("SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION WHERE REC=1"));
    dm.IBQACC1.open();
    const QString v = QStringLiteral("%1.%2.%3")
                          .arg(dm.IBQACC1.field(0).asInteger())
                          .arg(dm.IBQACC1.field(1).asInteger())
                          .arg(dm.IBQACC1.field(2).asInteger());
    dm.IBQACC1.close();
    g.commit();
    return v;
}

QStringList logLines(const QString &file)
{
    QString text = platform::fromCp932(testenv::readFile(SystemDef.LogDir + u'/' + file));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace

using DataModuleTest = DbFixture;

TEST_F(DataModuleTest, OpensSystemAndCompanyDatabasesEmbedded)
{
    EXPECT_EQ(DatabasePath(QString(), root.companyDir, QStringLiteral("vqacc.fdb")), root.companyDir + QStringLiteral("/vqacc.fdb"));
    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    EXPECT_EQ(dm->IBDatabaseDEF.DatabaseName, root.sysDir + QStringLiteral("/vqaccdef.fdb"));
    EXPECT_EQ(dm->IBDatabaseDEF.Params,
              QStringList({QStringLiteral("user_name=DORVEL"), QStringLiteral("password=zoltup"), QStringLiteral("lc_ctype=SJIS_0208")}));
    // Already open: true without looking at the path again.
    SystemDef.SysDir = QStringLiteral("/nowhere");
    EXPECT_TRUE(dm->fnAccDefConnected(QString(), true));

    QStringList opened;
    dm->OnDataSetOpened = [&](const QString &dir) { opened << dir; };
    SystemDef.DataDir = root.companyDir;
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), QString(), true));
    EXPECT_EQ(opened, QStringList{root.companyDir});
    EXPECT_EQ(companyVersion(*dm), QStringLiteral("11.0.0"));

    // Opening again closes the previous connection first, also for the same folder.
    FbQuery stale(&dm->IBDatabaseDAT, &dm->IBTransactionDAT);
    dm->IBTransactionDAT.startTransaction();
    stale.setSql(QStringLiteral("SELECT 1 FROM RDB$DATABASE"));
    stale.prepare();
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    EXPECT_FALSE(stale.prepared());
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());
    EXPECT_EQ(opened.size(), 1);

    bool closing = false;
    dm->OnDataSetClosing = [&](const QString &, bool, bool) { closing = true; };
    EXPECT_TRUE(dm->fnAccDatDisConnected(QString(), false, false));
    EXPECT_FALSE(closing); // both flags clear: only disconnects
    EXPECT_FALSE(dm->IBDatabaseDAT.connected());
    EXPECT_TRUE(dm->IBDatabaseDAT.Params.isEmpty());
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    EXPECT_TRUE(dm->fnAccDatDisConnected(root.companyDir, true, false));
    EXPECT_TRUE(closing);
    dm->IBDatabaseDEF.close();
}

TEST_F(DataModuleTest, FailedCompanyConnectionIsReportedAndAsksTheDataCheck)
{
    int hookCalls = 0;
    DataCheckHook = [&](const QString &, const QString &, int arg) {
        ++hookCalls;
        EXPECT_EQ(arg, 1);
        return QVariant(1);
    };
    SystemDef.DataCheckKbn = 1;
    ScriptedMessages boxes;

    // A missing file is an input/output error: no data check.
    boxes.answer(mrOk);
    EXPECT_FALSE(dm->fnAccDatConnected(QString(), root.sysDir + QStringLiteral("/9999"), false));
    EXPECT_EQ(hookCalls, 0);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("ユーザーデータベースの接続処理に失敗しました。\r")));
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("IBXエラーコード:335544344")));

    // A damaged file: the data check is asked.
    const QString damaged = root.sysDir + QStringLiteral("/0002");
    testenv::writeFile(damaged + QStringLiteral("/vqacc.fdb"), QByteArray(16384, 'x'));
    boxes.answer(mrOk);
    EXPECT_FALSE(dm->fnAccDatConnected(QString(), damaged, false));
    EXPECT_EQ(hookCalls, 1);

    // With the operator's check off, the hook is not asked unless forced.
    SystemDef.DataCheckKbn = 0;
    EXPECT_EQ(CheckDataByHook(QString(), damaged, 0, 1), 1);
    EXPECT_EQ(hookCalls, 1);
    DataCheckHook = [&](const QString &, const QString &, int) { ++hookCalls; return QVariant(0); };
    EXPECT_EQ(CheckDataByHook(QString(), damaged, 1, 1), 0);
    DataCheckHook = nullptr;
    EXPECT_EQ(CheckDataByHook(QString(), damaged, 1, 1), 1);
    EXPECT_TRUE(boxes.allAnswered());
}

TEST_F(DataModuleTest, LockConflictReachesTheErrorHandler)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    const QStringList reserving = {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait"),
                                   QStringLiteral("lock_write=ACCREG"), QStringLiteral("protected")};
    FbTransaction first(&dm->IBDatabaseDAT, reserving), second(&dm->IBDatabaseDAT, reserving);
    first.startTransaction();
    SetErrorLogClock([] { return QDateTime(QDate(2026, 4, 1), QTime(9, 5, 7)); });
    ScriptedMessages boxes;
    for (int round = 0; round < 2; ++round) {
        try {
            second.startTransaction();
            FAIL() << "no conflict";
        } catch (const FbError &e) {
            boxes.answer(mrOk);
            ShowIBError(e, QStringLiteral("TDM.Test"), QStringLiteral("データの更新に失敗しました。"), true);
        }
    }
    first.commit();
    SetErrorLogClock(nullptr);

    const QStringList journal = logLines(QStringLiteral("ErrFbAccess.log"));
    ASSERT_EQ(journal.size(), 4);
    EXPECT_EQ(journal[0], QStringLiteral("2026/04/01 09:05:07,PC01,0,Serial=,AppVer=,DBName=:%1,DataVer=")
                              .arg(root.companyDir + QStringLiteral("/vqacc.fdb")));
    EXPECT_EQ(journal[1], QStringLiteral("Error=TDM.Test [335544345] (-901) （NO WAIT トランザクションのロックが衝突しています）,"
                                         "lock conflict on no wait transaction"));
    EXPECT_EQ(logLines(QStringLiteral("ErrFbAccess.txt")), journal.mid(2));

    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtError);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("データの更新に失敗しました。\r\r[詳細情報]\rIBXエラーコード:335544345\r"
                             "lock conflict on no wait transaction\r（NO WAIT トランザクションのロックが衝突しています）"));
}

TEST_F(DataModuleTest, LostConnectionEndsTheApplicationOnceEvenWithoutALog)
{
    int terminated = 0;
    SetTerminateHook([&] { ++terminated; });
    SystemDef.LogDir = QStringLiteral("/nonexistent/log"); // the log cannot be written
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    ShowIBError(FbError(QStringLiteral("Error writing data to the connection."), 335544721, -902), QStringLiteral("TDM.X"),
                QStringLiteral("ignored"), true);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("何らかの原因でネットワークが物理的に切断されている か")));
    EXPECT_TRUE(boxes.shown[0].text.endsWith(QStringLiteral("\r※注意 共有サーバーのデータ利用時は自動保管されません。\r")));
    EXPECT_FALSE(boxes.shown[0].text.contains(QStringLiteral("IBXエラーコード")));
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(ConnectionLost());
    // Later errors on the way out stay silent.
    ShowIBError(FbError(QStringLiteral("x"), 335544345, -901), QStringLiteral("TDM.Y"), QStringLiteral("d"), true);
    EXPECT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(terminated, 1);
    ResetConnectionLost();

    // The internal consistency check ends it too, with its explanation.
    boxes.answer(mrOk);
    ConnectMode = 1;
    ShowIBError(FbError(QStringLiteral("internal"), 335544333, -902), QStringLiteral("TDM.Z"), QString(), true);
    EXPECT_TRUE(boxes.shown[1].text.startsWith(QStringLiteral("（isc 内部のソフトウェア一貫性チェック）\r\r[OK]ボタン")));
    EXPECT_FALSE(boxes.shown[1].text.contains(QStringLiteral("※注意")));
    EXPECT_EQ(terminated, 2);
    ResetConnectionLost();
    ConnectMode = 0;
    SetTerminateHook(nullptr);

    // An empty description logs without a box.
    SystemDef.LogDir = testenv::freshDir(QStringLiteral("log2"));
    ShowIBError(FbError(QStringLiteral("odd"), 123, -1), QStringLiteral("TDM.W"), QString(), true);
    EXPECT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(logLines(QStringLiteral("ErrFbAccess.txt")).value(1), QStringLiteral("Error=TDM.W [123] (-1)  ,odd"));
}

TEST(ErrorTexts, LookupTable)
{
    EXPECT_EQ(GetIBErrorText(335544321, 0), QStringLiteral("（算術式の例外，数値のオーバーフロー，文字列の切り捨てのいずれかが発生しました）"));
    EXPECT_EQ(GetIBErrorText(335544335, 0), QStringLiteral("（データベースファイルが破損している可能性があります"));
    EXPECT_EQ(GetIBErrorText(335544450, 0), QStringLiteral(" "));
    EXPECT_EQ(GetIBErrorText(335544721, -902), QStringLiteral(" "));
    EXPECT_EQ(GetIBErrorText(335544788, -901),
              QStringLiteral("（操作を実行することができません。データベースのSYSDBAか所有者のどちらかでなければなりません。）"));
    EXPECT_EQ(GetIBErrorText(335544788, -902), QStringLiteral(" "));
    EXPECT_EQ(GetIBErrorText(336330817, -902), QStringLiteral("（ディレクトリ名・データーベスに全角文字は使用できません。）"));
    EXPECT_NE(GetIBErrorText(335544600, 0), QStringLiteral(" "));
    EXPECT_EQ(GetIBErrorText(335544379, 0), QStringLiteral(" ")); // between the runs
}

TEST_F(DataModuleTest, SystemSettingsStores)
{
    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    QVariant v;
    dm->funcGetSysReg(QStringLiteral("データ破損チェック区"), QStringLiteral("整数"), v, 10001, QStringLiteral("1"));
    EXPECT_EQ(v, QVariant(1));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM SYSREG WHERE OPCODE=10001")), QStringLiteral("1"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE SYSREG SET STEXT='7' WHERE OPCODE=10001"));
    dm->funcGetSysReg(QStringLiteral("データ破損チェック区"), QStringLiteral("整数"), v, 10001, QStringLiteral("1"));
    EXPECT_EQ(v, QVariant(7));

    // An empty default is stored empty and read as one blank.
    dm->funcGetSysReg(QStringLiteral("空"), QStringLiteral("文字"), v, 10001, QString());
    EXPECT_EQ(v, QVariant(QStringLiteral(" ")));
    dm->funcGetSysReg(QStringLiteral("空数"), QStringLiteral("整数"), v, 10001, QString());
    EXPECT_EQ(v, QVariant(0));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT '[' || STEXT || ']' FROM SYSREG WHERE SCODE='空'")),
              QStringLiteral("[]"));

    // "true" is not TRUE here.
    dm->funcPutSysReg(QStringLiteral("論"), QStringLiteral("文字"), 10001, QStringLiteral("true"));
    dm->funcGetSysReg(QStringLiteral("論"), QStringLiteral("論理"), v, 10001, QString());
    EXPECT_EQ(v, QVariant(false));

    // Every kind written and read back; the kind of an existing row stays.
    SystemDef.OpCode = 10002;
    struct Case { const char16_t *kind; QVariant value; QVariant readBack; QString stored; };
    Currency amount;
    Currency::tryParse(QStringLiteral("-1234.5"), amount);
    const Case cases[] = {
        {u"文字", QStringLiteral("株式会社①"), QStringLiteral("株式会社①"), QStringLiteral("株式会社①")},
        {u"論理", true, true, QStringLiteral("TRUE")},
        {u"日付", QDate(2013, 4, 1), QDate(2013, 4, 1), QStringLiteral("2013/04/01")},
        {u"日付", QDate(), QDate(), QString()},
        {u"整数", 42, 42, QStringLiteral("42")},
        {u"金額", QVariant::fromValue(amount), QVariant::fromValue(amount), QStringLiteral("-1234.5")},
    };
    int i = 0;
    for (const Case &c : cases) {
        const QString key = QStringLiteral("K%1").arg(i++);
        const QString kind = QString::fromUtf16(c.kind);
        dm->PutSysReg(key, kind, c.value);
        QVariant got;
        dm->GetSysReg(key, kind, got, QStringLiteral("x"));
        EXPECT_EQ(got, c.readBack) << key.toStdString();
        EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT STEXT FROM SYSREG WHERE OPCODE=10002 AND SCODE='%1'").arg(key)),
                  c.stored);
    }
    dm->PutSysReg(QStringLiteral("K4"), QStringLiteral("文字"), QStringLiteral("43"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT STYPE FROM SYSREG WHERE OPCODE=10002 AND SCODE='K4'")),
              QStringLiteral("整数"));
    dm->GetSysReg(QStringLiteral("K4"), QStringLiteral("謎"), v, QString());
    EXPECT_EQ(v, QVariant(QStringLiteral("Data Type Error")));

    TSystemIniRec rec;
    rec.REC = 77;
    rec.SSTR = QStringLiteral("stale");
    EXPECT_TRUE(dm->GetSysIni(rec));
    EXPECT_EQ(rec.REC, 77);
    EXPECT_EQ(rec.RESERVE3, 0);
    EXPECT_TRUE(rec.SSTR.isEmpty());
    rec.RESERVE1 = 1;
    rec.RESERVE5 = -5;
    rec.SSTR = QStringLiteral("NAME=会計事務所");
    EXPECT_TRUE(dm->SetSysIni(rec));
    rec.RESERVE5 = 6;
    EXPECT_TRUE(dm->SetSysIni(rec));
    TSystemIniRec back;
    back.REC = 77;
    EXPECT_TRUE(dm->GetSysIni(back));
    EXPECT_EQ(back.RESERVE1, 1);
    EXPECT_EQ(back.RESERVE5, 6);
    EXPECT_EQ(back.SSTR, QStringLiteral("NAME=会計事務所"));

    EXPECT_EQ(dm->GetStyleColor(10002, QStringLiteral("020-DATASENTAKULIST")), QString());
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO STYLECOLOR (OPCODE, STYLENAME, LINECOLOR1, NETCOLOR2, SSTR) "
                                                  "VALUES (10002, '020-DATASENTAKULIST', 255, 99, 'old')"));
    dm->PutStyleColor(10002, QStringLiteral("020-DATASENTAKULIST"), QStringLiteral("C010=1"));
    EXPECT_EQ(dm->GetStyleColor(10002, QStringLiteral("020-DATASENTAKULIST")), QStringLiteral("C010=1"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT LINECOLOR1 + NETCOLOR2 FROM STYLECOLOR WHERE OPCODE=10002")),
              QStringLiteral("-2"));
}

TEST_F(DataModuleTest, CompanySettingsStore)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    EXPECT_EQ(dm->GetAccReg(QStringLiteral("基本設定"), QStringLiteral("テスト整数"), QStringLiteral("整数"), QStringLiteral("0")), QVariant(0));
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"),
                     QStringLiteral("SELECT ATYPE || ':' || ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='テスト整数'")),
              QStringLiteral("整数:0"));

    struct Case { const char16_t *kind; QVariant value; QVariant readBack; };
    Currency amount;
    Currency::tryParse(QStringLiteral("98765.4321"), amount);
    const Case cases[] = {
        {u"文字", QStringLiteral("ｶﾌﾞｼｷｶﾞｲｼｬ㈱"), QStringLiteral("ｶﾌﾞｼｷｶﾞｲｼｬ㈱")},
        {u"論理", false, false},
        {u"日付", QDate(2016, 2, 29), QDate(2016, 2, 29)},
        {u"日付", QDate(), QDate()},
        {u"整数", -3, -3},
        {u"金額", QVariant::fromValue(amount), QVariant::fromValue(amount)},
        {u"実数", 0.1, 0.1},
        {u"日時", QDateTime(QDate(2015, 3, 31), QTime(23, 59, 58)), QDateTime(QDate(2015, 3, 31), QTime(23, 59, 58))},
    };
    int i = 0;
    for (const Case &c : cases) {
        const QString code = QStringLiteral("C%1").arg(i++);
        dm->PutAccReg(QStringLiteral("テスト"), code, QString::fromUtf16(c.kind), c.value);
        EXPECT_EQ(dm->GetAccReg(QStringLiteral("テスト"), code, QString::fromUtf16(c.kind), QString()), c.readBack)
            << code.toStdString();
    }
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCREG SET ATEXT='true' WHERE AGROUP='テスト' AND ACODE='C1'"));
    EXPECT_EQ(dm->GetAccReg(QStringLiteral("テスト"), QStringLiteral("C1"), QStringLiteral("論理"), QString()), QVariant(true));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCREG SET ATEXT='YES' WHERE AGROUP='テスト' AND ACODE='C1'"));
    EXPECT_EQ(dm->GetAccReg(QStringLiteral("テスト"), QStringLiteral("C1"), QStringLiteral("論理"), QString()), QVariant(false));
    // Real numbers are stored in the general form ("1E20", "1E-5").
    dm->PutAccReg(QStringLiteral("テスト"), QStringLiteral("C6"), QStringLiteral("実数"), 1e20);
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT ATEXT FROM ACCREG WHERE AGROUP='テスト' AND ACODE='C6'")),
              QStringLiteral("1E20"));
    dm->PutAccReg(QStringLiteral("テスト"), QStringLiteral("C6"), QStringLiteral("実数"), 0.00001);
    EXPECT_EQ(dm->GetAccReg(QStringLiteral("テスト"), QStringLiteral("C6"), QStringLiteral("実数"), QString()).toDouble(), 0.00001);
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT ATEXT FROM ACCREG WHERE AGROUP='テスト' AND ACODE='C6'")),
              QStringLiteral("1E-5"));
    dm->PutAccReg(QStringLiteral("テスト"), QStringLiteral("C4"), QStringLiteral("文字"), QStringLiteral("x"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT ATYPE FROM ACCREG WHERE AGROUP='テスト' AND ACODE='C4'")),
              QStringLiteral("整数"));
    dm->DeleteAccReg(QStringLiteral("テスト"), QStringLiteral("C4"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT COUNT(*) FROM ACCREG WHERE AGROUP='テスト' AND ACODE='C4'")),
              QStringLiteral("0"));

    // Memo and image blobs.
    dm->PutAccRegBlob(QStringLiteral("帳票"), QStringLiteral("備考"), QStringLiteral("メモ"), QStringLiteral("一行目\r\n二行目①"));
    EXPECT_EQ(dm->GetAccRegBlob(QStringLiteral("帳票"), QStringLiteral("備考"), QString()), QVariant(QStringLiteral("一行目\r\n二行目①")));
    const QString picture = SystemDef.WinTempDir + QStringLiteral("/logo.jpg");
    testenv::writeFile(picture, QByteArray("\xFF\xD8\xFF\xE0jpeg", 8));
    dm->PutAccRegBlob(QStringLiteral("帳票"), QStringLiteral("ロゴ"), QStringLiteral("JPG"), picture);
    const QString out = dm->GetAccRegBlob(QStringLiteral("帳票"), QStringLiteral("ロゴ"), QStringLiteral("画像")).toString();
    EXPECT_TRUE(out.endsWith(QStringLiteral(".jpg")));
    EXPECT_TRUE(QFileInfo(out).fileName().startsWith(QStringLiteral("accreg-")));
    EXPECT_EQ(testenv::readFile(out), QByteArray("\xFF\xD8\xFF\xE0jpeg", 8));
    EXPECT_FALSE(dm->GetAccRegBlob(QStringLiteral("帳票"), QStringLiteral("なし"), QString()).isValid());

    // The selector is exact: lower case picks the company database.
    auto q = dm->CreateAccQuery(QStringLiteral("accdef"), true);
    EXPECT_EQ(q->Database, &dm->IBDatabaseDAT);
    EXPECT_EQ(q->Transaction, &dm->IBTransactionDATSS);
    EXPECT_EQ(dm->CreateAccSQL(QStringLiteral("ACCDEF"), true)->Transaction, &dm->IBTransactionDEF);

    // Errors reach the caller after the roll-back; a caller's transaction stays.
    dm->IBDatabaseDAT.close();
    EXPECT_THROW(dm->GetAccReg(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("文字"), QString()), FbError);
}

TEST_F(DataModuleTest, ProbesCountsAndLocalFileOperations)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    EXPECT_TRUE(dm->fnExistence_Table(QStringLiteral("ACCREG")));
    EXPECT_FALSE(dm->fnExistence_Table(QStringLiteral("accreg")));
    EXPECT_TRUE(dm->fnExistence_Field(QStringLiteral("ACCREG"), QStringLiteral("ATEXT")));
    EXPECT_FALSE(dm->fnExistence_Field(QStringLiteral("ACCREG"), QStringLiteral("SCODE")));

    // The live count is kept per branch; changed and deleted entries are counted.
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE SISETUMST SET SIWAKECOUNT=5 WHERE SCODE=' '"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("ALTER TRIGGER SIWAKE_AFTER_INSERT INACTIVE"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, SCODE) VALUES (1, 1, 1, 'B1')"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, SCODE) VALUES (2, 2, 2, 'B1')"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, SCODE) VALUES (3, 2, 1, ' ')"));
    int live = -1, changed = -1;
    EXPECT_EQ(dm->GetSiwakeCount(QStringLiteral("   "), live, changed), 7);
    EXPECT_EQ(live, 5);
    EXPECT_EQ(changed, 2);
    EXPECT_EQ(dm->GetSiwakeCount(QStringLiteral("B1"), live, changed), 1);
    EXPECT_EQ(live, 0);
    EXPECT_EQ(dm->GetSiwakeCountAll(QString()), 7);
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());

    // A failure inside the caller's transaction is not committed and not reported.
    dm->IBTransactionDAT.startTransaction();
    dm->IBDatabaseDAT.close(); // the statement now fails
    EXPECT_THROW(dm->GetYukouSiwakeCount(QString()), FbError);

    const QString base = testenv::freshDir(QStringLiteral("files"));
    EXPECT_FALSE(dm->ServerFileOperation(QStringLiteral("copy"), base, base));
    EXPECT_FALSE(dm->ServerFileOperation(QStringLiteral("FEXIST"), QStringLiteral("  "), QString()));
    EXPECT_FALSE(dm->IBDatabaseDEF.connected()); // not touched
    EXPECT_TRUE(dm->MkDir(base + QStringLiteral("/a/b"), 0));
    EXPECT_TRUE(dm->DExist(base + QStringLiteral("/a/b"), 0));
    testenv::writeFile(base + QStringLiteral("/f.txt"), "x");
    EXPECT_TRUE(dm->FExist(base + QStringLiteral("/f.txt"), 0));
    EXPECT_TRUE(dm->FCopy(base + QStringLiteral("/f.txt"), base + QStringLiteral("/g.txt"), 0));
    EXPECT_TRUE(dm->FMove(base + QStringLiteral("/g.txt"), base + QStringLiteral("/h.txt"), 0));
    EXPECT_FALSE(dm->FExist(base + QStringLiteral("/g.txt"), 0));
    EXPECT_TRUE(dm->FDel(base + QStringLiteral("/h.txt"), 0, false));
    EXPECT_TRUE(dm->RmDir(base + QStringLiteral("/a"), 0, false));
    EXPECT_EQ(dm->GetShortFileName(base + QStringLiteral("/none"), 0), base + QStringLiteral("/none"));
    for (int mode : {3, -1}) {
        EXPECT_FALSE(dm->FExist(base + QStringLiteral("/f.txt"), mode));
        EXPECT_FALSE(dm->DExist(base, mode));
        EXPECT_FALSE(dm->MkDir(base + QStringLiteral("/z"), mode));
        EXPECT_TRUE(dm->GetShortFileName(base, mode).isEmpty());
    }
}

TEST_F(DataModuleTest, AttachmentQueryDropAndLogonRow)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    // The module's own attachment does not count, and it is connected again afterwards.
    EXPECT_FALSE(dm->AccDatInConnection(1, QString(), false, root.companyDir));
    EXPECT_TRUE(dm->IBDatabaseDAT.connected());
    EXPECT_TRUE(dm->AccDatInConnection(1, QString(), true, root.companyDir));
    EXPECT_FALSE(dm->AccDatInConnection(1, QString(), false, QStringLiteral("   ")));
    {
        FbDatabase other;
        other.DatabaseName = root.companyDir + QStringLiteral("/vqacc.fdb");
        other.Params = DatabaseParams();
        other.open();
        EXPECT_TRUE(dm->AccDatInConnection(1, QString(), false, root.companyDir));
    }
    dm->fnAccDatDisConnected(QString(), false, false);

    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    SystemDef.OpCode = 100010;
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO LOGONUSERLIST (OPCODE, PCNAME, APPVERSION) VALUES (100010, 'PC01', 0)"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO LOGONUSERLIST (OPCODE, PCNAME, APPVERSION) VALUES (100011, 'PC02', 0)"));
    dm->DeleteLogonInfo();
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT LIST(OPCODE) FROM LOGONUSERLIST")), QStringLiteral("100011"));

    const QString copy = root.sysDir + QStringLiteral("/0003");
    CreateCompanyDatabase(copy, QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
    EXPECT_TRUE(dm->AccDatDropDatabase(QString(), copy));
    EXPECT_FALSE(QFileInfo::exists(copy + QStringLiteral("/vqacc.fdb")));
    EXPECT_FALSE(dm->AccDatDropDatabase(QString(), QString()));
}

// Client/server mode against the Firebird server that the test script starts.
TEST_F(DataModuleTest, ClientServerModeThroughALoopbackServer)
{
    const QString host = qEnvironmentVariable("SOLTEA_TEST_FB_HOST");
    if (host.isEmpty()) GTEST_SKIP() << "no Firebird server on loopback (SOLTEA_TEST_FB_HOST is not set)";
    ConnectMode = 1;
    SystemDef.HostName = host;
    EXPECT_EQ(DatabasePath(host, root.companyDir, QStringLiteral("vqacc.fdb")),
              host + u':' + root.companyDir + QStringLiteral("/vqacc.fdb"));
    EXPECT_EQ(DatabasePath(QStringLiteral("127.0.0.1"), root.companyDir, QStringLiteral("vqacc.fdb")),
              root.companyDir + QStringLiteral("/vqacc.fdb"));

    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    EXPECT_EQ(dm->IBDatabaseDEF.DatabaseName, host + u':' + root.sysDir + QStringLiteral("/vqaccdef.fdb"));
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    EXPECT_EQ(companyVersion(*dm), QStringLiteral("11.0.0"));

    // Texts cross the wire unchanged.
    dm->PutAccReg(QStringLiteral("テスト"), QStringLiteral("名"), QStringLiteral("文字"), QStringLiteral("①㈱～ｱｲｳ"));
    EXPECT_EQ(dm->GetAccReg(QStringLiteral("テスト"), QStringLiteral("名"), QStringLiteral("文字"), QString()),
              QVariant(QStringLiteral("①㈱～ｱｲｳ")));
    // The server's own file procedures answer for files on its side.
    EXPECT_TRUE(dm->FExist(root.companyDir + QStringLiteral("/vqacc.fdb"), 1));
    EXPECT_FALSE(dm->FExist(root.companyDir + QStringLiteral("/none.fdb"), 1));

    dm->fnAccDatDisConnected(QString(), false, false);
    dm->IBDatabaseDEF.close();
    ConnectMode = 0;
}

// ---------------------------------------------------------------- data roots in Japanese folders

namespace {

// A data root as a Japanese user makes it: below a folder named in Japanese.
QString japaneseRoot()
{
    return testenv::freshDir(QStringLiteral("会計データ")) + QStringLiteral("/経理");
}

} // namespace

TEST_F(DataModuleTest, DataRootInJapaneseFoldersEmbedded)
{
    const QString base = japaneseRoot();
    const DataRootInfo jp = CreateDataRoot(base, testenv::kDbUser, testenv::kDbPassword);
    EXPECT_EQ(jp.sysDir, base + QStringLiteral("/data"));
    EXPECT_EQ(jp.companyDir, jp.sysDir + QStringLiteral("/0001"));
    EXPECT_TRUE(QFileInfo::exists(jp.companyDir + QStringLiteral("/vqacc.fdb")));

    SystemDef.SysDir = jp.sysDir;
    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    EXPECT_EQ(dm->IBDatabaseDEF.DatabaseName, jp.sysDir + QStringLiteral("/vqaccdef.fdb"));
    // The list keeps the folders as they are.
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT PASNAME FROM DATALIST WHERE REC = 1")), jp.companyDir);
    ASSERT_TRUE(dm->fnFileManConnected(QString()));
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), jp.companyDir, false));
    EXPECT_EQ(dm->IBDatabaseDAT.DatabaseName, jp.companyDir + QStringLiteral("/vqacc.fdb"));
    EXPECT_EQ(companyVersion(*dm), QStringLiteral("11.0.0"));
    EXPECT_FALSE(dm->AccDatInConnection(1, QString(), false, jp.companyDir));
    EXPECT_TRUE(dm->AccDatInConnection(1, QString(), true, jp.companyDir));
    dm->fnAccDatDisConnected(QString(), false, false);

    // A data set in a folder with an NEC character, made from the script
    // rather than copied, opened and dropped.
    SetSchemaTemplateFolder(QString());
    const QString second = jp.sysDir + QStringLiteral("/データ①");
    CreateCompanyDatabase(second, testenv::kDbUser, testenv::kDbPassword);
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), second, false));
    EXPECT_EQ(companyVersion(*dm), QStringLiteral("11.0.0"));
    dm->fnAccDatDisConnected(QString(), false, false);
    EXPECT_TRUE(dm->AccDatDropDatabase(QString(), second));
    EXPECT_FALSE(QFileInfo::exists(second + QStringLiteral("/vqacc.fdb")));
    dm->IBFileMan.close();
    dm->IBDatabaseDEF.close();
}

TEST_F(DataModuleTest, DataRootInJapaneseFoldersThroughALoopbackServer)
{
    const QString host = qEnvironmentVariable("SOLTEA_TEST_FB_HOST");
    if (host.isEmpty()) GTEST_SKIP() << "no Firebird server on loopback (SOLTEA_TEST_FB_HOST is not set)";
    const DataRootInfo jp = CreateDataRoot(japaneseRoot(), testenv::kDbUser, testenv::kDbPassword);
    const QString second = jp.sysDir + QStringLiteral("/データ①");
    CreateCompanyDatabase(second, testenv::kDbUser, testenv::kDbPassword);

    ConnectMode = 1;
    SystemDef.HostName = host;
    SystemDef.SysDir = jp.sysDir;
    EXPECT_EQ(DatabasePath(host, jp.companyDir, QStringLiteral("vqacc.fdb")),
              host + u':' + jp.companyDir + QStringLiteral("/vqacc.fdb"));
    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    EXPECT_EQ(dm->IBDatabaseDEF.DatabaseName, host + u':' + jp.sysDir + QStringLiteral("/vqaccdef.fdb"));
    for (const QString &folder : {jp.companyDir, second}) {
        SCOPED_TRACE(folder.toStdString());
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), folder, false));
        EXPECT_EQ(dm->IBDatabaseDAT.DatabaseName, host + u':' + folder + QStringLiteral("/vqacc.fdb"));
        EXPECT_EQ(companyVersion(*dm), QStringLiteral("11.0.0"));
        dm->PutAccReg(QStringLiteral("テスト"), QStringLiteral("名"), QStringLiteral("文字"), QStringLiteral("①㈱～ｱｲｳ"));
        EXPECT_EQ(dm->GetAccReg(QStringLiteral("テスト"), QStringLiteral("名"), QStringLiteral("文字"), QString()),
                  QVariant(QStringLiteral("①㈱～ｱｲｳ")));
        dm->fnAccDatDisConnected(QString(), false, false);
    }
    EXPECT_TRUE(dm->AccDatDropDatabase(QString(), second));
    EXPECT_FALSE(QFileInfo::exists(second + QStringLiteral("/vqacc.fdb")));
    dm->IBDatabaseDEF.close();
    ConnectMode = 0;
}

// The list of data sets indexes their folders by upper case: a root whose
// path the engine cannot hold (an IBM extension, a character CP932 has not)
// or cannot bring to upper case (an NEC special character) is refused with its
// path before anything is made.
TEST_F(DataModuleTest, DataRootTheListCannotHoldIsRefusedByItsPath)
{
    for (const QString &folder : {QStringLiteral("髙橋"), QStringLiteral("한국어"), QStringLiteral("データ①")}) {
        const QString base = testenv::freshDir(folder) + QStringLiteral("/会計");
        try {
            CreateDataRoot(base, testenv::kDbUser, testenv::kDbPassword);
            ADD_FAILURE() << "made in " << base.toStdString();
        } catch (const platform::Error &e) {
            EXPECT_TRUE(e.message().contains(base)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QStringLiteral("データ一覧に登録できない文字"))) << e.message().toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(base));
    }
}
