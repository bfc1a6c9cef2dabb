#include "support/TestEnv.h"

#include "datasets/DataSentaku.h"
#include "datasets/DataSentakuList.h"
#include "datasets/z5ServerSentaku.h"
#include "datasets/z5WhichDataSet.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/DataRoot.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/xKeyControls.h"
#include "framework/z5InputDlg.h"
#include "framework/xPlButton.h"
#include "platform/IniFile.h"
#include "platform/MountedDrives.h"
#include "support/DbFixture.h"
#include "support/SchemaTemplates.h"
#include "support/TmpfsMount.h"
#include "datasets/DataSetCopy.h"
#include "../framework/FrameworkTestUtil.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>

namespace {

class SharedDataTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SetAppInfoDefaults(AppInfo);
        SystemDef.OpCode = 100010;
        SystemDef.OpName = QStringLiteral("山田");
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        ASSERT_TRUE(dm->fnGetSysDef()); // the operator's colours, as after a login
        TDataSentakuListCtl::ServerFolderPauseMs = 0;
        m_runner = ModalRunner;
    }
    void TearDown() override
    {
        ModalRunner = m_runner;
        platform::setMountedDrivesSource(nullptr);
        TDataSentakuListCtl::ServerFolderPauseMs = 500;
        DbFixture::TearDown();
    }
    int count(const QString &where) { return scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM ") + where).toInt(); }
    static QString shareStatusOf(const QString &folder)
    {
        return platform::IniFile(TDataInfomation::IniFileOf(folder)).readString(QStringLiteral("DATASTS"), QStringLiteral("SHARE_STATUS"));
    }
    static void writeInfo(const QString &folder, const QString &section, const QString &key, const QString &value)
    {
        platform::IniFile(TDataInfomation::IniFileOf(folder)).writeString(section, key, value);
    }
    // Points list row `rec` of the connected installation at a shared area.
    void assign(int rec, const QString &area, const QString &name)
    {
        exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET PASNAME='%1',NETDRIVE=1,KYOYULOCK=0,ENTTEXT='%2',"
                                                      "KISHU='2025-04-01',KIMATU='2026-03-31' WHERE REC=%3")
                                           .arg(area, name)
                                           .arg(rec));
    }
    // Connects the data module to the system database of another installation.
    void useInstallation(const QString &sysDir, int opCode)
    {
        dm->IBDatabaseDEF.close();
        SystemDef.SysDir = sysDir;
        SystemDef.OpCode = opCode;
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    }
    std::function<int(QDialog &)> m_runner;
};

} // namespace

TEST(MountedDrives, NetworkFileSystemsAreRemoteAndListedByFolder)
{
    const QByteArray table = "server:/export /mnt/nfs nfs4 rw 0 0\n"
                             "/dev/sda1 / ext4 rw 0 0\n"
                             "//nas/share /mnt/office\\040share cifs rw 0 0\n"
                             "tmpfs /tmp tmpfs rw 0 0\n";
    const QList<platform::MountedDrive> d = platform::parseMountTable(table);
    ASSERT_EQ(d.size(), 4);
    EXPECT_EQ(d[0].root, QStringLiteral("/"));
    EXPECT_FALSE(d[0].remote);
    EXPECT_EQ(d[1].root, QStringLiteral("/mnt/nfs"));
    EXPECT_TRUE(d[1].remote);
    EXPECT_EQ(d[2].root, QStringLiteral("/mnt/office share"));
    EXPECT_TRUE(d[2].remote);
    EXPECT_EQ(d[2].text, QStringLiteral("/mnt/office share (//nas/share)"));
    EXPECT_FALSE(d[3].remote);
}

