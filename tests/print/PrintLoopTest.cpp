#include "RenderTestSupport.h"

#include "framework/FrameworkMessages.h"
#include "print/Pager512_Imagedsp.h"
#include "print/Pager512_PrinterDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <functional>

using rendertest::RenderFixture;

namespace {

// A recording printer that calls back before each new sheet.
class CallbackPrinter : public RecordingPrinter
{
public:
    using RecordingPrinter::RecordingPrinter;
    bool newPage() override
    {
        if (OnNewPage)
            OnNewPage();
        return RecordingPrinter::newPage();
    }
    std::function<void()> OnNewPage;
};

// Data page i carries a black box in slot i of the top row, form page j one in
// slot j of the second row. The printer draws at 127 dpi: half a pixel per 0.1 mm.
QString pageBox(int slot, int y)
{
    return QStringLiteral("BOX;%1;%2;%3;%4;1;0;黒;黒;0;\r\n").arg(slot * 100).arg(y).arg(slot * 100 + 60).arg(y + 60);
}

class PrintLoop : public RenderFixture
{
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        auto p = std::make_shared<CallbackPrinter>(QStringLiteral("Recorder"), 127);
        p->Papers = printer->Papers;
        recorder = p;
        printer = p;
        printers::setPrinters({p});
        Engine().Vdb->SetPaper(9);
        savedRunner = ModalRunner;
    }
    void TearDown() override
    {
        ModalRunner = savedRunner;
        RenderFixture::TearDown();
    }

    // A job of n pages (no page end after the last); extra(i) adds records to page i.
    QString dataFile(int pages, const std::function<QString(int)> &extra = {})
    {
        QString text = QStringLiteral("*PAGER512*\r\n");
        for (int i = 1; i <= pages; ++i) {
            text += pageBox(i, 100) + (extra ? extra(i) : QString());
            if (i < pages)
                text += QStringLiteral("E;\r\n");
        }
        return rendertest::writePrintFile(dir, QStringLiteral("data.TMP"), text);
    }
    QString formFile(int pages)
    {
        QString text;
        for (int j = 1; j <= pages; ++j)
            text += pageBox(j, 300) + QStringLiteral("E;\r\n");
        return rendertest::writePrintFile(dir, QStringLiteral("form.51F"), text);
    }
    TP512DEF job(const QString &data, const QString &form = QString())
    {
        TP512DEF d = InitialP512Def();
        d.DataFile = data;
        d.FormFile = form;
        d.PaperSize = 9;
        d.PrinterNum = 0;
        d.PrnDlg = false;
        d.Title = d.DocTitle = QStringLiteral("job");
        return d;
    }
    // The slots of a row (y in 0.1 mm) that carry a box on a sheet.
    static QList<int> marks(const QImage &sheet, int y)
    {
        QList<int> out;
        for (int slot = 1; slot <= 12; ++slot)
            if ((sheet.pixel((slot * 100 + 30) / 2, (y + 30) / 2) & 0xFFFFFF) == 0)
                out << slot;
        return out;
    }
    // The data page on each sheet of a document.
    static QList<int> dataPages(const RecordingPrinter::Document &doc)
    {
        QList<int> out;
        for (const QImage &sheet : doc.Pages)
            out << marks(sheet, 100).value(0, 0);
        return out;
    }
    // The print dialog is worked by the function; other dialogs run as they are.
    void printDialog(std::function<void(TPrinterDialog &)> work)
    {
        ModalRunner = [work](QDialog &d) {
            if (auto *p = qobject_cast<TPrinterDialog *>(&d)) {
                work(*p);
                return p->result();
            }
            return d.exec();
        };
    }

    std::shared_ptr<CallbackPrinter> recorder;
    std::function<int(QDialog &)> savedRunner;
};

} // namespace

