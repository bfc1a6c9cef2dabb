#include "support/TestEnv.h"

#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/StandardFolders.h"
#include "print/Pager512_Chart.h"
#include "print/Pager512_Data.h"
#include "print/Pager512_Form.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

namespace {

QString writeForm(const QString &name, const QString &text)
{
    const QString path = testenv::freshDir(name) + QStringLiteral("/form.51F");
    testenv::writeFile(path, platform::toCp932(text));
    return path;
}

} // namespace

TEST(FormFile, FieldDefinitionsOfAPage)
{
    const QString path = writeForm(QStringLiteral("form_fields"),
        QStringLiteral("LINE;0;0;100;100;\r\n"
                       "&;100;200;kingaku;ＭＳ ゴシック;0;bi;255;ON;RIGHT;300;1;1;\r\n"
                       "&;10;20;行間;;;;;;;50;\r\n"
                       "&;5;6;name\r\n"
                       "$;1;2;total;\r\n"
                       "$;3;4;TOTAL;\r\n"
                       "E;\r\n"
                       "&;7;8;second;;9;;青;赤;CENTER;;;;\r\n"));
    HensuuYomikomi(path, 1000, 2000);
    TFormFields &t = FormFields();
    EXPECT_EQ(t.PageCounter, 1);
    const TDataField *k = t.findField(0, QStringLiteral("Kingaku"));
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->Name, QStringLiteral("KINGAKU"));
    EXPECT_EQ(k->X, 1100);
    EXPECT_EQ(k->Y, 2200);
    EXPECT_EQ(k->FontName, QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(k->Size, 12); // size 0 gets 12
    EXPECT_EQ(k->Style, QStringLiteral("BI"));
    EXPECT_EQ(k->Color, 255);
    EXPECT_EQ(k->Back, 0xFFFFFF);
    EXPECT_EQ(k->Align, 2);
    EXPECT_EQ(k->Span, 300);
    EXPECT_EQ(k->Once, 1);
    EXPECT_EQ(k->Mode, 1);
    EXPECT_EQ(t.lineFieldPitch(0), 50);
    EXPECT_EQ(t.Pages[0].DataCount, 3); // two named fields after entry 0

    // A definition without a final ";" is completed with ";0;".
    const TDataField *n = t.findField(0, QStringLiteral("NAME"));
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->FontName, QStringLiteral("0"));
    EXPECT_EQ(n->Size, 12);
    EXPECT_EQ(n->Back, 0); // an empty switch is a colour word: black

    EXPECT_EQ(t.Pages[0].TotalCount, 1);
    EXPECT_EQ(t.Pages[0].Totals[0].Name, QStringLiteral("TOTAL"));
    EXPECT_EQ(t.Pages[0].Totals[0].X, 1001);

    EXPECT_EQ(t.findField(0, QStringLiteral("SECOND")), nullptr);
    const TDataField *s = t.findField(1, QStringLiteral("second"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Size, 9);
    EXPECT_EQ(s->Color, 0xFF0000); // colour words take their colours
    EXPECT_EQ(s->Back, 0x0000FF);
    EXPECT_EQ(s->Align, 1);
    EXPECT_EQ(t.findField(1, QString()), nullptr);
    EXPECT_EQ(t.findField(5, QStringLiteral("second")), nullptr);
}

TEST(FormFile, LimitsOfEntriesAndPages)
{
    QString text;
    for (int i = 1; i <= 205; ++i)
        text += QStringLiteral("&;%1;0;F%1;\r\n").arg(i);
    text += QStringLiteral("&;0;0;0;;;;;;;40;\r\nE;\r\n");
    for (int page = 1; page <= 6; ++page)
        text += QStringLiteral("&;0;0;P%1;\r\nE;\r\n").arg(page);
    HensuuYomikomi(writeForm(QStringLiteral("form_limits"), text), 0, 0);
    TFormFields &t = FormFields();
    EXPECT_EQ(t.Pages[0].DataCount, kFieldLimit);
    EXPECT_EQ(t.Pages[0].Data[199].Name, QStringLiteral("F199"));
    EXPECT_TRUE(t.Pages[0].Data[200].Name.isEmpty());
    EXPECT_EQ(t.lineFieldPitch(0), 0); // the line-spacing definition came after the page was full
    EXPECT_NE(t.findField(0, QStringLiteral("F100")), nullptr);
    EXPECT_EQ(t.findField(0, QStringLiteral("F101")), nullptr); // beyond the lookup range
    for (int page = 1; page < kFormPages; ++page)
        EXPECT_NE(t.findField(page, QStringLiteral("P%1").arg(page)), nullptr) << page;
    EXPECT_EQ(t.PageCounter, 5); // reading stopped after the fifth form page
}

