// The location dialogs of saving and restoring: the place history in its ini
// section, browsing for a place, the history deletion, and the choice of the
// default place.
#include "support/TestEnv.h"

#include "datasets/z5FileOperationDlg.h"
#include "dbaccess/Globals.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "platform/IniFile.h"
#include "../framework/FrameworkTestUtil.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

class FileOperationDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_ini = testenv::freshDir(QStringLiteral("histini"));
        m_docs = testenv::freshDir(QStringLiteral("docs"));
    }
    void setUpDialog(TFileOperationBox &dlg)
    {
        dlg.Mode = 3;
        dlg.History = true;
        dlg.HistFolder = m_ini;
        dlg.HistFile = QStringLiteral("history.ini");
        dlg.HistSection = QStringLiteral("DataBackFolder");
        dlg.Caption = QStringLiteral("データの保存");
        dlg.Message = QStringLiteral("選択中のデータを保存します。");
        dlg.PlaceLabel = QStringLiteral("保存先の場所:");
        dlg.DefaultFolder = m_docs;
        dlg.PlaceHint = QStringLiteral("ﾃﾞｰﾀを保存する場所を選択します。|ﾃﾞｰﾀを保存する場所を選択します。");
    }
    // Writes the history lines HIST1.. with the given places.
    void writeHistory(const QStringList &places)
    {
        QStringList lines;
        for (int i = 0; i < places.size(); ++i) lines << QStringLiteral("HIST%1=%2").arg(i + 1).arg(places[i]);
        platform::IniFile(historyFile()).writeSection(QStringLiteral("DataBackFolder"), lines);
    }
    QStringList storedLines() const
    {
        return platform::IniFile(historyFile()).readSectionValues(QStringLiteral("DataBackFolder"));
    }
    static QStringList items(const TFileOperationBox &dlg)
    {
        QStringList out;
        for (int i = 0; i < dlg.cmbFileSelect->count(); ++i) out << dlg.cmbFileSelect->itemText(i);
        return out;
    }
    QString historyFile() const { return m_ini + QStringLiteral("/history.ini"); }
    QString place(int n) const { return testenv::sandbox() + QStringLiteral("/place%1").arg(n); }

    QString m_ini, m_docs;
};

} // namespace

