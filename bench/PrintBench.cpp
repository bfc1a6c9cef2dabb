// Times the print engine against Qt's PDF writer.
//   print-bench [PAGES]    (1000 by default)
// Writes a data-list-like report of PAGES pages (a title, a heading row in a grey
// box, 40 rows of six columns with ruled lines, a page number) as a print-data
// file, then, in one run:
//   engine: the job through the engine to the built-in PDF printer (reading the
//           print-data file, drawing every record through the page renderer);
//   direct: the same texts, lines and boxes drawn straight onto a QPdfWriter.
// Prints the best of five runs of each and their ratio.
#include "platform/Cp932.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_Data.h"
#include "print/Pager512_Form.h"
#include "print/Pager512_Printer.h"
#include "print/Pager512_PrintJob.h"
#include "print/Pager512_Tables.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

struct Text { int x, y; QString text; int align; };
struct Line { int x1, y1, x2, y2, width; };
struct Box { int x1, y1, x2, y2; };
struct Page { QList<Text> texts; QList<Line> lines; QList<Box> boxes; };

Page makePage(int n)
{
    Page p;
    p.texts << Text{100, 100, QStringLiteral("データ一覧表"), 0};
    p.texts << Text{2000, 100, QStringLiteral("%1ページ").arg(n), 2};
    p.boxes << Box{100, 200, 2000, 260};
    const QStringList heads = {QStringLiteral("番号"), QStringLiteral("会社名"), QStringLiteral("年度"),
                               QStringLiteral("期首"), QStringLiteral("期末"), QStringLiteral("フォルダ")};
    const int cols[] = {110, 300, 900, 1150, 1450, 1750};
    for (int c = 0; c < 6; ++c)
        p.texts << Text{cols[c], 210, heads[c], 0};
    for (int r = 0; r < 40; ++r) {
        const int y = 270 + r * 60;
        const int k = n * 40 + r;
        p.texts << Text{250, y, QString::number(k), 2};
        p.texts << Text{300, y, QStringLiteral("株式会社ソルテア商事 第%1支店").arg(k % 97), 0};
        p.texts << Text{900, y, QStringLiteral("令和%1年").arg(k % 7 + 1), 0};
        p.texts << Text{1150, y, QStringLiteral("2026/04/01"), 0};
        p.texts << Text{1450, y, QStringLiteral("2027/03/31"), 0};
        p.texts << Text{1750, y, QStringLiteral("D%1").arg(k, 6, 10, QLatin1Char('0')), 0};
        p.lines << Line{100, y + 55, 2000, y + 55, 1};
    }
    for (int c = 1; c < 6; ++c)
        p.lines << Line{cols[c] - 10, 200, cols[c] - 10, 270 + 40 * 60, 2};
    return p;
}

const char *alignWord(int a)
{
    return a == 2 ? "RIGHT" : a == 1 ? "CENTER" : "LEFT";
}

QByteArray printData(const QList<Page> &pages)
{
    QByteArray out = pager512::headerBlock(pager512::THeader());
    for (const Page &p : pages) {
        for (const Box &b : p.boxes)
            out += pager512::boxRecord(b.x1, b.y1, b.x2, b.y2, 1, 0, QStringLiteral("黒"), QStringLiteral("銀"), 0) + "\r\n";
        for (const Text &t : p.texts)
            out += pager512::textRecord(t.x, t.y, t.text, QStringLiteral("ＭＳ ゴシック"), 9, QString(), QStringLiteral("黒"),
                                        QStringLiteral("OFF"), QString::fromLatin1(alignWord(t.align)), 0) + "\r\n";
        for (const Line &l : p.lines)
            out += pager512::lineRecord(false, l.x1, l.y1, l.x2, l.y2, l.width, 0, QStringLiteral("黒")) + "\r\n";
        out += pager512::pageEnd() + "\r\n";
    }
    return out;
}