TEST_F(SharedDataTest, AreaListsOfADriveAreRebuiltReadNamedAndNumbered)
{
    const QString drive = testenv::freshDir(QStringLiteral("nas")) + QStringLiteral("/dorvelzaimu");
    for (const char *f : {"sv0001/01", "sv0002", "DORVELZAIMU_BACKUP"}) QDir().mkpath(drive + u'/' + QLatin1String(f));
    const QString other = testenv::freshDir(QStringLiteral("nas2")) + QStringLiteral("/dorvelzaimu/sv0009");
    QDir().mkpath(other);
    for (const QString &p : {drive + QStringLiteral("/sv0099"), other})
        exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, PASNAME, ENTTEXT) "
                                                      "VALUES (10000, '/', %1, '%2', '古い領域')").arg(p == other ? 50 : 51).arg(p));

    TDataSentakuListCtl plain;
    plain.ServerExecute(1, drive, 5, false);
    EXPECT_EQ(plain.RecCount, 0);
    EXPECT_EQ(count(QStringLiteral("SERVERDATALIST")), 2); // nothing changed

    TDataSentakuListCtl ctl;
    ctl.ServerListFlag = 1;
    ctl.ServerExecute(1, drive, 5, false);
    ASSERT_EQ(ctl.RecCount, 2);
    EXPECT_EQ(ctl.Recs[0].PASNAME, drive + QStringLiteral("/sv0001"));
    EXPECT_EQ(ctl.Recs[0].ENTTEXT, QStringLiteral("空き領域"));
    EXPECT_EQ(ctl.Recs[0].REC, 0);
    ASSERT_EQ(ctl.Recs[0].ChildCount, 1);
    EXPECT_EQ(ctl.Recs[0].ChildRows[0].GASSAN, 10);
    EXPECT_EQ(ctl.Recs[0].ChildRows[0].ROWNO, 1);
    EXPECT_EQ(ctl.Recs[1].PASNAME, drive + QStringLiteral("/sv0002"));
    // The drive's old rows went; another drive's stay.
    EXPECT_EQ(count(QStringLiteral("SERVERDATALIST WHERE PASNAME='%1'").arg(drive + QStringLiteral("/sv0099"))), 0);
    EXPECT_EQ(count(QStringLiteral("SERVERDATALIST WHERE PASNAME='%1'").arg(other)), 1);

    TDataSentakuRec named = ctl.Recs[1];
    named.ENTTEXT = named.DispName = QStringLiteral("共有商事");
    named.KISHU = QDate(2025, 4, 1);
    named.KIMATU = QDate(2026, 3, 31);
    ASSERT_TRUE(ctl.UpdateServerDataListRecord(ctl.Recs[0], true, true));
    ASSERT_TRUE(ctl.UpdateServerDataListRecord(named, true, true));
    auto paths = [&ctl] {
        QStringList p;
        for (const auto &r : ctl.Recs) p << QFileInfo(r.PASNAME).fileName();
        return p;
    };
    ctl.ServerExecute(0, drive, 5, false);
    EXPECT_EQ(paths(), (QStringList{QStringLiteral("sv0001"), QStringLiteral("sv0002")}));
    EXPECT_EQ(ctl.Recs[0].NETDRIVE, 1);
    ctl.ServerExecute(0, drive, 5, true);
    EXPECT_EQ(paths(), (QStringList{QStringLiteral("sv0002"), QStringLiteral("sv0001")}));
    ctl.ServerExecute(0, drive, 2, false); // named areas first, then the free ones by path
    EXPECT_EQ(paths(), (QStringList{QStringLiteral("sv0002"), QStringLiteral("sv0001")}));
    EXPECT_EQ(ctl.Recs[0].ENTTEXT, QStringLiteral("共有商事"));

    // Area names.
    EXPECT_EQ(ctl.GetNewServerFolderName(drive, 1), QStringLiteral("sv0003"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, PASNAME) "
                                                  "VALUES (10000, '/', 77, '%1/sv0007')").arg(drive));
    EXPECT_EQ(ctl.GetNewServerFolderName(drive, 1), QStringLiteral("sv0008"));
    EXPECT_EQ(ctl.GetNewServerFolderName(testenv::freshDir(QStringLiteral("empty")), 1), QStringLiteral("sv0001"));

    // Children of an area.
    ctl.ServerExecute(0, drive, 5, false);
    TDataListRec child = ctl.Recs[0];
    child.PASNAME += QStringLiteral("/01");
    child.GASSAN = 10;
    child.ROWNO = 1;
    ASSERT_TRUE(ctl.UpdateServerDataListChildRecord(child, true, true));
    EXPECT_EQ(count(QStringLiteral("CHILD_SERVERDATALIST")), 1);
    TDataListRec blank = ctl.Recs[0];
    blank.PASNAME = QStringLiteral("　 ");
    EXPECT_FALSE(ctl.DeleteServerDataListChildRecord(blank, true));
    ASSERT_TRUE(ctl.DeleteServerDataListChildRecord(ctl.Recs[0], true));
    EXPECT_EQ(count(QStringLiteral("CHILD_SERVERDATALIST")), 0);
}

