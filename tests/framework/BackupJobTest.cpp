// The backup and restore job behind its progress window: the information
// block written and read, round trips, the result codes, and the
// individual-number confirmation, password and log.
#include "core/BufFileStream.h"
#include "dbaccess/BackupRestoreThread.h"
#include "dbaccess/BackupTool.h"
#include "dbaccess/Globals.h"
#include "dbaccess/z5ComMyNumber.h"
#include "framework/BackupRestoreRun.h"
#include "framework/FrameworkMessages.h"
#include "framework/xKeyControls.h"
#include "platform/Cp932.h"
#include "framework/z5InputDlg.h"
#include "support/CompanyRows.h"
#include "support/DbFixture.h"
#include "support/SchemaTemplates.h"
#include "support/TestEnv.h"
#include "dbaccess/DataRoot.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

const QString kGroup = QStringLiteral("基本設定");

class BackupJobTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        db = root.companyDir + QStringLiteral("/vqacc.fdb");
        companyrows::fill(db, testenv::kDbUser, testenv::kDbPassword, 30, 90);
        before = digest(db);
        out = testenv::freshDir(QStringLiteral("out"));
        SystemDef.LoginNo = 7;
        SystemDef.OpCode = 10007;
        SystemDef.OpName = QStringLiteral("担当者①");
        previousRunner = ModalRunner;
        InstallMyNumberPasswordPrompt();
    }
    void TearDown() override
    {
        ModalRunner = previousRunner;
        MyNumberPasswordPrompt = nullptr;
        SetMyNumberLogClock(nullptr);
        DbFixture::TearDown();
    }
    static QString digest(const QString &path) { return companyrows::digest(path, testenv::kDbUser, testenv::kDbPassword); }

    // The prompt answers the inputs in turn (an empty one cancels).
    void answerPasswords(const QStringList &inputs)
    {
        m_inputs = inputs;
        prompts.clear();
        ModalRunner = [this](QDialog &d) {
            auto *box = dynamic_cast<TInputDlgBox *>(&d);
            if (!box) return previousRunner(d);
            prompts << box->Message;
            if (m_inputs.isEmpty() || m_inputs.first().isEmpty()) {
                if (!m_inputs.isEmpty()) m_inputs.removeFirst();
                return 0;
            }
            box->txtInput->setText(m_inputs.takeFirst());
            box->btnOKClick();
            return box->result();
        };
    }

    // Marks the data as managing individual numbers, with its management password.
    void manageNumbers(const QString &path, const QString &password)
    {
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), QFileInfo(path).path(), false));
        dm->PutAccReg(kGroup, QStringLiteral("＃USE"), QStringLiteral("整数"), 1);
        dm->PutAccReg(kGroup, QStringLiteral("＃KEY"), QStringLiteral("文字"), EncipherMyNumberValue(password));
        dm->PutAccReg(kGroup, QStringLiteral("＃VALUE"), QStringLiteral("文字"), EncipherMyNumberValue(QStringLiteral("v-1")));
        dm->fnAccDatDisConnected(QString(), false, false);
    }
    struct Settings {
        int use = 0;
        QString key;
        QStringList log; // "state comment process"
    };
    Settings settingsOf(const QString &path)
    {
        Settings s;
        TMyNumberIO io;
        EXPECT_TRUE(io.LoadMyNumberSettings(QString(), path, QString(), QString()));
        s.use = io.UseMyNumber;
        s.key = io.Password;
        EXPECT_TRUE(io.LoadLogListOfData(QString(), path));
        for (const TMyNumberLogRec &r : io.LogList)
            s.log << QStringLiteral("%1 %2 %3").arg(r.FSTATE).arg(r.FCOMMENT, r.FPROCNAME);
        return s;
    }

    TBackupRestoreThread backupJob(const QString &file)
    {
        TBackupRestoreThread job;
        job.Mode = 0;
        job.DatabasePath = db;
        job.BackupFile = file;
        job.WriteHeader = 1;
        job.Shougou = QStringLiteral("㈱ソルテア①商事");
        job.Kishu = QStringLiteral("2025/04/01");
        job.Kimatu = QStringLiteral("2026/03/31");
        job.Siwake = 90;
        job.TotalSiwake = 95;
        job.DataVersion = QStringLiteral("11.2.3");
        job.Gassan = 1;
        job.ProcessName = QStringLiteral("ドルベル財務");
        return job;
    }

    QString db, before, out;
    QStringList prompts;
    std::function<int(QDialog &)> previousRunner;

private:
    QStringList m_inputs;
};

