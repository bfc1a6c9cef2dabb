// The data-set commands of the data-selection screen: copy and paste, new
// data, delete, data areas, and the distributed-input copies of merged data.
#include "support/TestEnv.h"

#include "datasets/DataSentaku.h"
#include "datasets/DataSetCopy.h"
#include "datasets/z5GassanSyori.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/BackupRestoreThread.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/DataRoot.h"
#include "dbaccess/Globals.h"
#include "core/SjisText.h"
#include "framework/FrameworkMessages.h"
#include "framework/ProcessForm.h"
#include "framework/xPlButton.h"
#include "framework/z5InputDlg.h"
#include "platform/Error.h"
#include "platform/IniFile.h"
#include "support/CompanyRows.h"
#include "support/DbFixture.h"
#include "support/SchemaTemplates.h"
#include "support/TmpfsMount.h"
#include "../framework/FrameworkTestUtil.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTableWidget>

#include <set>

namespace {

// ---- rules without a database ----

TEST(DataSetCopyRules, TheListNameOfAPastedCopy)
{
    struct Case {
        QString source, expected;
    } cases[] = {
        {QStringLiteral("サンプル株式会社"), QStringLiteral("サンプル株式会社～コピー")},
        {QStringLiteral("  ABC  "), QStringLiteral("ABC  ～コピー")},
        // 36 bytes of name: "～" fits (38 bytes), "コ" would make 40, "ピ" not.
        {QString(18, QChar(u'あ')), QString(18, QChar(u'あ')) + QStringLiteral("～コ")},
        // 39 bytes: the double-byte character that would straddle byte 40 is left out.
        {QString(39, QChar(u'A')), QString(39, QChar(u'A'))},
        {QString(38, QChar(u'A')) + QStringLiteral("　"), QString(38, QChar(u'A'))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source.toStdString());
        const QString name = CopyListName(c.source);
        EXPECT_EQ(name, c.expected);
        EXPECT_LE(SjisLength(name), 40);
    }
}

TEST(DataSetCopyRules, ForbiddenMergeKindPatterns)
{
    const int kinds[] = {0, 1, 2, 10};
    std::set<std::pair<int, int>> forbidden{{0, 1}, {0, 2}, {10, 1}, {10, 2}, {1, 2}, {2, 1}};
    for (int s : kinds)
        for (int t : kinds) EXPECT_EQ(RestorePatternForbidden(s, t), forbidden.count({s, t}) == 1) << s << "->" << t;
    EXPECT_EQ(RestorePatternLines().size(), 5);
}

TEST(DataSetCopyRules, MergeSettingsOfAPastedRow)
{
    struct Case {
        int k, d, count;
        bool server;
        TGassanSettings expected;
    } cases[] = {
        {1, 1, 3, false, {true, 1, 3}},  {2, 2, 4, false, {true, 2, 4}},  {1, 10, 3, false, {true, 10, 0}},
        {10, 0, 0, false, {true, 0, 0}}, {10, 1, 2, false, {true, 0, 0}}, {0, 10, 0, false, {true, 10, 0}},
        {0, 0, 0, false, {false, 0, 0}}, {10, 10, 0, false, {false, 0, 0}}, {0, 1, 0, false, {false, 0, 0}},
        {1, 1, 3, true, {true, 0, 0}},
    };
    for (const Case &c : cases) {
        const TGassanSettings s = GassanSettingsFor(c.k, c.d, c.count, c.server);
        EXPECT_EQ(s.Write, c.expected.Write) << c.k << "->" << c.d;
        if (s.Write) {
            EXPECT_EQ(s.Kind, c.expected.Kind) << c.k << "->" << c.d;
            EXPECT_EQ(s.Count, c.expected.Count) << c.k << "->" << c.d;
        }
    }
}

TEST(DataSetCopyRules, ChildFolderNamesAndTheNextOne)
{
    EXPECT_EQ(GassanChildNumber(QStringLiteral("001"), false), 1);
    EXPECT_EQ(GassanChildNumber(QStringLiteral("003"), false), 3);
    EXPECT_EQ(GassanChildNumber(QStringLiteral("abc"), false), -1);
    EXPECT_EQ(GassanChildNumber(QStringLiteral("000"), false), -1);
    EXPECT_EQ(GassanChildNumber(QStringLiteral("000"), true), -1);
    EXPECT_EQ(GassanChildNumber(QStringLiteral("00"), false), -1);
    EXPECT_EQ(GassanChildNumber(QStringLiteral("00"), true), 0);
    EXPECT_EQ(NextGassanFolderName({QStringLiteral("001"), QStringLiteral("003"), QStringLiteral("abc")}, 1),
              QStringLiteral("004"));
    EXPECT_EQ(NextGassanFolderName({}, 1), QStringLiteral("001"));
    EXPECT_EQ(NextGassanFolderName({QStringLiteral("998")}, 1), QStringLiteral("999"));
    try {
        NextGassanFolderName({QStringLiteral("999")}, 1);
        ADD_FAILURE() << "no error beyond 999";
    } catch (const platform::Error &e) {
        EXPECT_EQ(e.message(), QStringLiteral("作成できるフォルダ名は[999]までです。"));
    }
}

TEST(DataSetCopyRules, TheComparisonBeforeAPaste)
{
    TDataInfomationRec a, b;
    a.Shougou = b.Shougou = QStringLiteral("株式会社①");
    a.Kishu = b.Kishu = QStringLiteral("2025/04/01");
    a.Kimatu = b.Kimatu = QStringLiteral("2026/03/31");
    a.TotalSiwake = 12;
    b.TotalSiwake = 12;
    const QString name = QStringLiteral("貼り付け");
    EXPECT_TRUE(CompareDataLines(name, a, b, false).isEmpty());
    EXPECT_TRUE(CompareDataInfoFault(name, a, b).isEmpty());
    b.Shougou = QStringLiteral("別会社");
    b.Kimatu = QStringLiteral("2026/02/28");
    b.TotalSiwake = 1234;
    const QStringList lines = CompareDataLines(name, a, b, false);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("会社名に違いがありました。"), QStringLiteral("　【貼り付け元】：株式会社①"),
                                  QStringLiteral("　【貼り付け先】：別会社"), QString(), QStringLiteral("期末に違いがありました。"),
                                  QStringLiteral("　【貼り付け元】：2026/03/31"), QStringLiteral("　【貼り付け先】：2026/02/28"),
                                  QString(), QStringLiteral("仕訳件数(修正・削除仕訳含む)が減っています。"),
                                  QStringLiteral("　【貼り付け元】：12 件"), QStringLiteral("　【貼り付け先】：1,234 件"), QString()}));
    TDataInfomationRec empty;
    EXPECT_EQ(CompareDataInfoFault(name, empty, b), QStringLiteral("貼り付け処理元のデータ情報が不正です。\r"));
    EXPECT_EQ(CompareDataInfoFault(name, a, empty), QStringLiteral("貼り付け処理先のデータ情報が不正です。\r"));
}