TEST_F(SharedDataTest, TwoInstallationsShareOneServerFolder)
{
    InstallDataInfoHooks();
    const QString area = testenv::freshDir(QStringLiteral("server")) + QStringLiteral("/dorvelzaimu/sv0001");
    CreateCompanyDatabase(area, testenv::kDbUser, testenv::kDbPassword);
    const QString sysA = root.sysDir;
    const DataRootInfo b = CreateDataRoot(testenv::freshDir(QStringLiteral("rootB")), testenv::kDbUser, testenv::kDbPassword);
    QStringList messages;
    auto fetch = [&messages](int rec, const QString &slot, bool up) {
        TDataSentakuListCtl ctl;
        ctl.ShowSharedMessage = [&messages](const QString &, const QString &text, const QStringList &) { messages << text; };
        TDataSentakuRec r;
        if (ctl.GetDataListRecordByPath(slot, r) != 1) return -9;
        Q_UNUSED(rec);
        return up ? ctl.KyoyuDataUp(r, true) : ctl.KyoyuDataDown(r, false);
    };
    assign(12, area, QStringLiteral("共有商事"));
    useInstallation(b.sysDir, 100020);
    assign(5, area, QStringLiteral("共有商事"));

    useInstallation(sysA, 100010);
    ASSERT_EQ(fetch(12, sysA + QStringLiteral("/0012"), false), 1);
    EXPECT_EQ(shareStatusOf(area), QStringLiteral("2"));

    // The other installation sees it taken out and cannot take it.
    useInstallation(b.sysDir, 100020);
    EXPECT_EQ(fetch(5, b.sysDir + QStringLiteral("/0005"), false), -1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("共有データは現在使用されています。"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT KYOYULOCK FROM DATALIST WHERE REC=5")), QStringLiteral("0"));

    // Storing it back frees it for the other.
    useInstallation(sysA, 100010);
    ASSERT_EQ(fetch(12, sysA + QStringLiteral("/0012"), true), 1);
    EXPECT_EQ(shareStatusOf(area), QStringLiteral("1"));
    useInstallation(b.sysDir, 100020);
    EXPECT_EQ(fetch(5, b.sysDir + QStringLiteral("/0005"), false), 1);
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT KYOYULOCK FROM DATALIST WHERE REC=5")), QStringLiteral("1"));
    EXPECT_TRUE(QFileInfo::exists(b.sysDir + QStringLiteral("/0005/vqacc.fdb")));
    useInstallation(sysA, 100010);
}

TEST_F(SharedDataTest, AStoreThatFailsHalfwayLosesNoChildAndKeepsTheLock)
{
    InstallDataInfoHooks();
    const QString area = testenv::freshDir(QStringLiteral("server")) + QStringLiteral("/dorvelzaimu/sv0001");
    for (const QString &f : {area, area + QStringLiteral("/01"), area + QStringLiteral("/02")})
        CreateCompanyDatabase(f, testenv::kDbUser, testenv::kDbPassword);
    TDataInfomation info;
    TDataInfomationRec ir;
    info.ReadIniInfo(area, ir); // makes the information file
    writeInfo(area, QStringLiteral("DATAINFO"), QStringLiteral("GASSANKBN"), QStringLiteral("1"));
    writeInfo(area, QStringLiteral("DATAINFO"), QStringLiteral("DATALISTNAME"), QStringLiteral("合算商事"));
    assign(12, area, QStringLiteral("合算商事"));
    const QString work = slot(12);
    TDataSentakuListCtl ctl;
    QStringList messages;
    ctl.ShowSharedMessage = [&messages](const QString &, const QString &text, const QStringList &) { messages << text; };
    TDataSentakuRec rec;
    ASSERT_EQ(ctl.GetDataListRecordByPath(work, rec), 1);
    ASSERT_EQ(ctl.KyoyuDataDown(rec, true), 1);
    ASSERT_EQ(rec.ChildRows.size(), 2);
    ASSERT_TRUE(QFileInfo::exists(work + QStringLiteral("/02/vqacc.fdb")));
    const QByteArray localChild = testenv::readFile(work + QStringLiteral("/02/vqacc.fdb"));
    auto lockOf = [this] { return scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT KYOYULOCK FROM DATALIST WHERE REC=12")); };
    EXPECT_EQ(lockOf(), QStringLiteral("1"));

    {
        // The second child's server folder cannot be written.
        TmpfsMount readOnly(area + QStringLiteral("/02"));
        if (!readOnly.mounted()) GTEST_SKIP() << "no read-only mount here";
        EXPECT_EQ(ctl.KyoyuDataUp(rec, false), 0);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("合算・分散データの保管に失敗しました。")));
        EXPECT_EQ(lockOf(), QStringLiteral("1"));
        EXPECT_EQ(rec.KYOYULOCK, 1);
        EXPECT_EQ(shareStatusOf(area), QStringLiteral("2"));
        EXPECT_EQ(shareStatusOf(work), QStringLiteral("2"));
        EXPECT_TRUE(QFileInfo::exists(area + QStringLiteral("/01/vqacc.fdb")));
    }
    // Nothing was lost on either side.
    EXPECT_TRUE(QFileInfo::exists(area + QStringLiteral("/02/vqacc.fdb")));
    EXPECT_EQ(testenv::readFile(work + QStringLiteral("/02/vqacc.fdb")), localChild);

    // A second store succeeds; a server child that no longer exists here goes last.
    CreateCompanyDatabase(area + QStringLiteral("/03"), testenv::kDbUser, testenv::kDbPassword);
    EXPECT_EQ(ctl.KyoyuDataUp(rec, true), 1);
    EXPECT_EQ(lockOf(), QStringLiteral("0"));
    EXPECT_EQ(shareStatusOf(area), QStringLiteral("1"));
    EXPECT_EQ(testenv::readFile(area + QStringLiteral("/02/vqacc.fdb")), localChild);
    EXPECT_TRUE(QFileInfo::exists(area + QStringLiteral("/01/vqacc.fdb")));
    EXPECT_FALSE(QFileInfo::exists(area + QStringLiteral("/03")));
}

TEST_F(SharedDataTest, SelectionScreenListsTheAreasOfADriveAndSaysWhenThereIsNone)
{
    const QString nas = testenv::freshDir(QStringLiteral("nasdrive"));
    const QString share = nas + QStringLiteral("/dorvelzaimu");
    const QString broken = share + QStringLiteral("/sv0001");
    QDir().mkpath(broken);
    QDir().mkpath(share + QStringLiteral("/sv0002"));
    testenv::writeFile(broken + QStringLiteral("/vqacc.fdb"), "not a database");
    writeInfo(broken, QStringLiteral("DATASTS"), QStringLiteral("STATUS"), QStringLiteral("10"));
    writeInfo(broken, QStringLiteral("DATAINFO"), QStringLiteral("DATALISTNAME"), QStringLiteral("壊れ商事"));
    writeInfo(broken, QStringLiteral("DATAINFO"), QStringLiteral("KISHU"), QStringLiteral("2025/04/01"));
    writeInfo(broken, QStringLiteral("DATAINFO"), QStringLiteral("KIMATU"), QStringLiteral("2026/03/31"));
    writeInfo(broken, QStringLiteral("DATAINFO"), QStringLiteral("CODE"), QStringLiteral("b100"));
    const QString local = testenv::freshDir(QStringLiteral("localdisk"));
    QDir().mkpath(local + QStringLiteral("/dorvelzaimu"));
    platform::setMountedDrivesSource([&] {
        return QList<platform::MountedDrive>{{local, local, false},
                                             {nas, nas + QStringLiteral(" (//nas/share)"), true},
                                             {testenv::freshDir(QStringLiteral("bare")), QStringLiteral("bare"), true}};
    });

    TServerSentakuBox box;
    box.ShareDrive.clear();
    box.SetMode(1);
    ASSERT_EQ(box.cmbDrive->count(), 1);
    EXPECT_EQ(box.cmbDrive->itemText(0), nas + QStringLiteral(" (//nas/share)"));
    EXPECT_EQ(box.ShareDrive, nas);
    EXPECT_EQ(box.SharePath, share);
    ASSERT_EQ(box.PerfectGrid1->rowCount(), 2); // the empty list was rebuilt from the folders
    int damaged = -1, free = -1;
    for (int r = 0; r < 2; ++r) (box.PerfectGrid1->item(r, scFolder)->text() == broken ? damaged : free) = r;
    ASSERT_GE(damaged, 0);
    ASSERT_GE(free, 0);
    EXPECT_EQ(box.PerfectGrid1->item(damaged, scName)->text(), QStringLiteral("壊れ商事"));
    EXPECT_EQ(box.PerfectGrid1->item(damaged, scName)->background().color(), QColor(255, 0, 0));
    EXPECT_NE(box.PerfectGrid1->item(free, scName)->background().color(), QColor(255, 0, 0));
    box.PerfectGrid1->setCurrentCell(damaged, scName);
    box.UpdateFunctionKeys();
    EXPECT_EQ(box.F12->CaptionA().Caption(), QStringLiteral("F12:"));
    EXPECT_FALSE(box.F12->isEnabled());
    box.F12Click();
    EXPECT_EQ(box.result(), 0);
    box.PerfectGrid1->setCurrentCell(free, scName);
    box.UpdateFunctionKeys();
    EXPECT_EQ(box.F12->CaptionA().Caption(), QStringLiteral("F12:選択"));
    EXPECT_EQ(box.F4->CaptionA().Caption(), QStringLiteral("F4:領域追加"));
    fwtest::showActive(&box);
    box.PerfectGrid1->setFocus();
    fwtest::screenshot(&box, QStringLiteral("server_sentaku"));

    // The focused row is written in dark blue; a damaged one keeps the grid's colour.
    const QColor plain = box.ForeColor;
    EXPECT_EQ(box.PerfectGrid1->item(free, scName)->foreground().color(), QColor(0x00, 0x40, 0x80));
    // Typing a code's beginning on the grid moves to that area once the typing pauses.
    auto pause = [&box] {
        QElapsedTimer waited;
        waited.start();
        while (box.IncSerchTimer->isActive() && waited.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    };
    fwtest::press(box.PerfectGrid1, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    fwtest::press(box.PerfectGrid1, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"));
    EXPECT_TRUE(box.txtIncSerch->isVisible());
    EXPECT_EQ(box.txtIncSerch->text(), QStringLiteral("B1"));
    EXPECT_EQ(box.IncSerchTimer->interval(), 1000);
    pause();
    EXPECT_EQ(box.PerfectGrid1->currentRow(), damaged);
    EXPECT_EQ(box.PerfectGrid1->currentColumn(), int(scNo));
    EXPECT_FALSE(box.txtIncSerch->isVisible());
    EXPECT_EQ(box.PerfectGrid1->item(damaged, scName)->foreground().color(), plain);
    EXPECT_EQ(box.PerfectGrid1->item(free, scName)->foreground().color(), plain);
    // A text no code begins with leaves the current row.
    fwtest::press(box.PerfectGrid1, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
    pause();
    EXPECT_EQ(box.PerfectGrid1->currentRow(), damaged);

    box.PerfectGrid1->setCurrentCell(free, scName);
    box.F12Click();
    EXPECT_EQ(box.result(), 1);
    EXPECT_EQ(box.SelPath, share + QStringLiteral("/sv0002"));
    EXPECT_EQ(box.SelName, QStringLiteral("空き領域"));

    // No drive with the shared folder.
    platform::setMountedDrivesSource([] { return QList<platform::MountedDrive>{}; });
    box.SetMode(1);
    ASSERT_EQ(box.cmbDrive->count(), 1);
    EXPECT_EQ(box.cmbDrive->itemText(0), QStringLiteral("[dorvelzaimu]が見つかりません"));
    EXPECT_TRUE(box.ShareDrive.isEmpty());
    EXPECT_EQ(box.PerfectGrid1->rowCount(), 0);
    box.UpdateFunctionKeys();
    EXPECT_EQ(box.F2->CaptionA().Caption(), QStringLiteral("F2:"));
    EXPECT_EQ(box.F4->CaptionA().Caption(), QStringLiteral("F4:"));
    fwtest::screenshot(&box, QStringLiteral("server_sentaku_no_drive"));
}

TEST_F(SharedDataTest, AreaCommandsAddAnAreaAndPasteWithTheCopyChecked)
{
    const QString nas = testenv::freshDir(QStringLiteral("nas3"));
    const QString share = nas + QStringLiteral("/dorvelzaimu");
    const QString source = share + QStringLiteral("/sv0001");
    CreateCompanyDatabase(source, testenv::kDbUser, testenv::kDbPassword);
    writeInfo(source, QStringLiteral("DATAINFO"), QStringLiteral("DATALISTNAME"), QStringLiteral("元商事"));
    writeInfo(source, QStringLiteral("DATAINFO"), QStringLiteral("KISHU"), QStringLiteral("2025/04/01"));
    writeInfo(source, QStringLiteral("DATAINFO"), QStringLiteral("KIMATU"), QStringLiteral("2026/03/31"));
    QDir().mkpath(share + QStringLiteral("/sv0002"));
    platform::setMountedDrivesSource([&] { return QList<platform::MountedDrive>{{nas, nas, true}}; });
    TServerSentakuBox box;
    box.ShareDrive = nas;
    box.SetMode(1);
    ASSERT_EQ(box.PerfectGrid1->rowCount(), 2);

    // F4 proposes the next area name; an upper-case answer is made lower case.
    QString asked;
    ModalRunner = [&asked](QDialog &d) {
        auto &in = dynamic_cast<TInputDlgBox &>(d);
        asked = in.Value;
        in.Value = QStringLiteral("SV0005");
        return 1;
    };
    box.UpdateFunctionKeys();
    box.F1Click(box.F4);
    EXPECT_EQ(asked, QStringLiteral("sv0003"));
    EXPECT_TRUE(QFileInfo(share + QStringLiteral("/sv0005")).isDir());
    ASSERT_EQ(box.PerfectGrid1->rowCount(), 3);
    EXPECT_EQ(box.PerfectGrid1->item(box.PerfectGrid1->currentRow(), scName)->text(), QStringLiteral("新しい領域"));

    // A paste whose copy fails says so and leaves the target empty.
    auto rowOf = [&box](const QString &path) {
        for (int r = 0; r < box.PerfectGrid1->rowCount(); ++r)
            if (box.PerfectGrid1->item(r, scFolder)->text() == path) return r;
        return -1;
    };
    box.PerfectGrid1->setCurrentCell(rowOf(source), scName);
    box.UpdateFunctionKeys();
    ASSERT_EQ(box.F2->CaptionA().Caption(), QStringLiteral("F2:コピー")) << box.PerfectGrid1->item(rowOf(source), scName)->text().toStdString();
    box.F1Click(box.F2);
    ASSERT_TRUE(box.CopyMode()) << platform::IniFile(TDataInfomation::IniFileOf(source)).readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS")).toStdString();
    EXPECT_EQ(platform::IniFile(TDataInfomation::IniFileOf(source)).readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS")),
              QStringLiteral("6"));
    const QString target = share + QStringLiteral("/sv0002");
    box.PerfectGrid1->setCurrentCell(rowOf(target), scName);
    box.UpdateFunctionKeys();
    auto copier = DataFolderCopier;
    DataFolderCopier = [](const QString &, const QString &) { return false; };
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        box.F1Click(box.F2);
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("データのコピーに失敗しました。")));
    }
    DataFolderCopier = copier;
    EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral("/vqacc.fdb")));
    EXPECT_EQ(platform::IniFile(TDataInfomation::IniFileOf(source)).readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS")),
              QStringLiteral("1"));

    // The same paste with a working copy names the copy after its source.
    box.PerfectGrid1->setCurrentCell(rowOf(source), scName);
    box.UpdateFunctionKeys();
    box.F1Click(box.F2);
    box.PerfectGrid1->setCurrentCell(rowOf(target), scName);
    box.UpdateFunctionKeys();
    box.F1Click(box.F2);
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/vqacc.fdb")));
    EXPECT_EQ(box.PerfectGrid1->item(rowOf(target), scName)->text(), QStringLiteral("元商事～コピー"));

    // "情報" opens the detail dialog of the area.
    QString dialog;
    ModalRunner = [&dialog](QDialog &d) {
        dialog = d.windowTitle();
        return 2;
    };
    box.PerfectGrid1->setCurrentCell(rowOf(target), scName);
    box.btnDataInfoClick();
    EXPECT_EQ(dialog, QStringLiteral("データの詳細情報"));
}

