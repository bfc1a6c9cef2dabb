#include "datasets/z5FileOperationDlg.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "dbaccess/Globals.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QShowEvent>

namespace fileophistory {

QStringList load(const QString &file, const QString &section)
{
    QStringList out;
    if (file.isEmpty() || section.isEmpty()) return out;
    QString text;
    ReadIniSection(file, section, text);
    for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(u'=');
        out << (eq >= 0 ? line.mid(eq + 1) : line);
    }
    return out;
}

void save(const QString &file, const QString &section, const QStringList &history)
{
    if (file.isEmpty() || section.isEmpty()) return;
    QStringList lines;
    for (int i = 0; i < history.size() && i < MaxEntries; ++i)
        lines << QStringLiteral("HIST%1=%2").arg(i + 1).arg(history[i]);
    WriteIniSection(file, section, lines);
}

QStringList moveToTop(QStringList history, const QString &place)
{
    history.removeAll(place);
    history.prepend(place);
    return history;
}

} // namespace fileophistory

// ---- TFileOperationBox ----

TFileOperationBox::TFileOperationBox(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("FileOperationBox"));
    setFixedSize(475, 267);
    UseMenuCallback = false;
    SkipProcessCheck = false;
    SaveFormSize = false;
    NotifyActivate = false;
    KeepOnClose = true; // closing hides it; the caller reuses it

    pnlClient = new QWidget(this);
    pnlClient->setObjectName(QStringLiteral("pnlClient"));
    pnlClient->setGeometry(0, 0, 475, 180);
    lblMain = new QLabel(pnlClient);
    lblMain->setObjectName(QStringLiteral("lblMain"));
    lblMain->setGeometry(16, 10, 443, 48);
    lblMain->setWordWrap(true);
    lblMain->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblFileSelect = new QLabel(QStringLiteral("保存先の場所:"), pnlClient);
    lblFileSelect->setObjectName(QStringLiteral("lblFileSelect"));
    lblFileSelect->setGeometry(16, 66, 200, 20);
    cmbFileSelect = new TxComboBox(pnlClient);
    cmbFileSelect->setObjectName(QStringLiteral("cmbFileSelect"));
    cmbFileSelect->setGeometry(16, 88, 443, 26);
    cmbFileSelect->setMaxVisibleItems(10);
    cmbFileSelect->DropDownWidth = 500;
    btnSansyo = NewPlButton(pnlClient, QStringLiteral("btnSansyo"), QStringLiteral("参照"), QRect(285, 120, 84, 28));
    btnHistDelete = NewPlButton(pnlClient, QStringLiteral("btnHistDelete"), QStringLiteral("履歴削除"), QRect(375, 120, 84, 28));
    lblFileName = new QLabel(QStringLiteral("ファイル名:"), pnlClient);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    lblFileName->setGeometry(16, 152, 80, 22);
    txtFileName = new TxEdit(pnlClient);
    txtFileName->setObjectName(QStringLiteral("txtFileName"));
    txtFileName->setGeometry(100, 152, 359, 24);

    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setGeometry(0, 180, 475, 87);
    HintArea = new QPlainTextEdit(pnlBottom);
    HintArea->setObjectName(QStringLiteral("HintArea"));
    HintArea->setGeometry(8, 4, 459, 44);
    HintArea->setReadOnly(true);
    HintArea->setFocusPolicy(Qt::NoFocus);
    HintArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    btnOK = NewPlButton(pnlBottom, QStringLiteral("btnOK"), QStringLiteral("OK"), QRect(293, 54, 84, 28));
    btnCancel = NewPlButton(pnlBottom, QStringLiteral("btnCancel"), QStringLiteral("キャンセル"), QRect(383, 54, 84, 28));
    btnCancel->setModalResult(2);
    btnCancel->setCancel(true);

    connect(btnSansyo, &TxPlButton::clicked, this, [this] { btnSansyoClick(); });
    connect(btnHistDelete, &TxPlButton::clicked, this, [this] { btnHistDeleteClick(); });
    connect(btnOK, &TxPlButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &TxPlButton::clicked, this, [this] { done(2); });

    HintMemo = HintArea;
    EndButton = btnOK;
    MessageColor = palette().color(QPalette::WindowText);
    HistFolder = SystemDef.IniDir;
    CreateDone = true;
}

TFileOperationBox::~TFileOperationBox() = default;

QString TFileOperationBox::HistoryFilePath() const
{
    if (HistFolder.isEmpty() || HistFile.isEmpty()) return QString();
    return ExcludePathDelim(HistFolder) + u'/' + HistFile;
}

