// The detail dialog of a data set: what it shows for each status, who may
// clear a status, the list name, and the rebuild with its safety copy and
// data lock.
#include "support/TestEnv.h"

#include "datasets/DataSyosaiInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/BackupRestoreThread.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/Globals.h"
#include "framework/DorvelEdit.h"
#include "framework/xPlButton.h"
#include "platform/Error.h"
#include "support/DbFixture.h"
#include "support/HeldDataSet.h"
#include "support/SchemaTemplates.h"
#include "../framework/FrameworkTestUtil.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

class DataSyosaiInfoTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SetAppInfoDefaults(AppInfo);
        SystemDef.OpCode = 10000 * 10000 + 10;
        SystemDef.OpName = QStringLiteral("山田");
        SystemDef.DataRootDir = root.root;
        SystemDef.TempDir = testenv::freshDir(QStringLiteral("datatemp"));
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        ASSERT_TRUE(dm->fnGetSysDef());
        InstallDataInfoHooks();
        describeDataSet(1, QStringLiteral("サンプル株式会社"), 1, 11, 0, QStringLiteral("A001"));
        addCompany(2);
        describeDataSet(2, QStringLiteral("医療法人さくら会"), 3, 11, 0, QStringLiteral("B002"));
    }
    // The list row of a data set as the screen hands it over.
    TDataListRec row(int rec, const QString &company)
    {
        TDataListRec r;
        r.REC = rec;
        r.PASNAME = slot(rec);
        r.ENTTEXT = company;
        r.SHOUGOU = company;
        return r;
    }
    static void setStatus(const QString &folder, int status, int opCode, const QString &opName)
    {
        TDataInfomation info;
        TDataInfomationRec rec;
        info.ReadIniInfo(folder, rec);
        rec.Status = quint8(status);
        rec.OpCode = opCode;
        rec.OpName = opName;
        info.WriteIniFile(folder, QString(), rec);
    }
    static int iniStatus(const QString &folder)
    {
        TDataInfomation info;
        TDataInfomationRec rec;
        info.ReadIniInfo(folder, rec);
        return rec.Status;
    }
    void open(TDataSyosaiInfoBox &dlg, TDataListRec &r, int updateLock = 0)
    {
        dlg.ListRec = &r;
        dlg.DataPath = r.PASNAME;
        dlg.UpdateLock = updateLock;
        dlg.ListName = r.ENTTEXT;
        dlg.SetMode(1);
    }
    static QStringList strays(const QString &dir)
    {
        return QDir(dir).entryList({QStringLiteral("*.fd_"), QStringLiteral("*.fb_"), QStringLiteral("*.rs_")}, QDir::Files);
    }
};

} // namespace

TEST(DataSyosaiTexts, KindsAndTheShownFolder)
{
    const struct {
        int data, code;
        const char *text;
    } kinds[] = {{1, 1, "法人"},     {2, 1, "個人(一般)"},       {2, 2, "個人(不動産)"}, {3, 1, "医療法人"},
                 {2, 3, "個人(クリニック)"}, {2, 4, "個人(農業)"}, {1, 2, "設定なし"},     {0, 0, "設定なし"}};
    for (const auto &k : kinds) EXPECT_EQ(DataSyosaiKindText(k.data, k.code), QString::fromUtf8(k.text)) << k.text;
    EXPECT_EQ(DataSyosaiDisplayPath(QStringLiteral("/home/u/Acc/Data/0001"), QStringLiteral("/home/u/acc/"),
                                    QStringLiteral("ドルベル財務")),
              QStringLiteral("[ドルベル財務のデータ]/Data/0001"));
    EXPECT_EQ(DataSyosaiDisplayPath(QStringLiteral("/srv/0001"), QStringLiteral("/home/u/acc"), QStringLiteral("X")),
              QStringLiteral("/srv/0001"));
}

