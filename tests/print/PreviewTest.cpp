#include "RenderTestSupport.h"

#include "framework/FrameworkMessages.h"
#include "framework/z5InputDlg.h"
#include "framework/xKeyControls.h"
#include "print/Pager512_Data.h"
#include "print/Pager512_Edit.h"
#include "print/Pager512_Imagedsp.h"
#include "print/Pager512_PrinterDialog.h"
#include "print/Pager512_Yohaku.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

#include <functional>

using rendertest::RenderFixture;

namespace {

// Page i of a report: a heading, a rule and a box whose place depends on i.
QString reportPage(int i)
{
    return QStringLiteral("TEXT;200;150;データリスト %1 ページ;ＭＳ ゴシック;14;;黒;1;LEFT;0;0;\r\n"
                          "LINE;200;260;1900;260;3;0;黒;\r\n"
                          "BOX;%2;400;%3;600;1;0;黒;薄網掛;0;\r\n")
        .arg(i)
        .arg(200 + i * 150)
        .arg(500 + i * 150);
}

class Preview : public RenderFixture
{
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        savedRunner = ModalRunner;
        others = [](QDialog &d) { return d.exec(); };
    }
    void TearDown() override
    {
        ModalRunner = savedRunner;
        RenderFixture::TearDown();
    }

    // A job of n pages (no page end after the last); extra(i) adds records to page i.
    QString dataFile(int pages, const std::function<QString(int)> &extra = {},
                     const QString &name = QStringLiteral("data.TMP"), const QString &form = QString())
    {
        pager512::THeader header;
        header.Title = QStringLiteral("データリスト");
        header.FormFile = form;
        QString text = platform::fromCp932(pager512::headerBlock(header));
        for (int i = 1; i <= pages; ++i) {
            text += reportPage(i) + (extra ? extra(i) : QString());
            if (i < pages)
                text += QStringLiteral("E;\r\n");
        }
        return rendertest::writePrintFile(dir, name, text);
    }
    // A form of two pages: a frame, and a different corner mark on each page.
    QString formFile()
    {
        return rendertest::writePrintFile(dir, QStringLiteral("form.51F"),
            QStringLiteral("BOX;100;100;2000;2800;2;0;黒;1;1;\r\nTEXT;1500;120;様式一;ＭＳ 明朝;10;;赤;1;LEFT;0;0;\r\nE;\r\n"
                           "BOX;100;100;2000;2800;2;0;黒;1;1;\r\nTEXT;1500;120;様式二;ＭＳ 明朝;10;;青;1;LEFT;0;0;\r\n"));
    }
    TP512DEF job(const QString &data, const QString &form = QString())
    {
        TP512DEF d = InitialP512Def();
        d.DataFile = data;
        d.FormFile = form;
        d.PaperSize = 9;
        d.PrinterNum = 0;
        d.Title = d.DocTitle = QStringLiteral("データリスト");
        return d;
    }
    // Runs the preview; the window is worked by the function while it is open.
    // Dialogs opened from it go to `others`.
    int preview(TP512DEF &d, const std::function<void(TImageDispForm &)> &work)
    {
        whilePreviewing(work);
        return StartPreview(d);
    }
    void whilePreviewing(const std::function<void(TImageDispForm &)> &work)
    {
        ModalRunner = [this, work](QDialog &dlg) -> int {
            auto *form = qobject_cast<TImageDispForm *>(&dlg);
            if (!form)
                return others(dlg);
            form->setWindowState(Qt::WindowNoState);
            form->resize(1000, 760);
            form->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
            work(*form);
            form->hide();
            return 0;
        };
    }
    static QImage grabPage(TImageDispForm &f)
    {
        return f.ImagePaintBox->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The renderer's image of a page for the window's resolution, zoom and offsets.
    static QImage rendered(TImageDispForm &f, const QString &data, const QString &form, int page)
    {
        QImage image(f.ImagePaintBox->size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        TEngineState &e = Engine();
        e.LeftMargin = f.leftOffset();
        e.TopMargin = f.topOffset();
        e.EvenLeftMargin = f.evenLeftOffset();
        TCanvas canvas(&painter, false, true);
        const bool even = page % 2 == 0;
        if (!form.isEmpty()) {
            TPrintFile file;
            EXPECT_TRUE(file.open(form));
            EXPECT_TRUE(SkipToPage(file, page, true));
            PaintPage(QStringLiteral("FOM"), file, canvas, f.pixelsPerInch(), f.horizontalFactor(), f.verticalFactor(),
                      f.zoom(), even, 0, 0, 0);
        }
        TPrintFile file;
        EXPECT_TRUE(file.open(data));
        EXPECT_TRUE(SkipToPage(file, page, false));
        PaintPage(QStringLiteral("DAT"), file, canvas, f.pixelsPerInch(), f.horizontalFactor(), f.verticalFactor(),
                  f.zoom(), even, (page - 1) % (FormFields().PageCounter + 1), 0, 0);
        return image;
    }
    // Pixels that differ inside the frame (the frame is the window's own).
    static int interiorDifferences(const QImage &a, const QImage &b)
    {
        if (a.size() != b.size())
            return -1;
        int n = 0;
        for (int y = 1; y < a.height() - 1; ++y)
            for (int x = 1; x < a.width() - 1; ++x)
                if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF))
                    ++n;
        return n;
    }
    static int inkCount(const QImage &img)
    {
        int n = 0;
        for (int y = 1; y < img.height() - 1; ++y)
            for (int x = 1; x < img.width() - 1; ++x)
                n += (img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
        return n;
    }
    static QString screenshotDir() { return QString::fromLocal8Bit(qgetenv("SOLTEA_SCREENSHOT_DIR")); }

    std::function<int(QDialog &)> savedRunner;
    std::function<int(QDialog &)> others;
};

} // namespace

