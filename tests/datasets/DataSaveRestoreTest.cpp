// Saving a data set into a backup file and restoring it from the
// data-selection screen: the location dialogs, the refused folders, the
// overwrite question, the merge-kind patterns, the comparison, a failed
// restore, and the backup and restore runs of processing type 5.
#include "support/TestEnv.h"

#include "datasets/DataSaveRestore.h"
#include "datasets/DataSentaku.h"
#include "datasets/z5FileOperationDlg.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/BackupRestoreThread.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/DataRoot.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageDlg.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "platform/IniFile.h"
#include "support/CompanyRows.h"
#include "support/DbFixture.h"
#include "support/SchemaTemplates.h"
#include "../framework/FrameworkTestUtil.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTableWidget>

namespace {

class DataSaveRestoreTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SetAppInfoDefaults(AppInfo);
        SystemDef.OpCode = 100010;
        SystemDef.OpName = QStringLiteral("山田");
        SystemDef.OpLevel = 9;
        SystemDef.DataRootDir = root.root;
        SystemDef.TempDir = testenv::freshDir(QStringLiteral("datatemp"));
        SystemDef.IniDir = testenv::freshDir(QStringLiteral("ini"));
        SystemDef.DocumentDir = testenv::freshDir(QStringLiteral("documents"));
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        ASSERT_TRUE(dm->fnGetSysDef());
        InstallDataInfoHooks();
        m_runner = ModalRunner;
        describeDataSet(1, QStringLiteral("サンプル株式会社"), 1, 11, 0, QStringLiteral("A001"));
        addCompany(2);
        setCompany(slot(2), QStringLiteral("医療法人さくら会"), 0);
        describeDataSet(2, QStringLiteral("医療法人さくら会"), 3, 11, 0, QStringLiteral("B002"));
        SystemDef.DataDir = slot(1);
        ModalRunner = [this](QDialog &d) { return workDialog(d); };
    }
    void TearDown() override
    {
        ModalRunner = m_runner;
        DbFixture::TearDown();
    }

    // The location dialogs take the next queued place: "" cancels, "*" the default place.
    int workDialog(QDialog &d)
    {
        ++m_dialogs;
        if (m_places.isEmpty()) return 2;
        const QString place = m_places.takeFirst();
        if (place.isEmpty()) return 2;
        auto *ex = dynamic_cast<TFileOperationBoxEx1 *>(&d);
        auto *box = dynamic_cast<TFileOperationBox *>(&d);
        if (!box) return 2;
        if (ex && place == u"*") {
            ex->SetSelection(2);
        } else {
            if (ex) ex->SetSelection(1);
            box->SelectPlace(place);
        }
        box->btnOKClick();
        return box->result();
    }
    // Company name and merge kind of a company database.
    static void setCompany(const QString &folder, const QString &name, int gassan)
    {
        FbDatabase db;
        db.DatabaseName = folder + u'/' + Product.DataFile;
        db.Params = companyrows::params(testenv::kDbUser, testenv::kDbPassword);
        db.open();
        FbTransaction tr(&db, {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
        tr.startTransaction();
        FbQuery q(&db, &tr);
        q.setSql(QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU=:S, ENTTEXT=:S WHERE REC=1"));
        q.paramByName(QStringLiteral("S")).setString(name);
        q.execSQL();
        q.setSql(QStringLiteral("UPDATE ACCREG SET ATEXT=:K WHERE AGROUP='基本設定' AND ACODE='合算データ区分'"));
        q.paramByName(QStringLiteral("K")).setString(QString::number(gassan));
        q.execSQL();
        tr.commit();
        db.close();
    }
    static QString digest(const QString &folder)
    {
        return companyrows::digest(folder + u'/' + Product.DataFile, testenv::kDbUser, testenv::kDbPassword);
    }
    static void addBooks(const QString &folder, int journal, int first)
    {
        companyrows::fill(folder + u'/' + Product.DataFile, testenv::kDbUser, testenv::kDbPassword, 1, journal, first);
    }
    static int iniStatus(const QString &folder)
    {
        TDataInfomation info;
        TDataInfomationRec rec;
        info.ReadIniInfo(folder, rec);
        return rec.Status;
    }
    std::unique_ptr<TDataSentakuBox> screen(const QStringList &params = {QStringLiteral("SyoriType=0")})
    {
        auto box = std::make_unique<TDataSentakuBox>();
        box->KeepOnClose = true;
        box->SetParams(params);
        box->Prepare(true);
        return box;
    }
    static int rowOf(const TDataSentakuBox &box, const QString &folder)
    {
        for (int i = 0; i < box.PerfectGrid1->rowCount(); ++i)
            if (box.RowFolderPath(i) == folder) return i;
        return -1;
    }
    static void focusRow(TDataSentakuBox &box, const QString &folder)
    {
        const int row = rowOf(box, folder);
        ASSERT_GE(row, 0);
        box.PerfectGrid1->setCurrentCell(row, dcNo);
    }
    // Makes slot 1 a merged data set (kind `kind`) with one distributed copy.
    void makeMerged(TDataSentakuBox &box, int kind)
    {
        setCompany(slot(1), QStringLiteral("サンプル株式会社"), kind);
        CreateCompanyDatabase(slot(1) + QStringLiteral("/b001"), testenv::kDbUser, testenv::kDbPassword);
        setCompany(slot(1) + QStringLiteral("/b001"), QStringLiteral("サンプル株式会社"), 10);
        box.DataListRefresh(rowOf(box, slot(1)));
    }
    int childRows() { return scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM CHILD_DATALIST WHERE REC=1")).toInt(); }
    // Saves the data set of `folder` into `dest` with the location dialog.
    void saveTo(const QString &folder, const QString &dest)
    {
        auto box = screen();
        focusRow(*box, folder);
        m_places << dest;
        ASSERT_EQ(box->SaveData(QString()), 1);
    }

    std::function<int(QDialog &)> m_runner;
    QStringList m_places;
    int m_dialogs = 0;
};

QStringList texts(const ScriptedMessages &boxes)
{
    QStringList out;
    for (const MessageRequest &r : boxes.shown) out << r.text;
    return out;
}

} // namespace

TEST(DataSaveRestoreRules, ForbiddenPatternsAndMergedSettings)
{
    // source, target, forbidden
    const int patterns[][3] = {{0, 1, 1}, {0, 2, 1}, {10, 1, 1}, {10, 2, 1}, {1, 2, 1}, {2, 1, 1},
                               {0, 0, 0}, {1, 1, 0}, {2, 2, 0}, {1, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    for (const auto &p : patterns)
        EXPECT_EQ(RestorePatternForbidden(p[0], p[1]), p[2] == 1) << p[0] << " onto " << p[1];
    EXPECT_EQ(RestorePatternLines().size(), 5);

    // mode, source, row, children -> written, kubun, count
    const int settings[][7] = {{1, 1, 1, 3, 1, 0, 0}, {0, 1, 2, 3, 1, 2, 3}, {0, 2, 10, 0, 1, 10, 0}, {0, 10, 0, 0, 1, 0, 0},
                               {0, 10, 1, 2, 1, 0, 0}, {0, 0, 10, 0, 1, 10, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 1, 2, 0, 0, 0}};
    for (const auto &s : settings) {
        int kubun = -1, count = -1;
        EXPECT_EQ(RestoredGassanSettings(s[0], s[1], s[2], s[3], kubun, count), s[4] == 1) << s[1] << " into " << s[2];
        if (s[4] == 1) {
            EXPECT_EQ(kubun, s[5]);
            EXPECT_EQ(count, s[6]);
        }
    }
}

TEST(DataSaveRestoreRules, TheDifferenceLinesOfTheComparison)
{
    TRestoreSourceInfo from, to;
    from.Shougou = to.Shougou = QStringLiteral("サンプル株式会社");
    from.Kishu = to.Kishu = QStringLiteral("2024/04/01");
    from.Kimatu = to.Kimatu = QStringLiteral("2025/03/31");
    from.TotalSiwake = 1200;
    to.TotalSiwake = 1200;
    EXPECT_TRUE(RestoreDifferenceLines(QStringLiteral("復元"), from, to, false).isEmpty());
    to.TotalSiwake = 1000; // more journal entries in the backup: no difference
    EXPECT_TRUE(RestoreDifferenceLines(QStringLiteral("復元"), from, to, false).isEmpty());

    to.Shougou = QStringLiteral("別会社");
    to.Kimatu = QStringLiteral("2025/12/31");
    to.TotalSiwake = 12345;
    const QStringList expected{QStringLiteral("会社名に違いがありました。"),
                               QStringLiteral("　【復元元】：サンプル株式会社"),
                               QStringLiteral("　【復元先】：別会社"),
                               QStringLiteral("　注）復元を続行した場合は配下の分散データは削除されます。"),
                               QString(),
                               QStringLiteral("期末に違いがありました。"),
                               QStringLiteral("　【復元元】：2025/03/31"),
                               QStringLiteral("　【復元先】：2025/12/31"),
                               QString(),
                               QStringLiteral("仕訳件数(修正・削除仕訳含む)が減っています。"),
                               QStringLiteral("　【復元元】：1,200 件"),
                               QStringLiteral("　【復元先】：12,345 件"),
                               QString()};
    EXPECT_EQ(RestoreDifferenceLines(QStringLiteral("復元"), from, to, true), expected);
}

TEST_F(DataSaveRestoreTest, SavedBooksComeBackWithTheRestore)
{
    addBooks(slot(1), 5, 1);
    const QString before = digest(slot(1));
    const QString dest = testenv::sandbox() + QStringLiteral("/usb/backup");
    auto box = screen();
    fwtest::showActive(box.get());
    box->PerfectGrid1->setFocus(Qt::OtherFocusReason);
    focusRow(*box, slot(1));
    box->UpdateFunctionKeys();
    EXPECT_EQ(box->F6->CaptionA().Caption(), QStringLiteral("F6:保存"));
    EXPECT_EQ(box->F7->CaptionA().Caption(), QStringLiteral("F7:復元"));

    m_places << dest;
    {
        ScriptedMessages boxes; // nothing to ask: a missing destination is made
        box->F6->click();
        EXPECT_TRUE(boxes.shown.isEmpty()) << texts(boxes).join(u'|').toStdString();
    }
    const QString backup = dest + QStringLiteral("/vqacc.fbk");
    ASSERT_TRUE(QFileInfo::exists(backup));
    EXPECT_TRUE(testenv::readFile(backup).contains(BackupInfoMarker));
    EXPECT_EQ(iniStatus(slot(1)), 1);
    EXPECT_EQ(platform::IniFile(SystemDef.IniDir + QStringLiteral("/history.ini")).readString(QStringLiteral("DataBackFolder"), QStringLiteral("HIST1")),
              dest);
    TFileOperationBox *saveDlg = box->SaveRestore().SaveDialog();
    ASSERT_TRUE(saveDlg);
    EXPECT_EQ(saveDlg->windowTitle(), QStringLiteral("データの保存"));
    EXPECT_EQ(saveDlg->lblMain->text(), QStringLiteral("選択中のデータを保存します。"));

    // The books change; the restore brings the saved ones back after the comparison is agreed.
    addBooks(slot(1), 3, 100);
    setCompany(slot(1), QStringLiteral("サンプル商事"), 0);
    ASSERT_NE(digest(slot(1)), before);
    m_places << dest;
    ScriptedMessages boxes;
    boxes.answer(mrCancel); // not agreed: nothing happens
    box->PerfectGrid1->setFocus(Qt::OtherFocusReason);
    box->UpdateFunctionKeys();
    box->F7->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("データ照合チェックの結果"));
    EXPECT_EQ(boxes.shown[0].buttons, TMsgDlgButtons(mbOK | mbCancel));
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("以下の項目に違いが検出されました。\r会社名に違いがありました。\r"
                                                              "　【復元元】：サンプル株式会社\r　【復元先】：サンプル商事")));
    EXPECT_NE(digest(slot(1)), before);
    EXPECT_EQ(iniStatus(slot(1)), 1);
    m_places << dest;
    boxes.answer(mrOk);
    EXPECT_EQ(box->RestoreData(QString()), 1);
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(digest(slot(1)), before);
    EXPECT_EQ(iniStatus(slot(1)), 1);
    EXPECT_EQ(box->SaveRestore().LastRestoreSource().Shougou, QStringLiteral("サンプル株式会社"));
    TFileOperationBoxEx1 *restoreDlg = box->SaveRestore().RestoreDialog();
    ASSERT_TRUE(restoreDlg);
    EXPECT_EQ(restoreDlg->btnSelect1->text(), QStringLiteral("保存先の場所を選択して復元する"));
    EXPECT_EQ(restoreDlg->btnSelect2->text(), QStringLiteral("プログラムの既定の保存先の場所より復元する"));
    EXPECT_TRUE(QDir(SystemDef.TempDir).entryList(QDir::Files).isEmpty());

    // The same backup again: nothing differs, so no box is shown.
    m_places << dest;
    ScriptedMessages quiet;
    EXPECT_EQ(box->RestoreData(QString()), 1);
    EXPECT_TRUE(quiet.shown.isEmpty());
    box->done(2);
}

TEST_F(DataSaveRestoreTest, TheTemporaryFolderIsRefusedAndAnExistingBackupNeedsConsent)
{
    const QString dest = testenv::freshDir(QStringLiteral("media"));
    auto box = screen();
    focusRow(*box, slot(1));
    m_places << SystemDef.TempDir << dest;
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        EXPECT_EQ(box->SaveData(QString()), 1);
        EXPECT_EQ(texts(boxes), QStringList{QStringLiteral("このフォルダは選択出来ません。他の場所を選んで下さい。")});
    }
    EXPECT_EQ(m_dialogs, 2); // the dialog came back after the refusal
    EXPECT_FALSE(QFileInfo::exists(SystemDef.TempDir + QStringLiteral("/vqacc.fbk")));
    const QString backup = dest + QStringLiteral("/vqacc.fbk");
    const QByteArray first = testenv::readFile(backup);

    setCompany(slot(1), QStringLiteral("変更後商事"), 0);
    const QString overwrite = QStringLiteral("この場所には、同じ名前のバックアップファイルが既に存在します。\r上書きしますか？");
    {
        ScriptedMessages boxes;
        boxes.answer(mrCancel);
        m_places << dest;
        EXPECT_EQ(box->SaveData(QString()), 0);
        EXPECT_EQ(texts(boxes), QStringList{overwrite});
        EXPECT_EQ(testenv::readFile(backup), first);
        EXPECT_EQ(iniStatus(slot(1)), 1);
    }
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        m_places << dest;
        EXPECT_EQ(box->SaveData(QString()), 1);
        EXPECT_EQ(texts(boxes), QStringList{overwrite});
        EXPECT_NE(testenv::readFile(backup), first);
        TBackupRestoreThread header;
        ASSERT_TRUE(header.ReadBackupInfo(backup, false));
        EXPECT_EQ(header.Shougou, QStringLiteral("変更後商事"));
    }
    // Cancelling the dialog saves nothing.
    m_places << QString();
    EXPECT_EQ(box->SaveData(QString()), 0);
}

