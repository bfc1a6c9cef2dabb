#include "print/Pager512_PrintJob.h"

#include "core/Messages.h"
#include "framework/FrameworkFonts.h"
#include "framework/FrameworkMessages.h"
#include "platform/Error.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_Data.h"
#include "print/Pager512_Form.h"
#include "print/Pager512_ImageOut.h"
#include "print/Pager512_Imagedsp.h"
#include "print/Pager512_PrinterDialog.h"
#include "print/Pager512_Printer.h"
#include "print/Pager512_Tables.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <climits>
#include <exception>

namespace {

// The state of one print run, shared by StartPrint, PrintCurrentPage and the loop.
struct TRunState {
    bool Abort = false;
    bool CollateByProgram = false;
    bool Failed = false; // a file was missing or the printer refused the job
    TStartPrintDlg *Dialog = nullptr;
    QPointer<TNowPrintingdlg> Progress;
};

TRunState &run()
{
    static TRunState state;
    return state;
}

void notFound(const QString &name)
{
    MessageDlg(u'<' + name + QStringLiteral("> が見つかりません。"), TMsgDlgType::mtError, mbOK);
}

// The files of a job before anything is sent: the data file exists and is print
// data, the form file (when named) exists.
bool checkFiles(const TP512DEF &d)
{
    if (!QFileInfo(d.DataFile).isFile()) {
        notFound(d.DataFile);
        return false;
    }
    QFile data(d.DataFile);
    if (!data.open(QIODevice::ReadOnly) || !pager512::isPrintData(data.read(10))) {
        MessageDlg(QStringLiteral("<PAGER512>印刷データではありません。"), TMsgDlgType::mtError, mbOK);
        return false;
    }
    const QString form = d.FormFile.trimmed();
    if (!form.isEmpty() && !QFileInfo(form).isFile()) {
        notFound(d.FormFile);
        return false;
    }
    return true;
}

// What a job handed in brings into the program-wide definition.
void copyJobSettings(const TP512DEF &from, TP512DEF &to)
{
    to.Title = from.Title;
    to.DocTitle = from.DocTitle;
    to.PrinterNum = from.PrinterNum;
    to.PaperSize = from.PaperSize;
    to.OutPutPaper = from.OutPutPaper;
    to.PaperName = from.PaperName;
    to.Orientation = from.Orientation;
    to.TopMargin = from.TopMargin;
    to.LeftMargin = from.LeftMargin;
    to.EvenLeftOffset = from.EvenLeftOffset;
    to.TopCorrect = from.TopCorrect;
    to.LeftCorrect = from.LeftCorrect;
    to.FormTopMargin = from.FormTopMargin;
    to.FormLeftMargin = from.FormLeftMargin;
    to.NetColor1 = from.NetColor1;
    to.NetColor2 = from.NetColor2;
    to.UserColor1 = from.UserColor1;
    to.UserColor2 = from.UserColor2;
    to.OcrGreen = from.OcrGreen;
    to.OcrBlue = from.OcrBlue;
    to.OcrBrown = from.OcrBrown;
    to.OcrPink = from.OcrPink;
    to.OcrOrange = from.OcrOrange;
    to.OcrViolet = from.OcrViolet;
    to.OcrPurple = from.OcrPurple;
    to.PrintFom = from.PrintFom;
    to.PrnDlg = from.PrnDlg;
    to.Zoom = from.Zoom;
    to.ModeSw = from.ModeSw;
    to.PaperLength = from.PaperLength;
    to.PaperWidth = from.PaperWidth;
    to.Scale = from.Scale;
    to.Copie = from.Copie;
    to.PrintQuality = from.PrintQuality;
    to.ColorMode = from.ColorMode;
    to.Duplex = from.Duplex;
    to.Collate = from.Collate;
    to.YResolution = from.YResolution;
    to.PageBango = from.PageBango;
    to.VRATIO = from.VRATIO;
    to.HRATIO = from.HRATIO;
    to.GrayScale = from.GrayScale;
}

void selectPrinter(int index)
{
    if (!printers::select(index))
        printers::select(-1);
}

// Shows the progress dialog; its timer runs the loop.
void runProgressDialog()
{
    TNowPrintingdlg dlg;
    run().Progress = &dlg;
    QObject::connect(dlg.Timer, &QTimer::timeout, &dlg, &TNowPrintingdlg::PrintStart);
    dlg.Timer->start(TNowPrintingdlg::TimerInterval);
    ModalRunner(dlg);
    // A runner that returned before the loop ran (it never showed the dialog).
    if (dlg.Timer->isActive()) {
        dlg.Timer->stop();
        run().Failed = true;
    }
    run().Progress = nullptr;
}

} // namespace