TEST_F(Preview, ThreePageReportNavigatesAndKeepsZoomWithinItsLimits)
{
    TP512DEF d = job(dataFile(3));
    const int result = preview(d, [](TImageDispForm &f) {
        EXPECT_EQ(f.windowTitle(), QStringLiteral("データリスト"));
        EXPECT_EQ(f.WherePage->text(), QStringLiteral("1/3"));
        const auto click = [](QToolButton *b) { QTest::mouseClick(b, Qt::LeftButton); };
        struct Step {
            QToolButton *button;
            const char *label;
        };
        const Step steps[] = {{f.NextPage, "2/3"}, {f.NextPage, "3/3"}, {f.NextPage, "3/3"}, {f.PrevPage, "2/3"},
                              {f.TopPage, "1/3"},  {f.PrevPage, "1/3"}, {f.LastPage, "3/3"}, {f.TopPage, "1/3"}};
        for (const Step &s : steps) {
            click(s.button);
            EXPECT_EQ(f.WherePage->text(), QString::fromLatin1(s.label)) << s.button->objectName().toStdString();
            EXPECT_EQ(f.currentPage(), QString::fromLatin1(s.label).left(1).toInt());
        }
        // Zoom: 5 to 20 steps shown as 50% to 200%.
        for (int i = 0; i < 20; ++i)
            click(f.ZoomInButton);
        EXPECT_EQ(f.zoom(), 20);
        EXPECT_EQ(f.DispZoom->text(), QStringLiteral("200%"));
        const int wide = f.PaperPanel->width();
        EXPECT_EQ(wide, RoundEven(f.pixelsPerInch() * 210 / 25.4 * 20 / 10));
        for (int i = 0; i < 20; ++i)
            click(f.ZoomOutButton);
        EXPECT_EQ(f.zoom(), 5);
        EXPECT_EQ(f.DispZoom->text(), QStringLiteral("50%"));
        EXPECT_EQ(f.PaperPanel->width(), RoundEven(f.pixelsPerInch() * 210 / 25.4 * 5 / 10));
        click(f.SpeedButton3);
        EXPECT_EQ(f.zoom(), 10);
        EXPECT_EQ(f.DispZoom->text(), QStringLiteral("100%"));
        click(f.ZoomJustButton);
        // The whole sheet fits the window at the largest step that fits.
        const int fit = f.zoom();
        EXPECT_LE(RoundEven(f.pixelsPerInch() * 297 / 25.4 * fit / 10) + f.PaperPanel->y(), f.ImagePaintScrollBox->height());
        EXPECT_GT(RoundEven(f.pixelsPerInch() * 297 / 25.4 * (fit + 1) / 10) + f.PaperPanel->y(),
                  f.ImagePaintScrollBox->height());
        EXPECT_EQ(f.DispZoom->text(), QStringLiteral("%1%").arg(fit * 10));
    });
    // Without the report buttons, closing answers 1.
    EXPECT_EQ(result, 1);
}