TEST(DataSetCopyRules, APasteIntoAFolderInsideTheSourceIsRefusedBeforeAnyCopy)
{
    const QString s = testenv::freshDir(QStringLiteral("pasteinside"));
    testenv::writeFile(s + QStringLiteral("/vqacc.fdb"), "x");
    QString why;
    try {
        PasteDataFolder(s, s + QStringLiteral("/001"), false, why);
        ADD_FAILURE() << "no error";
    } catch (const platform::Error &e) {
        EXPECT_EQ(e.message(), QStringLiteral("貼付先にコピー元のパスが含まれています。処理を中断します。"));
    }
    EXPECT_FALSE(QFileInfo::exists(s + QStringLiteral("/001")));
}

// ---- the screen ----

class DataSetCommandsTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SetAppInfoDefaults(AppInfo);
        SystemDef.OpCode = 100010;
        SystemDef.OpName = QStringLiteral("山田");
        SystemDef.DataRootDir = root.root;
        SystemDef.TempDir = testenv::freshDir(QStringLiteral("datatemp"));
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        ASSERT_TRUE(dm->fnGetSysDef());
        SystemDef.OpLevel = 9; // the administrator: every data set is his to use
        InstallDataInfoHooks();
        m_runner = ModalRunner;
        m_copier = DataFolderCopier;
        m_job = PasteJobRunner;
        describeDataSet(1, QStringLiteral("サンプル株式会社"), 1, 11, 0, QStringLiteral("A001"));
        companyrows::fill(db(1), testenv::kDbUser, testenv::kDbPassword, 3, 5);
        addCompany(2);
        describeDataSet(2, QStringLiteral("医療法人さくら会"), 3, 11, 0, QStringLiteral("B002"));
        SystemDef.DataDir = slot(2);
    }
    void TearDown() override
    {
        ModalRunner = m_runner;
        DataFolderCopier = m_copier;
        PasteJobRunner = m_job;
        // The stand-in of the new-data process goes again.
        TProcessRegistry &reg = ProcessRegistry();
        for (int i = reg.IndexOfProcess(QStringLiteral("QmKihonWiz")); i >= 0; i = reg.IndexOfProcess(QStringLiteral("QmKihonWiz"))) {
            reg.ProcessClassList.erase(reg.ProcessClassList.begin() + i);
            reg.ProcessNameList.removeAt(i);
        }
        DbFixture::TearDown();
    }
    QString db(int rec) const { return slot(rec) + QStringLiteral("/vqacc.fdb"); }
    std::unique_ptr<TDataSentakuBox> screen(int type = 0)
    {
        auto box = std::make_unique<TDataSentakuBox>();
        box->KeepOnClose = true;
        box->SetParams({QStringLiteral("SyoriType=%1").arg(type)});
        box->Prepare(true);
        fwtest::showActive(box.get());
        box->PerfectGrid1->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        return box;
    }
    static int rowOf(const TDataSentakuBox &box, const QString &folder)
    {
        for (int i = 0; i < box.PerfectGrid1->rowCount(); ++i)
            if (box.RowFolderPath(i) == folder) return i;
        return -1;
    }
    static void focus(TDataSentakuBox &box, int row)
    {
        box.PerfectGrid1->setFocus(Qt::OtherFocusReason);
        box.PerfectGrid1->setCurrentCell(row, dcName);
        box.UpdateFunctionKeys();
    }
    static QString status(const QString &folder)
    {
        return platform::IniFile(TDataInfomation::IniFileOf(folder)).readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS"));
    }
    QString digest(int rec) const { return companyrows::digest(db(rec), testenv::kDbUser, testenv::kDbPassword); }
    // Makes data set `rec` a merged one (kind 1).
    void makeMerged(int rec)
    {
        addCompany(rec);
        describeDataSet(rec, QStringLiteral("合算グループ"), 1, 11, 0, QStringLiteral("M%1").arg(rec));
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), slot(rec), false));
        dm->PutAccReg(QStringLiteral("基本設定"), QStringLiteral("合算データ区分"), QStringLiteral("整数"), 1);
        dm->fnAccDatDisConnected(slot(rec), false, false);
        exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET GASSAN=1 WHERE REC=%1").arg(rec));
    }
    // Runs an insert on the system database for N = first..last in one transaction.
    void insertRows(const QString &sql, int first, int last)
    {
        auto q = dm->CreateAccQuery(QStringLiteral("ACCDEF"), false);
        TransactionGuard g(*q->Transaction);
        q->setSql(sql);
        for (int n = first; n <= last; ++n) {
            q->paramByName(QStringLiteral("N")).setInteger(n);
            q->execSQL();
        }
        g.commit();
    }
    QString companyScalar(const QString &folder, const QString &sql)
    {
        FbDatabase d;
        d.DatabaseName = folder + QStringLiteral("/vqacc.fdb");
        d.Params = companyrows::params(testenv::kDbUser, testenv::kDbPassword);
        d.open();
        FbTransaction tr(&d, {QStringLiteral("concurrency"), QStringLiteral("nowait")});
        tr.startTransaction();
        FbQuery q(&d, &tr);
        q.setSql(sql);
        q.open();
        const QString v = q.eof() ? QString() : q.field(0).asString();
        q.close();
        tr.commit();
        d.close();
        return v;
    }
    std::function<int(QDialog &)> m_runner;
    std::function<bool(const QString &, const QString &)> m_copier;
    std::function<void(TBackupRestoreThread &)> m_job;
};

} // namespace

