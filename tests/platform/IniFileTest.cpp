#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/IniFile.h"
#include "support/TestEnv.h"
#include "support/TmpfsMount.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <functional>

using namespace platform;

namespace {

// Fills the volume to its last block with one file, "filler".
void fillVolume(const QString &dir)
{
    QFile filler(dir + QStringLiteral("/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
}

} // namespace

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

TEST(IniFile, LinesEndInCrLfLfOrCrAlone)
{
    const QString dir = testenv::freshDir(QStringLiteral("ini-ends"));
    struct Case {
        const char *what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"CR LF", "[LOCAL]\r\nHostName=srv01\r\nUSER=dorvel\r\n[APPLICATION]\r\nCONNECT=1\r\n"},
        {"LF", "[LOCAL]\nHostName=srv01\nUSER=dorvel\n[APPLICATION]\nCONNECT=1\n"},
        {"CR", "[LOCAL]\rHostName=srv01\rUSER=dorvel\r[APPLICATION]\rCONNECT=1\r"},
        {"CR, no final end", "[LOCAL]\rHostName=srv01\rUSER=dorvel\r[APPLICATION]\rCONNECT=1"},
        {"mixed", "[LOCAL]\rHostName=srv01\nUSER=dorvel\r\n[APPLICATION]\rCONNECT=1\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir + QStringLiteral("/app.ini");
        testenv::writeFile(path, c.bytes);
        IniFile ini(path);
        EXPECT_EQ(ini.readSections(), QStringList({QStringLiteral("LOCAL"), QStringLiteral("APPLICATION")}));
        EXPECT_EQ(ini.readString(QStringLiteral("LOCAL"), QStringLiteral("HostName")), QStringLiteral("srv01"));
        EXPECT_EQ(ini.readString(QStringLiteral("LOCAL"), QStringLiteral("USER")), QStringLiteral("dorvel"));
        EXPECT_EQ(ini.readInteger(QStringLiteral("APPLICATION"), QStringLiteral("CONNECT"), 0), 1);
        // A write keeps every setting and ends every line in CR LF.
        ini.writeString(QStringLiteral("LOCAL"), QStringLiteral("USER"), QStringLiteral("other"));
        EXPECT_EQ(testenv::readFile(path), QByteArray("[LOCAL]\r\nHostName=srv01\r\nUSER=other\r\n[APPLICATION]\r\nCONNECT=1\r\n"));
    }
}

TEST(IniFile, LineBreaksInsideWrittenTextsBecomeBlanks)
{
    const QString dir = testenv::freshDir(QStringLiteral("ini-breaks"));
    const QByteArray original("[RENKETUNOUZEI_G]\r\nKOMONSAKI=old\r\nEXPORTFILE=/home/a/RC25.xml\r\n[OTHER]\r\nx=1\r\n");
    const QString injected = QStringLiteral("会社\r\nEXPORTFILE=/tmp/evil.xml\r\n[OTHER]\rx=2");
    const QString flattened = QStringLiteral("会社  EXPORTFILE=/tmp/evil.xml  [OTHER] x=2");
    struct Case {
        const char *what;
        std::function<void(IniFile &)> write;
        QString section, key, value; // where the text is read back
    };
    const QString s = QStringLiteral("RENKETUNOUZEI_G");
    const Case cases[] = {
        {"a value replaced", [&](IniFile &i) { i.writeString(s, QStringLiteral("KOMONSAKI"), injected); }, s, QStringLiteral("KOMONSAKI"), flattened},
        {"a value added", [&](IniFile &i) { i.writeString(s, QStringLiteral("DATA"), injected); }, s, QStringLiteral("DATA"), flattened},
        {"a key", [&](IniFile &i) { i.writeString(s, QStringLiteral("K\r\n[OTHER]"), QStringLiteral("v")); }, s, QStringLiteral("K  [OTHER]"),
         QStringLiteral("v")},
        {"a section", [&](IniFile &i) { i.writeString(QStringLiteral("NEW\r\nEXPORTFILE=/tmp/evil.xml"), QStringLiteral("k"), QStringLiteral("v")); },
         QStringLiteral("NEW  EXPORTFILE=/tmp/evil.xml"), QStringLiteral("k"), QStringLiteral("v")},
        {"a section's lines", [&](IniFile &i) { i.writeSection(s, {QStringLiteral("KOMONSAKI=") + injected, QStringLiteral("EXPORTFILE=/home/a/RC25.xml")}); },
         s, QStringLiteral("KOMONSAKI"), flattened},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir + QStringLiteral("/Soltea.ini");
        testenv::writeFile(path, original);
        {
            IniFile ini(path);
            c.write(ini);
        }
        const IniFile again(path);
        // No key and no section came in by the text.
        QStringList sections{s, QStringLiteral("OTHER")};
        if (c.section != s) sections << c.section;
        EXPECT_EQ(again.readSections(), sections);
        EXPECT_EQ(again.readSectionValues(QStringLiteral("OTHER")), QStringList({QStringLiteral("x=1")}));
        EXPECT_EQ(again.readString(s, QStringLiteral("EXPORTFILE")), QStringLiteral("/home/a/RC25.xml"));
        EXPECT_EQ(again.readSection(c.section).filter(QStringLiteral("EXPORTFILE")).size(), c.section == s ? 1 : 0);
        EXPECT_EQ(again.readString(c.section, c.key), c.value);
        const QByteArray bytes = testenv::readFile(path);
        EXPECT_EQ(bytes.count('\r'), bytes.count('\n'));
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    }
}

TEST(IniFile, UndecodableBytesOfUntouchedLinesSurviveWrites)
{
    const QString path = testenv::freshDir(QStringLiteral("ini-bytes")) + QStringLiteral("/Soltea.ini");
    // 0x81 0x20 and a lone 0xA0 0xFF are no code page 932 text: they read as U+FFFD.
    const QByteArray comment("; \x81\x20 written by another program \xFF\r\n");
    const QByteArray strangeKey("K\x81\x20Y=1\r\n");
    const QByteArray strangeValue("DATA=C:\\\x81\x20\\data\r\n");
    testenv::writeFile(path, comment + "[RENKETUNOUZEI_G]\r\n" + strangeKey + strangeValue + "KOMONSAKI=old\r\n");
    IniFile ini(path);
    EXPECT_TRUE(ini.readString(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("DATA")).contains(QChar(0xFFFD)));

    ini.writeString(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("KOMONSAKI"), QStringLiteral("株式会社①"));
    ini.writeString(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("EXPORTFILE"), QStringLiteral("/home/a/RC25.xml"));
    EXPECT_EQ(testenv::readFile(path), comment + "[RENKETUNOUZEI_G]\r\n" + strangeKey + strangeValue + toCp932(QStringLiteral("KOMONSAKI=株式会社①\r\n")) +
                                           "EXPORTFILE=/home/a/RC25.xml\r\n");

    // A value replaced on a line with such a key: the key's bytes stay, the value is the new one.
    const QString strangeName = IniFile(path).readSection(QStringLiteral("RENKETUNOUZEI_G")).value(0);
    ini.writeString(QStringLiteral("RENKETUNOUZEI_G"), strangeName, QStringLiteral("2"));
    EXPECT_TRUE(testenv::readFile(path).contains(QByteArray("\r\nK\x81\x20Y=2\r\n")));
    ini.writeString(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("DATA"), QStringLiteral("/data/0001"));
    EXPECT_EQ(IniFile(path).readString(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("DATA")), QStringLiteral("/data/0001"));
    EXPECT_TRUE(testenv::readFile(path).startsWith(comment));
}

TEST(IniFile, WriteFailuresSayWhy)
{
    const QString dir = testenv::freshDir(QStringLiteral("ini-why"));
    auto failure = [](IniFile &ini, const QString &value) {
        try {
            ini.writeString(QStringLiteral("S"), QStringLiteral("k"), value);
        } catch (const Error &e) {
            return e.message();
        }
        return QStringLiteral("written");
    };
    IniFile nowhere(dir + QStringLiteral("/missing/d.ini"));
    EXPECT_EQ(failure(nowhere, QStringLiteral("v")), dir + QStringLiteral("/missing/d.ini に書き込めません。(フォルダが見つかりません)"));

    TmpfsMount ro(dir + QStringLiteral("/readonly"));
    if (!ro.mounted()) GTEST_SKIP() << "a tmpfs cannot be mounted here (needs root and mount rights)";
    IniFile readOnly(ro.dir() + QStringLiteral("/a.ini"));
    EXPECT_EQ(failure(readOnly, QStringLiteral("v")), ro.dir() + QStringLiteral("/a.ini に書き込めません。(読み取り専用の場所です)"));

    TmpfsMount volume(dir + QStringLiteral("/full"), TmpfsMount::Writable);
    ASSERT_TRUE(volume.mounted());
    const QString path = volume.dir() + QStringLiteral("/b.ini");
    testenv::writeFile(path, "[S]\r\nk=before\r\n");
    fillVolume(volume.dir());
    IniFile full(path);
    EXPECT_EQ(failure(full, QString(64 * 1024, u'x')), path + QStringLiteral(" に書き込めません。(ディスクの空き容量が足りません)"));
    EXPECT_EQ(testenv::readFile(path), QByteArray("[S]\r\nk=before\r\n"));
    // Nothing of the failed write is left beside the file.
    EXPECT_EQ(QDir(volume.dir()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList({QStringLiteral("b.ini"), QStringLiteral("filler")}));
}