TEST_F(PrintLoop, CollatedCopiesAreWholeDocumentsAndResetTheDefinition)
{
    TP512DEF d = job(dataFile(3));
    d.Copie = 3;
    d.Collate = 1;
    ASSERT_TRUE(StartPrint(d));
    ASSERT_EQ(recorder->Documents.size(), 3);
    for (const auto &doc : recorder->Documents) {
        EXPECT_EQ(dataPages(doc), (QList<int>{1, 2, 3}));
        EXPECT_EQ(doc.Copies, 1);
        EXPECT_EQ(doc.Title, QStringLiteral("job"));
    }
    EXPECT_EQ(P512Def().Collate, 0);
    EXPECT_EQ(P512Def().Copie, 1);
}

TEST_F(PrintLoop, PrintDialogCopiesWithAndWithoutCollation)
{
    struct Case {
        bool collate;
        int documents;
        int printerCopies;
    };
    for (const Case c : {Case{true, 3, 1}, Case{false, 1, 3}}) {
        SCOPED_TRACE(c.collate);
        recorder->Documents.clear();
        printDialog([&](TPrinterDialog &dlg) {
            EXPECT_TRUE(dlg.rbAll->isChecked());
            EXPECT_EQ(dlg.spnTo->maximum(), 3);
            dlg.spnCopies->setValue(3);
            dlg.chkCollate->setChecked(c.collate);
            dlg.btnOK->click();
        });
        TP512DEF d = job(dataFile(3));
        d.PrnDlg = true;
        ASSERT_TRUE(StartPrint(d));
        ASSERT_EQ(recorder->Documents.size(), c.documents);
        for (const auto &doc : recorder->Documents) {
            EXPECT_EQ(dataPages(doc), (QList<int>{1, 2, 3}));
            EXPECT_EQ(doc.Copies, c.printerCopies);
        }
    }
}

TEST_F(PrintLoop, PageRangeThreeToFourOfTenPrintsTwoSheetsFromTheFormCycle)
{
    printDialog([](TPrinterDialog &dlg) {
        dlg.rbPages->setChecked(true);
        dlg.spnTo->setValue(4);
        dlg.spnFrom->setValue(3);
        dlg.btnOK->click();
    });
    TP512DEF d = job(dataFile(10), formFile(3));
    d.PrnDlg = true;
    ASSERT_TRUE(StartPrint(d));
    ASSERT_EQ(recorder->Documents.size(), 1);
    const auto &doc = recorder->Documents[0];
    ASSERT_EQ(doc.Pages.size(), 2); // the rest of the form's cycle is not printed
    EXPECT_EQ(dataPages(doc), (QList<int>{3, 4}));
    // The form cycle is entered at page 3: form pages 3 and 1.
    EXPECT_EQ(marks(doc.Pages[0], 300), QList<int>{3});
    EXPECT_EQ(marks(doc.Pages[1], 300), QList<int>{1});
}

TEST_F(PrintLoop, CancelledPrintDialogPrintsNothing)
{
    printDialog([](TPrinterDialog &dlg) { dlg.btnCancel->click(); });
    TP512DEF d = job(dataFile(2));
    d.PrnDlg = true;
    EXPECT_FALSE(StartPrint(d));
    EXPECT_TRUE(recorder->Events.isEmpty());
}

TEST_F(PrintLoop, LandscapePageBetweenPortraitPagesGivesThreeDocuments)
{
    TP512DEF d = job(dataFile(3, [](int i) { return i == 2 ? QStringLiteral("ORIENTATION;1;\r\n") : QString(); }));
    ASSERT_TRUE(StartPrint(d));
    ASSERT_EQ(recorder->Documents.size(), 3);
    const QList<int> orientation{1, 2, 1};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dataPages(recorder->Documents[i]), QList<int>{i + 1});
        EXPECT_EQ(recorder->Documents[i].Orientations, QList<int>{orientation[i]});
    }
    EXPECT_GT(recorder->Documents[1].Pages[0].width(), recorder->Documents[1].Pages[0].height());
    // The printer is back in the job's orientation.
    EXPECT_EQ(Engine().Vdb->GetOrientation(), 0);
}

