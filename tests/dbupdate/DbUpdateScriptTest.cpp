#include "support/TestEnv.h"

#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kTime = QStringLiteral("2024/05/06 07:08:09");

// The values of the script frame, a fixed clock, and work, log and sql folders
// of this test.
class DbUpdateScriptTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        base = testenv::freshDir(QStringLiteral("script"));
        SystemDef = TSystemDef();
        SystemDef.PcName = QStringLiteral("PC01");
        SystemDef.OpCode = 10001;
        SystemDef.LoginNo = 1;
        SystemDef.OpName = QStringLiteral("山田");
        SystemDef.DbUser = QStringLiteral("DORVEL");
        SystemDef.DbPassword = QStringLiteral("zoltup");
        SystemDef.SysDir = QStringLiteral("/srv/dorvel/data");
        SystemDef.DataDir = QStringLiteral("/srv/dorvel/data/0001");
        SystemDef.WinTempDir = base + QStringLiteral("/temp");
        SystemDef.LogDir = base + QStringLiteral("/log");
        SystemDef.SqlDir = base + QStringLiteral("/sql");
        QDir().mkpath(SystemDef.WinTempDir);
        SetDbUpdateClock([] { return QDateTime::fromString(kTime, QStringLiteral("yyyy/MM/dd HH:mm:ss")); });
    }
    void TearDown() override
    {
        SetDbUpdateClock({});
        SetIsqlToolPath(QString());
        SystemDef = TSystemDef();
    }

    QString scriptPath() const { return SystemDef.WinTempDir + QStringLiteral("/vqzdataup.sql"); }

    // A stand-in for the SQL tool that writes the given text to the file after "-o".
    QString fakeTool(const QByteArray &output)
    {
        const QString path = base + QStringLiteral("/fake-isql");
        testenv::writeFile(base + QStringLiteral("/fake-output"), output);
        testenv::writeFile(path, "#!/bin/sh\nwhile [ $# -gt 0 ]; do\n  if [ \"$1\" = -o ]; then cp \"" +
                                     QFile::encodeName(base) + "/fake-output\" \"$2\"; fi\n  shift\ndone\n");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return path;
    }
    // A stand-in for the SQL tool that runs the given shell lines; "$OUT" is
    // the file named after "-o".
    QString scriptedTool(const QByteArray &body)
    {
        const QString path = base + QStringLiteral("/scripted-isql");
        testenv::writeFile(path, "#!/bin/sh\nOUT=\nwhile [ $# -gt 0 ]; do\n  if [ \"$1\" = -o ]; then OUT=\"$2\"; fi\n  shift\ndone\n" +
                                     body + "\n");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return path;
    }

    QString base;
};

} // namespace

TEST_F(DbUpdateScriptTest, StampLastInlineStepFrame)
{
    struct Case {
        QString host;
        bool goGlobal;
        QString connect;
    };
    const Case cases[] = {
        {QString(), false, QStringLiteral("CONNECT '/srv/dorvel/data/0001/vqacc.fdb' USER 'DORVEL' PASSWORD 'zoltup';")},
        {QStringLiteral("dbserver"), true,
         QStringLiteral("CONNECT 'dbserver:/srv/dorvel/data/0001/vqacc.fdb' USER 'DORVEL' PASSWORD 'zoltup';")},
        {QString(), true, QStringLiteral("CONNECT ':/srv/dorvel/data/0001/vqacc.fdb' USER 'DORVEL' PASSWORD 'zoltup';")},
    };
    for (const Case &c : cases) {
        SystemDef.HostName = c.host;
        SystemDef.GoGlobal = c.goGlobal;
        TDbUpdateScript script(TDbUpdateTarget::Company, 0, 1, 1);
        script.BeginStampLast(false);
        script.Add(QStringLiteral("INSERT INTO GENKADIV (CODE, GDNAM) VALUES (6, 'リース期間定額法');"));
        script.EndStampLast();
        const QStringList expected = {
            QStringLiteral("/* 2024/05/06 07:08:09,PC01,10001 */"),
            QString(),
            c.connect,
            QStringLiteral("INSERT INTO GENKADIV (CODE, GDNAM) VALUES (6, 'リース期間定額法');"),
            QStringLiteral("UPDATE ACCVERSION SET MAJOR=0,MINOR1=1,MINOR2=1,MEMO='2024/05/06 07:08:09'"),
            QStringLiteral("WHERE REC=1;"),
            QStringLiteral("COMMIT;"),
            QStringLiteral("EXIT;"),
        };
        EXPECT_EQ(script.Lines, expected) << c.host.toStdString();
    }
}

