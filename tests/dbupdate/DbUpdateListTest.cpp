#include "support/TestEnv.h"

#include "dbaccess/AppInfo.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "support/DbFixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>

#include <cctype>
#include <ostream>
#include <string>

namespace {

QString versionText(const TDbUpdateListRec &rec)
{
    return QStringLiteral("%1.%2.%3").arg(rec.Major).arg(rec.Minor1).arg(rec.Minor2);
}

QString cell(const TDbUpdateBox &box, int row, int column)
{
    const QTableWidgetItem *it = box.ListView1->item(row, column);
    return it ? it->text() : QString();
}

// The description box shows the step's lines ("\r" in the step's text).
QString shownDescription(const TDbUpdateBox &box)
{
    return box.RichEdit1->toPlainText().replace(u'\n', u'\r');
}

const TDbUpdateListRec &step(const TArrayDbUpdateListRec &list, const QString &version)
{
    for (const TDbUpdateListRec &rec : list)
        if (versionText(rec) == version) return rec;
    static TDbUpdateListRec none;
    ADD_FAILURE() << "no step " << version.toStdString();
    return none;
}

// The texts and edition in force are restored after each test.
class DbUpdateListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetAppInfoDefaults(AppInfo);
        Edition = 0;
    }
    void TearDown() override
    {
        SetAppInfoDefaults(AppInfo);
        Edition = 0;
    }
};

} // namespace

TEST_F(DbUpdateListTest, BothListsAreCompleteAndStrictlyAscending)
{
    TDbUpdateBox box;
    ASSERT_EQ(box.SystemList().size(), 16u);
    ASSERT_EQ(box.DataList().size(), 55u);
    for (const TArrayDbUpdateListRec *list : {&box.SystemList(), &box.DataList()}) {
        for (size_t i = 0; i < list->size(); ++i) {
            const TDbUpdateListRec &rec = (*list)[i];
            EXPECT_NE(rec.UpdateProc, nullptr) << versionText(rec).toStdString();
            EXPECT_FALSE(rec.Title.isEmpty());
            EXPECT_FALSE(rec.Description.isEmpty());
            if (i > 0) {
                const TDbUpdateListRec &prev = (*list)[i - 1];
                EXPECT_LT(TDbVersionRec({prev.Major, prev.Minor1, prev.Minor2}),
                          TDbVersionRec({rec.Major, rec.Minor1, rec.Minor2}))
                    << versionText(rec).toStdString();
            }
        }
    }
    EXPECT_EQ(versionText(box.SystemList().front()), QStringLiteral("0.3.1"));
    EXPECT_EQ(versionText(box.SystemList().back()), QStringLiteral("10.0.4"));
    EXPECT_EQ(versionText(box.DataList().front()), QStringLiteral("0.1.1"));
    EXPECT_EQ(versionText(box.DataList().back()), QStringLiteral("11.0.0"));
    // Versions that no step carries.
    for (const QString &v : {QStringLiteral("3.0.2"), QStringLiteral("3.0.5"), QStringLiteral("4.0.1"), QStringLiteral("4.0.4")})
        for (const TDbUpdateListRec &rec : box.DataList()) EXPECT_NE(versionText(rec), v);
    for (const QString &v : {QStringLiteral("4.0.1"), QStringLiteral("4.0.5"), QStringLiteral("6.0.0")})
        for (const TDbUpdateListRec &rec : box.SystemList()) EXPECT_NE(versionText(rec), v);
    // The steps carried by this build.
    EXPECT_EQ(step(box.DataList(), QStringLiteral("0.1.1")).UpdateProc, &UserDbUpdate011);
    EXPECT_EQ(step(box.DataList(), QStringLiteral("4.0.2")).UpdateProc, &UserDbUpdate402);
    EXPECT_EQ(step(box.DataList(), QStringLiteral("3.0.0")).UpdateProc, &UserDbUpdate300);
    EXPECT_EQ(step(box.DataList(), QStringLiteral("7.0.0")).UpdateProc, &UserDbUpdate700);
    EXPECT_EQ(step(box.DataList(), QStringLiteral("11.0.0")).UpdateProc, &UserDbUpdate1100);
    EXPECT_EQ(DbUpdateScriptUnavailable(), DbUpdateFileMissing);
}

struct VersionCase {
    int kind;
    const char *text;
    const char *firstPending; // nullptr: nothing pending
    int rows;
    int backups;
};