TEST_F(SharedDataTest, TakeOutChoiceOffersOnlyTheBringBackForATakenOutRow)
{
    struct Case {
        bool takenOut;
        bool chooseBack;
        int modal;
        int answer;
    };
    const Case cases[] = {{false, false, 1, 1}, {false, true, 1, 2}, {true, false, 1, 2}, {false, false, 2, 0}};
    for (const Case &c : cases) {
        ModalRunner = [&c](QDialog &d) {
            auto &box = static_cast<TWhichDataSetBox &>(d);
            EXPECT_EQ(box.btnMochidashi->isEnabled(), !c.takenOut);
            EXPECT_EQ(box.btnMochikaeri->isChecked(), c.takenOut);
            if (c.chooseBack) box.btnMochikaeri->setChecked(true);
            if (c.modal == 1) box.btnOKClick();
            else box.done(2);
            return box.result();
        };
        EXPECT_EQ(AskTakeOutOrBringBack(nullptr, c.takenOut), c.answer) << c.takenOut << c.chooseBack << c.modal;
    }
}

namespace {

int rowOfFolder(const TDataSentakuBox &box, const QString &folder)
{
    for (int i = 0; i < box.PerfectGrid1->rowCount(); ++i)
        if (box.RowFolderPath(i) == folder) return i;
    return -1;
}

} // namespace