TEST_F(DbUpdateScriptTest, StampFirstFileStepFrame)
{
    // Empty lines are dropped, lines of blanks stay, CP932 text is read as such.
    testenv::writeFile(SystemDef.SqlDir + QStringLiteral("/800/sysup01.sql"),
                       "UPDATE OPERATOR SET JOBLEVEL=9;\r\n\r\n   \r\n" +
                           platform::toCp932(u"INSERT INTO T VALUES ('番号');") + "\r\n");
    testenv::writeFile(SystemDef.SqlDir + QStringLiteral("/800/sysup02.sql"), "COMMIT;");
    for (const QString &host : {QString(), QStringLiteral("dbserver")}) {
        SystemDef.HostName = host;
        TDbUpdateScript script(TDbUpdateTarget::System, 8, 0, 0);
        script.BeginStampFirst(true);
        ASSERT_EQ(script.AddFiles({QStringLiteral("sysup01.sql"), QStringLiteral("sysup02.sql")}, true), DbUpdateDone);
        script.EndStampFirst();
        const QString db = host.isEmpty() ? QStringLiteral("/srv/dorvel/data/vqaccdef.fdb")
                                          : QStringLiteral("dbserver:/srv/dorvel/data/vqaccdef.fdb");
        const QStringList expected = {
            QStringLiteral("/* 2024/05/06 07:08:09,PC01,10001 */"),
            QString(),
            QStringLiteral("CONNECT '%1' USER 'DORVEL' PASSWORD 'zoltup';").arg(db),
            QStringLiteral("SET NAMES SJIS_0208;"),
            QStringLiteral("INSERT INTO VERSION(MAJOR,MINOR1,MINOR2,MEMO) VALUES(8,0,0,'2024/05/06 07:08:09');"),
            QStringLiteral("COMMIT;"),
            QStringLiteral("UPDATE OPERATOR SET JOBLEVEL=9;"),
            QStringLiteral("   "),
            QStringLiteral("INSERT INTO T VALUES ('番号');"),
            QStringLiteral("COMMIT;"),
            QStringLiteral("EXIT;"),
        };
        EXPECT_EQ(script.Lines, expected) << host.toStdString();
    }
}

TEST_F(DbUpdateScriptTest, MissingScriptFiles)
{
    testenv::writeFile(SystemDef.SqlDir + QStringLiteral("/1005/vqzup01.sql"), "SELECT 1 FROM RDB$DATABASE;\r\n");
    const QStringList names = {QStringLiteral("vqzup01.sql"), QStringLiteral("vqzup02.sql")};

    // A step that needs every file: the assembly ends at the missing one.
    TDbUpdateScript strict(TDbUpdateTarget::Company, 10, 0, 5);
    strict.BeginStampFirst(true, true);
    const int linesBefore = strict.Lines.size();
    // even when the step's rules would leave the missing file out
    EXPECT_EQ(strict.AddFiles(names, true, [](const QString &n) { return n == QStringLiteral("vqzup02.sql"); }),
              DbUpdateFileMissing);
    EXPECT_EQ(strict.FileFolder(), SystemDef.SqlDir + QStringLiteral("/1005"));

    // A step that passes missing files over reads the rest.
    TDbUpdateScript lenient(TDbUpdateTarget::Company, 10, 0, 5);
    EXPECT_EQ(lenient.AddFiles(names, false), DbUpdateDone);
    EXPECT_EQ(lenient.Lines, QStringList{QStringLiteral("SELECT 1 FROM RDB$DATABASE;")});
    EXPECT_EQ(strict.Lines.size(), linesBefore + 1);

    // The runner without a script file.
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_EQ(RunIsqlScript(QStringLiteral("10.0.5")), DbUpdateFileMissing);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("更新ファイル(%1)が見つかりません。\r処理を中止します。").arg(scriptPath()));
}