TEST_F(DataSaveRestoreTest, NormalDataOntoAMergedRowIsRefused)
{
    const QString dest = testenv::freshDir(QStringLiteral("normal"));
    saveTo(slot(2), dest);
    auto box = screen();
    makeMerged(*box, 1);
    ASSERT_EQ(childRows(), 1);
    const QString before = digest(slot(1));
    focusRow(*box, slot(1));
    m_places << dest;
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_EQ(box->RestoreData(QString()), -1);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("警告"));
    const QString text = boxes.shown[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("復元先の合算データ区分が妥当ではありません。\rデータリストの空行を選んで処理を行って下さい。")));
    for (const QString &line : RestorePatternLines()) EXPECT_TRUE(text.contains(line)) << line.toStdString();
    EXPECT_EQ(digest(slot(1)), before);
    EXPECT_EQ(childRows(), 1);
    EXPECT_TRUE(QFileInfo::exists(slot(1) + QStringLiteral("/b001/vqacc.fdb")));
    EXPECT_EQ(iniStatus(slot(1)), 1);

    // The box as the screen shows it.
    TMessageBox shown;
    shown.Mode = 1;
    shown.Caption = QStringLiteral("警告");
    shown.MainText = QStringLiteral("復元先の合算データ区分が妥当ではありません。\rデータリストの空行を選んで処理を行って下さい。");
    shown.MainColor = Qt::red;
    shown.SetMessageLines(RestorePatternLines());
    shown.Prepare(true);
    fwtest::showActive(&shown);
    EXPECT_FALSE(QImage(fwtest::screenshot(&shown, QStringLiteral("restore_forbidden_pattern"))).isNull());
    shown.done(1);
}