TEST_F(Preview, OnePageReportStaysOnItsPage)
{
    TP512DEF d = job(dataFile(1));
    preview(d, [](TImageDispForm &f) {
        f.DispNext();
        EXPECT_EQ(f.WherePage->text(), QStringLiteral("1/1"));
        f.DispPrev();
        EXPECT_EQ(f.WherePage->text(), QStringLiteral("1/1"));
    });
}

TEST_F(Preview, PageAreaIsTheRenderersImage)
{
    const QString data = dataFile(3);
    const QString form = formFile();
    TP512DEF d = job(data, form);
    d.LeftMargin = 40;
    d.TopMargin = -20;
    preview(d, [&](TImageDispForm &f) {
        EXPECT_EQ(f.leftOffset(), 40);
        EXPECT_EQ(f.topOffset(), -20);
        for (const int zoom : {f.zoom(), 13}) {
            while (f.zoom() < zoom)
                f.ZoomInButtonClick();
            for (int page = 1; page <= 2; ++page) {
                if (page == 2)
                    f.DispNext();
                const QImage shown = grabPage(f);
                const QImage expected = rendered(f, data, form, page);
                EXPECT_EQ(shown.size(), QSize(RoundEven(210 / 25.4 * f.pixelsPerInch() * zoom / 10) + 2,
                                              RoundEven(297 / 25.4 * f.pixelsPerInch() * zoom / 10) + 2));
                EXPECT_GT(inkCount(expected), 1000);
                EXPECT_EQ(interiorDifferences(shown, expected), 0) << "zoom " << zoom << " page " << page;
                // The printable area's frame: dotted blue.
                int blue = 0;
                for (int x = 0; x < shown.width(); ++x)
                    blue += (shown.pixel(x, 0) & 0xFFFFFF) == 0x0000FF;
                EXPECT_GT(blue, shown.width() / 4);
                EXPECT_LT(blue, shown.width());
            }
            f.Top_PageClick();
        }
    });
}

TEST_F(Preview, PagesTurnThePrinterToTheirOrientation)
{
    TP512DEF d = job(dataFile(3, [](int i) { return i == 2 ? QStringLiteral("ORIENTATION;1;\r\n") : QString(); }));
    preview(d, [](TImageDispForm &f) {
        EXPECT_LT(f.PaperPanel->width(), f.PaperPanel->height());
        f.DispNext();
        EXPECT_EQ(Engine().Vdb->GetOrientation(), 1);
        EXPECT_GT(f.PaperPanel->width(), f.PaperPanel->height());
        f.DispNext();
        EXPECT_EQ(Engine().Vdb->GetOrientation(), 0);
        EXPECT_LT(f.PaperPanel->width(), f.PaperPanel->height());
    });
}

TEST_F(Preview, PageJumpTakesOnlyAPageOfTheJob)
{
    struct Case {
        const char *answer;
        int page;
    };
    const Case cases[] = {{"2", 2}, {"0", 2}, {"4", 2}, {"abc", 2}, {"3", 3}};
    TP512DEF d = job(dataFile(3));
    preview(d, [&](TImageDispForm &f) {
        for (const Case &c : cases) {
            others = [&](QDialog &dlg) {
                auto *box = qobject_cast<TInputDlgBox *>(&dlg);
                EXPECT_NE(box, nullptr);
                if (!box)
                    return 0;
                EXPECT_EQ(box->windowTitle(), QStringLiteral("ページ指定"));
                EXPECT_EQ(box->lblMain->text(), QStringLiteral("表示したいページ番号を入力してください"));
                EXPECT_EQ(box->txtInput->text(), QStringLiteral("1"));
                box->txtInput->setText(QString::fromLatin1(c.answer));
                box->btnOKClick();
                return box->result();
            };
            f.PgJumpClick();
            EXPECT_EQ(f.currentPage(), c.page) << c.answer;
            EXPECT_EQ(f.WherePage->text(), QStringLiteral("%1/3").arg(c.page));
        }
    });
}

