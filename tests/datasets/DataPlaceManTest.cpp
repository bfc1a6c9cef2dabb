// The data-place dialog: the 100 places an empty table receives, the keys of
// each row, naming, renaming, freeing and reordering, and the look-ups the
// data-selection screen uses.
#include "support/TestEnv.h"

#include "datasets/z5DataPlaceMan.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/xPlButton.h"
#include "framework/z5InputDlg.h"
#include "platform/Cp932.h"
#include "support/DbFixture.h"
#include "../framework/FrameworkTestUtil.h"

#include <QDir>
#include <QImage>
#include <QTableWidget>

namespace {

class DataPlaceManTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        ASSERT_TRUE(dm->fnGetSysDef()); // the operator's colours, as after a login
        m_runner = ModalRunner;
        SystemDef.SysDef.DataPlace = 0;
    }
    void TearDown() override
    {
        ModalRunner = m_runner;
        DbFixture::TearDown();
    }
    // The input dialog answers with `name` (or is cancelled when it is null).
    void answerInput(const QString &name, QStringList *captions = nullptr)
    {
        ModalRunner = [name, captions](QDialog &d) {
            auto &box = static_cast<TInputDlgBox &>(d);
            if (captions) *captions << box.Caption;
            if (name.isNull()) return 2;
            box.Value = name;
            return 1;
        };
    }
    static QString caption(const TxPlButton *b) { return b->CaptionA().Caption(); }
    int count(const QString &sql) { return scalar(QStringLiteral("ACCDEF"), sql).toInt(); }
    std::function<int(QDialog &)> m_runner;
};

} // namespace

TEST(DataPlaceRules, TheInitialPlacesOfASystemFolder)
{
    const QString shortDir = QStringLiteral("/srv/data");
    const TDataPlaceList places = dataplacestore::initialPlaces(shortDir);
    ASSERT_EQ(places.size(), 100);
    EXPECT_EQ(places[0].REC, 0);
    EXPECT_EQ(places[0].ORDERKBN, 1);
    EXPECT_EQ(places[0].NAME, shortDir);
    EXPECT_EQ(places[0].PATH, shortDir);
    EXPECT_EQ(places[7].REC, 7);
    EXPECT_EQ(places[7].ORDERKBN, 8);
    EXPECT_EQ(places[7].PATH, QStringLiteral("/srv/data07"));
    EXPECT_TRUE(places[7].NAME.isEmpty());
    EXPECT_EQ(places[99].PATH, QStringLiteral("/srv/data99"));
    // The name's length is counted in CP932 bytes: twenty kanji (40 bytes) stay, twenty-one do not.
    const QString forty = QStringLiteral("/") + QString(19, QChar(u'帳')) + QStringLiteral("x");
    ASSERT_EQ(platform::toCp932(forty).size(), 40);
    EXPECT_EQ(dataplacestore::initialPlaces(forty)[0].NAME, forty);
    const QString longer = forty + QStringLiteral("y");
    EXPECT_LT(longer.size(), 40);
    EXPECT_EQ(dataplacestore::initialPlaces(longer)[0].NAME, QStringLiteral("標準の場所"));
}