TEST(FileOperationHistory, MovingAPlaceToTheTopKeepsTheOthersInOrder)
{
    const QStringList h{QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")};
    EXPECT_EQ(fileophistory::moveToTop(h, QStringLiteral("/c")), (QStringList{QStringLiteral("/c"), QStringLiteral("/a"), QStringLiteral("/b")}));
    EXPECT_EQ(fileophistory::moveToTop(h, QStringLiteral("/a")), h);
    EXPECT_EQ(fileophistory::moveToTop(h, QStringLiteral("/new")),
              (QStringList{QStringLiteral("/new"), QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")}));
    EXPECT_EQ(fileophistory::load(QString(), QStringLiteral("S")), QStringList());
}

TEST_F(FileOperationDlgTest, NineHistoryLinesShowWithTheDefaultAndOKKeepsEight)
{
    QStringList nine;
    for (int i = 1; i <= 9; ++i) nine << place(i);
    writeHistory(nine);
    TFileOperationBox dlg;
    setUpDialog(dlg);
    dlg.Prepare(true);
    EXPECT_EQ(items(dlg), nine + QStringList{m_docs});
    EXPECT_EQ(dlg.cmbFileSelect->currentIndex(), 0);
    EXPECT_FALSE(dlg.btnHistDelete->isHidden());
    EXPECT_TRUE(dlg.txtFileName->isHidden());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("データの保存"));

    // The fifth place is chosen: it moves to the top, the others keep their order, eight stay.
    dlg.cmbFileSelect->setItemIndex(4);
    dlg.btnOKClick();
    EXPECT_EQ(dlg.result(), 1);
    EXPECT_EQ(ExcludePathDelim(dlg.ResultFolder), place(5));
    QStringList expected{QStringLiteral("HIST1=") + place(5)};
    int n = 2;
    for (int i : {1, 2, 3, 4, 6, 7, 8}) expected << QStringLiteral("HIST%1=%2").arg(n++).arg(place(i));
    EXPECT_EQ(storedLines(), expected);

    // Shown again, the history reads back most recent first, the default added once.
    dlg.Prepare(true);
    QStringList again{place(5)};
    for (int i : {1, 2, 3, 4, 6, 7, 8}) again << place(i);
    EXPECT_EQ(items(dlg), again + QStringList{m_docs});
}

TEST_F(FileOperationDlgTest, ABrowsedPlaceGoesToTheTopAndIsSelected)
{
    writeHistory({place(1), place(2)});
    TFileOperationBox dlg;
    setUpDialog(dlg);
    dlg.Prepare(true);
    ScriptedChooser chooser;
    chooser.answers << place(7) << place(2) << QString();
    dlg.btnSansyoClick();
    EXPECT_EQ(items(dlg), (QStringList{place(7), place(1), place(2), m_docs}));
    EXPECT_EQ(dlg.cmbFileSelect->currentText(), place(7));
    // A listed place is only selected.
    dlg.btnSansyoClick();
    EXPECT_EQ(items(dlg).size(), 4);
    EXPECT_EQ(dlg.cmbFileSelect->currentText(), place(2));
    // Cancelled browsing changes nothing.
    dlg.btnSansyoClick();
    EXPECT_EQ(dlg.cmbFileSelect->currentText(), place(2));
}

TEST_F(FileOperationDlgTest, DeletingTheHistoryKeepsTheCurrentPlaceOnly)
{
    writeHistory({place(1), place(2), place(3)});
    TFileOperationBox dlg;
    setUpDialog(dlg);
    dlg.Prepare(true);
    dlg.cmbFileSelect->setItemIndex(1);
    {
        ScriptedMessages boxes;
        boxes.answer(mrCancel);
        dlg.btnHistDeleteClick();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("履歴を削除します。よろしいですか？"));
        EXPECT_EQ(storedLines().size(), 3);
    }
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    dlg.btnHistDeleteClick();
    EXPECT_EQ(storedLines(), QStringList{QStringLiteral("HIST1=") + place(2)});
    EXPECT_EQ(items(dlg), QStringList{place(2)});
}

TEST_F(FileOperationDlgTest, TheDefaultPlaceChoiceClosesWithoutAPlace)
{
    TFileOperationBoxEx1 dlg;
    setUpDialog(dlg);
    dlg.DefaultFolder.clear();
    dlg.HistFile.clear(); // no history at all: the place list stays empty
    dlg.SetSelect1Caption(QStringLiteral("保存先の場所を選択して復元する"));
    dlg.SetSelect2Caption(QStringLiteral("プログラムの既定の保存先の場所より復元する"));
    dlg.Prepare(true);
    EXPECT_EQ(dlg.cmbFileSelect->count(), 0);
    EXPECT_TRUE(dlg.cmbFileSelect->isEnabled());
    // With the chosen place and none listed, OK keeps the dialog open.
    dlg.btnOKClick();
    EXPECT_EQ(dlg.result(), 0);
    dlg.SetSelection(2);
    for (QWidget *w : {static_cast<QWidget *>(dlg.cmbFileSelect), static_cast<QWidget *>(dlg.btnSansyo),
                       static_cast<QWidget *>(dlg.btnHistDelete), static_cast<QWidget *>(dlg.lblFileSelect)})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    dlg.btnOKClick();
    EXPECT_EQ(dlg.result(), 1);
    EXPECT_EQ(dlg.Choice, 2);
    EXPECT_TRUE(dlg.ResultFolder.isEmpty());
    dlg.SetSelection(1);
    EXPECT_TRUE(dlg.cmbFileSelect->isEnabled());
}

TEST_F(FileOperationDlgTest, Screenshots)
{
    writeHistory({place(1), place(2)});
    TFileOperationBox save;
    setUpDialog(save);
    save.Prepare(true);
    fwtest::showActive(&save);
    EXPECT_FALSE(QImage(fwtest::screenshot(&save, QStringLiteral("file_operation_save"))).isNull());
    save.done(2);

    TFileOperationBoxEx1 restore;
    setUpDialog(restore);
    restore.Caption = QStringLiteral("データの復元");
    restore.Message = QStringLiteral(
        "指定された保存先の場所にバックアップファイルがある場合は、商号、会計期間および仕訳数をチェックし、条件が満たされれば復元されます。");
    restore.SetSelect1Caption(QStringLiteral("保存先の場所を選択して復元する"));
    restore.SetSelect2Caption(QStringLiteral("プログラムの既定の保存先の場所より復元する"));
    restore.Prepare(true);
    fwtest::showActive(&restore);
    EXPECT_EQ(restore.height(), 360 * restore.formPpi() / 96);
    EXPECT_EQ(restore.btnSelect2->y(), restore.txtFileName->y());
    EXPECT_FALSE(QImage(fwtest::screenshot(&restore, QStringLiteral("file_operation_restore"))).isNull());
    restore.done(2);
}