TEST_F(DataSetCommandsTest, CopyThenPasteMakesASecondDataSetWithTheSameBooks)
{
    auto box = screen();
    focus(*box, rowOf(*box, slot(1)));
    EXPECT_EQ(box->F2->CaptionA().Caption(), QStringLiteral("F2:コピー"));
    box->F2->click();
    ASSERT_TRUE(box->CopyPending());
    EXPECT_EQ(status(slot(1)), QStringLiteral("6"));
    EXPECT_EQ(box->F2->CaptionA().Caption(), QStringLiteral("F2:貼り付け"));

    ScriptedMessages boxes;
    focus(*box, rowOf(*box, slot(4)));
    box->F2->click();
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_FALSE(box->CopyPending());

    const QString name = QStringLiteral("サンプル株式会社～コピー");
    ASSERT_TRUE(QFileInfo::exists(db(4)));
    EXPECT_EQ(digest(4), digest(1));
    EXPECT_FALSE(digest(4).startsWith(QStringLiteral("0:")));
    EXPECT_EQ(status(slot(1)), QStringLiteral("1"));
    EXPECT_EQ(status(slot(4)), QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT FROM DATALIST WHERE REC=4")), name);
    EXPECT_EQ(companyScalar(slot(4), QStringLiteral("SELECT ENTTEXT FROM ACCDEF1 WHERE REC=1")), name);
    EXPECT_EQ(box->PerfectGrid1->item(rowOf(*box, slot(4)), dcName)->text(), name);
    // The source keeps its own name.
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT FROM DATALIST WHERE REC=1")),
              QStringLiteral("サンプル株式会社"));
    EXPECT_FALSE(QFileInfo::exists(slot(4) + QStringLiteral(".paste~")));
    EXPECT_FALSE(QFileInfo::exists(slot(4) + QStringLiteral(".old~")));
}