TEST_F(DataPlaceManTest, AnEmptyTableShowsAHundredPlacesAndTheKeysFollowTheRow)
{
    ASSERT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DATAPLACEMAN")), 0);
    TDataPlaceBox dlg;
    dlg.Prepare(true);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("データの場所の設定"));
    ASSERT_EQ(dlg.PerfectGrid1->rowCount(), 100);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DATAPLACEMAN")), 100);
    EXPECT_EQ(dlg.PerfectGrid1->item(0, 1)->text(), SystemDef.SysDir);
    EXPECT_EQ(dlg.PerfectGrid1->item(7, 0)->text(), QStringLiteral("8"));
    EXPECT_EQ(dlg.PerfectGrid1->item(7, 2)->text(), SystemDef.SysDir + QStringLiteral("07"));
    EXPECT_TRUE(dlg.PerfectGrid1->item(7, 1)->text().isEmpty());

    struct Case {
        int row;
        const char *f2, *f3, *f5;
        bool up, down;
    } cases[] = {
        {0, "F2:", "F3:名称変更", "F5:", false, true}, // the standard place never offers F5
        {7, "F2:新規作成", "F3:", "F5:", true, true},   // a free place
        {99, "F2:新規作成", "F3:", "F5:", true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.row);
        dlg.PerfectGrid1->setCurrentCell(c.row, 0);
        EXPECT_EQ(caption(dlg.F2), QString::fromUtf8(c.f2));
        EXPECT_EQ(caption(dlg.F3), QString::fromUtf8(c.f3));
        EXPECT_EQ(caption(dlg.F5), QString::fromUtf8(c.f5));
        EXPECT_EQ(dlg.F6->isEnabled(), c.up);
        EXPECT_EQ(dlg.F7->isEnabled(), c.down);
        EXPECT_EQ(dlg.PerfectGrid1->item(c.row, 1)->foreground().color(), TDataPlaceBox::FocusMarkColor());
    }
    // F5 on the standard place does nothing even when asked directly.
    dlg.PerfectGrid1->setCurrentCell(0, 0);
    dlg.FreePlace();
    EXPECT_EQ(dlg.Places()[0].NAME, SystemDef.SysDir);

    fwtest::showActive(&dlg);
    dlg.PerfectGrid1->setCurrentCell(1, 0);
    EXPECT_FALSE(QImage(fwtest::screenshot(&dlg, QStringLiteral("data_place_dialog"))).isNull());
    dlg.done(1);
}

TEST_F(DataPlaceManTest, NamingRenamingAndFreeingAPlace)
{
    TDataPlaceBox dlg;
    dlg.Prepare(true);
    dlg.PerfectGrid1->setCurrentCell(7, 0);
    const QString folder = SystemDef.SysDir + QStringLiteral("07");
    QDir(folder).removeRecursively();

    // A blank name is refused.
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        answerInput(QStringLiteral("　 "));
        dlg.NewPlace();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("名称が入力されていません。"));
        EXPECT_TRUE(dlg.Places()[7].NAME.isEmpty());
    }
    // Naming makes the folder and the place's data-list slots.
    QStringList captions;
    answerInput(QStringLiteral(" 大阪支社 "), &captions);
    dlg.NewPlace();
    EXPECT_EQ(captions, QStringList{QStringLiteral("新規作成")});
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT NAME FROM DATAPLACEMAN WHERE REC=7")), QStringLiteral("大阪支社"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DATALIST_EX WHERE DATAPLACEREC=7")), Product.DataListCnt);
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT PASNAME FROM DATALIST_EX WHERE DATAPLACEREC=7 AND REC=3")),
              folder + QStringLiteral("/0003"));
    EXPECT_EQ(caption(dlg.F3), QStringLiteral("F3:名称変更"));
    EXPECT_EQ(caption(dlg.F5), QStringLiteral("F5:削除"));
    EXPECT_EQ(caption(dlg.F2), QStringLiteral("F2:"));

    // Renaming.
    captions.clear();
    answerInput(QStringLiteral("大阪"), &captions);
    dlg.RenamePlace();
    EXPECT_EQ(captions, QStringList{QStringLiteral("名称の変更")});
    EXPECT_EQ(dlg.PerfectGrid1->item(7, 1)->text(), QStringLiteral("大阪"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT NAME FROM DATAPLACEMAN WHERE REC=7")), QStringLiteral("大阪"));

    // A place whose listed data set exists is not freed.
    QDir().mkpath(folder + QStringLiteral("/0003"));
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        dlg.FreePlace();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("このフォルダ配下には会計データが存在しているため削除することが出来ません。")));
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DATALIST_EX WHERE DATAPLACEREC=7")), Product.DataListCnt);
    }
    // Once its data sets are gone it is freed after the confirmation; its folder stays.
    QDir(folder + QStringLiteral("/0003")).removeRecursively();
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        dlg.FreePlace();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("[大阪]を削除します。よろしいですか？"));
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DATALIST_EX WHERE DATAPLACEREC=7")), 0);
    EXPECT_TRUE(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT NAME FROM DATAPLACEMAN WHERE REC=7")).isEmpty());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(caption(dlg.F2), QStringLiteral("F2:新規作成"));
}