void PrintTo(const VersionCase &c, std::ostream *os)
{
    *os << (c.kind ? "company " : "system ") << c.text;
}

class VersionTestCases : public DbUpdateListTest, public ::testing::WithParamInterface<VersionCase>
{
};

TEST_P(VersionTestCases, FindsTheFirstPendingStep)
{
    const VersionCase c = GetParam();
    TDbUpdateBox box;
    box.SetUpdateList(quint8(c.kind), QString::fromUtf8(c.text));
    if (!c.firstPending) {
        EXPECT_FALSE(box.UpdateNeeded());
        EXPECT_EQ(box.FirstIndex(), -1);
        EXPECT_EQ(box.LastIndex(), -1);
        EXPECT_EQ(box.BackupCount(), 0);
        EXPECT_EQ(box.ListView1->rowCount(), 0);
        return;
    }
    ASSERT_TRUE(box.UpdateNeeded());
    const TDbUpdateListRec &first = box.CurrentList()[size_t(box.FirstIndex())];
    EXPECT_EQ(versionText(first), QString::fromUtf8(c.firstPending));
    EXPECT_EQ(box.LastIndex(), int(box.CurrentList().size()) - 1);
    EXPECT_EQ(box.ListView1->rowCount(), c.rows);
    EXPECT_EQ(box.BackupCount(), c.backups);
    EXPECT_EQ(cell(box, 0, 0), QString::fromUtf8(c.firstPending));
    EXPECT_EQ(cell(box, 0, 1), first.Title);
    EXPECT_EQ(cell(box, 0, 2), QString());
    EXPECT_EQ(box.ListView1->currentRow(), 0);
    EXPECT_EQ(shownDescription(box), first.Description); // the first row is selected
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionTestCases,
    ::testing::Values(
        VersionCase{1, "10.0.5", "11.0.0", 1, 1}, VersionCase{1, "11.0.0", nullptr, 0, 0},
        VersionCase{1, "11.0.1", nullptr, 0, 0}, VersionCase{1, "12.0.0", nullptr, 0, 0},
        VersionCase{1, "3.0.2", "3.0.3", 31, 31},
        // anything but three numeric fields reads as 0.0.0: every step is pending
        VersionCase{1, "0.0.0", "0.1.1", 55, 51}, VersionCase{1, "3.0", "0.1.1", 55, 51},
        VersionCase{1, "3.0.0.1", "0.1.1", 55, 51}, VersionCase{1, "a.b.c", "0.1.1", 55, 51},
        VersionCase{1, "0.1.9", "0.2.0", 50, 46}, VersionCase{0, "0.0.0", "0.3.1", 16, 8},
        VersionCase{0, "0.3.1", "0.3.2", 15, 7}, VersionCase{0, "10.0.3", "10.0.4", 1, 1},
        VersionCase{0, "10.0.4", nullptr, 0, 0}),
    [](const ::testing::TestParamInfo<VersionCase> &info) {
        std::string name = std::string(info.param.kind ? "Company_" : "System_") + info.param.text;
        for (char &ch : name)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name + "_" + std::to_string(info.index);
    });

TEST_F(DbUpdateListTest, APreparationForgetsThePreviousOne)
{
    TDbUpdateBox box;
    box.SetUpdateList(1, QStringLiteral("0.0.0"));
    ASSERT_EQ(box.BackupCount(), 51);
    box.SetUpdateList(0, QStringLiteral("10.0.4"));
    EXPECT_FALSE(box.UpdateNeeded());
    EXPECT_EQ(box.FirstIndex(), -1);
    EXPECT_EQ(box.BackupCount(), 0);
    EXPECT_EQ(box.DbKind(), 0);
    EXPECT_EQ(&box.CurrentList(), &box.SystemList());
    EXPECT_EQ(box.NewestVersion(), TDbVersionRec({10, 0, 4}));
}