TEST_F(DataSetCommandsTest, CopyThenEscLeavesTheSourceFree)
{
    auto box = screen();
    focus(*box, rowOf(*box, slot(1)));
    box->F2->click();
    ASSERT_EQ(status(slot(1)), QStringLiteral("6"));
    box->ESC->click();
    EXPECT_FALSE(box->CopyPending());
    EXPECT_EQ(status(slot(1)), QStringLiteral("1"));
    EXPECT_EQ(box->result(), 0); // the screen stays open
    EXPECT_EQ(box->F2->CaptionA().Caption(), QStringLiteral("F2:コピー"));
}

TEST_F(DataSetCommandsTest, APasteOntoDataAsksToCompareAndKeepsTheTargetWhenNotAgreed)
{
    // The target is another company.
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), slot(2), false));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU='医療法人さくら会' WHERE REC=1"));
    dm->fnAccDatDisConnected(slot(2), false, false);
    const QString before = digest(2);
    auto box = screen();
    focus(*box, rowOf(*box, slot(1)));
    box->F2->click();
    focus(*box, rowOf(*box, slot(2)));
    ScriptedMessages boxes;
    boxes.answer(mrCancel);
    box->F2->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("データ照合チェックの結果"));
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("会社名に違いがありました。\r　【貼り付け元】：")));
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("　【貼り付け先】：医療法人さくら会")));
    EXPECT_EQ(digest(2), before);
    EXPECT_EQ(status(slot(1)), QStringLiteral("1"));
    EXPECT_EQ(status(slot(2)), QStringLiteral("1"));
}

