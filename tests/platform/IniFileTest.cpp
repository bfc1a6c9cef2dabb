#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/IniFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(IniFile, ReadsWindowsStyleFileWithoutCase)
{
    const QString path = testenv::freshDir(QStringLiteral("ini1")) + QStringLiteral("/a.ini");
    testenv::writeFile(path, toCp932(QStringLiteral("; comment\r\n[Local]\r\n HostName = srv01 \r\nUSER=\"dorvel\"\r\n"
                                                    "Empty=\r\nName=株式会社①\r\n[Other]\r\nHostName=x\r\n")));
    IniFile ini(path);
    EXPECT_EQ(ini.readString(QStringLiteral("LOCAL"), QStringLiteral("hostname")), QStringLiteral("srv01"));
    EXPECT_EQ(ini.readString(QStringLiteral("local"), QStringLiteral("User")), QStringLiteral("dorvel"));
    EXPECT_EQ(ini.readString(QStringLiteral("Local"), QStringLiteral("Empty"), QStringLiteral("d")), QString());
    EXPECT_EQ(ini.readString(QStringLiteral("Local"), QStringLiteral("Missing"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(ini.readString(QStringLiteral("Local"), QStringLiteral("Name")), QStringLiteral("株式会社①"));
    EXPECT_EQ(ini.readString(QStringLiteral("Other"), QStringLiteral("HostName")), QStringLiteral("x"));
    EXPECT_EQ(ini.readSection(QStringLiteral("LOCAL")),
              QStringList({QStringLiteral("HostName"), QStringLiteral("USER"), QStringLiteral("Empty"), QStringLiteral("Name")}));
    EXPECT_EQ(ini.readInteger(QStringLiteral("Local"), QStringLiteral("HostName"), 7), 7);
}

TEST(IniFile, WritesKeepOtherLinesAndRoundTripInCp932)
{
    const QString path = testenv::freshDir(QStringLiteral("ini2")) + QStringLiteral("/b.ini");
    testenv::writeFile(path, QByteArray("; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n"));
    {
        IniFile ini(path);
        ini.writeString(QStringLiteral("a"), QStringLiteral("X"), QStringLiteral("3"));      // replaces, any case
        ini.writeString(QStringLiteral("A"), QStringLiteral("name"), QStringLiteral("㈱テスト～")); // appends in A
        ini.writeString(QStringLiteral("C"), QStringLiteral("z"), QStringLiteral("new"));    // new section at the end
        ini.deleteKey(QStringLiteral("B"), QStringLiteral("y"));
    }
    const QByteArray bytes = testenv::readFile(path);
    EXPECT_EQ(fromCp932(bytes), QStringLiteral("; keep me\r\n[A]\r\nx=3\r\nname=㈱テスト～\r\n\r\n[B]\r\n[C]\r\nz=new\r\n"));
    IniFile again(path);
    EXPECT_EQ(again.readString(QStringLiteral("A"), QStringLiteral("NAME")), QStringLiteral("㈱テスト～"));
    again.eraseSection(QStringLiteral("a"));
    EXPECT_FALSE(IniFile(path).sectionExists(QStringLiteral("A")));
    EXPECT_TRUE(IniFile(path).sectionExists(QStringLiteral("C")));
}

TEST(IniFile, WriteSectionReplacesInPlaceAndErrorsReachTheCaller)
{
    const QString dir = testenv::freshDir(QStringLiteral("ini3"));
    const QString path = dir + QStringLiteral("/c.ini");
    testenv::writeFile(path, QByteArray("[S]\r\nold=1\r\n[T]\r\nt=1\r\n"));
    IniFile ini(path);
    ini.writeSection(QStringLiteral("s"), {QStringLiteral("a=1"), QStringLiteral("b=2")});
    EXPECT_EQ(IniFile(path).readSectionValues(QStringLiteral("S")), QStringList({QStringLiteral("a=1"), QStringLiteral("b=2")}));
    EXPECT_EQ(IniFile(path).readSections(), QStringList({QStringLiteral("S"), QStringLiteral("T")}));

    // A text CP932 cannot hold is refused, and the file stays as it was.
    EXPECT_THROW(ini.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("한국")), Error);
    EXPECT_FALSE(IniFile(path).valueExists(QStringLiteral("S"), QStringLiteral("k")));
    // A folder that does not exist cannot take the file.
    IniFile nowhere(dir + QStringLiteral("/missing/d.ini"));
    EXPECT_THROW(nowhere.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")), Error);
}