TEST_F(DbUpdateListTest, TheDialogIsArrangedForTheKind)
{
    TDbUpdateBox box;
    box.SetUpdateList(1, QStringLiteral("10.0.5"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("データベースの更新"));
    EXPECT_EQ(box.lblTitle1->text(), QStringLiteral("会計データの更新を行います。"));
    EXPECT_EQ(box.lblTitle2->text(), QStringLiteral("バックアップを取得せずに、この処理を行うと元に戻すことが出来ません。"));
    EXPECT_EQ(box.lblTitle3->text(), QStringLiteral("必ずバックアップを取得後に実行することを強く推奨します。"));
    EXPECT_TRUE(box.cboxAgree->isVisibleTo(&box));
    EXPECT_EQ(box.cboxAgree->text(), QStringLiteral("データの更新に同意します。"));
    EXPECT_TRUE(box.btnCancel->isVisibleTo(&box));
    EXPECT_TRUE(box.ImageGrn->isVisibleTo(&box));
    EXPECT_FALSE(box.ImageRed->isVisibleTo(&box));
    EXPECT_LT(box.btnOk->x(), box.btnCancel->x());
    EXPECT_FALSE(box.btnOk->isEnabled()); // until the operator agrees
    box.cboxAgree->setChecked(true);
    EXPECT_TRUE(box.btnOk->isEnabled());
    box.cboxAgree->setChecked(false);
    EXPECT_FALSE(box.btnOk->isEnabled());
    ASSERT_EQ(box.ListView1->columnCount(), 3);
    const QStringList headers = {QStringLiteral("Ver."), QStringLiteral("説明"), QStringLiteral("状況")};
    const int widths[] = {60, 280, 80};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(box.ListView1->horizontalHeaderItem(c)->text(), headers[c]);
        EXPECT_EQ(box.ListView1->columnWidth(c), widths[c] * box.logicalDpiX() / 96);
    }

    box.SetUpdateList(0, QStringLiteral("9.0.4"));
    EXPECT_EQ(box.lblTitle1->text(), QStringLiteral("システムデータの更新を行います。"));
    EXPECT_TRUE(box.lblTitle2->text().isEmpty());
    EXPECT_FALSE(box.cboxAgree->isVisibleTo(&box));
    EXPECT_FALSE(box.btnCancel->isVisibleTo(&box));
    EXPECT_TRUE(box.ImageRed->isVisibleTo(&box));
    EXPECT_TRUE(box.btnOk->isEnabled());
    EXPECT_EQ(cell(box, 0, 0), QStringLiteral("10.0.4"));
    EXPECT_EQ(shownDescription(box), QStringLiteral("１）オペレータの種類に承認者を追加しました。"));

    // Choosing a row shows its step's description.
    box.SetUpdateList(1, QStringLiteral("10.0.4"));
    box.ListView1->setCurrentCell(1, 0);
    EXPECT_EQ(shownDescription(box), box.DataList().back().Description);
}

struct TextCase {
    quint8 edition;
    bool company;
    const char *version;
    const char *title;
    const char *description;
};

void PrintTo(const TextCase &c, std::ostream *os)
{
    *os << "edition " << int(c.edition) << (c.company ? " company " : " system ") << c.version;
}

class StepTextCases : public DbUpdateListTest, public ::testing::WithParamInterface<TextCase>
{
};

TEST_P(StepTextCases, TitlesFollowEditionAndProductTitle)
{
    const TextCase c = GetParam();
    AppInfo.Rirev.AppTitle = QStringLiteral("テスト会計");
    Edition = c.edition;
    const TArrayDbUpdateListRec list = c.company ? UserDbUpdateSteps() : SystemDbUpdateSteps();
    const TDbUpdateListRec &rec = step(list, QString::fromUtf8(c.version));
    EXPECT_EQ(rec.Title, QString::fromUtf8(c.title));
    EXPECT_EQ(rec.Description, QString::fromUtf8(c.description));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StepTextCases,
    ::testing::Values(
        TextCase{0, false, "7.0.0", "テスト会計１５のデータ形式に変換", "１）テスト会計１５のデータ形式に変換する。"},
        TextCase{1, false, "7.0.0", "個別原価管理機能の追加", "１）個別原価管理機能を追加する。"},
        TextCase{2, false, "10.0.4", "機能強化および不具合修正", "１）機能強化および不具合の修正（詳しくはＨＰで確認ください）"},
        TextCase{3, false, "10.0.4", "オペレータの種類に承認者を追加", "１）オペレータの種類に承認者を追加しました。"},
        TextCase{0, true, "4.0.0", "テスト会計１２のデータ形式に変換",
                 "１）テスト会計１２のデータ形式に変換します。\r２）過年度残高集計処理を高速化します。"},
        TextCase{0, true, "6.1.0", "テスト会計１４ 消費税改正版のデータ形式に変換 他", "１）２０１４年４月の消費税改正 に対応します。\r"},
        TextCase{0, true, "7.0.0", "テスト会計１５のデータ形式に変換 他",
                 "１）テスト会計１５のデータ形式に変換します。\r２）「個人／農業」体系を新たに追加し、青色申告決算書（農業所得用）を作成します。"},
        TextCase{1, true, "7.0.0", "テスト会計１５のデータ形式に変換 他",
                 "１）テスト会計１５のデータ形式に変換します。\r２）「個人／農業」体系を新たに追加し、青色申告決算書（農業所得用）を作成します。"
                 "\r３）個別原価管理機能を新たに追加します。"},
        TextCase{1, true, "7.0.4", "消費税・特定課税仕入れ に対応", "１）消費税申告書・付表の新様式に対応します。\r"},
        TextCase{1, true, "8.0.0", "テスト会計１６のデータ形式に変換 他", "１）テスト会計１６のデータ形式に変換する。\r２）マイナンバー制度に対応する。"},
        TextCase{2, true, "8.0.2", "不具合修正", "１）不具合を修正（詳しくはＨＰで確認ください）"},
        TextCase{3, true, "8.0.2", "予算管理機能強化", "１）法人データの予算管理を強化します。"},
        TextCase{1, true, "9.0.0", "機能強化および不具合修正", "１）機能強化および不具合の修正（詳しくはＨＰで確認ください）"},
        TextCase{0, true, "0.2.1", "過年度残高の修復 ", "過年度残高を修復します。"}),
    [](const ::testing::TestParamInfo<TextCase> &info) {
        std::string name = "Edition" + std::to_string(info.param.edition) + (info.param.company ? "_Company_" : "_System_") +
                           info.param.version;
        for (char &ch : name)
            if (ch == '.') ch = '_';
        return name;
    });