// ---- the print dialog ---------------------------------------------------------------

bool TStartPrintDlg::Execute()
{
    TPrinterDialog dlg(TPrinterDialog::Kind::Print);
    dlg.PageNumsOption = PageNumsOption;
    dlg.PageNumbers = PrintRange == prPageNums;
    dlg.MinPage = MinPage;
    dlg.MaxPage = MaxPage;
    dlg.FromPage = FromPage;
    dlg.ToPage = ToPage;
    dlg.Collate = Collate;
    if (const TPrinterDevice *p = printers::current())
        dlg.Copies = p->devMode().Copies;
    if (!ExecutePrinterDialog(dlg))
        return false;
    PrintRange = dlg.PageNumbers ? prPageNums : prAllPages;
    FromPage = dlg.FromPage;
    ToPage = dlg.ToPage;
    Collate = dlg.Collate;
    return true;
}

// ---- the progress dialog -------------------------------------------------------------

int TNowPrintingdlg::TimerInterval = 500;

TNowPrintingdlg::TNowPrintingdlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("NowPrintingdlg"));
    setWindowTitle(QStringLiteral("印刷"));
    setFont(MakeFont(QStringLiteral("ＭＳ ゴシック"), -13));
    setFixedSize(260, 130);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(10, 10, 240, 64);
    PrintMessage = new QLabel(QStringLiteral(" 印刷中です。"), panel);
    PrintMessage->setObjectName(QStringLiteral("PrintMessage"));
    PrintMessage->setAlignment(Qt::AlignCenter);
    PrintMessage->setGeometry(4, 8, 232, 22);
    PageMessage = new QLabel(panel);
    PageMessage->setObjectName(QStringLiteral("PageMessage"));
    PageMessage->setAlignment(Qt::AlignCenter);
    PageMessage->setGeometry(4, 34, 232, 22);

    CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(88, 88, 84, 28);
    connect(CancelButton, &QPushButton::clicked, this, &TNowPrintingdlg::CancelButtonClick);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setSingleShot(true);
}

