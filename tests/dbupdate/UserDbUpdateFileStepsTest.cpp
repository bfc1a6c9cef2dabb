// The company file steps 3.0.0 to 11.0.0: which script files each step reads
// for medical and general data, each edition and each data kind, the frame of
// their scripts, their own statements, and what happens when a file is missing.
// The scripts are built from a sql folder of marker files and not run.
#include "support/TestEnv.h"

#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

const QString kTime = QStringLiteral("2024/05/06 07:08:09");

TUserFileStepFacts general(int dataType = 1, int edition = 0)
{
    TUserFileStepFacts f;
    f.Medical = false;
    f.DataType = dataType;
    f.CodeType = dataType == 3 ? 2 : 1;
    f.Edition = edition;
    f.SyokutiCode = QStringLiteral("9999");
    return f;
}

TUserFileStepFacts medical(int edition = 0)
{
    TUserFileStepFacts f = general(3, edition);
    f.Medical = true;
    f.CodeType = 1;
    return f;
}

// "01,02" for the files vqzup01.sql and vqzup02.sql; "70201" for vqzup70201.sql.
QString files(const QStringList &names)
{
    QStringList out;
    for (const QString &n : names) out << n.mid(5, n.size() - 9);
    return out.join(u',');
}

class UserDbUpdateFileStepsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        base = testenv::freshDir(QStringLiteral("filesteps"));
        SystemDef = TSystemDef();
        SystemDef.PcName = QStringLiteral("PC01");
        SystemDef.OpCode = 10001;
        SystemDef.LoginNo = 7;
        SystemDef.OpName = QStringLiteral("山田");
        SystemDef.DbUser = QStringLiteral("DORVEL");
        SystemDef.DbPassword = QStringLiteral("zoltup");
        SystemDef.DataDir = QStringLiteral("/srv/dorvel/data/0001");
        SystemDef.WinTempDir = base + QStringLiteral("/temp");
        SystemDef.LogDir = base + QStringLiteral("/log");
        SystemDef.SqlDir = base + QStringLiteral("/sql");
        QDir().mkpath(SystemDef.WinTempDir);
        SetDbUpdateClock([] { return QDateTime::fromString(kTime, QStringLiteral("yyyy/MM/dd HH:mm:ss")); });
        // Every listed file of every step, each holding a marker line and an empty line.
        for (const TUserFileStep &s : UserFileSteps())
            for (const QString &name : s.Files) testenv::writeFile(path(s, name), "/* FILE " + name.toLatin1() + " */\r\n\r\n");
    }
    void TearDown() override
    {
        SetDbUpdateClock({});
        SystemDef = TSystemDef();
    }

    static QString folder(const TUserFileStep &s)
    {
        return SystemDef.SqlDir + u'/' + QString::number(s.Major) + QString::number(s.Minor1) + QString::number(s.Minor2);
    }
    static QString path(const TUserFileStep &s, const QString &name) { return folder(s) + u'/' + name; }

    static const TUserFileStep &step(const QString &version)
    {
        const QStringList v = version.split(u'.');
        const TUserFileStep *s = FindUserFileStep(v[0].toInt(), v[1].toInt(), v[2].toInt());
        if (!s) throw std::runtime_error("no file step " + version.toStdString());
        return *s;
    }

    // The script of a step and the files it read, in order.
    struct Built {
        int result = 0;
        QStringList lines;
        QStringList read;
    };
    static Built build(const QString &version, const TUserFileStepFacts &facts)
    {
        const TUserFileStep &s = step(version);
        TDbUpdateScript script(TDbUpdateTarget::Company, s.Major, s.Minor1, s.Minor2);
        Built b;
        b.result = BuildUserFileStep(script, s, facts);
        b.lines = script.Lines;
        static const QRegularExpression marker(QStringLiteral("^/\\* FILE (\\S+) \\*/$"));
        for (const QString &l : script.Lines) {
            const auto m = marker.match(l);
            if (m.hasMatch()) b.read << m.captured(1);
        }
        return b;
    }
    static QString readFiles(const QString &version, const TUserFileStepFacts &facts)
    {
        return files(build(version, facts).read);
    }

    QString base;
};