TEST_F(PrintLoop, MessageRecordEndsTheDocumentAndShowsItsText)
{
    // The box notes how many documents had ended when it came.
    struct Probe : MessageService {
        RecordingPrinter *printer = nullptr;
        MessageService *previous = &MessageService::instance();
        QStringList texts;
        QList<int> documents;
        Probe() { MessageService::install(this); }
        ~Probe() override { MessageService::install(previous); }
        int show(const MessageRequest &r) override
        {
            texts << r.text;
            documents << int(printer->Documents.size());
            return mrOk;
        }
    } probe;
    probe.printer = recorder.get();
    TP512DEF d = job(dataFile(3, [](int i) {
        return i == 2 ? QStringLiteral("MESSAGE;用紙を入れ替えてください;\r\n") : QString();
    }));
    ASSERT_TRUE(StartPrint(d));
    EXPECT_EQ(probe.texts, QStringList{QStringLiteral("用紙を入れ替えてください")});
    EXPECT_EQ(probe.documents, QList<int>{1});
    ASSERT_EQ(recorder->Documents.size(), 2);
    EXPECT_EQ(dataPages(recorder->Documents[0]), (QList<int>{1, 2}));
    EXPECT_EQ(dataPages(recorder->Documents[1]), QList<int>{3});
}

TEST_F(PrintLoop, FileWithoutTheBannerIsRefused)
{
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    const QString bad = rendertest::writePrintFile(dir, QStringLiteral("bad.TMP"), pageBox(1, 100));
    TP512DEF d = job(bad);
    EXPECT_FALSE(StartPrint(d));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("<PAGER512>印刷データではありません。"));
    EXPECT_TRUE(recorder->Events.isEmpty());
}

TEST_F(PrintLoop, CancelAsksAndYesAbortsAfterThePageInHand)
{
    struct Case {
        int answer;
        bool printed;
    };
    for (const Case c : {Case{mrNo, true}, Case{mrYes, false}}) {
        SCOPED_TRACE(c.answer);
        recorder->Events.clear();
        recorder->Documents.clear();
        ScriptedMessages boxes;
        boxes.answer(c.answer);
        int asked = 0;
        recorder->OnNewPage = [&] {
            if (asked++ == 0) {
                TNowPrintingdlg *progress = NowPrintingDlg();
                ASSERT_NE(progress, nullptr);
                EXPECT_TRUE(progress->isVisible());
                progress->CancelButton->click();
            }
        };
        TP512DEF d = job(dataFile(3));
        EXPECT_EQ(StartPrint(d), c.printed);
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("印刷を中止しますか？"));
        if (c.printed) {
            ASSERT_EQ(recorder->Documents.size(), 1);
            EXPECT_EQ(dataPages(recorder->Documents[0]), (QList<int>{1, 2, 3}));
        } else {
            EXPECT_TRUE(recorder->Documents.isEmpty());
            EXPECT_EQ(recorder->Events.last(), QStringLiteral("abort"));
            EXPECT_EQ(recorder->Events.count(QStringLiteral("page")), 1); // stopped after the page in hand
        }
    }
    recorder->OnNewPage = nullptr;
}

TEST_F(PrintLoop, ProgressDialogShowsThePrinterPage)
{
    QString seen;
    int sheet = 0;
    recorder->OnNewPage = [&] {
        if (++sheet == 2) {
            TNowPrintingdlg *progress = NowPrintingDlg();
            ASSERT_NE(progress, nullptr);
            seen = progress->PageMessage->text();
            EXPECT_EQ(progress->windowTitle(), QStringLiteral("印刷"));
            EXPECT_EQ(progress->PrintMessage->text(), QStringLiteral(" 印刷中です。"));
            if (const QByteArray out = qgetenv("SOLTEA_SCREENSHOT_DIR"); !out.isEmpty())
                progress->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/print-progress.png"));
        }
    };
    TP512DEF d = job(dataFile(3));
    ASSERT_TRUE(StartPrint(d));
    EXPECT_EQ(seen, QStringLiteral("(Page=2)"));
    recorder->OnNewPage = nullptr;
}

