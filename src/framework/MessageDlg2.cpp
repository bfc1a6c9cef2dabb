#include "framework/MessageDlg2.h"

#include "framework/FrameworkFonts.h"
#include "framework/FrameworkMessages.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "framework/WindowUtils.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QUrl>

#include <memory>

std::function<void(const QString &)> LinkOpener = [](const QString &target) {
    QDesktopServices::openUrl(QUrl::fromUserInput(target));
};

const std::array<TStandardButtonInfo, 11> &StandardButtons()
{
    static const std::array<TStandardButtonInfo, 11> table = {{
        {mbYes, QStringLiteral("はい(&Y)"), 6},
        {mbNo, QStringLiteral("いいえ(&N)"), 7},
        {mbOK, QStringLiteral("OK(&O)"), 1},
        {mbCancel, QStringLiteral("ｷｬﾝｾﾙ(&C)"), 2},
        {mbAbort, QStringLiteral("中断(&A)"), 3},
        {mbRetry, QStringLiteral("再試行(&R)"), 4},
        {mbIgnore, QStringLiteral("無視(&I)"), 5},
        {mbAll, QStringLiteral("すべて(&A)"), 8},
        {mbNoToAll, QStringLiteral("すべていいえ"), 9},
        {mbYesToAll, QStringLiteral("すべてはい"), 10},
        {mbHelp, QStringLiteral("ヘルプ(&H)"), 0},
    }};
    return table;
}

QList<TStandardButtonInfo> Message2Buttons(TMsgDlgButtons buttons)
{
    QList<TStandardButtonInfo> out;
    for (const auto &b : StandardButtons()) {
        if (!(buttons & b.flag)) continue;
        out << b;
        if (out.size() == 3) break;
    }
    return out;
}