TEST_F(DbUpdateScriptTest, ApostrophesCannotBreakAStatement)
{
    SystemDef.DataDir = QStringLiteral("/srv/O'Hara");
    SystemDef.DbUser = QStringLiteral("O'HARA");
    SystemDef.DbPassword = QStringLiteral("pa'ss");
    SystemDef.OpName = QStringLiteral("O'Hara");
    SystemDef.PcName = QStringLiteral("PC'1");
    TDbUpdateScript script(TDbUpdateTarget::Company, 10, 0, 4);
    script.BeginStampFirst(true, true);
    EXPECT_EQ(script.Lines[2], QStringLiteral("CONNECT \"/srv/O'Hara/vqacc.fdb\" USER 'O''HARA' PASSWORD 'pa''ss';"));
    EXPECT_EQ(script.Lines[4],
              QStringLiteral("UPDATE ACCVERSION SET MAJOR=10,MINOR1=0,MINOR2=4,MEMO='2024/05/06 07:08:09,1,O''Hara,PC''1'"));
    EXPECT_EQ(SqlText(QStringLiteral("'); DROP TABLE SIWAKE; --")), QStringLiteral("''); DROP TABLE SIWAKE; --"));

    // A database path with both quote characters cannot be written at all.
    SystemDef.DataDir = QStringLiteral("/srv/O'Hara \"B\"");
    EXPECT_THROW(script.ConnectLine(), platform::Error);
}

TEST_F(DbUpdateScriptTest, SavedScriptIsCp932WithCrLf)
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 1, 1);
    script.Add(QStringLiteral("INSERT INTO GENKADIV (CODE, GDNAM) VALUES (6, 'リース期間定額法');"));
    script.Add(QStringLiteral("COMMIT;"));
    script.Save(scriptPath());
    EXPECT_EQ(testenv::readFile(scriptPath()),
              platform::toCp932(u"INSERT INTO GENKADIV (CODE, GDNAM) VALUES (6, 'リース期間定額法');") + "\r\nCOMMIT;\r\n");

    TDbUpdateScript bad(TDbUpdateTarget::Company, 0, 1, 1);
    bad.Add(QStringLiteral("SELECT '😀' FROM RDB$DATABASE;"));
    EXPECT_THROW(bad.Save(scriptPath()), platform::Error);
}

TEST_F(DbUpdateScriptTest, ToolThatCannotStart)
{
    SetIsqlToolPath(base + QStringLiteral("/no-such-tool"));
    testenv::writeFile(scriptPath(), "EXIT;\r\n");
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_EQ(RunIsqlScript(QStringLiteral("0.1.1")), DbUpdateToolNotRun);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("ISQL.EXEが起動できません。\r処理を中止します。"));
    EXPECT_TRUE(QFileInfo::exists(scriptPath())); // kept for inspection
}