// ---- the version read from the open database -------------------------------

using DbVersionReadTest = DbFixture;

TEST_F(DbVersionReadTest, CompanyAndSystemVersionsComeFromTheirDatabases)
{
    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    TDbUpdateBox box;

    // Fresh databases are at the newest versions.
    box.SetUpdateList(1, QString());
    EXPECT_EQ(box.DbVersion(), TDbVersionRec({11, 0, 0}));
    EXPECT_FALSE(box.UpdateNeeded());
    box.SetUpdateList(0, QString());
    EXPECT_EQ(box.DbVersion(), TDbVersionRec({10, 0, 4}));
    EXPECT_FALSE(box.UpdateNeeded());

    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCVERSION SET MAJOR=10,MINOR1=0,MINOR2=5 WHERE REC=1"));
    box.SetUpdateList(1, QString());
    EXPECT_EQ(box.DbVersion(), TDbVersionRec({10, 0, 5}));
    ASSERT_TRUE(box.UpdateNeeded());
    EXPECT_EQ(versionText(box.CurrentList()[size_t(box.FirstIndex())]), QStringLiteral("11.0.0"));
    EXPECT_EQ(box.BackupCount(), 1);

    // The system version is the highest row.
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE VERSION SET MAJOR=9,MINOR1=0,MINOR2=4"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO VERSION (MAJOR,MINOR1,MINOR2,MEMO) VALUES (5,0,0,'')"));
    box.SetUpdateList(0, QString());
    EXPECT_EQ(box.DbVersion(), TDbVersionRec({9, 0, 4}));
    ASSERT_TRUE(box.UpdateNeeded());
    EXPECT_EQ(versionText(box.CurrentList()[size_t(box.FirstIndex())]), QStringLiteral("10.0.4"));
    EXPECT_EQ(box.BackupCount(), 1);

    // No version row: 0.0.0, every step pending.
    exec(QStringLiteral("ACCDAT"), QStringLiteral("DELETE FROM ACCVERSION"));
    box.SetUpdateList(1, QString());
    EXPECT_EQ(box.DbVersion(), TDbVersionRec());
    EXPECT_EQ(box.ListView1->rowCount(), 55);
    EXPECT_EQ(box.BackupCount(), 51);

    dm->fnAccDatDisConnected(root.companyDir, false, false);
    dm->IBDatabaseDEF.close();
}

TEST_F(DbVersionReadTest, AFailedReadIsReportedAndCountsAsVersionZero)
{
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    TDbUpdateBox box;
    box.SetUpdateList(1, QString()); // no company database is open
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("データベースバージョンの取得に失敗しました。")));
    EXPECT_EQ(box.DbVersion(), TDbVersionRec());
    EXPECT_TRUE(box.UpdateNeeded());
    EXPECT_EQ(box.FirstIndex(), 0);
}
