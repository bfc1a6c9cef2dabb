// The transfer file: a backup packed, enciphered, deciphered and unpacked
// gives the same bytes back; a wrong password, a damaged or cut file and a
// file of another kind are refused without leaving an output behind.
#include "comm/TransferFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <zip.h>

namespace {

using namespace transferfile;

// A backup-like file: a compressible part and a random part.
QByteArray sampleBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 4000; ++i) bytes += QByteArray("仕訳").append(QByteArray::number(i)).append('\n');
    QRandomGenerator gen(29);
    for (int i = 0; i < 70000; ++i) bytes += char(gen.bounded(256));
    return bytes;
}

class TransferFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = testenv::freshDir(QStringLiteral("transfer"));
        backup = dir + QStringLiteral("/vqacc.fbk");
        archive = dir + QStringLiteral("/vqacc.zip");
        cipher = dir + QStringLiteral("/vqacc.wen");
        bytes = sampleBytes();
        testenv::writeFile(backup, bytes);
    }
    QStringList files() const { return QDir(dir).entryList(QDir::Files | QDir::Hidden); }

    QString dir, backup, archive, cipher;
    QByteArray bytes;
};

TEST_F(TransferFileTest, ARoundTripGivesTheBackupBack)
{
    Pack(backup, archive);
    EXPECT_TRUE(CheckArchive(archive));
    EXPECT_LT(QFileInfo(archive).size(), bytes.size()); // deflated
    Encrypt(archive, cipher, PassPhrase(QStringLiteral("webpass")));
    EXPECT_TRUE(testenv::readFile(cipher).startsWith("QWEN\x01"));
    // Nothing of the archive shows through.
    EXPECT_FALSE(testenv::readFile(cipher).contains("vqacc.fbk"));

    const QString out = testenv::freshDir(QStringLiteral("transfer-out"));
    const QString back = out + QStringLiteral("/vqacc.zip");
    Decrypt(cipher, back, PassPhrase(QStringLiteral("webpass")));
    EXPECT_EQ(testenv::readFile(back), testenv::readFile(archive));
    Unpack(back, out);
    EXPECT_EQ(testenv::readFile(out + QStringLiteral("/vqacc.fbk")), bytes);
}

TEST_F(TransferFileTest, EachFileHasItsOwnSaltAndNonce)
{
    Pack(backup, archive);
    const QString second = dir + QStringLiteral("/second.wen");
    Encrypt(archive, cipher, PassPhrase(QStringLiteral("webpass")));
    Encrypt(archive, second, PassPhrase(QStringLiteral("webpass")));
    EXPECT_NE(testenv::readFile(cipher), testenv::readFile(second));
    EXPECT_EQ(testenv::readFile(cipher).size(), testenv::readFile(second).size());
}

TEST_F(TransferFileTest, AWrongPasswordOrADamagedFileIsRefusedAndWritesNothing)
{
    Pack(backup, archive);
    Encrypt(archive, cipher, PassPhrase(QStringLiteral("webpass")));
    const QByteArray good = testenv::readFile(cipher);

    struct Case {
        const char *what;
        QByteArray file;
        QString password;
    };
    QByteArray flipped = good;
    flipped[good.size() / 2] = char(flipped[good.size() / 2] ^ 0x01);
    QByteArray header = good;
    header[9] = char(header[9] ^ 0x01); // the iteration count
    QByteArray otherMagic = good;
    otherMagic[0] = 'X';
    QByteArray newer = good;
    newer[4] = 2;
    const Case cases[] = {
        {"wrong password", good, QStringLiteral("other")},
        {"a byte changed", flipped, QStringLiteral("webpass")},
        {"cut short", good.left(good.size() - 100), QStringLiteral("webpass")},
        {"cut to the header", good.left(40), QStringLiteral("webpass")},
        {"header changed", header, QStringLiteral("webpass")},
        {"not ours", otherMagic, QStringLiteral("webpass")},
        {"a later format", newer, QStringLiteral("webpass")},
        {"empty", QByteArray(), QStringLiteral("webpass")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString out = testenv::freshDir(QStringLiteral("refused"));
        const QString in = out + QStringLiteral("/in.wen");
        const QString target = out + QStringLiteral("/vqacc.zip");
        testenv::writeFile(in, c.file);
        try {
            Decrypt(in, target, PassPhrase(c.password));
            ADD_FAILURE() << "deciphered";
        } catch (const TTransferFileError &e) {
            EXPECT_FALSE(e.message().isEmpty());
        }
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("in.wen")});
    }
}

TEST_F(TransferFileTest, ADamagedArchiveFailsTheCheckAndTheUnpack)
{
    Pack(backup, archive);
    QByteArray zipped = testenv::readFile(archive);
    // A byte of the deflated data (past the 30-byte local header and the name).
    QByteArray damaged = zipped;
    damaged[200] = char(damaged[200] ^ 0x55);
    // Another archive with a second member.
    const QString twoMembers = dir + QStringLiteral("/two.zip");
    {
        int err = 0;
        zip_t *z = zip_open(QFile::encodeName(twoMembers).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
        ASSERT_NE(z, nullptr);
        static const char a[] = "first";
        static const char b[] = "second";
        zip_file_add(z, "vqacc.fbk", zip_source_buffer(z, a, sizeof a, 0), 0);
        zip_file_add(z, "other.txt", zip_source_buffer(z, b, sizeof b, 0), 0);
        ASSERT_EQ(zip_close(z), 0);
    }
    struct Case {
        const char *what;
        QByteArray file;
    };
    const Case cases[] = {
        {"a deflated byte changed", damaged},
        {"cut short", zipped.left(zipped.size() - 30)},
        {"two members", testenv::readFile(twoMembers)},
        {"not an archive", QByteArray("PK but nothing else")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString out = testenv::freshDir(QStringLiteral("badzip"));
        const QString in = out + QStringLiteral("/in.zip");
        testenv::writeFile(in, c.file);
        EXPECT_FALSE(CheckArchive(in));
        EXPECT_THROW(Unpack(in, out), TTransferFileError);
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("in.zip")});
    }
}

TEST_F(TransferFileTest, PackingAMissingBackupFails)
{
    EXPECT_THROW(Pack(dir + QStringLiteral("/none.fbk"), archive), TTransferFileError);
    EXPECT_FALSE(QFileInfo::exists(archive));
}

TEST_F(TransferFileTest, ThePassPhraseIsAFixedPrefixAndThePassword)
{
    EXPECT_EQ(PassPhrase(QStringLiteral("abc")).size(), 6 + 3);
    EXPECT_TRUE(PassPhrase(QStringLiteral("abc")).endsWith(QStringLiteral("abc")));
    EXPECT_EQ(PassPhrase(QString()).size(), 6);
}

} // namespace
