// The wizard's check of a data set found unusable: the engine's validation
// tells damage apart from a healthy data set that another attachment holds,
// against real databases; a damaged one is marked in the list and in its
// information file, and the data-selection screen's details show it so.
#include "support/TestEnv.h"
#include "support/CompanyRows.h"
#include "support/DbFixture.h"
#include "support/HeldDataSet.h"
#include "support/SchemaTemplates.h"

#include "app/MainForm.h"
#include "datasets/DataSentaku.h"
#include "datasets/DataSyosaiInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/xPlButton.h"
#include "platform/IniFile.h"
#include "platform/RegistryStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QTableWidget>

#include <memory>

using platform::RegRoot;
using platform::RegistryStore;

namespace {

const QString kDamagedText = QStringLiteral(
    "データ検証の結果、このデータは破損している恐れがあります。\rデータのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。\r"
    "ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。");

class DamageCheckTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        const QString dir = testenv::freshDir(QStringLiteral("program"));
        QFile::copy(QStringLiteral(PROJECT_RESOURCES_DIR "/AppInfo.ini"), dir + QStringLiteral("/AppInfo.ini"));
        SetAppInfoDefaults(AppInfo);
        const QString key = AppInfo.Application.RegKey + QStringLiteral("\\DORVELZAIMU11");
        RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Product"), QStringLiteral("ドルベル財務"));
        RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Version"), QStringLiteral("11.0.0"));
        InstallDataInfoHooks();
        m_runner = ModalRunner;
        m_form = std::make_unique<TForm1>();
        ASSERT_TRUE(m_form->FormCreate({}, dir + QStringLiteral("/soltea-rendo")));
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        SystemDef.OpCode = 10000 * 10000 + 10;
        SystemDef.OpName = QStringLiteral("山田");
        SystemDef.DataRootDir = root.root;
        addCompany(2);
        describeDataSet(2, QStringLiteral("医療法人さくら会"), 3, 11, 0, QStringLiteral("B002"));
        db = slot(2) + QStringLiteral("/vqacc.fdb");
    }
    void TearDown() override
    {
        ModalRunner = m_runner;
        m_form.reset();
        DbFixture::TearDown();
    }
    // What the check left: its answer, the damaged flag, the list's mark and the information file's status.
    QString outcome(int answer)
    {
        const QString status = platform::IniFile(TDataInfomation::IniFileOf(slot(2))).readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS"));
        return QStringLiteral("%1/%2/%3/%4")
            .arg(answer)
            .arg(SystemDef.DataDamaged)
            .arg(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT DATA_STATUS FROM DATALIST WHERE REC=2")))
            .arg(status.isEmpty() ? QStringLiteral("-") : status);
    }
    std::unique_ptr<TForm1> m_form;
    std::function<int(QDialog &)> m_runner;
    QString db;
};

} // namespace

TEST_F(DamageCheckTest, AHealthyDataSetHeldByAnotherAttachmentIsNotMarkedDamaged)
{
    ScriptedMessages boxes; // no box may come
    {
        // Another attachment of this program.
        FbDatabase other;
        other.DatabaseName = db;
        other.Params = DatabaseParams();
        other.open();
        EXPECT_EQ(outcome(CheckDataByHook(QString(), slot(2), 1, 0)), QStringLiteral("1/0/0/-"));
        other.close();
    }
    {
        // Another program, whose engine keeps the file locked.
        HeldDataSet program(QStringLiteral(DATA_SET_HOLDER), slot(2), 10000 * 10000 + 7, QStringLiteral("佐藤"));
        ASSERT_TRUE(program.held()) << program.errors().toStdString();
        EXPECT_EQ(outcome(CheckDataByHook(QString(), slot(2), 1, 0)), QStringLiteral("1/0/0/2"));
    }
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(DamageCheckTest, OnADatabaseServerAnotherAttachmentIsNoDamageEither)
{
    const QString host = qEnvironmentVariable("SOLTEA_TEST_FB_HOST");
    if (host.isEmpty()) GTEST_SKIP() << "no Firebird server on loopback (SOLTEA_TEST_FB_HOST is not set)";
    ConnectMode = 1;
    SystemDef.HostName = host;
    ScriptedMessages boxes;
    FbDatabase other;
    other.DatabaseName = host + u':' + db;
    other.Params = DatabaseParams();
    other.open();
    EXPECT_EQ(outcome(CheckDataByHook(host, slot(2), 1, 0)), QStringLiteral("1/0/0/-"));
    other.close();
    // With nobody else attached the server validates it and finds it sound.
    EXPECT_EQ(outcome(CheckDataByHook(host, slot(2), 1, 0)), QStringLiteral("1/0/0/-"));
    ConnectMode = 0;
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(DamageCheckTest, ADatabaseWithDamagedPagesIsMarkedDamaged)
{
    companyrows::fill(db, testenv::kDbUser, testenv::kDbPassword, 40, 120);
    ASSERT_TRUE(companyrows::damagePages(db));
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_EQ(outcome(CheckDataByHook(QString(), slot(2), 1, 0)), QStringLiteral("0/1/1/10"));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, kDamagedText);
    // Quietly, with no box.
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET DATA_STATUS=0 WHERE REC=2"));
    EXPECT_EQ(outcome(CheckDataByHook(QString(), slot(2), 1, 1)), QStringLiteral("0/1/1/10"));
    EXPECT_EQ(boxes.shown.size(), 1);
}

// The details of a damaged data set: the check marks it, the dialog names it
// damaged and offers neither OK nor the clearing, and the row turns red.
TEST_F(DamageCheckTest, TheDetailsOfADamagedDataSetShowItSo)
{
    ASSERT_TRUE(dm->fnGetSysDef());
    SystemDef.DataCheckKbn = 1;
    companyrows::fill(db, testenv::kDbUser, testenv::kDbPassword, 40, 120);
    ASSERT_TRUE(companyrows::damagePages(db));
    TDataSentakuBox box;
    box.KeepOnClose = true;
    box.SetParams({QStringLiteral("SyoriType=0")});
    box.Prepare(true);
    int row = -1;
    for (int i = 0; i < box.PerfectGrid1->rowCount(); ++i)
        if (box.RowFolderPath(i) == slot(2)) row = i;
    ASSERT_GE(row, 0);
    box.PerfectGrid1->setCurrentCell(row, dcName);
    QString status, rebuildKey;
    bool okShown = true, clearShown = true;
    ModalRunner = [&](QDialog &d) {
        auto &dlg = dynamic_cast<TDataSyosaiInfoBox &>(d);
        status = dlg.lblStatus->text();
        okShown = !dlg.btnOK->isHidden();
        clearShown = !dlg.cboxStatusClear->isHidden();
        rebuildKey = dlg.Keys[6]->CaptionA().Caption();
        return 2;
    };
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    box.btnDataInfo->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, kDamagedText);
    EXPECT_EQ(status, QStringLiteral("破損"));
    EXPECT_FALSE(okShown);
    EXPECT_FALSE(clearShown);
    EXPECT_EQ(rebuildKey, QStringLiteral("F7:再構築"));
    EXPECT_EQ(box.RowRecord(row)->DATA_STATUS, 1);
    EXPECT_EQ(box.PerfectGrid1->item(row, dcName)->background().color(), QColor(255, 0, 0));
    EXPECT_EQ(box.PerfectGrid1->item(row, dcStatus)->text(), QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT DATA_STATUS FROM DATALIST WHERE REC=2")), QStringLiteral("1"));
}