TEST_F(DataSyosaiInfoTest, WhatEachStatusShowsAndWhoMayClearIt)
{
    struct Case {
        const char *what;
        int status;   // written into the information file; -1 the database removed
        int holder;   // the holder's operator id
        int opLevel;  // 9: unrestricted operator
        const char *statusText;
        bool clear, ok, readOnly;
    };
    const int self = SystemDef.OpCode;
    const int other = 10000 * 10000 + 7;
    const Case cases[] = {
        {"free", 1, 0, 0, "－", false, true, false},
        {"in use by another operator", 2, other, 0, "使用中", false, true, false},
        {"in use by another, unrestricted operator", 2, other, 9, "使用中", true, true, false},
        {"in use by the operator himself", 2, self, 0, "使用中", true, true, false},
        {"locked by another operator", 3, other, 0, "データロック中", false, false, true},
        {"damaged", 10, 0, 9, "破損", false, false, false},
        {"no company database", -1, 0, 9, "－", true, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(TDataInfomation::IniFileOf(slot(2)));
        if (c.status < 0)
            QFile::remove(slot(2) + QStringLiteral("/vqacc.fdb"));
        else
            setStatus(slot(2), c.status, c.holder, QStringLiteral("佐藤"));
        SystemDef.OpLevel = c.opLevel;
        TDataListRec r = row(2, QStringLiteral("医療法人さくら会"));
        TDataSyosaiInfoBox dlg;
        open(dlg, r);
        EXPECT_EQ(dlg.lblStatus->text(), QString::fromUtf8(c.statusText));
        EXPECT_EQ(!dlg.cboxStatusClear->isHidden(), c.clear && c.status != 10);
        EXPECT_EQ(!dlg.btnOK->isHidden(), c.ok);
        EXPECT_EQ(dlg.IsReadOnly(), c.readOnly);
        EXPECT_EQ(dlg.txtListName->isReadOnly(), c.readOnly);
        EXPECT_EQ(dlg.cboxDataUpdateLock->isEnabled(), !c.readOnly);
        if (c.status == 3) {
            EXPECT_EQ(dlg.lblKana->text(), QStringLiteral("-"));
            EXPECT_EQ(dlg.lblBumonKanri->text(), QStringLiteral("-"));
            EXPECT_EQ(dlg.lblSitenKanri->text(), QStringLiteral("-"));
            EXPECT_EQ(dlg.lblSiwakeKensu->text(), QStringLiteral("-件"));
        }
        // The rebuild is offered for every local data set with a company.
        EXPECT_EQ(dlg.Keys[6]->CaptionA().Caption(), QStringLiteral("F7:再構築"));
    }
}

TEST_F(DataSyosaiInfoTest, InTheServerModesAnotherAttachmentIsNoStatusToClear)
{
    ConnectMode = 1;
    SystemDef.HostName = QStringLiteral("127.0.0.1"); // this machine: the databases open without a server
    SystemDef.OpLevel = 9;
    FbDatabase other;
    other.DatabaseName = slot(2) + QStringLiteral("/vqacc.fdb");
    other.Params = DatabaseParams();
    other.open();
    TDataListRec r = row(2, QStringLiteral("医療法人さくら会"));
    TDataSyosaiInfoBox dlg;
    open(dlg, r);
    EXPECT_EQ(dlg.Info().Status, 2);
    EXPECT_EQ(dlg.lblStatus->text(), QStringLiteral("使用中"));
    EXPECT_TRUE(dlg.cboxStatusClear->isHidden());
    EXPECT_FALSE(dlg.btnOK->isHidden());
    other.close();
}

TEST_F(DataSyosaiInfoTest, TheCompanyValuesTheListNameAndTheKeys)
{
    SystemDef.SysDef.AllSitenOperator = 1;
    TDataListRec r = row(1, QStringLiteral("サンプル株式会社"));
    r.ENTTEXT = QStringLiteral("本社データ");
    TDataSyosaiInfoBox dlg;
    open(dlg, r, 1);
    const TDataInfomationRec &info = dlg.Info();
    EXPECT_EQ(dlg.lblDataKbn->text(), DataSyosaiKindText(info.DataKbn, info.CodeKbn));
    EXPECT_EQ(dlg.lblName->text(), info.Shougou.isEmpty() ? QStringLiteral("設定なし") : info.Shougou);
    EXPECT_EQ(dlg.lblNendo->text(), info.Nendo > 0 ? QStringLiteral("%1期").arg(info.Nendo) : QStringLiteral("設定なし"));
    EXPECT_EQ(dlg.lblSiwakeKensu->text(), QStringLiteral("%1件").arg(info.Siwake));
    EXPECT_EQ(dlg.txtListName->text(), QStringLiteral("本社データ"));
    EXPECT_TRUE(dlg.cboxDataUpdateLock->isChecked());
    EXPECT_FALSE(dlg.lblDataSeigenMessage->isHidden());
    EXPECT_EQ(dlg.txtDataPath->toPlainText(), QStringLiteral("[%1のデータ]/data/0001").arg(AppInfo.Rirev.AppTitle));
    EXPECT_EQ(dlg.txtDataPath->toolTip(),
              slot(1) + QStringLiteral("|データの場所です。\r\n\r\n[%1のデータ]は、\"%2\"です。").arg(AppInfo.Rirev.AppTitle, root.root));
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(dlg.Keys[size_t(k)]->CaptionA().Caption(), QStringLiteral("F%1:").arg(k + 1));
        EXPECT_FALSE(dlg.Keys[size_t(k)]->isEnabled());
    }

    // An empty name asks whether to take the company name and keeps the dialog open.
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    dlg.txtListName->setText(QStringLiteral("　 "));
    dlg.btnOK->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("データリスト名が入力されていません。会社名を設定しますか？"));
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_EQ(dlg.txtListName->text(), info.Shougou);

    // Typed text stops at 40 bytes, on a whole character.
    dlg.txtListName->clear();
    for (int i = 0; i < 21; ++i) {
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("あ"));
        QApplication::sendEvent(dlg.txtListName, &typed);
    }
    EXPECT_EQ(dlg.txtListName->text(), QString(20, QChar(u'あ')));

    dlg.txtListName->setText(QStringLiteral("新しい名前"));
    dlg.cboxDataUpdateLock->setChecked(false);
    dlg.btnOK->click();
    EXPECT_EQ(dlg.result(), 1);
    EXPECT_EQ(dlg.ListName, QStringLiteral("新しい名前"));
    EXPECT_EQ(dlg.UpdateLock, 0);
    EXPECT_EQ(dlg.StatusClear, 0);

    // A shared data set kept on the shared server cannot be rebuilt from here.
    TDataListRec shared = row(1, QStringLiteral("サンプル株式会社"));
    shared.NETDRIVE = 1;
    shared.KYOYULOCK = 0;
    TDataSyosaiInfoBox dlg2;
    open(dlg2, shared);
    EXPECT_EQ(dlg2.Keys[6]->CaptionA().Caption(), QStringLiteral("F7:"));
    EXPECT_FALSE(dlg2.Keys[6]->isEnabled());
    dlg2.F1Click(dlg2.Keys[6]); // no box: the key is off
    fwtest::press(&dlg2, Qt::Key_F7);
    fwtest::release(&dlg2, Qt::Key_F7);
    EXPECT_EQ(boxes.shown.size(), 1);
}