TEST(FormFile, LineSpacingEntryIsReplaced)
{
    HensuuYomikomi(writeForm(QStringLiteral("form_pitch"),
                             QStringLiteral("&;0;0;行間;;;;;;;30;\r\n&;0;0;0;;;;;;;45;\r\n")), 0, 0);
    EXPECT_EQ(FormFields().lineFieldPitch(0), 45);
    EXPECT_EQ(FormFields().Pages[0].DataCount, 1);
}

TEST(FormFile, MissingFileLeavesTablesReset)
{
    HensuuYomikomi(writeForm(QStringLiteral("form_reset"), QStringLiteral("&;1;1;A;\r\n")), 0, 0);
    ASSERT_NE(FormFields().findField(0, QStringLiteral("A")), nullptr);
    FormFields().PageCounter = 3;
    HensuuYomikomi(testenv::sandbox() + QStringLiteral("/nothing.51F"), 0, 0);
    EXPECT_EQ(FormFields().findField(0, QStringLiteral("A")), nullptr);
    EXPECT_EQ(FormFields().PageCounter, 0);
    EXPECT_EQ(FormFields().Pages[0].Data[1].FontName, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(FormFields().Pages[0].Data[1].Size, 10);
}

TEST(FormFile, UnreadableFileIsLoggedAndRaised)
{
    QString path = writeForm(QStringLiteral("form_unreadable"), QStringLiteral("&;1;1;A;\r\n"));
    QFile::setPermissions(path, QFileDevice::Permissions());
    QFile probe(path);
    if (probe.open(QIODevice::ReadOnly)) {
        // Rights that read any file: a file that opens but cannot be read instead.
        path = QStringLiteral("/proc/self/mem");
        if (!QFileInfo(path).isFile())
            GTEST_SKIP() << "no file here fails to read";
    }
    const QString log = QDir(platform::documentsDir()).filePath(QStringLiteral("Pager512_Error.log"));
    QFile::remove(log);
    EXPECT_THROW(HensuuYomikomi(path, 0, 0), platform::Error);
    // "yy/mm/dd hh:nn:ss", two blanks, then the operation and the message.
    const QString line = platform::fromCp932(testenv::readFile(log));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d  ImageOut\\.HensuuYomikomi:"))
                    .match(line)
                    .hasMatch())
        << line.toStdString();
}

TEST(FormFile, PagesPairInCycles)
{
    // Two form pages, the last without "E;": under five data pages they take turns.
    const QList<pager512::TPage> pages = pager512::readPages("LINE;0;0;1;1;\r\nE;\r\nBOX;0;0;1;1;\r\n");
    ASSERT_EQ(pages.size(), 2);
    const int expected[] = {1, 2, 1, 2, 1};
    for (int data = 1; data <= 5; ++data)
        EXPECT_EQ(FormPageForDataPage(data, static_cast<int>(pages.size())), expected[data - 1]);
    EXPECT_EQ(FormPageForDataPage(3, 0), 0);
}

TEST(FormFile, UseCountsResetPerPage)
{
    HensuuYomikomi(writeForm(QStringLiteral("form_use"), QStringLiteral("&;1;1;A;\r\n$;1;1;T;\r\n")), 0, 0);
    FormFields().findField(0, QStringLiteral("A"))->Count = 3;
    FormFields().Pages[0].Totals[0].Amount = 5;
    FormFields().resetUse(0);
    EXPECT_EQ(FormFields().findField(0, QStringLiteral("A"))->Count, 0);
    EXPECT_EQ(FormFields().Pages[0].Totals[0].Amount, 0);
}