TEST_F(Preview, MarginDialogMovesThePage)
{
    TP512DEF d = job(dataFile(2));
    preview(d, [&](TImageDispForm &f) {
        const QImage before = grabPage(f);
        others = [](QDialog &dlg) {
            auto *margins = qobject_cast<Tfmyohaku *>(&dlg);
            EXPECT_NE(margins, nullptr);
            if (!margins)
                return 0;
            // The printer's paper is the report's: the corrections are offered.
            EXPECT_TRUE(margins->findChild<QGroupBox *>(QStringLiteral("GroupBox3"))->isVisibleTo(margins));
            margins->topEdit()->setText(QStringLiteral("-100"));
            margins->leftEdit()->setText(QStringLiteral("50"));
            margins->vRatioEdit()->setText(QStringLiteral("10"));
            margins->Button1Click();
            return 1;
        };
        f.SB_MARGINClick();
        EXPECT_EQ(P512Def().TopMargin, -100);
        EXPECT_EQ(P512Def().LeftMargin, 50);
        EXPECT_EQ(P512Def().VRATIO, 1010);
        EXPECT_EQ(P512Def().HRATIO, 1000);
        EXPECT_EQ(f.topOffset(), -100);
        EXPECT_EQ(f.leftOffset(), 50);
        EXPECT_NE(interiorDifferences(grabPage(f), before), 0);
    });
}

TEST_F(Preview, ButtonsFollowTheDefinition)
{
    struct Case {
        bool permit, prev, next, currentPage;
        const char *press;
        int result;
    };
    const Case cases[] = {
        {true, true, true, true, "PrevPaper", -1},
        {true, false, true, false, "NextPaper", 1},
        {false, false, false, true, "CloseButton", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.press);
        TP512DEF d = job(dataFile(2));
        d.Permit = c.permit;
        d.PrevPaperButton = c.prev;
        d.NextPaperButton = c.next;
        d.CurrentPage = c.currentPage;
        const int result = preview(d, [&](TImageDispForm &f) {
            const bool paper = c.prev || c.next;
            EXPECT_EQ(f.PrevPaper->isVisible(), paper);
            EXPECT_EQ(f.NextPaper->isVisible(), paper);
            if (paper) {
                EXPECT_EQ(f.PrevPaper->isEnabled(), c.prev);
                EXPECT_EQ(f.NextPaper->isEnabled(), c.next);
                EXPECT_EQ(f.PrevPaper->x(), f.WherePage->geometry().right() + 1 + 20);
                EXPECT_EQ(f.NextPaper->x(), f.WherePage->geometry().right() + 1 + 102);
                EXPECT_EQ(f.CloseResult, 0);
            }
            EXPECT_EQ(f.PrintButton->isEnabled(), c.permit);
            EXPECT_EQ(f.PrintSetupButton->isEnabled(), c.permit);
            EXPECT_EQ(f.CurrentPage->isVisible(), c.currentPage);
            EXPECT_FALSE(f.ImageOut->isVisible());
            EXPECT_FALSE(f.ImageOpen->isVisible());
            QTest::mouseClick(f.findChild<QToolButton *>(QString::fromLatin1(c.press)), Qt::LeftButton);
        });
        EXPECT_EQ(result, c.result);
    }
}

TEST_F(Preview, MissingFileIsReportedAfterThePaintAndOnlyOnce)
{
    const QString data = dataFile(2);
    TP512DEF d = job(data);
    preview(d, [&](TImageDispForm &f) {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        QFile::remove(data);
        f.ImagePaintBox->repaint();
        EXPECT_TRUE(boxes.shown.isEmpty()); // never inside the paint event
        EXPECT_EQ(inkCount(grabPage(f)), 0); // nothing drawn, not even the frame
        QApplication::processEvents();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, u'"' + data + QStringLiteral("\"が見つかりません。"));
        f.ImagePaintBox->repaint();
        QApplication::processEvents();
        EXPECT_EQ(boxes.shown.size(), 1);
    });
}