QString fresh(const QString &name)
{
    return testenv::freshDir(name) + QStringLiteral("/vqacc.fdb");
}

} // namespace

TEST_F(BackupJobTest, RoundTripWithTheInformationBlockThatTheToolRestoresOnceCut)
{
    // Method 1 goes through the file-manager database, or through the tool where there is none.
    const QString fileman = root.sysDir + QStringLiteral("/vqfileman.fdb");
    for (const int road : {0, 1, 2}) {
        SCOPED_TRACE(road);
        const int method = road == 0 ? 0 : 1;
        if (road == 2) {
            ASSERT_TRUE(QFile::rename(fileman, fileman + QStringLiteral(".away")));
        }
        const QString file = out + QStringLiteral("/m%1.fbk").arg(road);
        TBackupRestoreThread job = backupJob(file);
        job.Method = quint8(method);
        ASSERT_TRUE(RunBackupRestoreJob(job, nullptr, QStringLiteral("データの保存")));
        EXPECT_FALSE(job.ErrInfo.Error);
        EXPECT_TRUE(job.IsTerminated());

        QByteArray block;
        EXPECT_GT(FindTextInFile(file, BackupInfoMarker, block), 10000);
        EXPECT_EQ(block, platform::toCp932(QStringLiteral("## CorvenaZone\r\nSHOUGOU=㈱ソルテア①商事\r\nKISHU=2025/04/01\r\n"
                                                          "KIMATU=2026/03/31\r\nSIWAKE=90\r\nTOTALSIWAKE=95\r\n"
                                                          "DATAVARSION=11.2.3\r\nGASSAN=1\r\nUSEMYNUMBER=0\r\n")));

        TBackupRestoreThread reader;
        ASSERT_TRUE(reader.ReadBackupInfo(file, true));
        EXPECT_EQ(reader.Shougou, QStringLiteral("㈱ソルテア①商事"));
        EXPECT_EQ(reader.Kimatu, QStringLiteral("2026/03/31"));
        EXPECT_EQ(reader.TotalSiwake, 95);
        EXPECT_EQ(reader.DataVersion, QStringLiteral("11.2.3"));
        EXPECT_EQ(reader.Gassan, 1);
        // Cut: nothing more to read, the fields cleared.
        EXPECT_FALSE(reader.ReadBackupInfo(file, true));
        EXPECT_TRUE(reader.Shougou.isEmpty());
        EXPECT_EQ(reader.Siwake, 0);

        // The tool itself restores the cut file.
        if (road == 0) {
            const QString byTool = fresh(QStringLiteral("tool%1").arg(road));
            QProcess gbak;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("ISC_USER"), testenv::kDbUser);
            env.insert(QStringLiteral("ISC_PASSWORD"), testenv::kDbPassword);
            gbak.setProcessEnvironment(env);
            gbak.start(backuptool::gbakPath(), {QStringLiteral("-c"), file, byTool});
            ASSERT_TRUE(gbak.waitForFinished(60000));
            EXPECT_EQ(gbak.exitCode(), 0) << gbak.readAllStandardError().toStdString();
            EXPECT_EQ(digest(byTool), before);
        }
        if (road == 2) continue; // restoring is the same with or without the file-manager database

        // And the job restores it into a new folder.
        TBackupRestoreThread restore;
        restore.Mode = 1;
        restore.Method = quint8(method);
        restore.DatabasePath = fresh(QStringLiteral("job%1").arg(road));
        restore.BackupFile = file;
        restore.RestoreOption = 1;
        ASSERT_TRUE(RunBackupRestoreJob(restore, nullptr, QStringLiteral("データの復元")));
        EXPECT_EQ(digest(restore.DatabasePath), before);
        EXPECT_FALSE(dm->IBDatabaseDAT.connected());
        EXPECT_FALSE(dm->IBFileMan.connected());
        // No copy of the books stays in the server's work folder.
        EXPECT_TRUE(QDir(root.root + QStringLiteral("/temp")).entryList({QStringLiteral("vqacc*")}, QDir::Files).isEmpty());
    }
}