TEST_F(DataSetCommandsTest, AFailedCopyLeavesBothDataSetsAsTheyWereAndSaysWhy)
{
    // The copy breaks off after the first file.
    DataFolderCopier = [](const QString &source, const QString &target) {
        QDir().mkpath(target);
        QFile::copy(source + QStringLiteral("/vqacc.fdb"), target + QStringLiteral("/vqacc.fdb"));
        return false;
    };
    addCompany(3);
    describeDataSet(3, QStringLiteral("サンプル株式会社"), 1, 11, 0, QStringLiteral("A001"));
    companyrows::fill(db(3), testenv::kDbUser, testenv::kDbPassword, 1, 1, 50);
    const QString source = digest(1), target = digest(3);
    auto box = screen();
    focus(*box, rowOf(*box, slot(1)));
    box->F2->click();
    focus(*box, rowOf(*box, slot(3)));
    ScriptedMessages boxes;
    boxes.answer(mrOk); // the failure
    box->F2->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("データの貼り付けに失敗しました。")));
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("コピーできませんでした")));
    EXPECT_EQ(digest(1), source);
    EXPECT_EQ(digest(3), target);
    EXPECT_EQ(status(slot(1)), QStringLiteral("1"));
    EXPECT_EQ(status(slot(3)), QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT FROM DATALIST WHERE REC=3")),
              QStringLiteral("サンプル株式会社"));
    EXPECT_FALSE(QFileInfo::exists(slot(3) + QStringLiteral(".paste~")));
}

TEST_F(DataSetCommandsTest, APasteOntoAReadOnlyPlaceFailsAndNamesThePlace)
{
    TmpfsMount ro(slot(5));
    if (!ro.mounted()) GTEST_SKIP() << "no mount rights here";
    auto box = screen();
    focus(*box, rowOf(*box, slot(1)));
    box->F2->click();
    focus(*box, rowOf(*box, slot(5)));
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    box->F2->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("データの貼り付けに失敗しました。")));
    EXPECT_TRUE(boxes.shown[0].text.contains(slot(5)));
    EXPECT_TRUE(QDir(slot(5)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    EXPECT_EQ(status(slot(1)), QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT FROM DATALIST WHERE REC=5")), QString());
    EXPECT_FALSE(QFileInfo::exists(slot(5) + QStringLiteral(".paste~")));
}

TEST_F(DataSetCommandsTest, AFailedServerCopySetsTheStatusesBackAndRenamesNothing)
{
    ConnectMode = 1;
    SystemDef.HostName = QStringLiteral("127.0.0.1"); // this machine: the databases open without a server
    SystemDef.OpCode = 10000 * 10000 + 10;
    int ran = 0;
    PasteJobRunner = [&ran, this](TBackupRestoreThread &job) {
        ++ran;
        EXPECT_EQ(job.Mode, 2);
        EXPECT_TRUE(job.TargetPath.endsWith(QStringLiteral("/0004/vqacc.fdb")));
        EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT DATALOCK FROM DATALIST WHERE REC=4")), QStringLiteral("10"));
        job.Success = 0;
        job.ErrInfo.Message = QStringLiteral("データベースの保存に失敗しました。");
        job.ErrInfo.Message2 = QStringLiteral("処理を中止しました。");
    };
    auto box = screen();
    focus(*box, rowOf(*box, slot(1)));
    box->F2->click();
    ASSERT_TRUE(box->CopyPending());
    focus(*box, rowOf(*box, slot(4)));
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    box->F2->click();
    EXPECT_EQ(ran, 1);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("データの貼り付けに失敗しました。\r\r[詳細情報]\rデータベースの保存に失敗しました。\r処理を中止しました。"));
    EXPECT_FALSE(QFileInfo::exists(db(4)));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT||'/'||DATALOCK FROM DATALIST WHERE REC=4")),
              QStringLiteral("/0"));
}

