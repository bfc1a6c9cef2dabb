#pragma once
// Renders pages of small print-data fixtures on images at 254 pixels per inch, so
// that one record unit (0.1 mm) is one pixel, and reads the pixels back.
#include "support/TestEnv.h"

#include "platform/Cp932.h"
#include "platform/StandardFolders.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_Form.h"
#include "print/Pager512_ImageOut.h"
#include "print/Pager512_PrintJob.h"
#include "print/Pager512_Printer.h"
#include "print/Pager512_Tables.h"
#include "RecordingPrinter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>

namespace rendertest {

inline QString writePrintFile(const QString &dir, const QString &name, const QString &text)
{
    const QString path = dir + u'/' + name;
    testenv::writeFile(path, platform::toCp932(text));
    return path;
}

inline QString errorLog()
{
    QFile f(platform::documentsDir() + QStringLiteral("/Pager512_Error.log"));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return platform::fromCp932(f.readAll());
}

inline void clearErrorLog()
{
    QFile::remove(platform::documentsDir() + QStringLiteral("/Pager512_Error.log"));
}

// A fresh engine over one recording printer (A4 and B4 papers listed), the
// program-wide definition at its start values, no margins and no ratios.
class RenderFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        printers::SystemListHook = [] { return printers::TSystemList(); };
        auto p = std::make_shared<RecordingPrinter>();
        p->Papers = {{9, QStringLiteral("A4"), 2100, 2970}, {12, QStringLiteral("B4"), 2500, 3540},
                     {8, QStringLiteral("A3"), 2970, 4200}};
        printer = p;
        printers::setPrinters({p});
        P512Def() = InitialP512Def();
        P512Def().PaperSize = 9;
        ASSERT_TRUE(InitPrintEngine());
        Engine().Vdb->SetPaper(9);
        Engine().LeftMargin = Engine().TopMargin = Engine().EvenLeftMargin = 0;
        Engine().HRatio = Engine().VRatio = 0;
        FormFields().reset();
        dir = testenv::freshDir(QString::fromLatin1(
            ::testing::UnitTest::GetInstance()->current_test_info()->name()));
        clearErrorLog();
        TNowPrintingdlg::TimerInterval = 0;
    }
    void TearDown() override { ClosePrintEngine(); }

    // A job sent through the print loop without the print dialog.
    static bool printJob(TP512DEF d)
    {
        d.PrnDlg = false;
        return StartPrint(d);
    }

    // Draws the first page of the text (kind "DAT" unless told) on a white image of
    // w x h pixels; answers PaintPage's result.
    bool render(const QString &records, int w = 400, int h = 300, const QString &kind = QStringLiteral("DAT"),
                bool printerCanvas = false)
    {
        const QString path = writePrintFile(dir, QStringLiteral("page.txt"), records);
        image = QImage(w, h, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        TCanvas canvas(&painter, printerCanvas, true);
        TPrintFile file;
        EXPECT_TRUE(file.open(path));
        return PaintPage(kind, file, canvas, 254, 1.0, 1.0, 10, false, 0, 0, 0);
    }

    QRgb at(int x, int y) const { return image.pixel(x, y) & 0xFFFFFF; }
    bool ink(int x, int y) const { return at(x, y) != 0xFFFFFF; }

    // The bounding box of every pixel that is not white.
    QRect inkBox(const QRect &within = QRect()) const
    {
        const QRect area = within.isNull() ? image.rect() : within.intersected(image.rect());
        int l = INT_MAX, t = INT_MAX, r = -1, b = -1;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (ink(x, y)) {
                    l = std::min(l, x);
                    r = std::max(r, x);
                    t = std::min(t, y);
                    b = std::max(b, y);
                }
        return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
    }

    std::shared_ptr<RecordingPrinter> printer;
    QString dir;
    QImage image;
};

} // namespace rendertest