struct FileCase {
    const char *version;
    const char *general; // files read for general corporation data of edition 0
    const char *medical; // files read for medical-corporation data of edition 0
};

// The rule tables of the steps, written out as the files each reads.
const FileCase kCases[] = {
    {"3.0.0", "01,02,03,04,05,06,07,08,09,10", "01,02,03,04,05,06,07,08,09,10"},
    {"3.0.1", "01", "01"},
    {"3.0.3", "", "01,02,03,04,05,06"},
    {"3.0.4", "01,02,03,04", "01,02,03,04"},
    {"3.0.6", "", ""},
    {"3.0.7", "01,08", "01,02,03,04,05,06,07,08"},
    {"4.0.0", "01,02,03,06,07,08", "01,04,05,06,09"},
    {"4.0.2", "01,02,03,04,05,06", "01,03,04,05,06"},
    {"5.0.0", "02,04,05,06,07,08,10,11", "01,03,04,05,06,07,08,11"},
    {"5.0.2", "01", "02"},
    {"5.0.5", "01,02,04", "01,03"},
    {"6.0.0", "01,02,03,04,05,06,07,08,09,15,16,18", "01,02,10,11,12,13,14,15,17,18"},
    {"6.1.0", "01,02,03,04", "01,02,03,05"},
    {"6.1.3", "01,03,04,05,06,07", "01,02,04,05,07"},
    {"7.0.0", "01,02,03,08,10,11", "04,05,06,07,09,10"},
    {"7.0.2", "01,02", "01,02"},
    {"7.0.3", "02,03", "01,02,03"},
    {"7.0.4", "70201,70202,01,02,03", "70201,70202,01,02,04"},
    {"8.0.0", "01,02,03,04,05,06", "01,02,03,04,05,06"},
    {"8.0.2", "01,02,05,06,07", "03,04,05,06,07"},
    {"8.0.3", "01", ""},
    {"9.0.0", "01,02,03,04", "01,02,03,05"},
    {"9.0.1", "01", "01"},
    {"9.0.2", "01,02,05", "01,02,03,04,05"},
    {"9.0.3", "01", "02"},
    {"9.0.4", "01,02,03,04,06", "02,03,05,07"},
    {"9.0.5", "01", "02"},
    {"10.0.0", "01,02,03,04", "01,02,03"},
    {"10.0.1", "01,02,03", "01,02,04"},
    {"10.0.3", "01", "01,02,03"},
    {"10.0.4", "01,02,03", "01,02,03"},
    {"10.0.5", "01", "01"},
    {"11.0.0", "01,02,03,04,05,06,08", "01,02,03,04,05,07"},
};

// The steps whose rules look at the edition or the data kind.
bool rulesReadKindOrEdition(const QString &version)
{
    return version == u"5.0.0" || version == u"5.0.5";
}

} // namespace

TEST_F(UserDbUpdateFileStepsTest, EveryFileStepIsTabled)
{
    QStringList listed, tabled;
    for (const TUserFileStep &s : UserFileSteps()) listed << QStringLiteral("%1.%2.%3").arg(s.Major).arg(s.Minor1).arg(s.Minor2);
    for (const FileCase &c : kCases) tabled << QString::fromLatin1(c.version);
    EXPECT_EQ(listed, tabled);
    int names = 0;
    for (const TUserFileStep &s : UserFileSteps()) names += int(s.Files.size());
    EXPECT_EQ(names, 175);
}

TEST_F(UserDbUpdateFileStepsTest, FilesReadForGeneralAndMedicalData)
{
    for (const FileCase &c : kCases) {
        const QString v = QString::fromLatin1(c.version);
        EXPECT_EQ(readFiles(v, general()), QString::fromLatin1(c.general)) << c.version << " general";
        EXPECT_EQ(readFiles(v, medical()), QString::fromLatin1(c.medical)) << c.version << " medical";
    }
}

TEST_F(UserDbUpdateFileStepsTest, OtherEditionsAndDataKindsReadTheSameFilesWhereNoRuleLooksAtThem)
{
    for (const FileCase &c : kCases) {
        const QString v = QString::fromLatin1(c.version);
        if (rulesReadKindOrEdition(v)) continue;
        for (int edition : {0, 1, 2, 3}) {
            for (int kind : {1, 2, 3})
                EXPECT_EQ(readFiles(v, general(kind, edition)), QString::fromLatin1(c.general))
                    << c.version << " general kind " << kind << " edition " << edition;
            EXPECT_EQ(readFiles(v, medical(edition)), QString::fromLatin1(c.medical)) << c.version << " medical edition " << edition;
        }
    }
}