TEST_F(DataSyosaiInfoTest, RebuildBacksUpAndRestoresTheDatabaseAndFreesIt)
{
    const QString db = slot(1) + QStringLiteral("/vqacc.fdb");
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), slot(1), false));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO OPINF (REC, OPCODE, JOBNAME) VALUES (1, 1, 'x')"));
    const QString company = scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT SHOUGOU FROM ACCDEF1 WHERE REC=1"));
    dm->fnAccDatDisConnected(slot(1), false, false);
    setStatus(slot(1), 10, 0, QString());

    TDataListRec r = row(1, QStringLiteral("サンプル株式会社"));
    TDataSyosaiInfoBox dlg;
    open(dlg, r);
    EXPECT_TRUE(dlg.btnOK->isHidden()); // damaged
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    boxes.answer(mrOk);
    dlg.F1Click(dlg.Keys[6]);
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("データの再構築を行いますか？\r"
                             "注意１）データサイズによりデータ再構築に時間がかかる場合があります。再構築中にコンピュータの電源は切らないで下さい。\r"
                             "注意２）破損データの場合はデータ再構築が適正に行われない場合があります。"));
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("データの再構築は適正に行われました。"));
    EXPECT_EQ(dlg.Rebuilt, 1);
    EXPECT_EQ(iniStatus(slot(1)), 1);
    EXPECT_EQ(dlg.lblStatus->text(), QStringLiteral("－"));
    EXPECT_FALSE(dlg.btnOK->isHidden());
    // The restored database: the same company, its operation log started afresh.
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), slot(1), false));
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT SHOUGOU FROM ACCDEF1 WHERE REC=1")), company);
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT COUNT(*) FROM OPINF")), QStringLiteral("0"));
    dm->fnAccDatDisConnected(slot(1), false, false);
    EXPECT_TRUE(strays(slot(1)).isEmpty());
    EXPECT_TRUE(QDir(SystemDef.TempDir).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(db));
}