TEST_F(PrintLoop, ZoomAboveFifteenPrintsAtOneHundredPercent)
{
    TP512DEF d = job(dataFile(1));
    d.Zoom = 18;
    ASSERT_TRUE(StartPrint(d));
    EXPECT_EQ(P512Def().Zoom, 10);
    EXPECT_EQ(dataPages(recorder->Documents[0]), QList<int>{1});
}

TEST_F(PrintLoop, NotPermittedOpensThePreviewInstead)
{
    QStringList shown;
    ModalRunner = [&](QDialog &dlg) {
        shown << dlg.objectName();
        return 0;
    };
    TP512DEF d = job(dataFile(2));
    d.Permit = false;
    EXPECT_FALSE(StartPrint(d));
    EXPECT_EQ(shown, QStringList{QStringLiteral("ImageDispForm")});
    EXPECT_TRUE(recorder->Events.isEmpty());
}

TEST_F(PrintLoop, CurrentPagePrintsOnePageInItsOrientation)
{
    TP512DEF d = job(dataFile(3, [](int i) { return i == 2 ? QStringLiteral("ORIENTATION;1;\r\n") : QString(); }),
                     formFile(2));
    P512Def() = d;
    PrintCurrentPage(P512Def(), 2, 1);
    ASSERT_EQ(recorder->Documents.size(), 1);
    const auto &doc = recorder->Documents[0];
    EXPECT_EQ(dataPages(doc), QList<int>{2});
    EXPECT_EQ(marks(doc.Pages[0], 300), QList<int>{2});
    EXPECT_EQ(doc.Orientations, QList<int>{2});
    EXPECT_EQ(Engine().Vdb->GetOrientation(), 1);
}

TEST_F(PrintLoop, CurrentPageOfAFileThatHasGoneIsReportedOnceAndPrintsNothing)
{
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    TP512DEF d = job(dir + QStringLiteral("/gone.TMP"));
    P512Def() = d;
    PrintCurrentPage(P512Def(), 1, 0);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, u'<' + dir + QStringLiteral("/gone.TMP> が見つかりません。"));
    EXPECT_TRUE(recorder->Events.isEmpty());
    EXPECT_EQ(NowPrintingDlg(), nullptr);
}

TEST_F(PrintLoop, PrintDialogCarriesTheJobToAnotherPrinter)
{
    auto other = std::make_shared<RecordingPrinter>(QStringLiteral("Other"), 127);
    other->Papers = recorder->Papers;
    printers::setPrinters({recorder, other});
    printDialog([](TPrinterDialog &dlg) {
        EXPECT_EQ(dlg.cmbPrinter->count(), 2);
        dlg.cmbPrinter->setCurrentIndex(1);
        dlg.btnOK->click();
    });
    TP512DEF d = job(dataFile(2));
    d.PrnDlg = true;
    d.PaperSize = 12; // B4
    ASSERT_TRUE(StartPrint(d));
    EXPECT_TRUE(recorder->Documents.isEmpty());
    ASSERT_EQ(other->Documents.size(), 1);
    EXPECT_EQ(other->devMode().PaperSize, 12);
    EXPECT_EQ(dataPages(other->Documents[0]), (QList<int>{1, 2}));
    EXPECT_EQ(printers::currentIndex(), 1);
    if (const QByteArray out = qgetenv("SOLTEA_SCREENSHOT_DIR"); !out.isEmpty()) {
        TPrinterDialog print(TPrinterDialog::Kind::Print);
        print.PageNumsOption = true;
        print.MaxPage = 10;
        print.ToPage = 10;
        print.Prepare();
        print.grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/print-dialog.png"));
        TPrinterDialog setup(TPrinterDialog::Kind::Setup);
        setup.Prepare();
        setup.grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/printer-setup-dialog.png"));
    }
}