TEST_F(DataSetCommandsTest, DeletingTheDataSetChosenLastIsRefusedAndAnotherGoesAfterAgreement)
{
    addCompany(3);
    describeDataSet(3, QStringLiteral("旧商事"), 1, 11, 0, QStringLiteral("C003"));
    auto box = screen();
    ScriptedMessages boxes;
    focus(*box, rowOf(*box, slot(2)));
    boxes.answer(mrOk);
    box->F5->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("このデータは前回起動データのため削除は行えません。"));
    EXPECT_TRUE(QFileInfo::exists(db(2)));

    focus(*box, rowOf(*box, slot(3)));
    boxes.answer(mrCancel); // not agreed
    box->F5->click();
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[1].title, QStringLiteral("データの削除"));
    EXPECT_TRUE(boxes.shown[1].text.startsWith(QStringLiteral("選択したデータを削除します。\r【データ名】\r　旧商事")));
    EXPECT_TRUE(QFileInfo::exists(db(3)));

    boxes.answer(mrOk);
    box->F5->click();
    EXPECT_FALSE(QFileInfo::exists(slot(3)));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT FROM DATALIST WHERE REC=3")), QString());
    EXPECT_TRUE(box->PerfectGrid1->item(rowOf(*box, slot(3)), dcName)->text().isEmpty());
    EXPECT_TRUE(boxes.allAnswered());
}

TEST_F(DataSetCommandsTest, AFullListRefusesAnotherAreaAndOneLessTakesIt)
{
    ConnectMode = 1;
    SystemDef.HostName = QStringLiteral("127.0.0.1");
    SystemDef.OpCode = 10000 * 10000 + 10;
    insertRows(QStringLiteral("INSERT INTO DATALIST (REC, GROUPID, PASNAME) VALUES (:N, 10000, 'x' || :N)"), 121, 1999);
    QString asked;
    ModalRunner = [&asked](QDialog &d) {
        auto &in = dynamic_cast<TInputDlgBox &>(d);
        asked = in.Value;
        in.Value = QStringLiteral("9999");
        return 1;
    };
    {
        auto box = screen();
        ASSERT_EQ(box->Records().size(), 1999);
        focus(*box, 0);
        EXPECT_EQ(box->F4->CaptionA().Caption(), QStringLiteral("F4:領域追加"));
        ScriptedMessages boxes;
        box->F4->click();
        EXPECT_TRUE(boxes.shown.isEmpty());
        EXPECT_EQ(asked, QStringLiteral("2000"));
        EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM DATALIST WHERE PASNAME='%1/9999'").arg(SystemDef.SysDir)),
                  QStringLiteral("1"));
        EXPECT_EQ(box->Records().size(), 2000);
        EXPECT_EQ(box->RowFolderPath(box->PerfectGrid1->currentRow()), SystemDef.SysDir + QStringLiteral("/9999"));
        // The same folder again is refused by name.
        boxes.answer(mrOk);
        exec(QStringLiteral("ACCDEF"), QStringLiteral("DELETE FROM DATALIST WHERE REC=1999"));
        box->btnListUpdate->setEnabled(true);
        ModalRunner = [](QDialog &d) {
            dynamic_cast<TInputDlgBox &>(d).Value = QStringLiteral("9999");
            return 1;
        };
        box->LoadDataList();
        box->FillGrid(-1);
        focus(*box, 0);
        box->F4->click();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, u'"' + SystemDef.SysDir + QStringLiteral("/9999\"は既にデータリスト上に作成されています。\r"));
        exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO DATALIST (REC, GROUPID, PASNAME) VALUES (1999, 10000, 'x1999')"));
    }
    auto box = screen();
    ASSERT_EQ(box->Records().size(), 2000);
    focus(*box, 0);
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    box->F4->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("これ以上の領域追加は行えません。(最大2000件)"));
}

