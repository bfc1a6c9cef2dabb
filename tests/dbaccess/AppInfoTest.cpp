#include "dbaccess/AppInfo.h"
#include "dbaccess/Globals.h"
#include "platform/Cp932.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

// A program path whose folder holds the given AppInfo.ini text.
QString programWith(const QString &name, const QString &ini)
{
    const QString dir = testenv::freshDir(name);
    testenv::writeFile(dir + QStringLiteral("/AppInfo.ini"), platform::toCp932(ini));
    return dir + QStringLiteral("/soltea-rendo");
}

} // namespace

TEST(AppInfo, ShippedFileReadsCompletely)
{
    const QString dir = testenv::freshDir(QStringLiteral("shipped"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PROJECT_RESOURCES_DIR "/AppInfo.ini"), dir + QStringLiteral("/AppInfo.ini")));
    TAppInfoRec rec;
    ASSERT_EQ(LoadAppInfo(dir + QStringLiteral("/prog"), rec), 1);
    EXPECT_EQ(rec.Rirev.DataDefFile, QStringLiteral("vqaccdef.fdb"));
    EXPECT_EQ(rec.Rirev.HomeDir, QStringLiteral("quenta\\dorvelzaimu"));
    EXPECT_EQ(rec.Menu.DataConZeq02, QStringLiteral("ＺｅＱ復元"));
    EXPECT_EQ(rec.Rirev.DataListCnt, 120);
    EXPECT_NE(rec.Application.OEM, QStringLiteral("MeridaData"));
}

TEST(AppInfo, ResultsAndDefaults)
{
    TAppInfoRec rec;
    // No file: 0 and the record untouched.
    rec.Rirev.AppName = QStringLiteral("untouched");
    EXPECT_EQ(LoadAppInfo(testenv::freshDir(QStringLiteral("nofile")) + QStringLiteral("/prog"), rec), 0);
    EXPECT_EQ(rec.Rirev.AppName, QStringLiteral("untouched"));

    // OEM present but empty: -1 and the built-in values.
    EXPECT_EQ(LoadAppInfo(programWith(QStringLiteral("emptyoem"), QStringLiteral("[Application]\r\nOEM=\r\n[Rirev]\r\nAppName=x\r\n")), rec), -1);
    EXPECT_EQ(rec.Application.OEM, QStringLiteral("-"));
    EXPECT_EQ(rec.Rirev.AppName, QStringLiteral("vqzaimu"));
    EXPECT_EQ(rec.Rirev.DataFile, QStringLiteral("vqacc.fdb"));
    EXPECT_EQ(rec.Rirev.DataListCnt, 120);

    // OEM without section Rirev: 1 and empty database names (no built-ins).
    EXPECT_EQ(LoadAppInfo(programWith(QStringLiteral("norirev"), QStringLiteral("[Application]\r\nOEM=MeridaData\r\nVerMajorDiff=x\r\nVerMinorDiff=2\r\n")), rec), 1);
    EXPECT_EQ(rec.Application.OEM, QStringLiteral("MeridaData"));
    EXPECT_TRUE(rec.Rirev.DataFile.isEmpty());
    EXPECT_TRUE(rec.Rirev.DataDefFile.isEmpty());
    EXPECT_EQ(rec.Application.VerMajorDiff, 0);
    EXPECT_EQ(rec.Application.VerMinorDiff, 2);
    EXPECT_EQ(rec.Rirev.DataListCnt, 120); // missing

    EXPECT_EQ(LoadAppInfo(programWith(QStringLiteral("abc"), QStringLiteral("[Application]\r\nOEM=Q\r\n[Rirev]\r\nDataListCnt=abc\r\n")), rec), 1);
    EXPECT_EQ(rec.Rirev.DataListCnt, 120);
}

TEST(AppInfo, UnreadableFileGivesMinusTen)
{
    if (!QFile::exists(QStringLiteral("/proc/self/mem"))) GTEST_SKIP() << "no /proc here";
    // A file that exists but whose reading fails.
    const QString dir = testenv::freshDir(QStringLiteral("unreadable"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), dir + QStringLiteral("/AppInfo.ini")));
    TAppInfoRec rec;
    EXPECT_EQ(LoadAppInfo(dir + QStringLiteral("/prog"), rec), -10);
}

TEST(SharedValues, IdentityCopyReplacesProductValues)
{
    const TProductValues saved = Product;
    TAppInfoRec rec;
    ASSERT_EQ(LoadAppInfo(programWith(QStringLiteral("copy"), QStringLiteral(
        "[Application]\r\nOEM=Q\r\n[Rirev]\r\nDataListCnt=200\r\nDataBackupFile=other.fbk\r\nDataFile=co.fdb\r\n"
        "DataInitFile=acc%d.gbk\r\n[EChobo]\r\nDataDir=view\r\n")), rec), 1);
    SetFrameworkGlobals(rec);
    EXPECT_EQ(Product.DataListCnt, 200);
    EXPECT_EQ(Product.DataBackupFile, QStringLiteral("other.fbk"));
    EXPECT_EQ(WorkBackupFile, QStringLiteral("vqacc.fbk"));
    EXPECT_EQ(Product.DataFile, QStringLiteral("co.fdb"));
    EXPECT_EQ(Product.EChoboDataDir, QStringLiteral("view"));
    EXPECT_EQ(Product.InitDataFiles[0], QStringLiteral("acc11.gbk"));
    EXPECT_EQ(Product.InitDataFiles[4], QStringLiteral("acc31.gbk"));
    Product = saved;
}

TEST(SharedValues, ConstantTables)
{
    EXPECT_EQ(WholeCompanyLabels[0], QStringLiteral("法人全体"));
    EXPECT_EQ(WholeCompanyLabels[1], QStringLiteral("総体"));
    EXPECT_EQ(DataKindNames[3], QStringLiteral("医療法人"));
    EXPECT_EQ(FunctionKeyLabels[12], QStringLiteral("F12:"));
    EXPECT_TRUE(IsParentMergeKind(2));
    EXPECT_FALSE(IsParentMergeKind(0));
    EXPECT_FALSE(IsMainRowMergeKind(10));
}