void TFileOperationBox::Prepare(bool flag)
{
    m_flag = flag;
    ArrangeControls();
    FirstPositioning = false;
}

void TFileOperationBox::ArrangeControls()
{
    LoadHints();
    cmbFileSelect->setEditable(false);
    lblFileName->hide();
    txtFileName->hide();
    txtFileName->clear();
    btnHistDelete->setVisible(History);
    setWindowTitle(Caption);
    lblMain->setText(Message);
    QPalette pal = lblMain->palette();
    pal.setColor(QPalette::WindowText, MessageColor);
    lblMain->setPalette(pal);
    lblFileSelect->setText(PlaceLabel);
    cmbFileSelect->clear();
    LoadHistory();
}

void TFileOperationBox::LoadHints()
{
    cmbFileSelect->setToolTip(PlaceHint);
    btnSansyo->setToolTip(PlaceHint);
    btnHistDelete->setToolTip(QStringLiteral("履歴を削除します。|履歴を削除します。"));
    btnOK->setToolTip(QStringLiteral("処理を確定します。"));
    btnCancel->setToolTip(QStringLiteral("処理をキャンセルします。"));
}

void TFileOperationBox::LoadHistory()
{
    if (!HistFolder.isEmpty() && !HistFile.isEmpty() && !HistSection.isEmpty()) {
        m_history = fileophistory::load(HistoryFilePath(), HistSection);
        cmbFileSelect->clear();
        cmbFileSelect->addItems(m_history);
    }
    if (!DefaultFolder.isEmpty() && cmbFileSelect->findText(DefaultFolder, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
        cmbFileSelect->addItem(DefaultFolder);
    if (cmbFileSelect->count() > 0) cmbFileSelect->setItemIndex(0);
}

void TFileOperationBox::SaveHistory()
{
    const QString place = cmbFileSelect->currentText();
    if (!place.isEmpty()) m_history = fileophistory::moveToTop(m_history, place);
    fileophistory::save(HistoryFilePath(), HistSection, m_history);
}

void TFileOperationBox::SelectPlace(const QString &place)
{
    int at = cmbFileSelect->findText(place, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (at < 0) {
        cmbFileSelect->insertItem(0, place);
        at = 0;
    }
    cmbFileSelect->setItemIndex(at);
}

void TFileOperationBox::btnSansyoClick()
{
    QString folder = cmbFileSelect->currentText();
    if (SelectSaveFolder(QStringLiteral("フォルダの選択"), folder, false)) SelectPlace(ExcludePathDelim(folder));
}

void TFileOperationBox::btnOKClick()
{
    setResult(0);
    QString place = cmbFileSelect->currentText();
    if (place.trimmed().isEmpty()) return; // nothing chosen: the dialog stays open
    if (!CheckSaveFolderAccess(place)) return;
    ResultFolder = place;
    if (History) {
        // The accepted place is what the history remembers.
        const QString accepted = ExcludePathDelim(place);
        if (accepted != cmbFileSelect->currentText()) SelectPlace(accepted);
        SaveHistory();
    }
    done(1);
}

void TFileOperationBox::btnHistDeleteClick()
{
    if (MessageDlg(QStringLiteral("履歴を削除します。よろしいですか？"), TMsgDlgType::mtConfirmation,
                   TMsgDlgButtons(mbOK | mbCancel)) != mrOk)
        return;
    const QString place = cmbFileSelect->currentText();
    cmbFileSelect->clear();
    if (!place.isEmpty()) cmbFileSelect->addItem(place);
    if (cmbFileSelect->count() > 0) cmbFileSelect->setItemIndex(0);
    m_history.clear();
    SaveHistory();
}

void TFileOperationBox::showEvent(QShowEvent *e)
{
    TBSDI::showEvent(e);
    if (e->spontaneous()) return;
    if (!CreateDone) {
        MessageDlg(InitFailedText(windowTitle()), TMsgDlgType::mtError, mbOK);
        QMetaObject::invokeMethod(this, [this] { done(2); }, Qt::QueuedConnection);
        return;
    }
    cmbFileSelect->setFocus(Qt::OtherFocusReason);
}

// ---- TFileOperationBoxEx1 ----

TFileOperationBoxEx1::TFileOperationBoxEx1(QWidget *parent) : TFileOperationBox(parent)
{
    setObjectName(QStringLiteral("FileOperationBoxEx1"));
    CreateDone = false;
    setFixedSize(495, 327);
    pnlClient->setGeometry(0, 0, 495, 240);
    pnlBottom->setGeometry(0, 240, 495, 87);
    HintArea->setGeometry(8, 4, 479, 44);
    btnOK->setGeometry(313, 54, 84, 28);
    btnCancel->setGeometry(403, 54, 84, 28);
    lblMain->setGeometry(16, 10, 463, 48);
    btnSelect1 = new TxRadioButton(QStringLiteral("ファイルの場所を選択する"), pnlClient);
    btnSelect1->setObjectName(QStringLiteral("btnSelect1"));
    btnSelect1->setGeometry(16, 64, 463, 22);
    btnSelect1->setChecked(true);
    lblFileSelect->setGeometry(36, 90, 200, 20);
    cmbFileSelect->setGeometry(36, 112, 443, 26);
    btnSansyo->setGeometry(305, 144, 84, 28);
    btnHistDelete->setGeometry(395, 144, 84, 28);
    lblFileName->setGeometry(36, 178, 80, 22);
    txtFileName->setGeometry(120, 178, 359, 24);
    btnSelect2 = new TxRadioButton(QStringLiteral("既定の場所から実行する"), pnlClient);
    btnSelect2->setObjectName(QStringLiteral("btnSelect2"));
    btnSelect2->setGeometry(16, 208, 463, 22);
    connect(btnSelect1, &QRadioButton::clicked, this, [this] { btnSelect1Click(); });
    connect(btnSelect2, &QRadioButton::clicked, this, [this] { btnSelect1Click(); });
    Choice = 1;
    CreateDone = true;
}

void TFileOperationBoxEx1::Prepare(bool flag)
{
    // The default choice takes the place of the hidden file-name row.
    btnSelect2->move(btnSelect2->x(), txtFileName->y());
    TFileOperationBox::Prepare(flag);
}

void TFileOperationBoxEx1::ArrangeControls()
{
    TFileOperationBox::ArrangeControls();
    if (!m_positioned) {
        m_positioned = true;
        setFixedHeight(360 * formPpi() / 96);
        pnlBottom->move(0, height() - pnlBottom->height());
        pnlClient->resize(pnlClient->width(), pnlBottom->y());
    }
    btnSelect1Click();
}

void TFileOperationBoxEx1::LoadHints()
{
    TFileOperationBox::LoadHints();
    btnSelect1->setToolTip(QStringLiteral("選択した場所に保存されているﾃﾞｰﾀを復元する場合に選択します。|選択した場所に保存されているﾃﾞｰﾀを復元する場合に選択します。"));
    btnSelect2->setToolTip(QStringLiteral(
        "ｼｽﾃﾑが随所で行う自動ﾊﾞｯｸｱｯﾌﾟﾃﾞｰﾀを復元し、ﾃﾞｰﾀを元に戻す場合に選択します。|「仕訳の全削除」、「仕訳のｲﾝﾎﾟｰﾄ」は処理実行時に実行前ﾃﾞｰﾀをﾊﾞｯｸｱｯﾌﾟするように設定されています。\r\n"
        "［OK］を押すと現在のﾃﾞｰﾀをこれらの処理を実行する前の状態に戻す事ができます。\r\n"
        "尚、ﾊﾞｯｸｱｯﾌﾟを取らずにこれらの処理を実行することも出来ますので、確実に実行前の状態に戻せるとは限りません。"));
}

void TFileOperationBoxEx1::SetSelect1Caption(const QString &text) { btnSelect1->setText(text); }

void TFileOperationBoxEx1::SetSelect2Caption(const QString &text) { btnSelect2->setText(text); }

void TFileOperationBoxEx1::SetSelection(int choice)
{
    (choice == 2 ? btnSelect2 : btnSelect1)->setChecked(true);
    btnSelect1Click();
}

void TFileOperationBoxEx1::btnSelect1Click()
{
    const bool on = btnSelect1->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(lblFileSelect), static_cast<QWidget *>(cmbFileSelect),
                       static_cast<QWidget *>(btnSansyo), static_cast<QWidget *>(btnHistDelete),
                       static_cast<QWidget *>(lblFileName), static_cast<QWidget *>(txtFileName)})
        w->setEnabled(on);
}

void TFileOperationBoxEx1::btnOKClick()
{
    if (btnSelect1->isChecked()) {
        Choice = 1;
        TFileOperationBox::btnOKClick();
        return;
    }
    Choice = 2;
    ResultFolder.clear();
    done(1);
}