TEST_F(DbUpdateScriptTest, OutputDecidesTheResult)
{
    struct Case {
        QByteArray output;
        int result;
    };
    const Case cases[] = {
        {"CONNECT ...;\nSELECT 1;\nEXIT;\n", DbUpdateDone},
        {"Error\nStatement failed\n", DbUpdateDone}, // two lines or fewer always pass
        {"CONNECT ...;\nDROP TABLE X;\nStatement failed, SQLSTATE = 42000\n", DbUpdateToolError},
        {"CONNECT ...;\nx\nSQL Error code = -204\n", DbUpdateToolError},
        {"CONNECT ...;\nx\nno error in lower case\n", DbUpdateDone},
    };
    for (const Case &c : cases) {
        SetIsqlToolPath(fakeTool(c.output));
        testenv::writeFile(scriptPath(), "EXIT;\r\n");
        QFile::remove(SystemDef.LogDir + QStringLiteral("/ErrDataup.txt"));
        ScriptedMessages boxes;
        if (c.result == DbUpdateToolError) boxes.answer(mrOk);
        EXPECT_EQ(RunIsqlScript(QStringLiteral("9.0.5")), c.result) << c.output.constData();
        EXPECT_FALSE(QFileInfo::exists(scriptPath()));
        EXPECT_FALSE(QFileInfo::exists(SystemDef.WinTempDir + QStringLiteral("/vqzdataup.log")));
        if (c.result == DbUpdateToolError) {
            ASSERT_EQ(boxes.shown.size(), 1);
            EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Ver 9.0.5のデータベース更新に失敗しました。"));
            EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtError);
            EXPECT_EQ(testenv::readFile(SystemDef.LogDir + QStringLiteral("/ErrDataup.txt")), c.output);
        } else {
            EXPECT_TRUE(boxes.shown.isEmpty());
            EXPECT_FALSE(QFileInfo::exists(SystemDef.LogDir + QStringLiteral("/ErrDataup.txt")));
        }
    }
    // Every failed run is appended to the log.
    const QByteArray log = testenv::readFile(SystemDef.LogDir + QStringLiteral("/ErrDataup.log"));
    EXPECT_TRUE(log.startsWith("CONNECT ...;\r\nDROP TABLE X;\r\nStatement failed, SQLSTATE = 42000\r\nCONNECT ...;\r\nx\r\n"));
    EXPECT_EQ(log.count("CONNECT"), 2);
}

