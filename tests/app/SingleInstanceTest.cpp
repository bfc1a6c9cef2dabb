// The single-instance check: a lock folder that cannot be used is an error
// naming the folder, never taken for a copy that is running.
#include "support/TestEnv.h"
#include "support/TmpfsMount.h"

#include "app/MainForm.h"
#include "app/Startup.h"

#include <gtest/gtest.h>

#include <QFile>

using platform::NamedLock;

namespace {

class SingleInstanceTest : public ::testing::Test
{
protected:
    void SetUp() override { m_saved = qgetenv("SOLTEA_RUNTIME_DIR"); }
    void TearDown() override { qputenv("SOLTEA_RUNTIME_DIR", m_saved); }
    static void useFolder(const QString &dir) { qputenv("SOLTEA_RUNTIME_DIR", QFile::encodeName(dir)); }

    static QString unusable(const QString &dir)
    {
        return QStringLiteral("ロックファイルのフォルダ(%1)を使用できません。\rアプリケーションを強制終了します。").arg(dir);
    }

    // The check and the program's entry on an unusable folder: one error box
    // naming it, no lock taken, and the program ends.
    void expectRefusedWithTheFolderNamed(const QString &dir)
    {
        useFolder(dir);
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        NamedLock own(QStringLiteral("SOLTEA_RENDO"));
        EXPECT_FALSE(CheckSingleInstance(own));
        EXPECT_FALSE(own.isAcquired());
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, unusable(dir));
        EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtError);

        boxes.answer(mrOk);
        EXPECT_EQ(RunWizardProgram({}, QString()), 1);
        ASSERT_EQ(boxes.shown.size(), 2);
        EXPECT_EQ(boxes.shown[1].text, unusable(dir));
        EXPECT_TRUE(boxes.allAnswered());
    }

private:
    QByteArray m_saved;
};

} // namespace

TEST_F(SingleInstanceTest, ARuntimeFolderThatIsAPlainFileIsNamed)
{
    const QString file = testenv::freshDir(QStringLiteral("single-plain")) + QStringLiteral("/runtime");
    testenv::writeFile(file, "x");
    expectRefusedWithTheFolderNamed(file);
}

TEST_F(SingleInstanceTest, ARuntimeFolderOnAReadOnlyMountIsNamed)
{
    TmpfsMount ro(testenv::freshDir(QStringLiteral("single-ro")));
    if (!ro.mounted()) GTEST_SKIP() << "a read-only tmpfs cannot be mounted here (needs root and mount rights)";
    expectRefusedWithTheFolderNamed(ro.dir());
}

TEST_F(SingleInstanceTest, ACopyHoldingTheMarkIsStillARunningCopy)
{
    useFolder(testenv::freshDir(QStringLiteral("single-held")));
    ScriptedMessages boxes;
    NamedLock first(QStringLiteral("SOLTEA_RENDO"));
    ASSERT_TRUE(CheckSingleInstance(first));
    NamedLock second(QStringLiteral("SOLTEA_RENDO"));
    boxes.answer(mrOk);
    EXPECT_FALSE(CheckSingleInstance(second));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("アプリケーションは既に起動しています。"));
    EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtInformation);
}
