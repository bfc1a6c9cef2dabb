#include "support/TestEnv.h"

#include "platform/Cp932.h"
#include "print/Pager512_Data.h"

#include <gtest/gtest.h>

#include <random>

// Qt and the test framework keep some memory until exit; only memory errors count here.
extern "C" const char *__asan_default_options() { return "detect_leaks=0"; }

using namespace pager512;

namespace {

QByteArray sampleFile()
{
    return headerBlock(THeader())
           + platform::toCp932(QStringLiteral(
               "TEXT;100;200;見本;ＭＳ 明朝;10;B;黒;1;LEFT;0;0;\r\n@;KINGAKU;1,000;9;BI;-20;\r\n"
               "BOX;1;2;3;4;1;0;黒;白;1;\r\nMEMO;1;2;3;4;メモ;-1;;11;U;青;\r\nE;\r\n"
               "FORM;sub.51F;TRUE;10;20;\r\n&;100;200;KINGAKU;;0;b;黒;OFF;RIGHT;300;1;0;\r\n$;1;2;T;\r\n"));
}

// Bytes that matter to the reader, mixed with arbitrary ones.
char pick(std::mt19937 &rng)
{
    static const char interesting[] = {';', '"', '\r', '\n', '-', '+', '0', '9', 'E', 'e', '*', '&', '$',
                                       '@', ' ', '\t', '\x81', '\x82', '\x9f', '\xe0', '\xfc', '\xff', '\0'};
    std::uniform_int_distribution<int> choose(0, 3);
    if (choose(rng) == 0)
        return static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
    return interesting[std::uniform_int_distribution<int>(0, sizeof interesting - 1)(rng)];
}

void exercise(const QByteArray &bytes)
{
    const QList<TPage> pages = readPages(bytes);
    for (const TPage &page : pages)
        for (const TRecord &r : page.Records)
            for (const TRecordField &f : r.Fields)
                (void)f.Text.size();
    (void)countPageEnds(bytes);
    (void)readHeader(bytes);
    for (const QString &line : decodeLines(bytes)) {
        TRecord r;
        (void)parseRecord(line, r);
        QString out;
        (void)formatInts(line, {1, 2}, out);
    }
    (void)fitText(bytes, static_cast<int>(bytes.size() / 2), QStringLiteral("LEFT"));
    (void)fitText(bytes, static_cast<int>(bytes.size() / 2 + 1), QStringLiteral("RIGHT"));
}

} // namespace

TEST(PrintDataFuzz, RandomLinesNeverCrashTheReader)
{
    std::mt19937 rng(20260401);
    for (int i = 0; i < 3000; ++i) {
        QByteArray line;
        const int kinds = std::uniform_int_distribution<int>(0, 5)(rng);
        static const char *const keywords[] = {"TEXT;", "@;", "BOX;", "E;", "FORM;", "", "CHART;"};
        line += keywords[kinds];
        const int len = std::uniform_int_distribution<int>(0, 120)(rng);
        for (int k = 0; k < len; ++k)
            line += pick(rng);
        exercise(line);
    }
    SUCCEED();
}

TEST(PrintDataFuzz, TruncatedAndMutatedFilesNeverCrashTheReader)
{
    const QByteArray sample = sampleFile();
    std::mt19937 rng(512);
    for (int cut = 0; cut <= sample.size(); ++cut)
        exercise(sample.left(cut));
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes = sample.left(std::uniform_int_distribution<int>(0, static_cast<int>(sample.size()))(rng));
        const int edits = std::uniform_int_distribution<int>(1, 8)(rng);
        for (int e = 0; e < edits && !bytes.isEmpty(); ++e)
            bytes[std::uniform_int_distribution<int>(0, static_cast<int>(bytes.size()) - 1)(rng)] = pick(rng);
        exercise(bytes);
    }
    // A damaged file still yields whatever whole records it holds.
    const QList<TPage> pages = readPages(sample.left(sample.indexOf("BOX;")));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].Records.size(), 2);
}