TEST_F(BackupJobTest, NoBlockWithoutACompanyNameAndForeignPathsAreRefused)
{
    const QString file = out + QStringLiteral("/plain.fbk");
    TBackupRestoreThread job = backupJob(file);
    job.Shougou.clear();
    ASSERT_TRUE(RunBackupRestoreJob(job, nullptr, QString()));
    QByteArray block;
    EXPECT_EQ(FindTextInFile(file, BackupInfoMarker, block), -1);

    struct Case {
        int mode;
        const char *code;
        const char *message2;
    };
    for (const Case c : {Case{0, "101", "データベースの保存処理を中止しました。"}, Case{1, "201", "データベースの復元処理を中止しました。"}}) {
        TBackupRestoreThread bad;
        bad.Mode = c.mode;
        bad.MyNumberCheck = 0;
        bad.DatabasePath = root.companyDir + QStringLiteral("/other.fdb");
        bad.BackupFile = file;
        EXPECT_FALSE(RunBackupRestoreJob(bad, nullptr, QString()));
        EXPECT_TRUE(bad.ErrInfo.Error);
        EXPECT_EQ(bad.ErrInfo.Code, QString::fromLatin1(c.code));
        EXPECT_EQ(bad.ErrInfo.Message, QStringLiteral("指定されたファイルはドルベル財務用のデータではありません。"));
        EXPECT_EQ(bad.ErrInfo.Message2, QString::fromUtf8(c.message2));
        EXPECT_EQ(bad.ErrInfo.Operation, c.mode == 0 ? QStringLiteral("BackupDatabase") : QStringLiteral("RestoreDatabase"));
    }
    EXPECT_EQ(digest(db), before);
}

TEST_F(BackupJobTest, RebuildOverTheSameDatabaseKeepsItsRows)
{
    for (const int method : {0, 1}) {
        SCOPED_TRACE(method);
        TBackupRestoreThread job;
        job.Mode = 3;
        job.Method = quint8(method);
        job.DatabasePath = db;
        job.BackupFile = out + QStringLiteral("/rebuild%1.fbk").arg(method);
        ASSERT_TRUE(RunBackupRestoreJob(job, nullptr, QString()));
        EXPECT_EQ(job.TargetPath, db);
        EXPECT_EQ(digest(db), before);
        EXPECT_TRUE(QDir(root.companyDir).entryList({QStringLiteral("*.rs_"), QStringLiteral("*.fb_")}, QDir::Files).isEmpty());
    }
}

TEST_F(BackupJobTest, AnAdministratorsBackupWithNumbersAsksThePasswordAndLogsIt)
{
    manageNumbers(db, QStringLiteral("abc123"));
    SystemDef.MyNumberAdmin = true;
    const QString file = out + QStringLiteral("/with.fbk");

    // Three wrong passwords stop the job before anything is saved.
    {
        ScriptedMessages boxes;
        boxes.answer(mrYes);
        answerPasswords({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")});
        TBackupRestoreThread job = backupJob(file);
        job.UseMyNumber = 1;
        job.Ask = 1;
        job.Log = 1;
        EXPECT_FALSE(RunBackupRestoreJob(job, nullptr, QString()));
        EXPECT_EQ(job.ErrInfo.Code, QStringLiteral("100"));
        EXPECT_EQ(job.ErrInfo.Message, QStringLiteral("データベースの保存処理を中止しました。"));
        EXPECT_TRUE(job.ErrInfo.Message2.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(file));
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("保存データにマイナンバー情報を含めますか？"));
        EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtConfirmation);
        EXPECT_EQ(prompts, (QStringList{QStringLiteral("マイナンバー管理パスワードを入力して下さい。"),
                                        QStringLiteral("正しいパスワードを入力して下さい。"),
                                        QStringLiteral("正しいパスワードを入力して下さい。")}));
    }
    // The right one on the second try (spaces around it do not count).
    {
        ScriptedMessages boxes;
        boxes.answer(mrYes);
        answerPasswords({QStringLiteral("nope"), QStringLiteral("　abc123 ")});
        TBackupRestoreThread job = backupJob(file);
        job.UseMyNumber = 1;
        job.Ask = 1;
        job.Log = 1;
        ASSERT_TRUE(RunBackupRestoreJob(job, nullptr, QString()));
        EXPECT_EQ(job.Answer, 6);
    }
    const Settings live = settingsOf(db);
    EXPECT_EQ(live.use, 1);
    EXPECT_EQ(live.key, QStringLiteral("abc123"));
    EXPECT_EQ(live.log, QStringList{QStringLiteral("6 マイナンバー情報を含むデータが保存されました。 ドルベル財務")});
    TBackupRestoreThread reader;
    ASSERT_TRUE(reader.ReadBackupInfo(file, true));
    EXPECT_EQ(reader.UseMyNumber, 1);
}