TEST_F(UserDbUpdateFileStepsTest, RulesOnEditionAndDataKind)
{
    struct Case {
        const char *version;
        TUserFileStepFacts facts;
        const char *read;
    };
    const Case cases[] = {
        // 5.0.0: vqzup09 only outside edition 0.
        {"5.0.0", general(1, 1), "02,04,05,06,07,08,09,10,11"},
        {"5.0.0", general(2, 2), "02,04,05,06,07,08,09,10,11"},
        {"5.0.0", general(1, 3), "02,04,05,06,07,08,09,10,11"},
        {"5.0.0", medical(1), "01,03,04,05,06,07,08,09,11"},
        // 5.0.5: vqzup04 for edition 0 (and others but 1 and 2), vqzup05 for
        // editions other than 0, neither for the data kinds 2 and 3.
        {"5.0.5", general(1, 0), "01,02,04"},
        {"5.0.5", general(1, 1), "01,02,05"},
        {"5.0.5", general(1, 2), "01,02,05"},
        {"5.0.5", general(1, 3), "01,02,04,05"},
        {"5.0.5", general(2, 0), "01,02"},
        {"5.0.5", general(2, 1), "01,02"},
        {"5.0.5", general(3, 0), "01,02"},
        {"5.0.5", general(3, 2), "01,02"},
        {"5.0.5", medical(0), "01,03"},
        {"5.0.5", medical(1), "01,03"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(readFiles(QString::fromLatin1(c.version), c.facts), QString::fromLatin1(c.read))
            << c.version << " kind " << c.facts.DataType << " edition " << c.facts.Edition << " medical " << c.facts.Medical;
}

TEST_F(UserDbUpdateFileStepsTest, RulesOnWhatThePreStepsFound)
{
    TUserFileStepFacts f = general();
    f.HasKamokuUpdate2 = true;
    EXPECT_EQ(readFiles(QStringLiteral("3.0.4"), f), QStringLiteral("01,02,03"));

    TUserFileStepFacts m = medical();
    m.AccountLayout = 1;
    EXPECT_EQ(readFiles(QStringLiteral("3.0.6"), m), QStringLiteral("01"));
    m.AccountLayout = 2;
    EXPECT_EQ(readFiles(QStringLiteral("3.0.6"), m), QStringLiteral("02"));
    m.AccountLayout = 0;
    EXPECT_EQ(readFiles(QStringLiteral("3.0.6"), m), QString());

    f = general();
    f.HasTaxCode116 = true;
    EXPECT_EQ(readFiles(QStringLiteral("7.0.4"), f), QStringLiteral("01,02,03"));
    m = medical();
    m.HasTaxCode116 = true;
    EXPECT_EQ(readFiles(QStringLiteral("7.0.4"), m), QStringLiteral("01,02,04"));
}

TEST_F(UserDbUpdateFileStepsTest, FrameOfTheScripts)
{
    const QString stamp = QStringLiteral("UPDATE ACCVERSION SET MAJOR=%1,MINOR1=%2,MINOR2=%3,MEMO='%4'");
    for (const FileCase &c : kCases) {
        const QString v = QString::fromLatin1(c.version);
        const TUserFileStep &s = step(v);
        const Built b = build(v, general());
        ASSERT_EQ(b.result, DbUpdateDone) << c.version;
        const int key = s.Major * 10000 + s.Minor1 * 100 + s.Minor2;
        const bool setNames = key >= 30006;
        const bool stampFirst = key >= 50005;
        const bool operatorMemo = key >= 100001 && key <= 100005;
        const QString memo = operatorMemo ? kTime + QStringLiteral(",7,山田,PC01") : kTime;

        EXPECT_EQ(b.lines.value(0), QStringLiteral("/* %1,PC01,10001 */").arg(kTime)) << c.version;
        EXPECT_EQ(b.lines.value(1), QString()) << c.version;
        EXPECT_TRUE(b.lines.value(2).startsWith(QStringLiteral("CONNECT '/srv/dorvel/data/0001/vqacc.fdb'"))) << c.version;
        int at = 3;
        if (setNames) EXPECT_EQ(b.lines.value(at++), QStringLiteral("SET NAMES SJIS_0208;")) << c.version;
        else EXPECT_FALSE(b.lines.contains(QStringLiteral("SET NAMES SJIS_0208;"))) << c.version;
        const QString stampLine = stamp.arg(s.Major).arg(s.Minor1).arg(s.Minor2).arg(memo);
        const qsizetype stampAt = b.lines.indexOf(stampLine);
        ASSERT_GE(stampAt, 0) << c.version;
        EXPECT_EQ(b.lines.value(stampAt + 1), QStringLiteral("WHERE REC=1;"));
        EXPECT_EQ(b.lines.value(stampAt + 2), QStringLiteral("COMMIT;"));
        if (stampFirst) {
            EXPECT_EQ(stampAt, at) << c.version;
            EXPECT_NE(b.lines.value(b.lines.size() - 2), QStringLiteral("COMMIT;")) << c.version << ": no COMMIT of the frame after the files";
        } else {
            EXPECT_EQ(stampAt, b.lines.size() - 4) << c.version;
        }
        EXPECT_EQ(b.lines.last(), QStringLiteral("EXIT;")) << c.version;
        // Empty lines of the files are dropped.
        EXPECT_EQ(b.lines.count(QString()), 1) << c.version;
    }
}

TEST_F(UserDbUpdateFileStepsTest, Step303UnlocksAnAccountNameOfIndividualRealEstateData)
{
    TUserFileStepFacts f = general(2);
    f.CodeType = 2;
    const Built b = build(QStringLiteral("3.0.3"), f);
    ASSERT_GE(b.lines.size(), 6);
    EXPECT_EQ(b.lines.mid(3, 3), QStringList({QStringLiteral("UPDATE EXTERKS SET KNAMELOCK=0"),
                                               QStringLiteral("WHERE KGROUP='4100' AND SUBREC=3;"), QStringLiteral("COMMIT;")}));
    for (const TUserFileStepFacts &other : {general(1), general(2), medical()})
        EXPECT_FALSE(build(QStringLiteral("3.0.3"), other).lines.contains(QStringLiteral("UPDATE EXTERKS SET KNAMELOCK=0")));
    // Individual data of the other code systems: frame and stamp only.
    EXPECT_EQ(build(QStringLiteral("3.0.3"), general(1)).lines.size(), 3 + 4);
}

TEST_F(UserDbUpdateFileStepsTest, Step400StatementsAfterItsFiles)
{
    TUserFileStepFacts f = general();
    f.SyokutiCode = QStringLiteral("9999");
    Built b = build(QStringLiteral("4.0.0"), f);
    const qsizetype last = b.lines.lastIndexOf(QStringLiteral("/* FILE vqzup08.sql */"));
    ASSERT_GE(last, 0);
    EXPECT_EQ(b.lines.mid(last + 1, 3),
              QStringList({QStringLiteral("UPDATE KAMOKUMST SET HOJOSW=CASE WHEN (SELECT COUNT(*) FROM HOJOMST WHERE (KCODE='9999' "
                                          "AND HCODE<>''))=0 THEN '－' ELSE '○' END"),
                           QStringLiteral("WHERE (KCODE='9999') AND (HOJOSW='×');"), QStringLiteral("COMMIT;")}));
    EXPECT_FALSE(b.lines.join(u'\n').contains(QStringLiteral("ACCDEF5")));
    EXPECT_FALSE(b.lines.join(u'\n').contains(QStringLiteral("CASHFMST")));

    f.Siten = 1;
    f.Bumon = 2;
    b = build(QStringLiteral("4.0.0"), f);
    EXPECT_TRUE(b.lines.contains(QStringLiteral("UPDATE ACCDEF5 SET NUM1=0 WHERE (SCODE='');")));
    EXPECT_TRUE(b.lines.contains(QStringLiteral("UPDATE ACCDEF5 SET NUM1=0 WHERE (BCODE='');")));

    TUserFileStepFacts m = medical();
    m.SyokutiCode = QStringLiteral("1999");
    b = build(QStringLiteral("4.0.0"), m);
    const QString text = b.lines.join(u'\n');
    EXPECT_EQ(text.count(QStringLiteral("UPDATE CASHFMST SET")), 6);
    EXPECT_TRUE(b.lines.contains(QStringLiteral("INSERT INTO CASHFMST (CM_REC,CM_JIGYOU,CM_KIND,CM_GROUP,CM_ORDER,CM_DEL,CM_MKU,"
                                                "CM_MARGIN,CM_NAME1,CM_HOSEI)\r\nVALUES (43,15,1,40,38,1,1,0,'Ⅳ　現金及び現金同等物に係る換算差額',0);")));
    EXPECT_TRUE(text.contains(QStringLiteral("KCODE='1999'")));

    // A code cannot end its string literal early.
    f.SyokutiCode = QStringLiteral("99'9");
    EXPECT_TRUE(build(QStringLiteral("4.0.0"), f).lines.join(u'\n').contains(QStringLiteral("KCODE='99''9'")));
}

TEST_F(UserDbUpdateFileStepsTest, MissingFilesUpTo702ArePassedOver)
{
    const TUserFileStep &s = step(QStringLiteral("7.0.2"));
    QFile::remove(path(s, QStringLiteral("vqzup01.sql")));
    const Built b = build(QStringLiteral("7.0.2"), general());
    EXPECT_EQ(b.result, DbUpdateDone);
    EXPECT_EQ(files(b.read), QStringLiteral("02"));

    const TUserFileStep &s6 = step(QStringLiteral("6.0.0"));
    QFile::remove(path(s6, QStringLiteral("vqzup05.sql")));
    EXPECT_EQ(readFiles(QStringLiteral("6.0.0"), general()), QStringLiteral("01,02,03,04,06,07,08,09,15,16,18"));
}

TEST_F(UserDbUpdateFileStepsTest, FromStep703AMissingFileEndsTheStepAlsoWhenItsRulesLeaveItOut)
{
    struct Case {
        const char *version;
        const char *missing;
        TUserFileStepFacts facts;
    };
    TUserFileStepFacts with116 = general();
    with116.HasTaxCode116 = true;
    const Case cases[] = {
        {"7.0.3", "vqzup01.sql", general()},  // left out for general data
        {"7.0.4", "vqzup70202.sql", with116}, // left out when tax code 116 exists
        {"8.0.2", "vqzup07.sql", general()},
        {"10.0.4", "vqzup02.sql", medical()},
        {"11.0.0", "vqzup08.sql", medical()}, // left out for medical data
    };
    for (const Case &c : cases) {
        const QString v = QString::fromLatin1(c.version);
        const TUserFileStep &s = step(v);
        const QString p = path(s, QString::fromLatin1(c.missing));
        ASSERT_TRUE(QFile::remove(p));
        EXPECT_EQ(build(v, c.facts).result, DbUpdateFileMissing) << c.version;
        // Running it writes no script and starts no tool.
        QFile::remove(SystemDef.WinTempDir + QStringLiteral("/vqzdataup.sql"));
        SetIsqlToolPath(QStringLiteral("/nonexistent/isql"));
        EXPECT_EQ(RunUserFileStep(s.Major, s.Minor1, s.Minor2, c.facts), DbUpdateFileMissing) << c.version;
        SetIsqlToolPath(QString());
        EXPECT_FALSE(QFile::exists(SystemDef.WinTempDir + QStringLiteral("/vqzdataup.sql"))) << c.version;
        testenv::writeFile(p, "/* FILE x */\r\n");
    }
}

TEST_F(UserDbUpdateFileStepsTest, TheInstalledSqlFolderHoldsEveryListedFile)
{
    const QString installed = QStringLiteral(PROJECT_RESOURCES_DIR "/sqlsteps");
    for (const TUserFileStep &s : UserFileSteps()) {
        const QString dir = installed + u'/' + QString::number(s.Major) + QString::number(s.Minor1) + QString::number(s.Minor2);
        for (const QString &name : s.Files) {
            QFile f(dir + u'/' + name);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
            EXPECT_FALSE(f.readAll().trimmed().isEmpty()) << f.fileName().toStdString() << " holds at least a comment line";
        }
    }
}