TEST_F(SharedDataTest, AnEmptyRowTakesASharedDataSetWhichIsStoredAndReleasedAgain)
{
    InstallDataInfoHooks();
    const QString nas = testenv::freshDir(QStringLiteral("nas4"));
    const QString area = nas + QStringLiteral("/dorvelzaimu/sv0001");
    CreateCompanyDatabase(area, testenv::kDbUser, testenv::kDbPassword);
    writeInfo(area, QStringLiteral("DATAINFO"), QStringLiteral("DATALISTNAME"), QStringLiteral("共有商事"));
    writeInfo(area, QStringLiteral("DATAINFO"), QStringLiteral("KISHU"), QStringLiteral("2025/04/01"));
    writeInfo(area, QStringLiteral("DATAINFO"), QStringLiteral("KIMATU"), QStringLiteral("2026/03/31"));
    platform::setMountedDrivesSource([&] { return QList<platform::MountedDrive>{{nas, nas, true}}; });
    TDataSentakuBox box;
    box.KeepOnClose = true;
    box.SetParams({QStringLiteral("SyoriType=0")});
    box.Prepare(true);
    const QString work = slot(12);
    int row = rowOfFolder(box, work);
    ASSERT_GE(row, 0);
    box.PerfectGrid1->setCurrentCell(row, dcName);

    QString chosenBy;
    ModalRunner = [&chosenBy, &area](QDialog &d) {
        auto *s = dynamic_cast<TServerSentakuBox *>(&d);
        if (!s) return 2;
        chosenBy = s->windowTitle();
        for (int r = 0; r < s->PerfectGrid1->rowCount(); ++r)
            if (s->PerfectGrid1->item(r, scFolder)->text() == area) s->PerfectGrid1->setCurrentCell(r, scName);
        s->UpdateFunctionKeys();
        s->F12Click();
        return s->result();
    };
    box.btnKyoyuDataDownClick();
    EXPECT_EQ(chosenBy, QStringLiteral("共有データの選択"));
    EXPECT_EQ(TDataSentakuBox::SharedDriveSetting(), nas);
    row = rowOfFolder(box, work);
    ASSERT_GE(row, 0);
    auto lockOf = [this] { return scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT KYOYULOCK FROM DATALIST WHERE REC=12")); };
    EXPECT_EQ(lockOf(), QStringLiteral("1"));
    EXPECT_EQ(box.RowRecord(row)->PASNAME, area);
    EXPECT_EQ(box.RowShareState(row), 2);
    EXPECT_TRUE(QFileInfo::exists(work + QStringLiteral("/vqacc.fdb")));
    EXPECT_EQ(shareStatusOf(area), QStringLiteral("2"));

    // A local row with data refuses the assignment.
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET ENTTEXT='本社' WHERE REC=2"));
        box.LoadDataList();
        box.FillGrid(-1);
        box.PerfectGrid1->setCurrentCell(rowOfFolder(box, slot(2)), dcName);
        box.btnKyoyuDataDownClick();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("選択したフォルダには既にデータが登録されています。\r"));
    }

    // Storing it back frees it.
    box.PerfectGrid1->setCurrentCell(rowOfFolder(box, work), dcName);
    {
        ScriptedMessages boxes;
        boxes.answer(mrYes);
        EXPECT_EQ(box.StoreSharedData(false), 1);
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("共有データの保管を行います。よろしいですか？"));
    }
    EXPECT_EQ(lockOf(), QStringLiteral("0"));
    EXPECT_EQ(shareStatusOf(area), QStringLiteral("1"));

    // Fetched again and released with F4: the area is free and the row empty.
    {
        ScriptedMessages boxes;
        boxes.answer(mrYes);
        EXPECT_EQ(box.FetchSharedData(false), 1);
    }
    EXPECT_EQ(shareStatusOf(area), QStringLiteral("2"));
    row = rowOfFolder(box, work);
    box.PerfectGrid1->setCurrentCell(row, dcName);
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        EXPECT_TRUE(box.ReleaseSharedAllocation());
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].title, QStringLiteral("共有データの割当解除"));
    }
    EXPECT_EQ(shareStatusOf(area), QStringLiteral("1"));
    EXPECT_FALSE(QFileInfo::exists(work));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT NETDRIVE FROM DATALIST WHERE REC=12")), QStringLiteral("0"));
    EXPECT_TRUE(QFileInfo::exists(area + QStringLiteral("/vqacc.fdb")));
}

