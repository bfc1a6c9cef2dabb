#include "print/Pager512_PrintJob.h"

#include "core/Messages.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_Data.h"
#include "print/Pager512_Form.h"
#include "print/Pager512_ImageOut.h"
#include "print/Pager512_Printer.h"
#include "print/Pager512_Tables.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <exception>

namespace {

bool checkFiles(const TP512DEF &d)
{
    if (!QFileInfo(d.DataFile).isFile()) {
        MessageDlg(u'<' + d.DataFile + QStringLiteral("> が見つかりません。"), TMsgDlgType::mtError, mbOK);
        return false;
    }
    QFile data(d.DataFile);
    if (!data.open(QIODevice::ReadOnly) || !pager512::isPrintData(data.read(10))) {
        MessageDlg(QStringLiteral("<PAGER512>印刷データではありません。"), TMsgDlgType::mtError, mbOK);
        return false;
    }
    const QString form = d.FormFile.trimmed();
    if (!form.isEmpty() && !QFileInfo(form).isFile()) {
        MessageDlg(u'<' + d.FormFile + QStringLiteral("> が見つかりません。"), TMsgDlgType::mtError, mbOK);
        return false;
    }
    return true;
}

} // namespace

bool PrintJob(const TP512DEF &definition)
{
    TEngineState &e = Engine();
    if (!e.Ready || !e.Vdb)
        return false;
    if (!definition.Permit)
        return false;
    if (&definition != &P512Def())
        P512Def() = definition;
    TP512DEF &d = P512Def();
    // Every job starts without the paper ratios of an earlier one.
    e.HRatio = e.VRatio = 0;
    e.PageNumber = 1;
    e.FormFileName = d.FormFile.trimmed();
    e.DataFileName = d.DataFile;
    if (!checkFiles(d))
        return false;

    TVDBPrint &vdb = *e.Vdb;
    if (!printers::select(d.PrinterNum))
        printers::select(-1);
    TPrinterDevice *printer = printers::current();
    if (!printer)
        return false;
    if (d.PaperSize == 0)
        d.PaperSize = vdb.GetPaperNumber(d.PaperName.left(64), d.PaperLength, 9, d.PaperWidth);
    vdb.SetPaper(d.OutPutPaper != 0 ? d.OutPutPaper : d.PaperSize);
    if (d.Copie < 1 || d.Copie > 99)
        d.Copie = 1;
    if (d.Zoom < 5 || d.Zoom > 15)
        d.Zoom = 10;
    vdb.SetDevMode(d);
    InitPageCounts();
    vdb.SetOrientation(d.Orientation);
    CalcPaperRatio();

    bool ok = false;
    try {
        const bool withForm = !e.FormFileName.isEmpty();
        if (withForm) {
            ReadFormVersion(e.FormFileName);
            HensuuYomikomi(e.FormFileName, 0, 0);
        } else {
            ReadFormVersion(e.DataFileName);
        }
        TPrintFile data, form;
        if (!data.open(e.DataFileName))
            return false;
        if (withForm && !form.open(e.FormFileName))
            return false;
        const QStringList orientations = GetPageOrientations(e.DataFileName, d.Orientation).split(u'\n');
        const auto orientationOf = [&](int page) {
            return pager512::fieldInt(orientations.value(page - 1), d.Orientation);
        };

        int paperW = 0, paperH = 0;
        GetPaperSizeMM(vdb.GetPaper(), paperW, paperH);
        vdb.ResetUserPaperSize();
        vdb.SetTTOption(1);
        vdb.SetOrientation(orientationOf(1));
        const auto placeMargins = [&] {
            int w = paperW, h = paperH;
            if (vdb.GetOrientation() == 1)
                std::swap(w, h);
            const QSizeF printable = printer->printableSizeMM();
            e.LeftMargin = d.LeftMargin - RoundEven((w - printable.width()) / 2) * 10;
            e.TopMargin = d.TopMargin - RoundEven((h - printable.height()) / 2) * 10;
            e.EvenLeftMargin = d.EvenLeftOffset;
        };
        placeMargins();

        const QString title = d.DocTitle.isEmpty() ? d.Title : d.DocTitle;
        if (!printer->beginDoc(title.left(64)))
            throw std::runtime_error("印刷を開始できません。");
        const int dpi = printer->resolution();
        const QTransform base = printer->canvas()->transform();
        const double factor = dpi / 254.0;
        const bool drawForm = d.PrintFom && withForm;
        const int cycle = FormFields().PageCounter + 1;
        int sheet = 1;
        bool formEnd = true;
        // One sheet: the form page in turn, then the data page (none when dataPage
        // is false). A sheet with AND transfers is drawn on a raster and placed on a
        // target that has no such transfer.
        const auto drawSheet = [&](bool dataPage) {
            if (drawForm && formEnd)
                form.rewind();
            int formPage = sheet % cycle;
            if (formPage == 0)
                formPage = cycle;
            const bool even = sheet % 2 == 0;
            bool end = true;
            const auto layers = [&](TCanvas &canvas, int ppi, double f) {
                if (drawForm)
                    formEnd = PaintPage(QStringLiteral("FOM"), form, canvas, ppi, f, f, d.Zoom, even, 0, 0, 0)
                              || form.atEnd();
                if (dataPage)
                    end = PaintPage(QStringLiteral("DAT"), data, canvas, ppi, f, f, d.Zoom, even, formPage - 1, 0, 0);
            };
            const bool raster = !printer->rasterCanvas()
                                && ((drawForm && form.pageHasAndTransfer()) || (dataPage && data.pageHasAndTransfer()));
            QPainter *target = printer->canvas();
            if (raster) {
                const int ppi = qMin(dpi, 300);
                const QRect page = target->viewport();
                const double scale = double(ppi) / dpi;
                QImage image(qMax(1, qRound(page.width() * scale)), qMax(1, qRound(page.height() * scale)),
                             QImage::Format_RGB32);
                image.fill(Qt::white);
                QPainter painter(&image);
                TCanvas canvas(&painter, true, true);
                layers(canvas, ppi, ppi / 254.0);
                painter.end();
                target->setTransform(base);
                target->drawImage(page, image);
            } else {
                TCanvas canvas(target, true, printer->rasterCanvas());
                canvas.Base = base;
                layers(canvas, dpi, factor);
            }
            return end;
        };
        int page = 0;
        while (!data.atEnd()) {
            const bool end = drawSheet(true);
            ++page;
            if (end || data.atEnd())
                break;
            const int next = orientationOf(page + 1);
            if (next != vdb.GetOrientation()) {
                vdb.SetOrientation(next);
                placeMargins();
            }
            printer->newPage();
            ++sheet;
            ++e.PageNumber;
        }
        // The rest of the form's cycle is printed without data.
        while (drawForm && !formEnd) {
            printer->newPage();
            ++sheet;
            drawSheet(false);
        }
        ok = printer->endDoc();
    } catch (const std::exception &ex) {
        printer->abortDoc();
        WriteErrorLog(QStringLiteral("PRINT.メイン:%1").arg(QString::fromLocal8Bit(ex.what())));
        ok = false;
    }
    vdb.SetOrientation(d.Orientation);
    return ok;
}