TEST_F(Preview, MissingFileBeforeShowingIsReportedAndNothingOpens)
{
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    TP512DEF d = job(dir + QStringLiteral("/none.TMP"));
    bool opened = false;
    EXPECT_EQ(preview(d, [&](TImageDispForm &) { opened = true; }), 0);
    EXPECT_FALSE(opened);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, u'<' + dir + QStringLiteral("/none.TMP> が見つかりません。"));
}

TEST_F(Preview, PrintButtonWritesAPdfOnTheBuiltInPrinter)
{
    printers::SystemListHook = [] { return printers::TSystemList(); };
    printers::refresh();
    Engine().Vdb->SetPaper(9);
    TPdfPrinter *pdf = printers::pdfPrinter();
    ASSERT_NE(pdf, nullptr);
    const QString out = dir + QStringLiteral("/preview.pdf");
    pdf->OutputFile = out;
    TP512DEF d = job(dataFile(3));
    bool asked = false;
    preview(d, [&](TImageDispForm &f) {
        f.DispNext();
        others = [&](QDialog &dlg) {
            if (auto *print = qobject_cast<TPrinterDialog *>(&dlg)) {
                asked = true;
                EXPECT_EQ(print->cmbPrinter->currentText(), TPdfPrinter::builtInName());
                print->btnOK->click();
                return print->result();
            }
            return dlg.exec();
        };
        QTest::mouseClick(f.PrintButton, Qt::LeftButton);
        // The page shown before stays.
        EXPECT_EQ(f.WherePage->text(), QStringLiteral("2/3"));
        EXPECT_EQ(f.currentPage(), 2);
    });
    EXPECT_TRUE(asked);
    ASSERT_TRUE(QFileInfo::exists(out));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {out});
    ASSERT_TRUE(info.waitForFinished(15000));
    EXPECT_EQ(info.exitCode(), 0);
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n")))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("データリスト"))) << text.toStdString();
    EXPECT_TRUE(P512Def().PrnDlg); // put back
}

TEST_F(Preview, SavedPreviewReopensTheSamePages)
{
    // Page 1 carries a picture: it travels with the saved preview.
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString pictureFile = dir + QStringLiteral("/logo.png");
    ASSERT_TRUE(picture.save(pictureFile));
    const QString form = formFile();
    const QString data = dataFile(4, [&](int i) {
        // A transparent picture over the page's box stays transparent.
        return i == 1 ? QStringLiteral("IMAGE;450;450;1000;550;%1;1;\r\n").arg(pictureFile) : QString();
    }, QStringLiteral("data.TMP"), form);
    const QString saved = dir + QStringLiteral("/保存");
    QDir().mkpath(saved);
    ScriptedChooser chooser;
    chooser.answers << saved + QStringLiteral("/月次帳票");
    TP512DEF d = job(data, form);
    preview(d, [&](TImageDispForm &f) {
        QList<QImage> pages;
        EXPECT_EQ(f.WherePage->text(), QStringLiteral("1/4"));
        for (int p = 1; p <= 4; ++p) {
            if (p > 1)
                f.DispNext();
            pages << grabPage(f);
        }
        f.ImageSave_Click();
        const QString savedData = saved + QStringLiteral("/月次帳票.512");
        const QString savedForm = saved + QStringLiteral("/月次帳票.51F");
        ASSERT_TRUE(QFileInfo::exists(savedData));
        ASSERT_TRUE(QFileInfo::exists(savedForm));
        ASSERT_TRUE(QFileInfo::exists(saved + QStringLiteral("/月次帳票_logo.png")));
        const QString text = platform::fromCp932(testenv::readFile(savedData));
        EXPECT_TRUE(text.contains(QStringLiteral("*FORMFILE=") + savedForm + QStringLiteral("\r\n")));
        EXPECT_TRUE(text.contains(QStringLiteral("IMAGE;450;450;1000;550;%1/月次帳票_logo.png;1;").arg(saved)));

        // The job's own files are gone: only the saved ones remain.
        QFile::remove(data);
        QFile::remove(form);
        QFile::remove(pictureFile);
        chooser.answers << savedData;
        f.ImageOpen_Click();
        EXPECT_EQ(f.WherePage->text(), QStringLiteral("1/4"));
        EXPECT_TRUE(f.ImageOpenCancel->isEnabled());
        for (int p = 1; p <= 4; ++p) {
            if (p > 1)
                f.DispNext();
            EXPECT_EQ(interiorDifferences(grabPage(f), pages[p - 1]), 0) << "page " << p;
        }
    });
}