TEST_F(DbUpdateScriptTest, FailingStatementThroughTheRealTool)
{
    if (FindIsqlTool().isEmpty()) GTEST_SKIP() << "the Firebird SQL tool (isql-fb) is not installed";
    const QString folder = testenv::freshDir(QStringLiteral("tooldb"));
    FbDatabase::createDatabase(folder + QStringLiteral("/vqacc.fdb"), QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
    SystemDef.DataDir = folder;
    TDbUpdateScript script(TDbUpdateTarget::Company, 9, 9, 9);
    script.BeginStampLast(false);
    script.Add(QStringLiteral("SELECT * FROM NO_SUCH_TABLE;"));
    script.EndStampLast();
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_EQ(script.Run(), DbUpdateToolError);
    EXPECT_TRUE(LastIsqlOutput().join(u'\n').contains(QStringLiteral("NO_SUCH_TABLE")));
    EXPECT_EQ(boxes.shown.size(), 1);
}

// However the tool ends, a run that did not end normally with an output is a
// failed step: its error, its death or its silence is kept in the error files.
TEST_F(DbUpdateScriptTest, HowTheToolEndedDecidesBesideItsOutput)
{
    struct Case {
        const char *name;
        QByteArray body;
        int result;
        QString lastLine; // of ErrDataup.txt, for a failure
    };
    const QByteArray three = "printf 'CONNECT ...;\\nSELECT 1;\\nEXIT;\\n' > \"$OUT\"";
    const Case cases[] = {
        {"clean", three + "\nexit 0", DbUpdateDone, QString()},
        {"two lines of Error pass", "printf 'Error\\nStatement failed\\n' > \"$OUT\"", DbUpdateDone, QString()},
        {"error exit", three + "\nexit 1", DbUpdateToolError,
         QStringLiteral("(SQLツールがエラーで終了しました。終了コード 1)")},
        {"killed", three + "\nkill -9 $$", DbUpdateToolError, QStringLiteral("(SQLツールが異常終了しました。)")},
        {"no output file", "exit 0", DbUpdateToolError, QStringLiteral("(SQLツールの出力がありません。)")},
        {"empty output file", ": > \"$OUT\"", DbUpdateToolError, QStringLiteral("(SQLツールの出力が空です。)")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetIsqlToolPath(scriptedTool(c.body));
        testenv::writeFile(scriptPath(), "EXIT;\r\n");
        QFile::remove(SystemDef.LogDir + QStringLiteral("/ErrDataup.txt"));
        ScriptedMessages boxes;
        if (c.result == DbUpdateToolError) boxes.answer(mrOk);
        EXPECT_EQ(RunIsqlScript(QStringLiteral("11.0.0")), c.result);
        EXPECT_FALSE(QFileInfo::exists(scriptPath()));
        EXPECT_FALSE(QFileInfo::exists(SystemDef.WinTempDir + QStringLiteral("/vqzdataup.log")));
        if (c.result == DbUpdateToolError) {
            ASSERT_EQ(boxes.shown.size(), 1);
            EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Ver 11.0.0のデータベース更新に失敗しました。"));
            const QString kept = platform::fromCp932(testenv::readFile(SystemDef.LogDir + QStringLiteral("/ErrDataup.txt")));
            EXPECT_TRUE(kept.endsWith(c.lastLine + QStringLiteral("\r\n"))) << kept.toStdString();
            const QString log = platform::fromCp932(testenv::readFile(SystemDef.LogDir + QStringLiteral("/ErrDataup.log")));
            EXPECT_TRUE(log.endsWith(c.lastLine + QStringLiteral("\r\n")));
        } else {
            EXPECT_TRUE(boxes.shown.isEmpty());
            EXPECT_FALSE(QFileInfo::exists(SystemDef.LogDir + QStringLiteral("/ErrDataup.txt")));
        }
    }
}

// The tool echoes the CONNECT statement with the password: the error files
// and the kept output never hold it.
TEST_F(DbUpdateScriptTest, ThePasswordIsMaskedInTheErrorFiles)
{
    SystemDef.DbPassword = QStringLiteral("s3cr'et");
    const QByteArray output = "CONNECT '/srv/dorvel/data/0001/vqacc.fdb' USER 'DORVEL' PASSWORD 's3cr''et';\n"
                              "connect \"/srv/x/vqacc.fdb\" user 'DORVEL' password \"s3cr'et\";\n"
                              "ALTER TABLE X ADD Y INTEGER;\n"
                              "Statement failed, SQLSTATE = 42S02\n"
                              "-s3cr'et\n";
    SetIsqlToolPath(fakeTool(output));
    testenv::writeFile(scriptPath(), "EXIT;\r\n");
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    ASSERT_EQ(RunIsqlScript(QStringLiteral("10.0.5")), DbUpdateToolError);
    const QByteArray kept = testenv::readFile(SystemDef.LogDir + QStringLiteral("/ErrDataup.txt"));
    const QByteArray log = testenv::readFile(SystemDef.LogDir + QStringLiteral("/ErrDataup.log"));
    for (const QByteArray &text : {kept, log, LastIsqlOutput().join(u'\n').toUtf8()}) {
        EXPECT_FALSE(text.contains("s3cr")) << text.constData();
        EXPECT_TRUE(text.contains("USER 'DORVEL' PASSWORD '********';")) << text.constData();
        EXPECT_TRUE(text.contains("password '********';")) << text.constData();
        EXPECT_TRUE(text.contains("Statement failed, SQLSTATE = 42S02"));
    }
    // A password too short to be told from the text around it is masked in
    // the CONNECT statement only.
    SystemDef.DbPassword = QStringLiteral("ab");
    EXPECT_EQ(MaskPasswords(QStringLiteral("CONNECT 'x' USER 'U' PASSWORD 'ab';\rTABLE ab")),
              QStringLiteral("CONNECT 'x' USER 'U' PASSWORD '********';\rTABLE ab"));
}