void TNowPrintingdlg::CancelButtonClick()
{
    if (MessageDlg(QStringLiteral("印刷を中止しますか？"), TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes)
        run().Abort = true;
}

void TNowPrintingdlg::reject()
{
    // Esc asks like the button; the loop closes the dialog when it ends.
    CancelButtonClick();
}

void TNowPrintingdlg::closeEvent(QCloseEvent *e)
{
    e->ignore();
    CancelButtonClick();
}

TNowPrintingdlg *NowPrintingDlg()
{
    return run().Progress.data();
}

void TNowPrintingdlg::PrintStart()
{
    Timer->stop();
    disconnect(Timer, nullptr, this, nullptr);

    TRunState &r = run();
    TEngineState &e = Engine();
    TP512DEF &d = P512Def();
    TVDBPrint &vdb = *e.Vdb;
    static const TStartPrintDlg noDialog;
    const TStartPrintDlg &range = r.Dialog ? *r.Dialog : noDialog;
    TPrinterDevice *printer = printers::current();
    TPrintFile data, form;

    try {
        int copies = 1;
        if (d.Collate == 1 || (d.Copie > 1 && r.CollateByProgram)) {
            r.CollateByProgram = true;
            copies = d.Copie;
            d.Collate = 0;
            d.Copie = 1;
            vdb.SetDevMode(d);
        } else if ((d.DevFields & DM_COLLATE) && d.ColorMode == 1) {
            vdb.SetDevMode(d);
        }
        if (!printer)
            throw platform::Error(QStringLiteral("プリンタがありません。"));
        const double factor = printer->resolution() / 254.0;
        const QString title = (d.DocTitle.isEmpty() ? d.Title : d.DocTitle).left(64);

        // The data file first: a missing file is reported once.
        if (e.DataFileName.isEmpty()) {
            MessageDlg(QStringLiteral("印刷ファイルの指定がありません。"), TMsgDlgType::mtError, mbOK);
            r.Failed = true;
        } else if (!QFileInfo(e.DataFileName).isFile()) {
            notFound(e.DataFileName);
            r.Failed = true;
        }
        const bool withForm = !e.FormFileName.isEmpty();
        if (!r.Failed && withForm && !QFileInfo(e.FormFileName).isFile()) {
            notFound(e.FormFileName);
            r.Failed = true;
        }
        if (r.Failed) {
            done(mrAbort);
            return;
        }
        if (withForm) {
            ReadFormVersion(e.FormFileName);
            HensuuYomikomi(e.FormFileName, 0, 0, factor, factor);
        } else {
            ReadFormVersion(e.DataFileName);
        }

        if (!data.open(e.DataFileName) || (withForm && !form.open(e.FormFileName)))
            throw platform::Error(QStringLiteral("印刷ファイルを開けません。"));
        const QStringList orientations = GetPageOrientations(e.DataFileName, d.Orientation).split(u'\n');
        // The orientation of a data page (counted from 1); the job's own where the
        // list has no such line or the line is not a number.
        const auto orientationOf = [&](int page) {
            return pager512::fieldInt(orientations.value(page - 1), d.Orientation);
        };

        int paperW = 0, paperH = 0;
        GetPaperSizeMM(vdb.GetPaper(), paperW, paperH);
        vdb.ResetUserPaperSize();
        // The page offsets from the unprintable border of the paper as it lies now.
        const auto placeMargins = [&] {
            int w = paperW, h = paperH;
            if (vdb.GetOrientation() == 1)
                std::swap(w, h);
            const QSizeF printable = printer->printableSizeMM();
            e.LeftMargin = d.LeftMargin - RoundEven((w - printable.width()) / 2) * 10;
            e.TopMargin = d.TopMargin - RoundEven((h - printable.height()) / 2) * 10;
            e.EvenLeftMargin = d.EvenLeftOffset;
        };
        const auto setOrientation = [&](int orientation) {
            if (orientation != vdb.GetOrientation())
                vdb.SetOrientation(orientation);
            placeMargins();
        };
        placeMargins();
        vdb.SetTTOption(1);

        const bool drawForm = d.PrintFom && withForm;
        const bool pageRange = range.PrintRange == TStartPrintDlg::prPageNums;
        const int cycle = FormFields().PageCounter + 1;
        const int formPages = drawForm ? CountPages(e.FormFileName, false) : 0;
        const int entryPage = e.PageNumber;
        int printerPage = 1;
        int dpi = printer->resolution();
        QTransform base;
        bool formEnd = true;

        const auto beginDoc = [&] {
            if (!printer->beginDoc(title))
                throw platform::Error(QStringLiteral("印刷を開始できません。"));
            printerPage = 1;
            dpi = printer->resolution();
            base = printer->canvas()->transform();
        };
        const auto endDoc = [&] {
            if (!printer->endDoc())
                throw platform::Error(QStringLiteral("印刷を終了できません。"));
        };
        const auto showPageNumber = [&] {
            PageMessage->setText(QStringLiteral("(Page=%1)").arg(printerPage));
        };
        // One sheet: the form page in turn and the data page, drawn together so that
        // a sheet with AND transfers can go through a raster on a target without them.
        // Answers the renderer's end flag of the data page (true without one).
        const auto drawSheet = [&](bool withFormPage, bool withData) {
            const bool even = printerPage % 2 == 0;
            int formPage = (printerPage + range.FromPage - 1) % cycle;
            if (formPage == 0)
                formPage = cycle;
            bool end = true;
            const auto layers = [&](TCanvas &canvas, int ppi, double f) {
                if (withFormPage)
                    formEnd = PaintPage(QStringLiteral("FOM"), form, canvas, ppi, f, f, d.Zoom, even, 0, 0, 0)
                              || form.atEnd();
                if (withData)
                    end = PaintPage(QStringLiteral("DAT"), data, canvas, ppi, f, f, d.Zoom, even, formPage - 1, 0, 0);
            };
            const bool raster = !printer->rasterCanvas()
                                && ((withFormPage && form.pageHasAndTransfer()) || (withData && data.pageHasAndTransfer()));
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
                layers(canvas, dpi, dpi / 254.0);
            }
            return end;
        };

        while (copies > 0) {
            setOrientation(orientationOf(entryPage));
            beginDoc();
            data.rewind();
            e.PageNumber = entryPage;
            int pagesLeft = pageRange ? range.ToPage - range.FromPage + 1
                                      : (range.MaxPage > 0 ? range.MaxPage : INT_MAX);
            PageMessage->clear();

            // The form page of the first sheet waits for its data page.
            bool formPending = false;
            if (drawForm) {
                form.rewind();
                if (pageRange && formPages > 1)
                    SkipToPage(form, range.FromPage, true);
                formPending = true;
            }
            int pageIndex = 0;
            if (pageRange) {
                SkipToPage(data, range.FromPage, false);
                pageIndex = range.FromPage - 1;
            }

            while (!r.Abort) {
                if (data.atEnd() || pagesLeft <= 0)
                    break;
                --pagesLeft;
                const bool end = drawSheet(formPending, true);
                formPending = false;
                const QString message = e.PendingMessage;
                ++pageIndex;
                // A next sheet only for a page that follows (never a blank one after the last).
                if (!end && pagesLeft > 0 && !data.atEnd()) {
                    const int next = pageIndex + 1;
                    const bool turns = next <= orientations.size() && orientationOf(next) != vdb.GetOrientation();
                    if (turns || !message.isEmpty()) {
                        endDoc();
                        if (turns)
                            setOrientation(orientationOf(next));
                        if (!message.isEmpty())
                            MessageDlg(message, TMsgDlgType::mtInformation, mbOK);
                        beginDoc();
                    } else {
                        printer->newPage();
                        ++printerPage;
                    }
                    showPageNumber();
                    if (drawForm) {
                        if (formEnd)
                            form.rewind();
                        formPending = true;
                    }
                }
                ++e.PageNumber;
                // The cancel button is heard between pages.
                QCoreApplication::processEvents();
            }
            if (formPending && !r.Abort)
                drawSheet(true, false);
            // The rest of the form's cycle is printed without data.
            if (drawForm && !r.Abort && !pageRange) {
                while (!formEnd) {
                    printer->newPage();
                    ++printerPage;
                    showPageNumber();
                    drawSheet(true, false);
                }
            }
            copies = r.Abort ? 0 : copies - 1;
            if (copies > 0)
                endDoc();
        }
        if (r.Abort)
            printer->abortDoc();
        else
            endDoc();
    } catch (const std::exception &ex) {
        r.Abort = true;
        if (printer)
            printer->abortDoc();
        WriteErrorLog(QStringLiteral("%1:%2").arg(QStringLiteral("PRINT.メイン"), exceptionText(ex)));
    }
    data.close();
    form.close();
    done(r.Abort ? mrAbort : mrOk);
}