TEST_F(SharedDataTest, TakeOutLocksTheRowForTheOperatorAndRefusesAnotherOperatorsClick)
{
    InstallDataInfoHooks();
    // This computer's own installation, which receives the data taken out.
    const QString common = testenv::freshDir(QStringLiteral("common"));
    const DataRootInfo local = CreateDataRoot(common + QStringLiteral("/quenta/dorvelzaimu"), testenv::kDbUser, testenv::kDbPassword);
    const QByteArray oldCommon = qgetenv("SOLTEA_COMMON_APPDATA");
    qputenv("SOLTEA_COMMON_APPDATA", common.toUtf8());
    ConnectMode = 1;
    SystemDef.HostName = QStringLiteral("127.0.0.1"); // this machine: the databases open without a server
    SystemDef.OpCode = 10000 * 10000 + 10;
    SystemDef.OpLevel = 9; // may use every data set
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL) VALUES (10000, 7, '佐藤', 9)"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET ENTTEXT='サンプル株式会社' WHERE REC=1"));
    TDataSentakuBox box;
    box.KeepOnClose = true;
    box.SetParams({QStringLiteral("SyoriType=0")});
    box.Prepare(true);
    const int row = rowOfFolder(box, slot(1));
    ASSERT_GE(row, 0);
    box.PerfectGrid1->setCurrentCell(row, dcName);
    box.UpdateFunctionKeys();
    ASSERT_TRUE(bool(box.TakeOutCommand));

    QString sysDirSeen, params;
    RunProcessHook = [&](const QString &name, int, const QString &p) {
        EXPECT_EQ(name, QStringLiteral("QmDataSenkaku"));
        sysDirSeen = SystemDef.SysDir;
        params = p;
        return 1;
    };
    bool offeredTakeOut = false;
    box.TakeOutChooser = [&offeredTakeOut](QWidget *, bool takenOut) {
        offeredTakeOut = !takenOut;
        return 1;
    };
    {
        ScriptedMessages boxes;
        for (int i = 0; i < 4; ++i) boxes.answer(mrOk);
        EXPECT_TRUE(box.TakeOutOrBringBack());
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("続いて、このコンピュータのデータリストを表示します。\r持ち出し先を選んで下さい。"));
    }
    qputenv("SOLTEA_COMMON_APPDATA", oldCommon);
    EXPECT_TRUE(offeredTakeOut);
    EXPECT_EQ(sysDirSeen, local.sysDir);
    EXPECT_EQ(params, QStringLiteral("SyoriType=5\rOnlySA_Syori=Restore\rOnlySA_BackupPath=") + SystemDef.WinTempDir);
    EXPECT_EQ(ConnectMode, 1); // the server settings are back
    EXPECT_EQ(SystemDef.SysDir, root.sysDir);
    EXPECT_TRUE(QFileInfo::exists(SystemDef.WinTempDir + QStringLiteral("/vqacc.fbk")));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT DATALOCK FROM DATALIST WHERE REC=1")), QStringLiteral("10"));
    EXPECT_EQ(box.PerfectGrid1->item(row, dcLock)->text(), QStringLiteral("10"));

    // Another operator cannot take the lock off.
    SystemDef.OpCode = 10000 * 10000 + 7;
    SystemDef.OpName = QStringLiteral("佐藤");
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        box.LockClick(row);
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].title, QStringLiteral("ロックデータの状態"));
        EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("このデータは違うオペレータによりロックされているため解除は行えません。")));
    }
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT DATALOCK FROM DATALIST WHERE REC=1")), QStringLiteral("10"));
    // The row now offers only the bring-back.
    bool onlyBack = false;
    box.TakeOutChooser = [&onlyBack](QWidget *, bool takenOut) {
        onlyBack = takenOut;
        return 0;
    };
    EXPECT_FALSE(box.TakeOutOrBringBack());
    EXPECT_TRUE(onlyBack);
}
