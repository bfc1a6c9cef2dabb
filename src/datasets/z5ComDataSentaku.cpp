#include "datasets/z5ComDataSentaku.h"

#include "datasets/DataSentaku.h"
#include "dbaccess/Globals.h"
#include "print/Pager512_Class.h"

#include <QDir>
#include <QFile>

// Page geometry of one orientation, in the engine's 0.1 mm.
struct TPrDataList::Layout {
    int LinesPerPage;
    int RightEdge;
    int Bottom;
    int CodeX;   // 0: no code column
    int NameX;
    int NendoX;
    int KikanX;
    int FolderX;
};

namespace {

constexpr int kNumberX = 170;
constexpr int kNumberHeadX = 180;
constexpr int kLeftEdge = 150;
constexpr int kHeadY = 325;
constexpr int kRowFontSize = 9;

const QString kBlack = QStringLiteral("黒");
const QString kNoBack = QStringLiteral("OFF");
const QString kLeft = QStringLiteral("LEFT");
const QString kCenter = QStringLiteral("CENTER");
const QString kRight = QStringLiteral("RIGHT");

} // namespace

const TPrDataList::Layout &TPrDataList::layoutOf(int orientation)
{
    // Landscape adds the code column and moves the others to the right.
    static const Layout portrait{55, 2000, 2820, 0, 250, 1050, 1350, 1600};
    static const Layout landscape{35, 2820, 1945, 250, 450, 1250, 1550, 1800};
    return orientation == 1 ? landscape : portrait;
}

QString DataListFontName(int fontIndex)
{
    switch (fontIndex) {
    case 1: return QStringLiteral("ＭＳ ゴシック");
    case 2: return QStringLiteral("ＭＳ Ｐ明朝");
    case 3: return QStringLiteral("ＭＳ Ｐゴシック");
    default: return QStringLiteral("ＭＳ 明朝");
    }
}

TPrDataList::TPrDataList() : m_pager(std::make_unique<TPager512>()) {}

TPrDataList::~TPrDataList() = default;

void TPrDataList::text(int x, int y, const QString &t, int size, const QString &align)
{
    m_pager->TextOut(x, y, t, m_font, size, QString(), kBlack, kNoBack, align, 0);
}

void TPrDataList::line(int y, int width, int style)
{
    m_pager->DrawLine(kLeftEdge, y, m_layout->RightEdge, y, width, style, QString::number(m_pager->UserColor1), false);
}

void TPrDataList::writePageHead()
{
    const Layout &l = *m_layout;
    const int heading = PrintRec.FontSize2;
    text(l.RightEdge / 2, 150, ListKind == 0 ? QStringLiteral("データリスト") : QStringLiteral("共有データリスト"),
         PrintRec.FontSize1, kCenter);
    text(l.RightEdge, 250, QString::asprintf("PAGE %4d", m_page), heading, kRight);
    line(300, 4, 0);
    text(kNumberHeadX, kHeadY, QStringLiteral("No"), heading, kLeft);
    if (l.CodeX > 0) text(l.CodeX, kHeadY, QStringLiteral("コード"), heading, kLeft);
    text(l.NameX, kHeadY, QStringLiteral("データリスト名"), heading, kLeft);
    text(l.NendoX, kHeadY, QStringLiteral("会計年度"), heading, kCenter);
    text(l.KikanX, kHeadY, QStringLiteral("会計期間"), heading, kCenter);
    text(l.FolderX, kHeadY, QStringLiteral("データフォルダ"), heading, kLeft);
    line(390, 4, 0);
    line(l.Bottom, 4, 0);
}

int TPrDataList::lineStep()
{
    if (m_counter != 0 && m_counter <= m_layout->LinesPerPage - 1) return ++m_counter;
    // A page ends only when another follows: the last page has no page end,
    // which would make an empty page after it.
    if (m_page > 1) m_pager->NewPage();
    writePageHead();
    m_counter = 1;
    ++m_page;
    return m_counter;
}

void TPrDataList::writeLine(const TDataListRec &r, int number, bool child)
{
    const Layout &l = *m_layout;
    const int n = lineStep();
    const int y = n * 44 + 361;
    if (!child) text(kNumberX, y, QString::asprintf("%3d", number), kRowFontSize, kLeft);
    if (l.CodeX > 0) text(l.CodeX, y, r.DATACODE, kRowFontSize, kLeft);
    text(l.NameX, y, r.DispName, kRowFontSize, kLeft);
    if (r.ENTTEXT.isEmpty()) {
        text(l.NendoX, y, QString(), kRowFontSize, kLeft);
        text(l.KikanX, y, QString(), kRowFontSize, kLeft);
    } else if (r.NENDO < 1) {
        text(l.NendoX, y, QString(), kRowFontSize, kCenter);
        text(l.KikanX, y, QString(), kRowFontSize, kCenter);
    } else {
        text(l.NendoX, y, QStringLiteral("%1 期").arg(r.NENDO), kRowFontSize, kCenter);
        text(l.KikanX, y, r.KikanText, kRowFontSize, kCenter);
    }
    text(l.FolderX, y, DataSentakuFolderText(r.PASNAME, SystemDef.DataRootDir), kRowFontSize, kLeft);
    if (n < l.LinesPerPage) line(y + 34, 0, 2);
}

void TPrDataList::writePages()
{
    m_counter = 0;
    m_page = 1;
    for (int i = 0; i < Disp.size(); ++i) {
        const int ri = Disp[i];
        if (ri < 0 || ri >= Recs.size()) continue;
        const TDataSentakuRec &r = Recs[ri];
        writeLine(r, ListKind == 0 ? r.REC : i + 1, false);
        for (const TDataListRec &c : r.ChildRows) writeLine(c, 0, true);
    }
}

bool TPrDataList::Execute(bool print)
{
    PrintRec.FontSize3 = kRowFontSize;
    m_layout = &layoutOf(Orientation);
    m_font = DataListFontName(PrintRec.FontIndex);

    TPager512 &p = *m_pager;
    p.Title = QStringLiteral("印刷プレビュー");
    // TEMP names the temporary folder; without it the system's own is taken.
    const QString temp = SystemDef.WinTempDir.isEmpty() ? QDir::tempPath() : SystemDef.WinTempDir;
    p.DataFile = temp + QStringLiteral("/データリスト.TMP");
    p.FormFile.clear();
    p.PaperSize = 9;
    p.Orientation = Orientation;
    p.TopMargin = 0;
    p.LeftMargin = 0;
    p.SetZoom(10);
    p.UserColor1 = 0;
    p.UserColor2 = 0;
    p.NetColor1 = SystemDef.SysDef.NetColor1;
    p.NetColor2 = SystemDef.SysDef.NetColor2;
    SetMonoPrintColors(PrintRec.ColorMode, p);
    p.PrintFom = false;
    p.ModeSw = false;
    p.Permit = true;

    const QString named = p.DataFile;
    try {
        p.OpenDataFile(true);
        writePages();
        p.CloseDataFile();
    } catch (...) {
        // The half-written file is of no use to anyone: closed and removed.
        try {
            p.CloseDataFile();
        } catch (...) {
        }
        if (p.DataFile != named) QFile::remove(p.DataFile);
        throw;
    }
    return print ? p.Print() : p.Preview();
}
