// The buffered stream, the marker search and the in-place patch of the
// information block at the end of a backup file.
#include "core/BufFileStream.h"
#include "platform/Error.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QByteArray kMarker = "## CorvenaZone";

QByteArray header()
{
    return kMarker + "\r\nSHOUGOU=\x8a\x94\r\nSIWAKE=12\r\n";
}

QByteArray data(int n, char seed = 'a')
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i) b[i] = char(seed + i % 23);
    return b;
}

} // namespace

TEST(BufFileStreamTest, ReadsInBufferSizedCallsToTheEndAndThenZero)
{
    const QString path = testenv::freshDir(QStringLiteral("bfs")) + QStringLiteral("/f.bin");
    const QByteArray bytes = data(700);
    testenv::writeFile(path, bytes);
    TBufFileStream s(path, QIODevice::ReadOnly, 1);
    QByteArray got(512, '\0');
    EXPECT_EQ(s.Read(got.data(), 512), 512);
    EXPECT_EQ(got, bytes.left(512));
    EXPECT_EQ(s.Read(got.data(), 512), 188);
    EXPECT_EQ(got.left(188), bytes.mid(512));
    EXPECT_EQ(s.Read(got.data(), 512), 0);
    EXPECT_EQ(s.Read(got.data(), 512), 0);
    EXPECT_EQ(s.Position(), 700);

    // Relative seeks count from the next byte delivered, not from the file's own position.
    s.Seek(100, TBufFileStream::soBeginning);
    EXPECT_EQ(s.Read(got.data(), 10), 10);
    EXPECT_EQ(s.Seek(5, TBufFileStream::soCurrent), 115);
    EXPECT_EQ(s.Read(got.data(), 3), 3);
    EXPECT_EQ(got.left(3), bytes.mid(115, 3));

    QByteArray big(2048, '\0');
    try {
        s.Read(big.data(), 2048);
        FAIL() << "a read beyond the buffer must fail";
    } catch (const platform::Error &e) {
        EXPECT_EQ(e.message(), QStringLiteral("バッファの大きさを越えています。"));
    }
}

TEST(BufFileStreamTest, FindsTheMarkerAtEveryPlaceAndTakesTheLast)
{
    const QString dir = testenv::freshDir(QStringLiteral("find"));
    struct Case {
        const char *what;
        QByteArray file;
        qint64 offset;
    };
    const QByteArray body = data(1000);
    const Case cases[] = {
        {"after the data", body + header(), 1000},
        {"across the first block border", data(510) + header(), 510},
        {"across a buffer border", data(65536 - 5) + header(), 65536 - 5},
        {"data holding the marker bytes earlier", data(300) + kMarker + data(70000) + header(), 300 + 14 + 70000},
        {"only at offset 0", header() + data(100), -1},
        {"none", body, -1},
        {"empty file", QByteArray(), -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir + QStringLiteral("/f.fbk");
        testenv::writeFile(path, c.file);
        QByteArray found;
        EXPECT_EQ(FindTextInFile(path, kMarker, found), c.offset);
        EXPECT_EQ(found, c.offset < 0 ? QByteArray() : header());
    }
}

TEST(BufFileStreamTest, PatchReturnsTheBlockAndCutsTheFileOnlyWhenAsked)
{
    const QString path = testenv::freshDir(QStringLiteral("patch")) + QStringLiteral("/f.fbk");
    const QByteArray body = data(1000);
    testenv::writeFile(path, body + header() + QByteArray(4, '\0') + "tail");

    QByteArray found;
    PatchFile(path, kMarker, found, false);
    EXPECT_EQ(found, header());
    EXPECT_EQ(QFileInfo(path).size(), 1000 + header().size() + 8);

    PatchFile(path, kMarker, found, true);
    EXPECT_EQ(found, header());
    EXPECT_EQ(testenv::readFile(path), body);

    // Nothing more to find: the file stays as it is.
    PatchFile(path, kMarker, found, true);
    EXPECT_TRUE(found.isEmpty());
    EXPECT_EQ(testenv::readFile(path), body);
    EXPECT_FALSE(QFileInfo::exists(path.left(path.size() - 4) + QStringLiteral(".wk_")));

    EXPECT_THROW(PatchFile(path + QStringLiteral(".missing"), kMarker, found, true), platform::Error);
}