// ---- starting a run ------------------------------------------------------------------

bool StartPrint(TP512DEF &definition)
{
    TEngineState &e = Engine();
    if (!e.Ready || !e.Vdb)
        return false;
    if (!definition.Permit) {
        StartPreview(definition);
        return false;
    }
    TRunState &r = run();
    TP512DEF &d = P512Def();
    TVDBPrint &vdb = *e.Vdb;
    bool accepted = false;
    try {
        r.Abort = false;
        r.Failed = false;
        e.FormFileName = definition.FormFile.trimmed();
        e.DataFileName = definition.DataFile;
        e.PageNumber = 1;
        // Every job starts without the paper ratios of an earlier one.
        e.HRatio = e.VRatio = 0;
        if (!checkFiles(definition))
            return false;

        if (&definition == &d) {
            const int paper = vdb.GetPaper();
            selectPrinter(d.PrinterNum);
            vdb.SetPaper(paper);
        } else {
            copyJobSettings(definition, d);
            selectPrinter(d.PrinterNum);
            if (d.PaperSize == 0)
                d.PaperSize = vdb.GetPaperNumber(d.PaperName.left(64), d.PaperLength, 9, d.PaperWidth);
            vdb.SetPaper(d.OutPutPaper != 0 ? d.OutPutPaper : d.PaperSize);
        }
        if (!printers::current())
            return false;
        vdb.SetDevMode(d);
        if (d.Copie < 1 || d.Copie > 99)
            d.Copie = 1;
        if (d.Zoom < 5 || d.Zoom > 15)
            d.Zoom = 10;
        InitPageCounts();
        vdb.SetOrientation(d.Orientation);
        vdb.SetCopies(d.Copie >= 2 ? d.Copie : 1);

        TStartPrintDlg dlg;
        if (!e.DataFileName.isEmpty()) {
            dlg.PageNumsOption = true;
            dlg.MinPage = 1;
            dlg.MaxPage = CountPages(e.DataFileName, true);
            dlg.FromPage = 1;
            dlg.ToPage = dlg.MaxPage;
        }
        accepted = true;
        r.CollateByProgram = false;
        if (d.PrnDlg) {
            accepted = dlg.Execute();
            if (accepted) {
                e.PageNumber = dlg.FromPage;
                r.CollateByProgram = dlg.Collate;
                vdb.GetDevMode(definition);
                if (&definition != &d) {
                    d.Copie = definition.Copie;
                    d.Collate = definition.Collate;
                    d.ColorMode = definition.ColorMode;
                }
            }
        }
        CalcPaperRatio();
        if (accepted) {
            r.Dialog = &dlg;
            runProgressDialog();
            r.Dialog = nullptr;
        }
    } catch (const std::exception &ex) {
        r.Dialog = nullptr;
        r.Abort = true;
        WriteErrorLog(QStringLiteral("%1:%2").arg(QStringLiteral("PRINT.開始"), exceptionText(ex)));
    }
    vdb.SetOrientation(d.Orientation);
    return accepted && !r.Abort && !r.Failed;
}