TEST_F(DataPlaceManTest, AnExistingFolderIsReportedAndAFailedOneLeavesThePlaceFree)
{
    TDataPlaceBox dlg;
    dlg.Prepare(true);
    const QString folder5 = SystemDef.SysDir + QStringLiteral("05");
    QDir().mkpath(folder5);
    dlg.PerfectGrid1->setCurrentCell(5, 0);
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        answerInput(QStringLiteral("東京"));
        dlg.NewPlace();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("既にデータサーバーにフォルダが作成されています。"));
    }
    EXPECT_EQ(dlg.Places()[5].NAME, QStringLiteral("東京"));

    dlg.PerfectGrid1->setCurrentCell(6, 0);
    dlg.MakeFolder = [](const QString &) { return false; };
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        answerInput(QStringLiteral("名古屋"));
        dlg.NewPlace();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("データサーバーへフォルダの作成が失敗しました。"));
    }
    EXPECT_TRUE(dlg.Places()[6].NAME.isEmpty());
    EXPECT_TRUE(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT NAME FROM DATAPLACEMAN WHERE REC=6")).isEmpty());
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DATALIST_EX WHERE DATAPLACEREC=6")), 0);
}

TEST_F(DataPlaceManTest, ReorderingAndTheLookUpsOfTheScreen)
{
    TDataPlaceBox dlg;
    dlg.Prepare(true);
    dlg.PerfectGrid1->setCurrentCell(3, 0);
    answerInput(QStringLiteral("札幌"));
    dlg.NewPlace();
    // Place 3 moves up twice: it becomes the second row, after the standard place.
    dlg.MoveRow(-1);
    dlg.MoveRow(-1);
    EXPECT_EQ(dlg.PerfectGrid1->currentRow(), 1);
    EXPECT_EQ(dlg.PerfectGrid1->item(1, 1)->text(), QStringLiteral("札幌"));
    EXPECT_EQ(dlg.PerfectGrid1->item(1, 0)->text(), QStringLiteral("2"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ORDERKBN FROM DATAPLACEMAN WHERE REC=3")), QStringLiteral("2"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ORDERKBN FROM DATAPLACEMAN WHERE REC=1")), QStringLiteral("3"));
    // Up once more: it is first now, and the first row cannot go further up.
    dlg.MoveRow(-1);
    EXPECT_EQ(dlg.PerfectGrid1->currentRow(), 0);
    EXPECT_FALSE(dlg.F6->isEnabled());
    dlg.MoveRow(-1);
    EXPECT_EQ(dlg.Places()[0].REC, 3);

    EXPECT_EQ(dlg.PlaceNamesText(), QStringLiteral("札幌\r") + SystemDef.SysDir + u'\r');
    EXPECT_EQ(dlg.PlaceRecByIndex(0), 3);
    EXPECT_EQ(dlg.PlaceRecByIndex(2), -1);
    EXPECT_EQ(dlg.PlacePathByIndex(1), SystemDef.SysDir);
    EXPECT_EQ(dlg.IndexOfPlaceRec(0), 1);
    EXPECT_EQ(dlg.IndexOfPlaceRec(7), -1);
    EXPECT_EQ(dlg.PlacePathByRec(3), SystemDef.SysDir + QStringLiteral("03"));
    EXPECT_TRUE(dlg.PlacePathByRec(50).isEmpty());
}