TEST_F(BackupJobTest, ABackupWithoutNumbersStripsThemFromTheCopyNeverFromTheLiveData)
{
    manageNumbers(db, QStringLiteral("abc123"));
    struct Case {
        const char *what;
        bool admin;
        int answer;
        QString box;
    };
    const Case cases[] = {
        {"the administrator answers No", true, mrNo, QStringLiteral("保存データにマイナンバー情報を含めますか？")},
        {"no administrator", false, mrOk, QStringLiteral("保存データにマイナンバー情報は含まれません。")},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SystemDef.MyNumberAdmin = c.admin;
        ScriptedMessages boxes;
        boxes.answer(c.answer);
        answerPasswords({});
        const QString file = out + QStringLiteral("/without%1.fbk").arg(++n);
        TBackupRestoreThread job = backupJob(file);
        job.UseMyNumber = 1;
        job.Ask = 1;
        job.Log = 1;
        ASSERT_TRUE(RunBackupRestoreJob(job, nullptr, QString()));
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, c.box);
        EXPECT_TRUE(prompts.isEmpty());
        EXPECT_EQ(job.Exclude, 1);
        EXPECT_EQ(job.UseMyNumber, 1); // the live data's flag again

        // The live data keeps everything and logs nothing.
        const Settings live = settingsOf(db);
        EXPECT_EQ(live.use, 1);
        EXPECT_EQ(live.key, QStringLiteral("abc123"));
        EXPECT_TRUE(live.log.isEmpty()) << live.log.join(u'|').toStdString();
        EXPECT_FALSE(QFileInfo::exists(root.companyDir + QStringLiteral("/vqacc.mn_")));

        // The backup carries neither the settings nor the flag.
        TBackupRestoreThread reader;
        ASSERT_TRUE(reader.ReadBackupInfo(file, true));
        EXPECT_EQ(reader.UseMyNumber, 0);
        if (n > 1) continue; // the copy is made the same way in both cases
        const QString restored = fresh(QStringLiteral("stripped%1").arg(n));
        ASSERT_TRUE(dm->RestoreFDB(TDM::ProtocolLocal, QString(), restored, file, true));
        const Settings copy = settingsOf(restored);
        EXPECT_EQ(copy.use, 0);
        EXPECT_TRUE(copy.key.isEmpty());
        EXPECT_EQ(copy.log, QStringList{QStringLiteral("3 マイナンバー情報が削除されました。 ドルベル財務＞データ保存")});
        EXPECT_EQ(digest(restored), before);
    }
}

TEST_F(BackupJobTest, RestoringDataWithoutNumbersOverDataWithThemIsRefused)
{
    const QString file = out + QStringLiteral("/plain.fbk");
    {
        TBackupRestoreThread job = backupJob(file);
        ASSERT_TRUE(RunBackupRestoreJob(job, nullptr, QString()));
    }
    manageNumbers(db, QStringLiteral("abc123"));
    const QString managed = digest(db);
    TBackupRestoreThread restore;
    restore.Mode = 1;
    restore.DatabasePath = db;
    restore.BackupFile = file;
    ASSERT_TRUE(restore.ReadBackupInfo(file, true));
    EXPECT_EQ(restore.UseMyNumber, 0);
    EXPECT_FALSE(RunBackupRestoreJob(restore, nullptr, QString()));
    EXPECT_EQ(restore.ErrInfo.Code, QStringLiteral("200"));
    EXPECT_EQ(restore.ErrInfo.Message, QStringLiteral("マイナンバー情報を管理しているデータへの復元はおこなえません。"));
    EXPECT_EQ(restore.ErrInfo.Message2, QStringLiteral("データベースの復元処理を中止しました。"));
    EXPECT_EQ(settingsOf(db).use, 1);
    EXPECT_EQ(digest(db), managed);
}

TEST_F(BackupJobTest, RestoringDataWithNumbersLogsItAndKeepsTheReplacedLog)
{
    manageNumbers(db, QStringLiteral("abc123"));
    SystemDef.MyNumberAdmin = false;
    const QString file = out + QStringLiteral("/with.fbk");
    {
        TBackupRestoreThread job = backupJob(file);
        job.UseMyNumber = 1;
        job.Log = 1; // no question asked: the numbers go in
        ASSERT_TRUE(RunBackupRestoreJob(job, nullptr, QString()));
        EXPECT_EQ(job.Answer, 6);
    }
    // Later events of the live data, which the restore replaces.
    TMyNumberIO io;
    TMyNumberLogRec later;
    io.MakeLogRec(later, 4, QStringLiteral("参照画面"));
    ASSERT_TRUE(io.AddLogToData(later, QString(), db));

    TBackupRestoreThread restore;
    restore.Mode = 1;
    restore.DatabasePath = db;
    restore.BackupFile = file;
    restore.Log = 1;
    restore.ProcessName = QStringLiteral("データ受信");
    ASSERT_TRUE(restore.ReadBackupInfo(file, true));
    EXPECT_EQ(restore.UseMyNumber, 1);
    ASSERT_TRUE(RunBackupRestoreJob(restore, nullptr, QString()));
    EXPECT_EQ(restore.Answer, 7);
    const Settings s = settingsOf(db);
    EXPECT_EQ(s.use, 1);
    EXPECT_EQ(s.key, QStringLiteral("abc123"));
    EXPECT_EQ(s.log, (QStringList{QStringLiteral("6 マイナンバー情報を含むデータが保存されました。 ドルベル財務"),
                                  QStringLiteral("4 マイナンバー情報が参照されました。 参照画面"),
                                  QStringLiteral("7 マイナンバー情報を含むデータが受信されました。 データ受信")}));
    EXPECT_EQ(digest(db), before);
}