TEST(FormFile, Version)
{
    const QString path = writeForm(QStringLiteral("form_version"),
                                   QStringLiteral("* VER \"abc\"\r\n* VER \"0\"\r\n* VER \"1.25\" x\r\n* VER \"2\"\r\n"));
    EXPECT_DOUBLE_EQ(ReadFormVersion(path), 1.25);
    EXPECT_DOUBLE_EQ(ReadFormVersion(writeForm(QStringLiteral("form_noversion"), QStringLiteral("LINE;1;1;2;2;\r\n"))), 0.5);
    EXPECT_DOUBLE_EQ(ReadFormVersion(QString()), 0.5);

    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_DOUBLE_EQ(ReadFormVersion(QStringLiteral("absent.51F")), 0.5);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("<absent.51F> が見つかりません。"));
}

TEST(FieldHelpers, SplitFields)
{
    QStringList f;
    EXPECT_EQ(SplitFields(QStringLiteral("A;B;;C // comment"), u';', f), 3);
    EXPECT_EQ(f, (QStringList{"A", "B", "", "C "}));
    QStringList untouched{QStringLiteral("keep")};
    EXPECT_EQ(SplitFields(QStringLiteral("// only a comment"), u';', untouched), 0);
    EXPECT_EQ(untouched, QStringList{QStringLiteral("keep")});
    QStringList many;
    EXPECT_EQ(SplitFields(QString(150, u';'), u';', many), 100);
    EXPECT_EQ(many.size(), 101);

    QString text;
    GetFieldText(QStringLiteral("VER \"0.5\""), u'"', 1, text);
    EXPECT_EQ(text, QStringLiteral("0.5"));
    GetFieldText(QStringLiteral("VER \"0.5\""), u'"', 5, text);
    EXPECT_TRUE(text.isEmpty());
}

TEST(FieldHelpers, TolerantNumber)
{
    EXPECT_DOUBLE_EQ(StrToFloatTolerant(QStringLiteral("1.5")), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloatTolerant(QStringLiteral(" -2 ")), -2.0);
    EXPECT_DOUBLE_EQ(StrToFloatTolerant(QStringLiteral("abc")), 0.0);
    EXPECT_DOUBLE_EQ(StrToFloatTolerant(QString()), 0.0);
}

TEST(ChartPainting, NothingWithoutAChartSource)
{
    SetChartSource(nullptr);
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        EXPECT_FALSE(PaintChart(painter, QRect(0, 0, 20, 20), 0));
    }
    EXPECT_EQ(image.pixel(10, 10), QColor(Qt::white).rgb());
    EXPECT_FALSE(SaveChartMetafile(testenv::sandbox() + QStringLiteral("/CHART.WMF")));
    EXPECT_TRUE(ChartFileExists(QStringLiteral("anything")));

    struct Source : TChartSource {
        int painted = -1;
        int chartCount() const override { return 2; }
        void paint(QPainter &p, const QRect &r, int n) override { painted = n; p.fillRect(r, Qt::black); }
        bool saveMetafile(const QString &) override { return true; }
    };
    auto source = std::make_shared<Source>();
    SetChartSource(source);
    {
        QPainter painter(&image);
        EXPECT_TRUE(PaintChart(painter, QRect(0, 0, 20, 20), 1));
        EXPECT_FALSE(PaintChart(painter, QRect(0, 0, 20, 20), 2));
    }
    EXPECT_EQ(source->painted, 1);
    EXPECT_EQ(image.pixel(10, 10), QColor(Qt::black).rgb());
    EXPECT_TRUE(SaveChartMetafile(QStringLiteral("x.wmf")));
    SetChartSource(nullptr);
}

TEST(FieldHelpers, StandardFolders)
{
    QString path = QStringLiteral("unset");
    EXPECT_TRUE(GetSpecialFolder(5, path));
    EXPECT_EQ(path, platform::documentsDir());
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    path = QStringLiteral("unset");
    EXPECT_FALSE(GetSpecialFolder(999, path));
    EXPECT_EQ(path, QStringLiteral("unset"));
    EXPECT_EQ(boxes.shown.size(), 1);
}
