#include "datasets/DataSyosaiInfo.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "core/SjisText.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/BackupRestoreThread.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "framework/DorvelEdit.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageDlg2.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/xPlButton.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QStyle>

namespace {

const QString kNone = QStringLiteral("設定なし");

QLabel *caption(QWidget *parent, const QString &text, const QRect &geo)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geo);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLabel *value(QWidget *parent, const char *name, const QRect &geo)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geo);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

TxPlButton *button(QWidget *parent, const QString &name, const QString &text, const QRect &geo)
{
    auto *b = new TxPlButton(parent);
    b->setObjectName(name);
    b->CaptionA().setCaption(text);
    b->setGeometry(geo);
    return b;
}

int ShowInfoBox(int kind, const QStringList &lines)
{
    TMessage2InfoRec box;
    InitMessage2InfoRec(kind, box);
    for (int i = 0; i < lines.size() && i < 10; ++i) box.Lines[size_t(i)].Caption = lines[i];
    return ShowMessageBox2(box);
}

QDate periodDate(const QString &text)
{
    const QDate d = QDate::fromString(text.trimmed(), QStringLiteral("yyyy/MM/dd"));
    return d.isValid() ? d : QDate();
}

// The login number of the operator: the operator id less its group part.
int loginNumber(int opCode)
{
    const int base = SystemDef.GroupNo * 10000;
    return base != 0 ? opCode % base : opCode;
}

QString withExtension(const QString &path, const QString &extension)
{
    const QFileInfo f(path);
    return ExcludePathDelim(f.path()) + u'/' + f.completeBaseName() + extension;
}

void removeIfThere(const QString &path)
{
    if (!DM || path.isEmpty()) return;
    if (DM->FExist(path, ConnectMode)) DM->FDel(path, ConnectMode, false);
}

} // namespace

QString DataSyosaiKindText(int dataKbn, int codeKbn)
{
    struct Kind {
        int data, code;
        const char16_t *text;
    };
    static const Kind kinds[] = {{1, 1, u"法人"},     {2, 1, u"個人(一般)"},       {2, 2, u"個人(不動産)"},
                                 {3, 1, u"医療法人"}, {2, 3, u"個人(クリニック)"}, {2, 4, u"個人(農業)"}};
    for (const Kind &k : kinds)
        if (k.data == dataKbn && k.code == codeKbn) return QString::fromUtf16(k.text);
    return kNone;
}

QString DataSyosaiDisplayPath(const QString &folder, const QString &dataRoot, const QString &appTitle)
{
    const QString root = ExcludePathDelim(dataRoot);
    if (root.isEmpty()) return folder;
    const QString mark = QStringLiteral("[%1のデータ]").arg(appTitle);
    QString out = folder;
    int at = 0;
    while ((at = out.indexOf(root, at, Qt::CaseInsensitive)) >= 0) {
        out.replace(at, root.size(), mark);
        at += mark.size();
    }
    return out;
}

TDataSyosaiInfoBox::TDataSyosaiInfoBox(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("DataSyosaiInfoBox"));
    setWindowTitle(QStringLiteral("データの詳細情報"));
    KeepOnClose = true; // the caller keeps the dialog
    buildControls();
    HintMemo = HintArea;
    EndButton = btnOK;
    UpdateLock = 0;
    RunRebuildJob = [](TBackupRestoreThread &job) { job.Execute(); };
    m_dataInfo = std::make_unique<TDataInfomation>();
    m_dataInfo->ConnectMode = ConnectMode;
    CreateDone = true;
}

TDataSyosaiInfoBox::~TDataSyosaiInfoBox() = default;