TEST_F(DataSaveRestoreTest, AFailedRestoreLeavesTheMergedDataSetAndItsChildren)
{
    setCompany(slot(2), QStringLiteral("別会社"), 1);
    const QString dest = testenv::freshDir(QStringLiteral("merged"));
    saveTo(slot(2), dest);
    auto box = screen();
    makeMerged(*box, 1);
    ASSERT_EQ(childRows(), 1);
    const QString before = digest(slot(1));
    focusRow(*box, slot(1));

    // The restore job fails; when it starts (the moment a kill could come) nothing is removed yet.
    int restoreRuns = 0;
    box->SaveRestore().RunJob = [&](TBackupRestoreThread &job) {
        if (job.Mode != 1) return job.Execute();
        ++restoreRuns;
        EXPECT_EQ(childRows(), 1);
        EXPECT_TRUE(QFileInfo::exists(slot(1) + QStringLiteral("/b001/vqacc.fdb")));
        EXPECT_EQ(digest(slot(1)), before);
        job.Success = 0;
        job.ErrInfo.Message = QStringLiteral("データベースの復元に失敗しました。");
        job.ErrInfo.Message2 = QStringLiteral("データベースの復元処理を中止しました。");
    };
    m_places << dest;
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk); // the comparison: the company names differ
        boxes.answer(mrOk); // the job's warning
        EXPECT_EQ(box->RestoreData(QString()), -1);
        ASSERT_EQ(boxes.shown.size(), 2);
        EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("　注）復元を続行した場合は配下の分散データは削除されます。")));
        EXPECT_EQ(boxes.shown[1].kind, TMsgDlgType::mtWarning);
        EXPECT_EQ(boxes.shown[1].text, QStringLiteral("データベースの復元に失敗しました。\rデータベースの復元処理を中止しました。"));
    }
    EXPECT_EQ(restoreRuns, 1);
    EXPECT_EQ(childRows(), 1);
    EXPECT_TRUE(QFileInfo::exists(slot(1) + QStringLiteral("/b001/vqacc.fdb")));
    EXPECT_EQ(digest(slot(1)), before);
    EXPECT_EQ(iniStatus(slot(1)), 1);

    // A restore that succeeds replaces the data set and then removes its distributed data.
    box->SaveRestore().RunJob = [](TBackupRestoreThread &job) { job.Execute(); };
    m_places << dest;
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_EQ(box->RestoreData(QString()), 1);
    EXPECT_EQ(childRows(), 0);
    EXPECT_FALSE(QFileInfo::exists(slot(1) + QStringLiteral("/b001")));
    EXPECT_EQ(digest(slot(1)), digest(slot(2)));
    const TDataListRec *r = box->RowRecord(rowOf(*box, slot(1)));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->SHOUGOU, QStringLiteral("別会社"));
    EXPECT_EQ(iniStatus(slot(1)), 1);
}