QColor TColorToQColor(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

void InitMessage2InfoRec(int kind, TMessage2InfoRec &rec)
{
    rec = TMessage2InfoRec();
    rec.Buttons = mbOK;
    switch (kind) {
    case 0: rec.Kind = 0; rec.Title = QStringLiteral("警告"); break;
    case 1: rec.Kind = 1; rec.Title = QStringLiteral("エラー"); break;
    case 2: rec.Kind = 2; rec.Title = QStringLiteral("情報"); break;
    case 3: rec.Kind = 3; rec.Title = QStringLiteral("確認"); rec.Buttons = mbOK | mbCancel; break;
    default: rec.Kind = 4; rec.Title.clear(); break;
    }
}

namespace {
constexpr TColor kRed = 255;

void setLines(TMessage2InfoRec &rec, std::initializer_list<std::pair<const char16_t *, TColor>> lines)
{
    int i = 0;
    for (const auto &l : lines) {
        rec.Lines[size_t(i)].Caption = QString::fromUtf16(l.first);
        rec.Lines[size_t(i)].Color = l.second;
        ++i;
    }
}

void uchiwakeDelete(TMessage2InfoRec &rec, const char16_t *second)
{
    rec.Kind = 3;
    rec.Buttons = mbOK | mbCancel;
    rec.Title = QStringLiteral("内訳書の削除");
    setLines(rec, {{u"選択行の内訳を削除します、よろしいですか？", 0},
                   {second, kRed},
                   {u"一時的に内訳書より削除したい場合は、残高を0円に訂正して印刷方法の[0円の明細を省略する]にチェックを", kRed},
                   {u"入れてください。", kRed}});
}
} // namespace

void SetMessage2ById(qint32 id, TMessage2InfoRec &rec)
{
    const quint32 uid = quint32(id);
    if (uid == 0) return;
    const TMessage2InfoRec keep = rec;
    InitMessage2InfoRec(2, rec);
    rec.MessageId = id;
    rec.AgreeMode = keep.AgreeMode;
    rec.AgreeCaption = keep.AgreeCaption;
    rec.AgreeChecked = keep.AgreeChecked;
    switch (uid) {
    case 0x1010:
        rec.Kind = 3;
        rec.Buttons = mbOK | mbCancel;
        rec.Title = QStringLiteral("確認");
        setLines(rec, {{u"このデータは、お使いのプログラムより新しいプログラムでデータ更新が行われています。", 0},
                       {u"データを使用するにはプログラムのバージョンアップが必要となります。", 0},
                       {u"続行してもよろしいですか？", 0},
                       {u"（ウィルス対策ソフトをご利用中の場合は、該当ソフトを終了して下さい。）", 0}});
        break;
    case 0x1011:
        setLines(rec, {{u"このデータは、「データの更新」処理を行うことが禁止されています。", 0},
                       {u"データを選択したい場合は、「データ選択」画面の[情報]ボタンを押し「データの詳細情報」画面を", 0},
                       {u"開き、[データの更新: 禁止する]項目のチェックを外して下さい。", 0}});
        break;
    case 0x1020:
        setLines(rec, {{u"このデータは現金出納帳システムと通信しています。マスター情報の変更は、事前に現金出納帳システムから", 0},
                       {u"送られた最新のデータを受信し、現金出納帳システム側の処理をストップさせてから行ってください。", 0},
                       {u"また、変更後には必ず「現金出納帳マスター送信」を実行してください。", 0}});
        break;
    case 0x1030:
        rec.Kind = 3;
        rec.Title = QStringLiteral("エラー");
        setLines(rec, {{u"データ使用後検証の結果、このデータは破損している恐れがあります。", 0},
                       {u"データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。", 0},
                       {u"ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。", 0}});
        break;
    case 0x2014:
        setLines(rec, {{u"過年度明細の取り込みが行われていません。", 0},
                       {u"このデータに対して過年度明細を取り込むには以下の方法があります。", 0},
                       {u"１）「過年度残高登録」の[仕訳取込]より過年度明細を取り込みます。", 0},
                       {u"２）「繰越残高調整」で過年度明細を繰り越します。（前期のみ）", 0}});
        break;
    case 0x10001010:
        setLines(rec, {{u"この仕訳は他システムから作成された自動仕訳のため、訂正・削除を行うことはできません。", 0}});
        break;
    case 0x10001011:
        setLines(rec, {{u"この仕訳は他処理から作成された自動仕訳のため、自科目訂正を行うことはできません。", 0}});
        break;
    case 0x10002010:
        rec.Kind = 3;
        rec.Buttons = mbOK | mbCancel;
        rec.Title = QStringLiteral("確認");
        setLines(rec, {{u"会計データと連動する項目を「上書き入力」に切り替えます。", 0}, {u"よろしいですか？", 0}});
        break;
    case 0x10002011:
        rec.Kind = 3;
        rec.Buttons = mbOK | mbCancel;
        rec.Title = QStringLiteral("確認");
        setLines(rec, {{u"会計データと連動する項目を「自動取得」に切り替えます。", 0},
                       {u"よろしいですか？", 0},
                       {u"注意）上書き入力した項目は、会計データの集計値により書き換えられます。", kRed}});
        break;
    case 0x10003010:
        uchiwakeDelete(rec, u"注意）削除を行うと、内訳に記述してある名称などの情報は科目情報を取り込んでも記述されません。");
        break;
    case 0x10003011:
        uchiwakeDelete(rec, u"注意）削除を行うと、内訳に記述してある金融機関名などの情報は科目情報を取り込んでも記述されません。");
        break;
    case 0x10003012:
        uchiwakeDelete(rec, u"注意）削除を行うと、内訳に記述してある借入先などの情報は科目情報を取り込んでも記述されません。");
        break;
    case 0x10004010:
        setLines(rec, {{u"「基本設定」の「消費税＞一括税抜処理区分」に[処理する]が選択されているため、消費税処理区分を[税込]へは変更出来ません。", 0}});
        break;
    default: break;
    }
}

QString Message2ClipboardText(const TMessage2InfoRec &rec)
{
    const QString crlf = QStringLiteral("\r\n");
    const QString rule(27, u'-');
    QString s = rule + crlf + rec.Title + crlf + rule + crlf;
    for (const auto &l : rec.Lines) s += l.Caption + crlf;
    return s;
}

// ---- the box ----

namespace {
constexpr int kClientPanelHeight = 272;
constexpr int kAgreePanelHeight = 32;
constexpr int kBottomPanelHeight = 38;
} // namespace

TMessageBox2::TMessageBox2(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MessageBox2"));
    setWindowTitle(QStringLiteral("警告"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    QFont f = MakeFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    setFont(f);

    m_pnlClient = new QWidget(this);
    m_pnlClient->setObjectName(QStringLiteral("pnlClient"));
    m_image = new QLabel(m_pnlClient);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setGeometry(24, 16, 41, 41);
    for (int i = 0; i < 10; ++i) {
        auto *l = new QLabel(m_pnlClient);
        l->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        l->setProperty("tag", i);
        l->move(80, 24 + 24 * i);
        l->installEventFilter(this);
        m_labels[size_t(i)] = l;
    }
    m_pnlAgree = new QWidget(this);
    m_pnlAgree->setObjectName(QStringLiteral("pnlAgree"));
    m_agree = new TxCheckBox(QStringLiteral("同意する"), m_pnlAgree);
    m_agree->setObjectName(QStringLiteral("btnAgree"));
    m_agree->move(80, 6);
    connect(m_agree, &QCheckBox::toggled, this, [this](bool on) {
        if (m_agreeMode == 1) m_buttons[0]->setEnabled(on);
    });
    m_pnlBottom = new QWidget(this);
    m_pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    for (int i = 0; i < 3; ++i) {
        auto *b = new TxPlButton(m_pnlBottom);
        b->setObjectName(QStringLiteral("btnButton%1").arg(i + 1));
        b->resize(75, 25);
        b->setGradEndColor(QColor(182, 182, 182));
        m_buttons[size_t(i)] = b;
    }
    InitMessage2InfoRec(0, m_rec);
}

int TMessageBox2::scaled(int v) const
{
    const int ppi = screen() ? qRound(screen()->logicalDotsPerInch()) : 96;
    return v * ppi / 96;
}

void TMessageBox2::SetMessageId(qint32 id)
{
    m_rec.MessageId = id;
    SetMessage2ById(id, m_rec);
}

void TMessageBox2::ApplyMessageRec(const TMessage2InfoRec &rec)
{
    m_rec = rec;
    applyRec();
}

void TMessageBox2::applyRec()
{
    SetMessage2ById(m_rec.MessageId, m_rec);
    setWindowTitle(m_rec.Title);

    const int icon = scaled(41);
    m_image->resize(icon, icon);
    QStyle::StandardPixmap sp = QStyle::SP_CustomBase;
    switch (m_rec.Kind) {
    case 0: sp = QStyle::SP_MessageBoxWarning; break;
    case 1: sp = QStyle::SP_MessageBoxCritical; break;
    case 2: sp = QStyle::SP_MessageBoxInformation; break;
    case 3: sp = QStyle::SP_MessageBoxQuestion; break;
    default: break;
    }
    m_image->setPixmap(sp == QStyle::SP_CustomBase ? QPixmap() : style()->standardIcon(sp).pixmap(icon, icon));

    int lastUsed = -1;
    int rightEdge = scaled(500);
    for (int i = 0; i < 10; ++i) {
        QLabel *l = m_labels[size_t(i)];
        const TMessage2CaptionRec &line = m_rec.Lines[size_t(i)];
        l->setCursor(Qt::ArrowCursor);
        QFont lf = font();
        lf.setUnderline(!line.Link.isEmpty());
        l->setFont(lf);
        QColor color = line.Link.isEmpty() ? TColorToQColor(line.Color) : QColor(Qt::blue);
        l->setStyleSheet(QStringLiteral("color: %1").arg(color.name()));
        l->setText(line.Caption);
        l->adjustSize();
        if (!line.Link.isEmpty()) l->setCursor(Qt::PointingHandCursor);
        if (!line.Caption.isEmpty()) lastUsed = i;
        rightEdge = qMax(rightEdge, l->x() + l->width());
    }
    const int clientW = scaled(30) + rightEdge;
    int firstFree;
    if (lastUsed < 1)
        firstFree = m_labels[2]->y();
    else if (lastUsed >= 9)
        firstFree = kClientPanelHeight;
    else
        firstFree = m_labels[size_t(lastUsed + 1)]->y();
    const int clientH = kBottomPanelHeight + firstFree;

    const QList<TStandardButtonInfo> shown = Message2Buttons(m_rec.Buttons);
    for (auto *b : m_buttons) b->hide();
    for (int i = 0; i < shown.size(); ++i) {
        TxPlButton *b = m_buttons[size_t(i)];
        b->CaptionA().setCaption(shown[i].caption);
        b->setModalResult(shown[i].result);
        b->setEnabled(true);
        b->show();
    }
    const int centre = clientW / 2, gap = scaled(10), bw = m_buttons[0]->width();
    const int by = (kBottomPanelHeight - m_buttons[0]->height()) / 2;
    if (shown.size() == 1) {
        m_buttons[0]->move(centre - bw / 2, by);
    } else if (shown.size() == 2) {
        m_buttons[0]->move(centre - gap - bw, by);
        m_buttons[1]->move(centre + gap, by);
    } else if (shown.size() == 3) {
        m_buttons[1]->move(centre - bw / 2, by);
        m_buttons[0]->move(m_buttons[1]->x() - gap - bw, by);
        m_buttons[2]->move(m_buttons[1]->x() + bw + gap, by);
    }
    m_agreeMode = m_rec.AgreeMode;
    m_agreeCaption = m_rec.AgreeCaption;
    m_agreeChecked = m_rec.AgreeChecked;

    m_pnlClient->setGeometry(0, 0, clientW, firstFree);
    m_pnlAgree->setGeometry(0, firstFree, clientW, kAgreePanelHeight);
    m_pnlBottom->setGeometry(0, firstFree, clientW, kBottomPanelHeight);
    setFixedSize(clientW, clientH);
}

void TMessageBox2::ArrangeControls()
{
    applyRec();
    m_pnlAgree->hide();
    if (m_agreeCaption.trimmed().isEmpty()) m_agreeMode = 0;
    if (m_agreeMode != 0) {
        m_pnlAgree->show();
        m_agree->setText(m_agreeCaption);
        m_agree->setChecked(m_agreeChecked);
        if (m_agreeMode == 1) m_buttons[0]->setEnabled(m_agree->isChecked());
        m_pnlBottom->move(0, m_pnlBottom->y() + kAgreePanelHeight);
        setFixedSize(width(), height() + kAgreePanelHeight);
    }
    setResult(0);
}

void TMessageBox2::Prepare(bool flag)
{
    m_prepared = flag;
    ArrangeControls();
}

bool TMessageBox2::agreeChecked() const
{
    return m_agreeMode != 0 ? m_agree->isChecked() : m_agreeChecked;
}

void TMessageBox2::focusResult(int result)
{
    for (auto *b : m_buttons)
        if (b->isVisibleTo(this) && b->isEnabled() && b->ModalResult() == result) b->setFocus();
}

void TMessageBox2::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (m_agreeMode == 1)
        m_agree->setFocus();
    else if (m_buttons[0]->isEnabled())
        m_buttons[0]->setFocus();
}

void TMessageBox2::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        done(2);
        return;
    }
    if (e->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(Message2ClipboardText(m_rec));
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool TMessageBox2::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < 10; ++i) {
            if (watched != m_labels[size_t(i)]) continue;
            const QString link = m_rec.Lines[size_t(i)].Link;
            if (link.isEmpty()) break;
            if (LinkOpener) LinkOpener(link);
            m_labels[size_t(i)]->setStyleSheet(QStringLiteral("color: purple"));
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TMessageBox2::done(int r)
{
    QDialog::done(r);
}

int ShowMessageBox2(TMessage2InfoRec &rec)
{
    auto *fw = dynamic_cast<FrameworkMessageService *>(&MessageService::instance());
    if (fw) return fw->showRecord(rec);

    // Another service (a test's answerer): it sees the box as a plain request.
    TMessage2InfoRec eff = rec;
    SetMessage2ById(eff.MessageId, eff);
    MessageRequest r;
    static const TMsgDlgType kinds[] = {TMsgDlgType::mtWarning, TMsgDlgType::mtError, TMsgDlgType::mtInformation,
                                        TMsgDlgType::mtConfirmation, TMsgDlgType::mtCustom};
    r.kind = kinds[qMin<int>(eff.Kind, 4)];
    r.title = eff.Title;
    QStringList lines;
    int last = -1;
    for (int i = 0; i < 10; ++i)
        if (!eff.Lines[size_t(i)].Caption.isEmpty()) last = i;
    for (int i = 0; i <= last; ++i) lines << eff.Lines[size_t(i)].Caption;
    r.text = lines.join(u'\r');
    TMsgDlgButtons offered = 0;
    for (const auto &b : Message2Buttons(eff.Buttons)) offered |= b.flag;
    r.buttons = offered;
    const int result = MessageService::instance().show(r);
    const QList<TStandardButtonInfo> shown = Message2Buttons(eff.Buttons);
    if (eff.AgreeMode == 1 && !eff.AgreeCaption.trimmed().isEmpty() && !shown.isEmpty() &&
        result == shown.first().result)
        rec.AgreeChecked = true; // the gated button only works once ticked
    return result;
}