TEST_F(DataSetCommandsTest, ADistributedInputCopyHasNoJournalsNoBalancesAndItsSettings)
{
    makeMerged(5);
    companyrows::fill(db(5), testenv::kDbUser, testenv::kDbPassword, 2, 4);
    {
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), slot(5), false));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN=1000, HAIBUN03=5"));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET KANSA_LOCK=1"));
        dm->fnAccDatDisConnected(slot(5), false, false);
    }
    QDir().mkpath(slot(5) + QStringLiteral("/abc"));
    QDir().mkpath(slot(5) + QStringLiteral("/000"));
    auto box = screen();
    focus(*box, rowOf(*box, slot(5)));
    EXPECT_EQ(box->F3->CaptionA().Caption(), QStringLiteral("F3:分散追加"));
    EXPECT_TRUE(box->F3->isEnabled());
    ScriptedMessages boxes;
    boxes.answer(mrYes);
    box->F3->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("分散入力用のデータを追加します。\rよろしいですか？"));
    const QString child = slot(5) + QStringLiteral("/001");
    ASSERT_TRUE(QFileInfo::exists(child + QStringLiteral("/vqacc.fdb")));
    EXPECT_EQ(companyrows::digest(child + QStringLiteral("/vqacc.fdb"), testenv::kDbUser, testenv::kDbPassword), QStringLiteral("0:") +
                  QString::fromLatin1(QCryptographicHash::hash(QByteArray(), QCryptographicHash::Sha1).toHex()));
    EXPECT_EQ(companyScalar(child, QStringLiteral("SELECT COUNT(*) FROM SIWAKE")), QStringLiteral("0"));
    EXPECT_EQ(companyScalar(child, QStringLiteral("SELECT COUNT(*) FROM KAMOKU_SZ WHERE KAISIZAN<>0 OR HAIBUN03<>0")), QStringLiteral("0"));
    EXPECT_EQ(companyScalar(child, QStringLiteral("SELECT KANSA_LOCK FROM ACCDEF1 WHERE REC=1")), QStringLiteral("0"));
    EXPECT_EQ(companyScalar(child, QStringLiteral("SELECT GEN_ID(SIWAKE_REC_GEN, 0) FROM RDB$DATABASE")), QStringLiteral("0"));
    EXPECT_EQ(companyScalar(child, QStringLiteral("SELECT GEN_ID(SIWAKE57_GEN, 0) FROM RDB$DATABASE")), QStringLiteral("0"));
    EXPECT_EQ(companyScalar(child, QStringLiteral("SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='合算データ区分'")),
              QStringLiteral("10"));
    EXPECT_EQ(companyScalar(child, QStringLiteral("SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='合算データ数'")),
              QStringLiteral("0"));
    // The parent keeps its books and counts its copy.
    EXPECT_TRUE(digest(5).startsWith(QStringLiteral("6:")));
    EXPECT_EQ(companyScalar(slot(5), QStringLiteral("SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='合算データ数'")),
              QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM CHILD_DATALIST WHERE REC=5")), QStringLiteral("1"));
    const int parent = rowOf(*box, slot(5));
    ASSERT_EQ(box->RowFolderPath(parent + 1), child);
    EXPECT_EQ(box->RowRecord(parent + 1)->GASSAN, 10);
    EXPECT_EQ(status(slot(5)), QStringLiteral("1"));
    EXPECT_EQ(status(child), QStringLiteral("1"));

    // "abc" and "000" are no copies; the next copy is numbered after the highest.
    TGassanDataCtl ctl;
    ctl.SetDataPath(slot(5));
    ctl.SetDataListRec(5);
    ctl.SetActive(true);
    ASSERT_EQ(ctl.Children.size(), 1);
    EXPECT_EQ(ctl.Children[0].Folder, child);
    QDir().mkpath(slot(5) + QStringLiteral("/003"));
    EXPECT_EQ(ctl.NextFolderNo(slot(5), 1), QStringLiteral("004"));
}