TEST_F(DataSaveRestoreTest, ProcessingTypeFiveSavesAndRestoresThroughF12)
{
    const QString dir = testenv::freshDir(QStringLiteral("takeout"));
    addBooks(slot(1), 2, 1);
    {
        auto box = screen({QStringLiteral("SyoriType=5"), QStringLiteral("OnlySA_Syori=Backup"), QStringLiteral("OnlySA_BackupPath=") + dir});
        // An empty row holds nothing to save.
        focusRow(*box, slot(5));
        {
            ScriptedMessages boxes;
            boxes.answer(mrOk);
            box->F12Click();
            EXPECT_EQ(texts(boxes), QStringList{QStringLiteral("この場所にはデータがありません。他の場所を選んで下さい。")});
            EXPECT_EQ(box->result(), 0);
        }
        focusRow(*box, slot(1));
        box->F12Click();
        EXPECT_EQ(box->result(), 1);
        EXPECT_TRUE(QFileInfo::exists(dir + QStringLiteral("/vqacc.fbk")));
        EXPECT_EQ(m_dialogs, 0); // the folder was given: no location dialog
    }
    {
        auto box = screen({QStringLiteral("SyoriType=5"), QStringLiteral("OnlySA_Syori=Restore"), QStringLiteral("OnlySA_BackupPath=") + dir});
        focusRow(*box, slot(5));
        ScriptedMessages boxes; // an empty row needs no comparison
        box->F12Click();
        EXPECT_EQ(box->result(), 1);
        EXPECT_TRUE(boxes.shown.isEmpty()) << texts(boxes).join(u'|').toStdString();
        EXPECT_EQ(digest(slot(5)), digest(slot(1)));
        EXPECT_EQ(SystemDef.DataDir, slot(5));
        const TDataListRec *r = box->RowRecord(rowOf(*box, slot(5)));
        ASSERT_TRUE(r);
        EXPECT_EQ(r->SHOUGOU, QStringLiteral("サンプル株式会社"));
        EXPECT_EQ(iniStatus(slot(5)), 1);
    }
    // A missing backup is reported and nothing is restored.
    {
        const QString empty = testenv::freshDir(QStringLiteral("nothing"));
        auto box = screen({QStringLiteral("SyoriType=5"), QStringLiteral("OnlySA_Syori=Restore"), QStringLiteral("OnlySA_BackupPath=") + empty});
        focusRow(*box, slot(6));
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        box->F12Click();
        EXPECT_EQ(texts(boxes), QStringList{QStringLiteral("この場所には、バックアップファイル(vqacc.fbk)がありませんでした。")});
        EXPECT_FALSE(QFileInfo::exists(slot(6) + QStringLiteral("/vqacc.fdb")));
    }
}