void TDataSyosaiInfoBox::buildControls()
{
    setFixedSize(932, 457);

    GroupBox1 = new QGroupBox(QStringLiteral("管理情報"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 6, 916, 140);
    caption(GroupBox1, QStringLiteral("データの場所:"), QRect(8, 24, 110, 24));
    txtDataPath = new QPlainTextEdit(GroupBox1);
    txtDataPath->setObjectName(QStringLiteral("txtDataPath"));
    txtDataPath->setReadOnly(true);
    txtDataPath->setGeometry(124, 22, 780, 46);
    caption(GroupBox1, QStringLiteral("データの状態:"), QRect(8, 74, 110, 24));
    lblStatus = value(GroupBox1, "lblStatus", QRect(124, 74, 200, 24));
    cboxStatusClear = new QCheckBox(QStringLiteral("データの状態をクリアする"), GroupBox1);
    cboxStatusClear->setObjectName(QStringLiteral("cboxStatusClear"));
    cboxStatusClear->setGeometry(340, 74, 300, 24);
    QPalette red = cboxStatusClear->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    red.setColor(QPalette::ButtonText, QColor(255, 0, 0));
    cboxStatusClear->setPalette(red);
    caption(GroupBox1, QStringLiteral("データの更新:"), QRect(8, 106, 110, 24));
    cboxDataUpdateLock = new QCheckBox(QStringLiteral("禁止する"), GroupBox1);
    cboxDataUpdateLock->setObjectName(QStringLiteral("cboxDataUpdateLock"));
    cboxDataUpdateLock->setGeometry(124, 106, 200, 24);
    Image1 = new QLabel(GroupBox1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(340, 104, 28, 28);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(24, 24));
    lblDataSeigenMessage = value(GroupBox1, "lblDataSeigenMessage", QRect(374, 106, 530, 24));
    lblDataSeigenMessage->setText(QStringLiteral("現在、オペレータ毎のデータ選択は制限されていません。"));
    QFont bold = lblDataSeigenMessage->font();
    bold.setBold(true);
    lblDataSeigenMessage->setFont(bold);
    QPalette blue = lblDataSeigenMessage->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    lblDataSeigenMessage->setPalette(blue);

    GroupBox2 = new QGroupBox(QStringLiteral("基本情報"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 152, 916, 204);
    const int rowH = 30;
    const int top = 22;
    caption(GroupBox2, QStringLiteral("コード:"), QRect(8, top, 110, 24));
    lblCode = value(GroupBox2, "lblCode", QRect(124, top, 320, 24));
    caption(GroupBox2, QStringLiteral("データ区分:"), QRect(8, top + rowH, 110, 24));
    lblDataKbn = value(GroupBox2, "lblDataKbn", QRect(124, top + rowH, 320, 24));
    caption(GroupBox2, QStringLiteral("会社名:"), QRect(8, top + 2 * rowH, 110, 24));
    lblName = value(GroupBox2, "lblName", QRect(124, top + 2 * rowH, 320, 24));
    caption(GroupBox2, QStringLiteral("フリガナ:"), QRect(8, top + 3 * rowH, 110, 24));
    lblKana = value(GroupBox2, "lblKana", QRect(124, top + 3 * rowH, 320, 24));
    caption(GroupBox2, QStringLiteral("データリスト名:"), QRect(8, top + 4 * rowH, 110, 26));
    txtListName = new TDorvelEdit(GroupBox2);
    txtListName->setObjectName(QStringLiteral("txtListName"));
    txtListName->ImeMode = TImeMode::imOpen; // Hiragana input
    txtListName->setGeometry(124, top + 4 * rowH, 340, 26);
    // The list keeps 40 bytes of Shift-JIS: longer input is cut on a whole character.
    connect(txtListName, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (SjisLength(text) <= 40) return;
        const int caret = txtListName->cursorPosition();
        txtListName->setText(SjisLeft(text, 40));
        txtListName->setCursorPosition(qMin(caret, int(txtListName->text().size())));
    });
    txtListName->OnImeStatusChange = [this](QObject *) { SetFunctionKeys(); };

    caption(GroupBox2, QStringLiteral("会計年度:"), QRect(470, top, 110, 24));
    lblNendo = value(GroupBox2, "lblNendo", QRect(586, top, 320, 24));
    caption(GroupBox2, QStringLiteral("会計期間:"), QRect(470, top + rowH, 110, 24));
    lblKikan = value(GroupBox2, "lblKikan", QRect(586, top + rowH, 320, 24));
    caption(GroupBox2, QStringLiteral("担当者コード:"), QRect(470, top + 2 * rowH, 110, 24));
    lblTanto = value(GroupBox2, "lblTanto", QRect(586, top + 2 * rowH, 320, 24));
    caption(GroupBox2, QStringLiteral("部門管理:"), QRect(470, top + 3 * rowH, 110, 24));
    lblBumonKanri = value(GroupBox2, "lblBumonKanri", QRect(586, top + 3 * rowH, 320, 24));
    caption(GroupBox2, QStringLiteral("本支店管理:"), QRect(470, top + 4 * rowH, 110, 24));
    lblSitenKanri = value(GroupBox2, "lblSitenKanri", QRect(586, top + 4 * rowH, 320, 24));
    caption(GroupBox2, QStringLiteral("仕訳件数:"), QRect(470, top + 5 * rowH, 110, 24));
    lblSiwakeKensu = value(GroupBox2, "lblSiwakeKensu", QRect(586, top + 5 * rowH, 320, 24));

    HintArea = new QPlainTextEdit(this);
    HintArea->setObjectName(QStringLiteral("HintArea"));
    HintArea->setReadOnly(true);
    HintArea->setFocusPolicy(Qt::NoFocus);
    HintArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    HintArea->setGeometry(8, 362, 916, 46);

    for (int k = 0; k < 7; ++k) {
        Keys[size_t(k)] = button(this, QStringLiteral("F%1").arg(k + 1), QStringLiteral("F%1:").arg(k + 1),
                                 QRect(8 + k * 90, 414, 86, 34));
        Keys[size_t(k)]->setFocusPolicy(Qt::NoFocus);
    }
    // Only F1 and F7 carry the handler; F1 has no function in this dialog.
    for (TxPlButton *b : {Keys[0], Keys[6]})
        connect(b, &TxPlButton::clicked, this, [this, b] { F1Click(b); });
    btnOK = button(this, QStringLiteral("btnOK"), QStringLiteral("OK"), QRect(732, 414, 92, 34));
    btnOK->setModalResult(1);
    connect(btnOK, &TxPlButton::clicked, this, [this] { btnOKClick(); });
    btnCancel = button(this, QStringLiteral("btnCancel"), QStringLiteral("キャンセル"), QRect(832, 414, 92, 34));
    btnCancel->setModalResult(2);
    btnCancel->setCancel(true);

    xAnimeProgressDialog1 = new TxAnimeProgressDialog(this);
    xAnimeProgressDialog1->setObjectName(QStringLiteral("xAnimeProgressDialog1"));
}

QString TDataSyosaiInfoBox::databaseFile() const
{
    return ExcludePathDelim(DataPath) + u'/' + Product.DataFile;
}

void TDataSyosaiInfoBox::SetMode(int mode)
{
    m_mode = mode;
    ShowDataInfo();
    FirstPositioning = false;
}

void TDataSyosaiInfoBox::ShowDataInfo()
{
    // 1. What the folder says.
    m_dataInfo->ConnectMode = ConnectMode;
    TDataInfomation::ClearDataInfoRec(m_info);
    if (DM && !DataPath.isEmpty() && DM->FExist(databaseFile(), ConnectMode))
        m_dataInfo->ReadIniInfo(DataPath, m_info);
    else
        m_info.Status = 0; // no company database
    const int status = m_info.Status;
    const bool named = ListRec && !ListRec->SHOUGOU.isEmpty();

    // 2. and 3. Read-only state, results and the rebuild.
    m_readOnly = ReadOnly || status == 0 || status == 3 || !named;
    StatusClear = 0;
    Rebuilt = 0;
    m_rebuildAllowed = false;
    if (named) {
        if (ServerListMode == 0)
            m_rebuildAllowed = (ListRec->KYOYULOCK == 0 && ListRec->NETDRIVE == 0) ||
                               (ListRec->KYOYULOCK == 1 && ListRec->NETDRIVE == 1);
        else
            m_rebuildAllowed = m_info.ShareStatus == 1;
    }

    // 4. Status and folder.
    lblStatus->setText(GetDataStatusText(status));
    txtDataPath->setPlainText(DataSyosaiDisplayPath(DataPath, SystemDef.DataRootDir, AppInfo.Rirev.AppTitle));

    // 5. Clearing the status: not for the statuses that need none; a restricted
    // operator may clear only a status of his own.
    const bool server = ConnectMode == 1 || ConnectMode == 2;
    m_clearOffered = server ? (status != 1 && status != 2) : status != 1;
    if (m_clearOffered && !(DM && DM->IsUnrestrictedOperator()))
        m_clearOffered = loginNumber(SystemDef.OpCode) == loginNumber(m_info.OpCode);
    cboxStatusClear->setChecked(false);
    cboxStatusClear->setVisible(m_clearOffered);

    // 6. The update lock and the note on unrestricted selection.
    cboxDataUpdateLock->setChecked(UpdateLock == 1);
    const bool unrestricted = SystemDef.SysDef.AllSitenOperator == 1;
    lblDataSeigenMessage->setVisible(unrestricted);
    Image1->setVisible(unrestricted);

    // 7. The company values.
    auto orNone = [](const QString &text) { return text.isEmpty() ? kNone : text; };
    lblCode->setText(orNone(m_info.Code));
    lblDataKbn->setText(DataSyosaiKindText(m_info.DataKbn, m_info.CodeKbn));
    lblName->setText(orNone(m_info.Shougou));
    lblKana->setText(orNone(m_info.Kana));
    txtListName->setText(ListName.isEmpty() ? m_info.Shougou : ListName);
    lblNendo->setText(m_info.Nendo > 0 ? QStringLiteral("%1期").arg(m_info.Nendo) : kNone);
    lblKikan->setText(kNone);
    const QDate kishu = periodDate(m_info.Kishu), kimatu = periodDate(m_info.Kimatu);
    if (kishu.isValid() && kimatu.isValid()) {
        try {
            QString period;
            FormatKikan(period, kishu, kimatu);
            if (!period.isEmpty()) lblKikan->setText(period);
        } catch (const std::exception &) {
        }
    }
    lblTanto->setText(m_info.Tanto != 0 ? QString::number(m_info.Tanto) : kNone);
    if (m_info.Bumon == 1)
        lblBumonKanri->setText(QStringLiteral("損益のみに%1部門設定").arg(m_info.BumonCnt));
    else if (m_info.Bumon == 2)
        lblBumonKanri->setText(QStringLiteral("全科目に%1部門設定").arg(m_info.BumonCnt));
    else
        lblBumonKanri->setText(kNone);
    lblSitenKanri->setText(m_info.Siten == 1 ? QStringLiteral("%1支店設定").arg(m_info.SitenCnt) : kNone);
    lblSiwakeKensu->setText(QStringLiteral("%1件").arg(m_info.Siwake));
    if (status == 3) {
        lblKana->setText(QStringLiteral("-"));
        lblBumonKanri->setText(QStringLiteral("-"));
        lblSitenKanri->setText(QStringLiteral("-"));
        lblSiwakeKensu->setText(QStringLiteral("-件"));
    }

    // 8. and 9. What may be changed.
    setEditable(!m_readOnly);
    btnOK->setVisible(!(m_readOnly && !m_clearOffered) && status != 0);
    if (status == 10) {
        btnOK->setVisible(false);
        cboxStatusClear->setVisible(false);
        m_clearOffered = false;
    }

    // 10.
    LoadHints();
    SetFunctionKeys();
}

void TDataSyosaiInfoBox::setEditable(bool editable)
{
    cboxDataUpdateLock->setEnabled(editable);
    txtListName->setFrame(editable);
    txtListName->setReadOnly(!editable);
    txtListName->setFocusPolicy(editable ? Qt::StrongFocus : Qt::NoFocus);
    const QPalette parentPal = GroupBox2->palette();
    txtListName->setBrush(QBrush(editable ? parentPal.color(QPalette::Base) : parentPal.color(QPalette::Window)));
    if (!editable) txtListName->setFrame(false);
}

void TDataSyosaiInfoBox::LoadHints()
{
    txtDataPath->setToolTip(DataPath + QStringLiteral("|データの場所です。\r\n\r\n") +
                            QStringLiteral("[%1のデータ]").arg(AppInfo.Rirev.AppTitle) + QStringLiteral("は、\"") +
                            SystemDef.DataRootDir + QStringLiteral("\"です。"));
    cboxStatusClear->setToolTip(QStringLiteral(
        "データ状態をクリアします。|「データ処理中にアプリケーションが異常終了した」等でデータが「使用中」になってしまった場合に、"
        "この項目にチェックを入れて［OK］を押すと次回よりデータの選択が可能となります。"));
    cboxDataUpdateLock->setToolTip(QStringLiteral(
        "データ更新の許可／禁止を設定します。|この項目にチェックを入れると、「データ選択」画面から古いバージョンのデータ（更新が必要なデータ）の選択を不可にします。\r\n"
        "※選択不可データはグレー表示されます。"));
    if (m_readOnly)
        txtListName->setToolTip(QStringLiteral(
            "ﾃﾞｰﾀ選択画面におけるﾃﾞｰﾀの表示名です。|「データ選択」画面におけるﾃﾞｰﾀの表示名です。\r\n"
            "決算書、試算表、元帳などの社名の印字は「基本設定」の「名称・期間」ﾀﾌﾞで変更します。"));
    else
        txtListName->setToolTip(QStringLiteral(
            "ﾃﾞｰﾀ選択画面におけるﾃﾞｰﾀの表示名を変更できます。|「データ選択」画面におけるﾃﾞｰﾀの表示名を変更できます。\r\n"
            "決算書、試算表、元帳などの社名の印字は「基本設定」の「名称・期間」ﾀﾌﾞで変更します。"));
    btnOK->setToolTip(QStringLiteral("内容を登録して画面を閉じます。|内容を登録して画面を閉じます。"));
    btnCancel->setToolTip(QStringLiteral("画面を閉じます。|画面を閉じます。"));
}

void TDataSyosaiInfoBox::SetFunctionKeys()
{
    for (int k = 0; k < 6; ++k) {
        Keys[size_t(k)]->CaptionA().setCaption(QStringLiteral("F%1:").arg(k + 1));
        Keys[size_t(k)]->setEnabled(false);
    }
    const bool rebuild = m_rebuildAllowed && !txtListName->ImeOnFlg();
    Keys[6]->CaptionA().setCaption(rebuild ? QStringLiteral("F7:再構築") : QStringLiteral("F7:"));
    Keys[6]->setEnabled(rebuild);
}

bool TDataSyosaiInfoBox::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (!(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
        if (key >= Qt::Key_F1 && key <= Qt::Key_F7) {
            F1Click(Keys[size_t(key - Qt::Key_F1)]);
            return true;
        }
        if (key == Qt::Key_F8) return true;
    }
    return TBSDI::FormKeyUp(key, modifiers);
}

void TDataSyosaiInfoBox::F1Click(TxPlButton *b)
{
    if (b != Keys[6] || b->CaptionA().Caption() != QStringLiteral("F7:再構築") || !DM) return;
    const bool server = ConnectMode == 1 || ConnectMode == 2;
    // Nobody else may work on the data while it is replaced: in the server modes
    // the server names the other attachments; locally another program holding
    // the file counts the same, for the rebuild puts its safety copy back over
    // the database when it fails.
    const bool held = server ? DM->AccDatInConnection(1, SystemDef.HostName, false, DataPath)
                             : DM->AccDatHeldElsewhere(DataPath);
    if (held) {
        ShowInfoBox(2, {QStringLiteral("現在、他のユーザーがデータに接続中です。他のユーザーがデータに接続している間はデータの再構築は行えません。")});
        return;
    }
    QStringList question{
        QStringLiteral("データの再構築を行いますか？"),
        QStringLiteral("注意１）データサイズによりデータ再構築に時間がかかる場合があります。再構築中にコンピュータの電源は切らないで下さい。")};
    if (m_info.Status == 10)
        question << QStringLiteral("注意２）破損データの場合はデータ再構築が適正に行われない場合があります。");
    if (ShowInfoBox(3, question) != mrOk) return;
    if (RebuildData() != 1) return;
    ShowInfoBox(2, {QStringLiteral("データの再構築は適正に行われました。")});
    ShowDataInfo();
    Rebuilt = 1;
}

int TDataSyosaiInfoBox::RebuildData()
{
    TxAnimeProgressDialog *progress = xAnimeProgressDialog1;
    progress->setCaption(QStringLiteral("再構築中"));
    progress->setInfoLabel(QStringLiteral("再構築中、しばらくお待ちください…"));
    progress->AviFile = QDir(SystemDef.ProgramDir).filePath(QStringLiteral("progress.avi"));
    progress->CommonAVI = TCommonAVI::aviCopyFile;
    progress->CancelBtnShow = false;
    progress->Show(this);
    TBackupRestoreThread job;

    UpdateDataLock(1);
    const bool server = ConnectMode == 1 || ConnectMode == 2;
    // The work folder: the data root's temporary folder, or the data folder
    // itself when there is none (and on the server, whose folders these are).
    QString temp = ExcludePathDelim(SystemDef.TempDir);
    if (temp.isEmpty() || !ForceDir(temp)) temp = ExcludePathDelim(DataPath);
    for (const QString &name : {Product.DataBackupFile, Product.DataFile, Product.DataIniFile}) {
        const QString leftover = temp + u'/' + name;
        if (temp != ExcludePathDelim(DataPath) && QFileInfo::exists(leftover)) QFile::remove(leftover);
    }

    const QString db = databaseFile();
    const bool fromShared = ServerListMode == 1 && m_rebuildAllowed;
    const QString safety = fromShared ? temp + u'/' + Product.DataFile : withExtension(db, QStringLiteral(".fd_"));
    const QString backup = withExtension((server ? ExcludePathDelim(DataPath) : temp) + u'/' + Product.DataBackupFile,
                                         QStringLiteral(".fb_"));
    int result = 0;
    bool copied = false;
    // The job works over the database itself, so the safety copy goes back in
    // place whenever it did not end well.
    const bool overDatabase = !fromShared;
    auto putBack = [&] {
        if (copied && overDatabase) DM->FCopy(safety, db, ConnectMode);
    };
    try {
        copied = DM->FCopy(db, safety, ConnectMode);
        if (!copied) {
            progress->PlayAnime(false);
            ShowInfoBox(2, {QStringLiteral("データ再構築の前処理（会計データのコピー）に失敗しました。")});
        } else {
            job.Mode = 3;
            job.DatabasePath = fromShared ? safety : db;
            job.Host = SystemDef.HostName;
            job.BackupFile = backup;
            job.RestoreOption = 1; // the restored indexes stay active
            RunRebuildJob(job);
            result = job.Success == 1 ? 1 : 0;
            if (result == 1 && fromShared) result = DM->FCopy(safety, db, ConnectMode) ? 1 : 0;
            if (result == 1)
                m_dataInfo->SetDataStatus(DataPath, 1);
            else
                putBack();
        }
    } catch (const std::exception &) {
        progress->PlayAnime(false);
        ShowInfoBox(2, {QStringLiteral("データ再構築の処理に失敗しました。")});
        result = 0;
        putBack();
    }
    removeIfThere(safety);
    removeIfThere(backup);
    UpdateDataLock(0);
    activateWindow();
    progress->Close();
    raise();
    return result;
}

void TDataSyosaiInfoBox::UpdateDataLock(int flag)
{
    if ((ConnectMode != 1 && ConnectMode != 2) || !ListRec || ListRec->DATALOCK >= 1 || !DM) return;
    TDataSentakuListCtl list;
    list.ConnectMode = ConnectMode;
    list.SetDataListTable(DataPlace);
    list.UpdateDataLock(ListRec->REC, flag == 1 ? loginNumber(SystemDef.OpCode) : 0, true);
}

void TDataSyosaiInfoBox::btnOKClick()
{
    if (TrimZen(txtListName->text()).isEmpty()) {
        if (ShowInfoBox(3, {QStringLiteral("データリスト名が入力されていません。会社名を設定しますか？")}) == mrOk) {
            const QString company = m_info.Shougou.isEmpty() && ListRec ? ListRec->SHOUGOU : m_info.Shougou;
            txtListName->setText(SjisLeft(company, 40));
        }
        setResult(0);
        return;
    }
    ListName = txtListName->text();
    StatusClear = m_clearOffered && cboxStatusClear->isChecked() ? 1 : 0;
    UpdateLock = cboxDataUpdateLock->isChecked() ? 1 : 0;
    setResult(1);
}

void TDataSyosaiInfoBox::showEvent(QShowEvent *e)
{
    TBSDI::showEvent(e);
    if (e->spontaneous()) return;
    if (!CreateDone) {
        MessageDlg(InitFailedText(windowTitle()), TMsgDlgType::mtError, mbOK);
        QMetaObject::invokeMethod(this, [this] { done(2); }, Qt::QueuedConnection);
        return;
    }
    if (m_readOnly)
        btnCancel->setFocus(Qt::OtherFocusReason);
    else
        txtListName->setFocus(Qt::OtherFocusReason);
}
