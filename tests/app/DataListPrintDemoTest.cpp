// F8 of the data-selection screen on the demonstration installation, with the
// real preview window and the built-in PDF printer: the list is previewed (a
// screenshot of the window is kept) and printed to a PDF whose text a PDF reader
// gives back with the data sets' names.
#include "support/SchemaTemplates.h"
#include "support/TestEnv.h"
#include "../framework/FrameworkTestUtil.h"

#include "datasets/DataSentaku.h"
#include "datasets/z5DataSentakuPrintDlg.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "dbaccess/LogonStore.h"
#include "framework/FrameworkMessages.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_Imagedsp.h"
#include "print/Pager512_PrintJob.h"
#include "print/Pager512_Printer.h"
#include "print/Pager512_PrinterDialog.h"
#include "print/Pager512_Tables.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

// Runs a program with a deadline; its exit code and standard output.
std::pair<int, QString> run(const QString &program, const QStringList &args,
                            const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " did not end";
        return {-1, QString()};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
}

class DataListPrintDemo : public ::testing::Test
{
protected:
    void TearDown() override
    {
        ModalRunner = [](QDialog &d) { return d.exec(); };
        ClosePrintEngine();
        printers::SystemListHook = nullptr;
        if (DM) DM->IBDatabaseDEF.close();
        DM = nullptr;
        SystemDef = TSystemDef();
        ConnectMode = 0;
    }
};

} // namespace

TEST_F(DataListPrintDemo, F8PreviewsTheListAndPrintsItToAPdf)
{
    // The demonstration installation, as run.sh makes it.
    const QString common = testenv::freshDir(QStringLiteral("demo-print"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SOLTEA_COMMON_APPDATA"), common);
    env.insert(QStringLiteral("SOLTEA_SCHEMA_TEMPLATES"), testenv::schemaTemplateFolder());
    env.remove(QStringLiteral("SOLTEA_DEMO_SETUP_STOP_AFTER"));
    const auto [code, out] = run(QStringLiteral(DEMO_SETUP_PROGRAM), {}, env);
    ASSERT_EQ(code, 0) << out.toStdString();

    // Logged in as operator 10, as the program does.
    SetAppInfoDefaults(AppInfo);
    const QString root = common + QStringLiteral("/quenta/dorvelzaimu");
    SystemDef.DataRootDir = root;
    SystemDef.SysDir = root + QStringLiteral("/data");
    SystemDef.DbUser = QStringLiteral("DORVEL");
    SystemDef.DbPassword = QStringLiteral("zoltup");
    SystemDef.GroupNo = 10000;
    SystemDef.LogDir = testenv::freshDir(QStringLiteral("demo-print-log"));
    SystemDef.WinTempDir = testenv::freshDir(QStringLiteral("demo-print-temp"));
    SystemDef.OpCode = 10000 * 10000 + 10;
    ConnectMode = 0;
    TDM dm;
    DM = &dm;
    ASSERT_TRUE(dm.fnAccDefConnected(QString(), false));
    ASSERT_EQ(logonstore::logonUserTest(QStringLiteral("PC01"), 10000, 10, QString()).LoginCode, 10);
    ASSERT_TRUE(dm.fnGetSysDef());

    // The print engine with no printer of the system: the built-in PDF printer.
    printers::SystemListHook = [] { return printers::TSystemList(); };
    printers::refresh();
    P512Def() = InitialP512Def();
    ASSERT_TRUE(InitPrintEngine());
    TNowPrintingdlg::TimerInterval = 0;
    const QString pdf = testenv::freshDir(QStringLiteral("demo-print-pdf")) + QStringLiteral("/データリスト.pdf");
    printers::pdfPrinter()->OutputFile = pdf;

    TDataSentakuBox box;
    box.KeepOnClose = true;
    box.SetParams({QStringLiteral("SyoriType=0")});
    box.Prepare(true);
    fwtest::showActive(&box);
    ASSERT_GT(box.PerfectGrid1->rowCount(), 0);
    const QString company = box.PerfectGrid1->item(0, dcName)->text();
    ASSERT_FALSE(company.isEmpty());
    box.PerfectGrid1->setFocus();
    box.PerfectGrid1->setCurrentCell(0, dcName);
    box.UpdateFunctionKeys();
    ASSERT_EQ(box.F8->CaptionA().Caption(), QStringLiteral("F8:印刷"));

    int button = 2;
    QString previewShot, pageText;
    int previewed = 0, printDialogs = 0;
    ModalRunner = [&](QDialog &d) -> int {
        if (auto *dlg = qobject_cast<TDataSentakuPrintDlg *>(&d)) {
            fwtest::showActive(dlg);
            fwtest::screenshot(dlg, QStringLiteral("DataListPrintOptions-demo"));
            (button == 1 ? dlg->btnOK : dlg->btnPreview)->click();
            return dlg->result();
        }
        if (auto *form = qobject_cast<TImageDispForm *>(&d)) {
            ++previewed;
            form->setWindowState(Qt::WindowNoState);
            form->resize(1100, 900);
            form->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
            QApplication::processEvents();
            pageText = form->WherePage->text();
            previewShot = fwtest::screenshot(form, QStringLiteral("DataListPreview-demo"));
            form->ZoomInButtonClick();
            form->ZoomInButtonClick();
            QApplication::processEvents();
            fwtest::screenshot(form, QStringLiteral("DataListPreview-demo-zoomed"));
            form->CloseButtonClick();
            return form->result();
        }
        if (auto *p = qobject_cast<TPrinterDialog *>(&d)) {
            ++printDialogs;
            const int pdfIndex = p->cmbPrinter->findText(TPdfPrinter::builtInName());
            EXPECT_GE(pdfIndex, 0);
            p->cmbPrinter->setCurrentIndex(pdfIndex);
            p->btnOK->click();
            return p->result();
        }
        return d.exec();
    };

    // F8, then preview: the list in the preview window.
    fwtest::tap(box.PerfectGrid1, Qt::Key_F8);
    EXPECT_EQ(previewed, 1);
    // The 120 slots of the list: 55, 55 and 10 lines.
    EXPECT_EQ(pageText, QStringLiteral("1/3"));
    const QImage shot(previewShot);
    ASSERT_FALSE(shot.isNull());

    // F8, then OK: the print dialog, the PDF printer chosen, the file written.
    button = 1;
    box.F8->click();
    EXPECT_EQ(printDialogs, 1);
    ASSERT_TRUE(QFileInfo::exists(pdf)) << pdf.toStdString();
    const auto [rc, text] = run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-layout"), pdf,
                                                              QStringLiteral("-")});
    ASSERT_EQ(rc, 0) << text.toStdString();
    // The CJK faces share glyphs between some ideographs and their radicals: compare normalised.
    const QString normal = text.normalized(QString::NormalizationForm_KC);
    for (const QString &word : {QStringLiteral("データリスト"), QStringLiteral("データリスト名"), QStringLiteral("会計年度"),
                                QStringLiteral("会計期間"), QStringLiteral("データフォルダ"), QStringLiteral("PAGE"),
                                company.normalized(QString::NormalizationForm_KC), QStringLiteral("~/data/")})
        EXPECT_TRUE(normal.contains(word)) << word.toStdString() << "\n" << text.toStdString();
    EXPECT_EQ(text.count(u'\f'), 3);
    box.done(2);
}