TEST_F(Preview, OpenRefusesAFileWithoutTheBanner)
{
    const QString bad = rendertest::writePrintFile(dir, QStringLiteral("bad.512"), reportPage(1));
    TP512DEF d = job(dataFile(2));
    ScriptedChooser chooser;
    chooser.answers << bad;
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    preview(d, [&](TImageDispForm &f) {
        f.ImageOpen_Click();
        EXPECT_EQ(f.WherePage->text(), QStringLiteral("1/2"));
        EXPECT_FALSE(f.ImageOpenCancel->isEnabled());
    });
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("[PAGER512]印刷ファイルではありません。"));
}

TEST_F(Preview, OpenSkipsAFileWhoseFormIsMissingAndCancelGoesBackToTheJob)
{
    const QString missingForm = rendertest::writePrintFile(dir, QStringLiteral("x.512"),
        QStringLiteral("*PAGER512*\r\n*FORMFILE=%1/gone.51F\r\n").arg(dir) + reportPage(1));
    // A saved preview of two pages without a form, in landscape with its own margins.
    const QString other = rendertest::writePrintFile(dir, QStringLiteral("y.512"),
        QStringLiteral("*PAGER512*\r\n*FORMFILE=\r\n*PAPERSIZE=9\r\n*ORIENTATION=1\r\n*TOPMARGIN=30\r\n"
                       "*NETC1=$00FF00\r\n*FORMPRINT=true\r\n")
            + reportPage(1) + QStringLiteral("E;\r\n") + reportPage(2));
    TP512DEF d = job(dataFile(3));
    d.NetColor1 = 0xC0C0C0;
    ScriptedChooser chooser;
    chooser.answers << missingForm << other;
    ScriptedMessages boxes; // none expected
    preview(d, [&](TImageDispForm &f) {
        f.ImageOpen_Click();
        EXPECT_EQ(f.WherePage->text(), QStringLiteral("1/3"));
        f.ImageOpen_Click();
        EXPECT_EQ(f.WherePage->text(), QStringLiteral("1/2"));
        EXPECT_EQ(P512Def().Orientation, 1);
        EXPECT_EQ(P512Def().TopMargin, 30);
        EXPECT_EQ(P512Def().NetColor1, 0x00FF00);
        EXPECT_FALSE(P512Def().PrintFom); // only "TRUE" turns the form layer on
        EXPECT_EQ(Engine().Vdb->GetOrientation(), 1);
        // Neither job has a form: cancelling still goes back to the job's pages.
        f.ImageOpenCancel_Click();
        EXPECT_EQ(f.WherePage->text(), QStringLiteral("1/3"));
        EXPECT_EQ(P512Def().Orientation, 0);
        EXPECT_EQ(P512Def().TopMargin, 0);
        EXPECT_EQ(P512Def().NetColor1, 0xC0C0C0);
        EXPECT_TRUE(P512Def().PrintFom);
        EXPECT_FALSE(f.ImageOpenCancel->isEnabled());
    });
    EXPECT_TRUE(boxes.shown.isEmpty());
}