// Through the Firebird server on loopback: the backup file travels inside a
// row of the file-manager database, from and to the server's work folder,
// whose path holds an apostrophe here.
TEST_F(BackupJobTest, TheServerRoadCarriesTheBackupThroughTheFileManagerDatabase)
{
    const QString host = qEnvironmentVariable("SOLTEA_TEST_FB_HOST");
    if (host.isEmpty()) GTEST_SKIP() << "no Firebird server on loopback (SOLTEA_TEST_FB_HOST is not set)";
    const DataRootInfo quoted = CreateDataRoot(testenv::freshDir(QStringLiteral("it's root")), testenv::kDbUser, testenv::kDbPassword);
    if (!quoted.fileProcedures) GTEST_SKIP() << "the engine has no module of the file procedures";
    const QString company = quoted.companyDir + QStringLiteral("/vqacc.fdb");
    companyrows::fill(company, testenv::kDbUser, testenv::kDbPassword, 30, 90);
    ASSERT_EQ(digest(company), before);
    SystemDef.SysDir = quoted.sysDir;
    SystemDef.HostName = host;
    ConnectMode = 1;
    const QString work = quoted.root + QStringLiteral("/temp");

    const QString file = out + QStringLiteral("/server.fbk");
    TBackupRestoreThread job = backupJob(file);
    job.Method = 1;
    job.Host = host;
    job.DatabasePath = company;
    ASSERT_TRUE(RunBackupRestoreJob(job, nullptr, QString())) << job.ErrInfo.Code.toStdString() << " "
                                                               << job.ErrInfo.Message2.toStdString();
    EXPECT_FALSE(dm->IBFileMan.connected());
    // Nothing of the books stays on the server.
    EXPECT_TRUE(QDir(work).entryList(QDir::Files).isEmpty()) << QDir(work).entryList(QDir::Files).join(u' ').toStdString();
    TBackupRestoreThread reader;
    ASSERT_TRUE(reader.ReadBackupInfo(file, true));

    // Other rows in the data set, then the backup restored over it through the server.
    companyrows::fill(company, testenv::kDbUser, testenv::kDbPassword, 5, 5, 5000);
    ASSERT_NE(digest(company), before);
    TBackupRestoreThread restore;
    restore.Mode = 1;
    restore.Method = 1;
    restore.Host = host;
    restore.DatabasePath = company;
    restore.BackupFile = file;
    restore.RestoreOption = 1;
    ASSERT_TRUE(RunBackupRestoreJob(restore, nullptr, QString())) << restore.ErrInfo.Code.toStdString() << " "
                                                                   << restore.ErrInfo.Message2.toStdString();
    dm->IBDatabaseDEF.close();
    EXPECT_EQ(digest(company), before);
    EXPECT_TRUE(QDir(work).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(quoted.companyDir).entryList({QStringLiteral("*.rs_")}, QDir::Files).isEmpty());

    // The server's functions refuse a file outside its work folder.
    ASSERT_TRUE(dm->fnFileManConnected(host));
    {
        TransactionGuard g(dm->IBTransFileMan);
        FbQuery q(&dm->IBFileMan, &dm->IBTransFileMan);
        q.setSql(QStringLiteral("SELECT SP_FILETOBLOB(:P) FROM RDB$DATABASE"));
        q.paramByName(QStringLiteral("P")).setString(quoted.sysDir + QStringLiteral("/vqaccdef.fdb"));
        try {
            q.open();
            ADD_FAILURE() << "a file outside the work folder was read";
        } catch (const FbError &e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("作業フォルダ以外のファイルは転送できません。"))) << e.message().toStdString();
        }
    }
    dm->IBFileMan.close();
}
