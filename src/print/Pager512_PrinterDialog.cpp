#include "print/Pager512_PrinterDialog.h"

#include "framework/FrameworkFonts.h"
#include "framework/FrameworkMessages.h"
#include "print/Pager512_Printer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

TPrinterDialog::TPrinterDialog(Kind kind, QWidget *parent) : QDialog(parent), m_kind(kind)
{
    const bool print = kind == Kind::Print;
    setObjectName(print ? QStringLiteral("PrintDialog") : QStringLiteral("PrinterSetupDialog"));
    setWindowTitle(print ? QStringLiteral("印刷") : QStringLiteral("プリンタの設定"));
    setFont(DesignFont());
    setFixedSize(420, 230);

    auto *printerGroup = new QGroupBox(QStringLiteral("プリンタ"), this);
    printerGroup->setGeometry(10, 8, 400, 60);
    auto *lblPrinter = new QLabel(QStringLiteral("プリンタ名:"), printerGroup);
    lblPrinter->setGeometry(12, 24, 80, 24);
    cmbPrinter = new QComboBox(printerGroup);
    cmbPrinter->setObjectName(QStringLiteral("cmbPrinter"));
    cmbPrinter->setGeometry(96, 24, 290, 24);

    if (print) {
        grpRange = new QGroupBox(QStringLiteral("印刷範囲"), this);
        grpRange->setObjectName(QStringLiteral("grpRange"));
        grpRange->setGeometry(10, 76, 220, 100);
        rbAll = new QRadioButton(QStringLiteral("すべて"), grpRange);
        rbAll->setObjectName(QStringLiteral("rbAll"));
        rbAll->setGeometry(12, 22, 120, 22);
        rbPages = new QRadioButton(QStringLiteral("ページ指定"), grpRange);
        rbPages->setObjectName(QStringLiteral("rbPages"));
        rbPages->setGeometry(12, 48, 120, 22);
        spnFrom = new QSpinBox(grpRange);
        spnFrom->setObjectName(QStringLiteral("spnFrom"));
        spnFrom->setGeometry(30, 72, 70, 22);
        auto *tilde = new QLabel(QStringLiteral("～"), grpRange);
        tilde->setGeometry(104, 72, 20, 22);
        spnTo = new QSpinBox(grpRange);
        spnTo->setObjectName(QStringLiteral("spnTo"));
        spnTo->setGeometry(126, 72, 70, 22);
        // The range never runs backwards.
        connect(spnFrom, &QSpinBox::valueChanged, this, [this](int v) { spnTo->setMinimum(v); });
        connect(spnTo, &QSpinBox::valueChanged, this, [this](int v) { spnFrom->setMaximum(v); });
        const auto choosePages = [this] { rbPages->setChecked(true); };
        connect(spnFrom, &QSpinBox::editingFinished, this, choosePages);
        connect(spnTo, &QSpinBox::editingFinished, this, choosePages);

        auto *copiesGroup = new QGroupBox(QStringLiteral("印刷部数"), this);
        copiesGroup->setGeometry(240, 76, 170, 100);
        auto *lblCopies = new QLabel(QStringLiteral("部数:"), copiesGroup);
        lblCopies->setGeometry(12, 24, 50, 22);
        spnCopies = new QSpinBox(copiesGroup);
        spnCopies->setObjectName(QStringLiteral("spnCopies"));
        spnCopies->setGeometry(64, 24, 70, 22);
        spnCopies->setRange(1, 99);
        chkCollate = new QCheckBox(QStringLiteral("部単位で印刷"), copiesGroup);
        chkCollate->setObjectName(QStringLiteral("chkCollate"));
        chkCollate->setGeometry(12, 56, 150, 22);
    } else {
        auto *paperGroup = new QGroupBox(QStringLiteral("用紙"), this);
        paperGroup->setGeometry(10, 76, 220, 100);
        auto *lblPaper = new QLabel(QStringLiteral("サイズ:"), paperGroup);
        lblPaper->setGeometry(12, 24, 60, 24);
        cmbPaper = new QComboBox(paperGroup);
        cmbPaper->setObjectName(QStringLiteral("cmbPaper"));
        cmbPaper->setGeometry(72, 24, 136, 24);
        auto *orientationGroup = new QGroupBox(QStringLiteral("印刷の向き"), this);
        orientationGroup->setGeometry(240, 76, 170, 100);
        rbPortrait = new QRadioButton(QStringLiteral("縦"), orientationGroup);
        rbPortrait->setObjectName(QStringLiteral("rbPortrait"));
        rbPortrait->setGeometry(12, 24, 120, 22);
        rbLandscape = new QRadioButton(QStringLiteral("横"), orientationGroup);
        rbLandscape->setObjectName(QStringLiteral("rbLandscape"));
        rbLandscape->setGeometry(12, 52, 120, 22);
        connect(cmbPrinter, &QComboBox::currentIndexChanged, this, [this] { fillPapers(); });
    }

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(236, 190, 84, 28);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(326, 190, 84, 28);
    connect(btnOK, &QPushButton::clicked, this, &TPrinterDialog::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TPrinterDialog::fillPapers()
{
    if (!cmbPaper)
        return;
    cmbPaper->clear();
    const auto list = printers::all();
    const int index = cmbPrinter->currentIndex();
    if (index < 0 || index >= list.size())
        return;
    const TPrinterDevice &p = *list[index];
    for (const TPaperInfo &paper : p.papers())
        cmbPaper->addItem(paper.Name, paper.Number);
    const int at = cmbPaper->findData(p.devMode().PaperSize);
    if (at >= 0)
        cmbPaper->setCurrentIndex(at);
}

void TPrinterDialog::Prepare()
{
    cmbPrinter->clear();
    cmbPrinter->addItems(printers::names());
    cmbPrinter->setCurrentIndex(printers::currentIndex());
    const TPrinterDevice *p = printers::current();
    if (m_kind == Kind::Print) {
        rbPages->setEnabled(PageNumsOption);
        spnFrom->setEnabled(PageNumsOption);
        spnTo->setEnabled(PageNumsOption);
        const int min = qMax(1, MinPage), max = qMax(min, MaxPage);
        spnFrom->setRange(min, max);
        spnTo->setRange(min, max);
        spnFrom->setValue(qBound(min, FromPage, max));
        spnTo->setValue(qBound(spnFrom->value(), ToPage, max));
        (PageNumbers && PageNumsOption ? rbPages : rbAll)->setChecked(true);
        spnCopies->setValue(qBound(1, Copies, 99));
        chkCollate->setChecked(Collate);
    } else {
        fillPapers();
        const bool landscape = p && p->devMode().Orientation == 2;
        (landscape ? rbLandscape : rbPortrait)->setChecked(true);
    }
}

void TPrinterDialog::btnOKClick()
{
    // Another printer takes over the paper and the orientation of the job.
    const TPrinterDevice *before = printers::current();
    const TDevMode job = before ? before->devMode() : TDevMode();
    const int index = cmbPrinter->currentIndex();
    if (index >= 0)
        printers::select(index);
    TPrinterDevice *p = printers::current();
    if (p && before && p != before && m_kind == Kind::Print) {
        TDevMode mode = p->devMode();
        mode.PaperSize = job.PaperSize;
        mode.Orientation = job.Orientation;
        p->setDevMode(mode);
    }
    if (m_kind == Kind::Print) {
        PageNumbers = PageNumsOption && rbPages->isChecked();
        FromPage = PageNumbers ? spnFrom->value() : qMax(1, MinPage);
        ToPage = PageNumbers ? spnTo->value() : MaxPage;
        Copies = spnCopies->value();
        Collate = chkCollate->isChecked();
        if (p) {
            TDevMode mode = p->devMode();
            mode.Copies = Copies;
            mode.Collate = Collate ? 1 : 0;
            mode.Fields |= DM_COPIES | DM_COLLATE;
            p->setDevMode(mode);
        }
    } else if (p) {
        TDevMode mode = p->devMode();
        if (cmbPaper->currentIndex() >= 0)
            mode.PaperSize = cmbPaper->currentData().toInt();
        mode.Orientation = rbLandscape->isChecked() ? 2 : 1;
        p->setDevMode(mode);
    }
    accept();
}

bool ExecutePrinterDialog(TPrinterDialog &dialog)
{
    dialog.Prepare();
    return ModalRunner(dialog) == QDialog::Accepted;
}