// The same primitives straight onto a PDF writer, at the engine's resolution.
void direct(const QList<Page> &pages, const QString &file, int dpi)
{
    QPdfWriter writer(file);
    writer.setResolution(dpi);
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(210, 297), QPageSize::Millimeter), QPageLayout::Portrait,
                                     QMarginsF()));
    QPainter painter(&writer);
    const double f = dpi / 254.0;
    QFont font(DrawingFamily(QStringLiteral("ＭＳ ゴシック")));
    font.setPixelSize(qRound(9.0 * dpi / 72.0));
    painter.setFont(font);
    const QFontMetrics fm = painter.fontMetrics();
    bool first = true;
    for (const Page &p : pages) {
        if (!first)
            writer.newPage();
        first = false;
        for (const Box &b : p.boxes) {
            painter.setPen(QPen(Qt::black, qRound(f)));
            painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
            painter.drawRect(QRectF(b.x1 * f, b.y1 * f, (b.x2 - b.x1) * f, (b.y2 - b.y1) * f));
        }
        painter.setPen(Qt::black);
        for (const Text &t : p.texts) {
            const int x = t.align == 2 ? qRound(t.x * f) - fm.horizontalAdvance(t.text) : qRound(t.x * f);
            painter.drawText(x, qRound(t.y * f) + fm.ascent(), t.text);
        }
        for (const Line &l : p.lines) {
            painter.setPen(QPen(Qt::black, qRound(l.width * f)));
            painter.drawLine(QPointF(l.x1 * f, l.y1 * f), QPointF(l.x2 * f, l.y2 * f));
        }
    }
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    QTemporaryDir tmp;
    tmp.setAutoRemove(qEnvironmentVariableIsEmpty("PRINT_BENCH_KEEP"));
    qputenv("SOLTEA_DOCUMENTS", tmp.path().toLocal8Bit());

    QList<Page> pages;
    for (int i = 1; i <= count; ++i)
        pages << makePage(i);
    const QString data = tmp.filePath(QStringLiteral("data.TMP"));
    QFile f(data);
    if (!f.open(QIODevice::WriteOnly) || f.write(printData(pages)) < 0)
        return 1;
    f.close();

    printers::SystemListHook = [] { return printers::TSystemList(); };
    printers::refresh();
    if (!InitPrintEngine())
        return 1;
    TPdfPrinter *pdf = printers::pdfPrinter();
    pdf->OutputFile = tmp.filePath(QStringLiteral("engine.pdf"));

    TP512DEF def = InitialP512Def();
    def.DataFile = data;
    def.PaperSize = 9;
    def.PrinterNum = printers::currentIndex();
    def.Title = QStringLiteral("bench");
    def.PrnDlg = false;
    TNowPrintingdlg::TimerInterval = 0;

    const QString directFile = tmp.filePath(QStringLiteral("direct.pdf"));
    // One warm-up of each (fonts loaded, caches filled), then five runs of each,
    // taken in turns; the best of each counts (the machine may be busy).
    direct(pages.mid(0, 2), directFile, pdf->resolution());
    double tDirect = 1e9, tEngine = 1e9;
    for (int run = 0; run < 5; ++run) {
        bool ok = false;
        tEngine = std::min(tEngine, timed([&] { TP512DEF job = def; ok = StartPrint(job); }));
        if (!ok) {
            std::fprintf(stderr, "the engine's job failed\n");
            return 1;
        }
        if (qEnvironmentVariableIsEmpty("PRINT_BENCH_ENGINE_ONLY"))
            tDirect = std::min(tDirect, timed([&] { direct(pages, directFile, pdf->resolution()); }));
    }
    if (!qEnvironmentVariableIsEmpty("PRINT_BENCH_PARTS")) {
        P512Def() = def;
        Engine().DataFileName = data;
        std::printf("counts  (s)       %.3f\n", timed([&] { InitPageCounts(); }));
        std::printf("orient. (s)       %.3f\n", timed([&] { GetPageOrientations(data, 0); }));
        std::printf("version (s)       %.3f\n", timed([&] { ReadFormVersion(data); }));
    }
    std::printf("pages             %d\n", count);
    std::printf("engine  (s)       %.3f   %lld bytes\n", tEngine, static_cast<long long>(QFileInfo(pdf->lastFile()).size()));
    std::printf("direct  (s)       %.3f   %lld bytes\n", tDirect, static_cast<long long>(QFileInfo(directFile).size()));
    std::printf("engine / direct   %.2f\n", tEngine / tDirect);
    return 0;
}