TEST_F(DataSetCommandsTest, TheHundredthDistributedInputCopyIsRefused)
{
    makeMerged(5);
    insertRows(QStringLiteral("INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, PASNAME, GASSAN) VALUES (5, :N, 10000, 'c' || :N, 10)"), 1, 99);
    auto box = screen();
    focus(*box, rowOf(*box, slot(5)));
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_FALSE(box->AddDistributedData());
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("これ以上の分散データの追加は行えません。(最大99件)\r"));
    EXPECT_FALSE(QFileInfo::exists(slot(5) + QStringLiteral("/001")));
}

TEST_F(DataSetCommandsTest, AFailedInitialisationLeavesNoHalfMadeCopy)
{
    makeMerged(5);
    TGassanDataCtl ctl;
    // A copy that is no database: the initialisation fails and the folder goes.
    ctl.CopyDatabase = [](const QString &, const QString &target) {
        testenv::writeFile(target, QByteArray(8192, 'z'));
        return true;
    };
    ctl.SetDataPath(slot(5));
    ctl.SetDataListRec(5);
    ctl.SetActive(true);
    ScriptedMessages boxes;
    for (int i = 0; i < 6; ++i) boxes.answer(mrOk);
    EXPECT_FALSE(ctl.CreateChildData(QString()));
    EXPECT_FALSE(QFileInfo::exists(slot(5) + QStringLiteral("/001")));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM CHILD_DATALIST WHERE REC=5")), QStringLiteral("0"));
}

TEST_F(DataSetCommandsTest, TheNewDataKeyActsOnlyWithTheNewDataProcess)
{
    auto box = screen();
    focus(*box, rowOf(*box, slot(4)));
    EXPECT_TRUE(box->F3->CaptionA().Caption() == QStringLiteral("F3:") || !box->F3->isEnabled());
    EXPECT_EQ(box->NewData(), 0);
    EXPECT_FALSE(QFileInfo::exists(slot(4)));

    // A stand-in for the new-data process answers 2 (cancelled): nothing stays behind.
    QStringList params;
    int answer = 2;
    RunProcessHook = [&](const QString &name, int mode, const QString &text) {
        EXPECT_EQ(name, QStringLiteral("QmKihonWiz"));
        EXPECT_EQ(mode, 1);
        params = text.split(u'\r');
        EXPECT_EQ(status(slot(4)), QStringLiteral("9"));
        if (answer == 1) {
            CreateCompanyDatabase(slot(4), testenv::kDbUser, testenv::kDbPassword);
            registerDataSetRow(slot(4));
        }
        return answer;
    };
    ProcessRegistry().RegisterProcessClass(&QObject::staticMetaObject, [] { return static_cast<QWidget *>(nullptr); },
                                           QStringLiteral("QmKihonWiz"));
    box->UpdateFunctionKeys();
    EXPECT_EQ(box->F3->CaptionA().Caption(), QStringLiteral("F3:新規作成"));
    EXPECT_TRUE(box->F3->isEnabled());
    box->F3->click();
    ASSERT_EQ(params.size(), 3);
    EXPECT_EQ(params[0], QStringLiteral("DataPath=") + slot(4));
    EXPECT_EQ(params[1], QStringLiteral("DataListRec=4"));
    EXPECT_TRUE(params[2].startsWith(QStringLiteral("PHandle=")));
    EXPECT_FALSE(QFileInfo::exists(slot(4)));

    answer = 1;
    focus(*box, rowOf(*box, slot(4)));
    EXPECT_EQ(box->NewData(), 1);
    EXPECT_TRUE(QFileInfo::exists(db(4)));
    EXPECT_EQ(status(slot(4)), QStringLiteral("1"));
}