void PrintCurrentPage(TP512DEF &definition, int page, int orientation)
{
    TEngineState &e = Engine();
    e.PageNumber = page;
    if (!e.Ready || !e.Vdb)
        return;
    TRunState &r = run();
    TP512DEF &d = P512Def();
    TVDBPrint &vdb = *e.Vdb;
    try {
        r.Abort = false;
        r.Failed = false;
        r.CollateByProgram = false;
        e.FormFileName = definition.FormFile.trimmed();
        e.DataFileName = definition.DataFile;
        e.HRatio = e.VRatio = 0;
        const int paper = vdb.GetPaper();
        selectPrinter(definition.PrinterNum);
        vdb.SetPaper(paper);
        definition.Copie = 1;
        if (&definition != &d) {
            d.ColorMode = definition.ColorMode;
            d.Copie = 1;
        }
        vdb.SetOrientation(orientation);

        TStartPrintDlg dlg;
        if (!e.DataFileName.isEmpty()) {
            dlg.PageNumsOption = true;
            dlg.MinPage = 1;
            // A file that has gone is reported once, by the loop.
            dlg.MaxPage = QFileInfo(e.DataFileName).isFile() ? CountPages(e.DataFileName, true) : 1;
            dlg.FromPage = dlg.ToPage = page;
            dlg.PrintRange = TStartPrintDlg::prPageNums;
        }
        CalcPaperRatio();
        r.Dialog = &dlg;
        runProgressDialog();
        r.Dialog = nullptr;
    } catch (const std::exception &ex) {
        r.Dialog = nullptr;
        WriteErrorLog(QStringLiteral("%1:%2").arg(QStringLiteral("PRINT.現在のページ"), exceptionText(ex)));
    }
    vdb.SetOrientation(orientation);
}