// A report as the data-set list writes it, through the report component, shown
// in the preview (the screenshot is looked at).
TEST_F(Preview, RealReportThroughTheReportComponent)
{
    TPager512 pager;
    pager.DataFile = dir + QStringLiteral("/データリスト.TMP");
    pager.Title = QStringLiteral("印刷プレビュー");
    pager.DelFile = false;
    pager.PaperSize = 9;
    pager.SetZoom(10);
    pager.OpenDataFile(false);
    pager.WriteHeader();
    const QStringList companies = {QStringLiteral("株式会社ソルテア商事"), QStringLiteral("有限会社ノバリス工業"),
                                   QStringLiteral("合同会社ドルベル"), QStringLiteral("医療法人　青葉会"),
                                   QStringLiteral("山田　太郎（個人）")};
    const int pages = 3;
    for (int page = 1; page <= pages; ++page) {
        pager.TextOut(1050, 120, QStringLiteral("データリスト"), QStringLiteral("ＭＳ ゴシック"), 16, QStringLiteral("B"),
                      QStringLiteral("黒"), QStringLiteral("OFF"), QStringLiteral("CENTER"), 0);
        pager.TextOut(1950, 200, QStringLiteral("%1 / %2 頁").arg(page).arg(pages), QStringLiteral("ＭＳ 明朝"), 9,
                      QString(), QStringLiteral("黒"), QStringLiteral("OFF"), QStringLiteral("RIGHT"), 0);
        pager.DrawBox(150, 260, 1950, 330, 1, 0, QStringLiteral("黒"), QStringLiteral("薄網掛"), 0);
        const QStringList heads = {QStringLiteral("No."), QStringLiteral("会社名"), QStringLiteral("年度"),
                                   QStringLiteral("期間"), QStringLiteral("データ場所")};
        const int cols[] = {170, 300, 850, 1000, 1640};
        for (int c = 0; c < heads.size(); ++c)
            pager.TextOut(cols[c], 280, heads[c], QStringLiteral("ＭＳ ゴシック"), 10, QString(), QStringLiteral("黒"),
                          QStringLiteral("OFF"), QStringLiteral("LEFT"), 0);
        for (int row = 0; row < 30; ++row) {
            const int n = (page - 1) * 30 + row + 1;
            const int y = 350 + row * 75;
            pager.TextOut(170, y, QString::number(n), QStringLiteral("ＭＳ 明朝"), 10, QString(), QStringLiteral("黒"),
                          QStringLiteral("OFF"), QStringLiteral("LEFT"), 0);
            pager.TextOut(300, y, companies[n % companies.size()], QStringLiteral("ＭＳ 明朝"), 10, QString(),
                          QStringLiteral("黒"), QStringLiteral("OFF"), QStringLiteral("LEFT"), 0);
            pager.TextOut(850, y, QStringLiteral("第%1期").arg(10 + n % 7), QStringLiteral("ＭＳ 明朝"), 10, QString(),
                          QStringLiteral("黒"), QStringLiteral("OFF"), QStringLiteral("LEFT"), 0);
            pager.TextOut(1000, y, QStringLiteral("令和%1年4月1日～令和%2年3月31日").arg(5).arg(6),
                          QStringLiteral("ＭＳ 明朝"), 8, QString(), QStringLiteral("黒"), QStringLiteral("OFF"),
                          QStringLiteral("LEFT"), 0);
            pager.TextOut(1640, y, QStringLiteral("/data/soltea/%1").arg(1000 + n), QStringLiteral("ＭＳ 明朝"), 9,
                          QString(), QStringLiteral("黒"), QStringLiteral("OFF"), QStringLiteral("LEFT"), 0);
            pager.DrawLine(150, y + 60, 1950, y + 60, 1, 2, QStringLiteral("8"), false);
        }
        if (page < pages)
            pager.NewPage();
    }
    pager.CloseDataFile();

    whilePreviewing([](TImageDispForm &f) {
        EXPECT_EQ(f.windowTitle(), QStringLiteral("印刷プレビュー"));
        EXPECT_EQ(f.WherePage->text(), QStringLiteral("1/3"));
        EXPECT_GT(inkCount(grabPage(f)), 5000);
        if (!screenshotDir().isEmpty()) {
            f.grab().save(screenshotDir() + QStringLiteral("/preview-page1.png"));
            f.DispNext();
            f.ZoomInButtonClick();
            f.ZoomInButtonClick();
            f.grab().save(screenshotDir() + QStringLiteral("/preview-page2-zoomed.png"));
        }
    });
    EXPECT_TRUE(pager.Preview());
}