// Whatever way the job ends badly, the database is the one it was before.
TEST_F(DataSyosaiInfoTest, AFailedRebuildPutsTheSafetyCopyBack)
{
    const QString db = slot(1) + QStringLiteral("/vqacc.fdb");
    struct Case {
        const char *what;
        bool raise;
        QStringList boxes;
    };
    const Case cases[] = {
        {"the job reports a failure", false, {}},
        {"the job raises an error", true, {QStringLiteral("データ再構築の処理に失敗しました。")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TDataListRec r = row(1, QStringLiteral("サンプル株式会社"));
        TDataSyosaiInfoBox dlg;
        open(dlg, r);
        QString jobDatabase;
        QByteArray before;
        dlg.RunRebuildJob = [&](TBackupRestoreThread &job) {
            jobDatabase = job.DatabasePath;
            before = testenv::readFile(job.DatabasePath);
            EXPECT_EQ(job.Mode, 3);
            EXPECT_EQ(job.RestoreOption, 1);
            // Half a restore: the database file is no longer what it was.
            testenv::writeFile(job.DatabasePath, QByteArray(4096, 'x'));
            job.Success = 0;
            if (c.raise) throw platform::Error(QStringLiteral("engine stopped"));
        };
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        for (int i = 0; i < c.boxes.size(); ++i) boxes.answer(mrOk);
        dlg.F1Click(dlg.Keys[6]);
        EXPECT_EQ(jobDatabase, db);
        ASSERT_EQ(boxes.shown.size(), 1 + c.boxes.size());
        for (int i = 0; i < c.boxes.size(); ++i) EXPECT_EQ(boxes.shown[1 + i].text, c.boxes[i]);
        EXPECT_EQ(dlg.Rebuilt, 0);
        EXPECT_FALSE(before.isEmpty());
        EXPECT_TRUE(testenv::readFile(db) == before);
        EXPECT_TRUE(strays(slot(1)).isEmpty());
    }
}

TEST_F(DataSyosaiInfoTest, TheRebuildHoldsTheDataLockOfTheListTheRowIsIn)
{
    ConnectMode = 1;
    SystemDef.HostName = QStringLiteral("127.0.0.1");
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO DATAPLACEMAN (REC, NAME, PATH) VALUES (2, '支社', '/srv/p2')"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO DATALIST_EX (DATAPLACEREC, REC, GROUPID, ENTTEXT, SHOUGOU, PASNAME) "
                                                  "VALUES (2, 1, 10000, 'サンプル', 'サンプル', '%1')").arg(slot(1)));
    auto locks = [this] {
        return scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT DATALOCK FROM DATALIST WHERE REC=1")) + u'/' +
               scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT DATALOCK FROM DATALIST_EX WHERE REC=1 AND DATAPLACEREC=2"));
    };
    TDataListRec r = row(1, QStringLiteral("サンプル株式会社"));
    TDataSyosaiInfoBox dlg;
    dlg.DataPlace = 2;
    open(dlg, r);
    QString during;
    dlg.RunRebuildJob = [&](TBackupRestoreThread &job) {
        during = locks();
        job.Success = 1;
    };
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    boxes.answer(mrOk);
    dlg.F1Click(dlg.Keys[6]);
    EXPECT_EQ(during, QStringLiteral("0/10")); // the data place's row, not the standard place's
    EXPECT_EQ(locks(), QStringLiteral("0/0"));
    EXPECT_EQ(dlg.Rebuilt, 1);
}

TEST_F(DataSyosaiInfoTest, NoRebuildWhileAnotherProgramHoldsTheData)
{
    HeldDataSet other(QStringLiteral(DATA_SET_HOLDER), slot(1), SystemDef.OpCode, SystemDef.OpName);
    ASSERT_TRUE(other.held()) << other.errors().toStdString();
    const QByteArray before = testenv::readFile(slot(1) + QStringLiteral("/vqacc.fdb"));
    TDataListRec r = row(1, QStringLiteral("サンプル株式会社"));
    TDataSyosaiInfoBox dlg;
    open(dlg, r);
    bool ran = false;
    dlg.RunRebuildJob = [&](TBackupRestoreThread &) { ran = true; };
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    dlg.F1Click(dlg.Keys[6]);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("現在、他のユーザーがデータに接続中です。他のユーザーがデータに接続している間はデータの再構築は行えません。"));
    EXPECT_FALSE(ran);
    other.kill();
    EXPECT_TRUE(testenv::readFile(slot(1) + QStringLiteral("/vqacc.fdb")) == before);
}

TEST_F(DataSyosaiInfoTest, Screenshots)
{
    struct Shot {
        const char *name;
        int status;
    };
    for (const Shot &s : {Shot{"DataSyosaiInfo-normal", 1}, Shot{"DataSyosaiInfo-inuse", 2}, Shot{"DataSyosaiInfo-damaged", 10}}) {
        setStatus(slot(2), s.status, SystemDef.OpCode, SystemDef.OpName);
        TDataListRec r = row(2, QStringLiteral("医療法人さくら会"));
        TDataSyosaiInfoBox dlg;
        open(dlg, r);
        fwtest::showActive(&dlg);
        const QImage img(fwtest::screenshot(&dlg, QString::fromUtf8(s.name)));
        EXPECT_FALSE(img.isNull());
        dlg.done(2);
    }
}
