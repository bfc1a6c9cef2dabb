#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageDlg.h"
#include "framework/MessageDlg2.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>

namespace {
QStringList visibleCaptions(TMessageBox2 &box)
{
    QStringList out;
    for (int i = 0; i < 3; ++i)
        if (box.button(i)->isVisibleTo(&box)) out << box.button(i)->CaptionA().Caption();
    return out;
}

void prepare(TMessageBox2 &box, const TMessage2InfoRec &rec)
{
    box.ApplyMessageRec(rec);
    box.Prepare(true);
}
} // namespace

TEST(MessageBox2, EachKindRendersItsButtonsTitleAndLines)
{
    struct Case { int kind; QString title; QStringList buttons; QList<int> results; };
    const QList<Case> cases = {
        {0, QStringLiteral("警告"), {QStringLiteral("OK(&O)")}, {1}},
        {1, QStringLiteral("エラー"), {QStringLiteral("OK(&O)")}, {1}},
        {2, QStringLiteral("情報"), {QStringLiteral("OK(&O)")}, {1}},
        {3, QStringLiteral("確認"), {QStringLiteral("OK(&O)"), QStringLiteral("ｷｬﾝｾﾙ(&C)")}, {1, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        TMessage2InfoRec rec;
        InitMessage2InfoRec(c.kind, rec);
        rec.Lines[0].Caption = QStringLiteral("データの保存が完了しました。");
        rec.Lines[1].Caption = QStringLiteral("注意）この処理は元に戻せません。");
        rec.Lines[1].Color = 255;
        TMessageBox2 box;
        prepare(box, rec);
        box.show();
        EXPECT_EQ(box.windowTitle(), c.title);
        EXPECT_EQ(visibleCaptions(box), c.buttons);
        EXPECT_FALSE(box.image()->pixmap().isNull());
        EXPECT_EQ(box.label(0)->text(), rec.Lines[0].Caption);
        EXPECT_EQ(box.label(0)->pos(), QPoint(80, 24));
        EXPECT_EQ(box.label(1)->pos(), QPoint(80, 48));
        // two lines used: the height reaches the third label plus the bottom panel
        EXPECT_EQ(box.height(), 72 + 38);
        EXPECT_GE(box.width(), 530);
        const int centre = box.width() / 2;
        if (c.buttons.size() == 1) {
            EXPECT_EQ(box.button(0)->geometry().center().x(), centre);
        } else {
            EXPECT_EQ(box.button(0)->geometry().right() + 1, centre - 10);
            EXPECT_EQ(box.button(1)->x(), centre + 10);
        }
        for (int i = 0; i < c.buttons.size(); ++i) EXPECT_EQ(box.button(i)->ModalResult(), c.results[i]);
        const QString shot = fwtest::screenshot(&box, QStringLiteral("MessageBox2_kind%1").arg(c.kind));
        EXPECT_TRUE(QFileInfo(shot).size() > 0);
        box.button(int(c.buttons.size()) - 1)->click();
        EXPECT_EQ(box.result(), c.results.last());
    }
}

TEST(MessageBox2, AgreementGatesTheFirstButton)
{
    TMessage2InfoRec rec;
    InitMessage2InfoRec(3, rec);
    rec.Buttons = mbYes | mbNo;
    rec.Lines[0].Caption = QStringLiteral("データを削除します。");
    rec.AgreeMode = 1;
    rec.AgreeCaption = QStringLiteral("内容を確認しました");
    TMessageBox2 box;
    prepare(box, rec);
    box.show();
    EXPECT_TRUE(box.agreePanel()->isVisible());
    EXPECT_EQ(box.button(0)->CaptionA().Caption(), QStringLiteral("はい(&Y)"));
    EXPECT_FALSE(box.button(0)->isEnabled());
    EXPECT_EQ(box.height(), 72 + 38 + 32);
    fwtest::screenshot(&box, QStringLiteral("MessageBox2_agree"));
    box.agreeBox()->setChecked(true);
    EXPECT_TRUE(box.button(0)->isEnabled());
    box.button(0)->click();
    EXPECT_EQ(box.result(), 6);
    EXPECT_TRUE(box.agreeChecked());

    // A blank caption: no panel and no gating.
    rec.AgreeCaption = QStringLiteral("  ");
    TMessageBox2 plain;
    prepare(plain, rec);
    plain.show();
    EXPECT_FALSE(plain.agreePanel()->isVisible());
    EXPECT_TRUE(plain.button(0)->isEnabled());
}

TEST(MessageBox2, CannedMessageReplacesTheRecord)
{
    TMessage2InfoRec rec;
    InitMessage2InfoRec(0, rec);
    rec.MessageId = 0x1011;
    rec.Lines[0].Caption = QStringLiteral("ignored");
    rec.Lines[5].Caption = QStringLiteral("ignored too");
    TMessageBox2 box;
    box.SetMessageId(rec.MessageId);
    prepare(box, rec);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("情報"));
    EXPECT_EQ(box.record().Kind, 2);
    EXPECT_EQ(box.label(0)->text(), QStringLiteral("このデータは、「データの更新」処理を行うことが禁止されています。"));
    EXPECT_EQ(box.label(2)->text(), QStringLiteral("開き、[データの更新: 禁止する]項目のチェックを外して下さい。"));
    EXPECT_EQ(box.label(5)->text(), QString());

    struct Case { quint32 id; quint8 kind; TMsgDlgButtons buttons; QString title; int lines; };
    const Case cases[] = {
        {0x1010, 3, mbOK | mbCancel, QStringLiteral("確認"), 4},
        {0x1030, 3, mbOK, QStringLiteral("エラー"), 3},
        {0x10003011, 3, mbOK | mbCancel, QStringLiteral("内訳書の削除"), 4},
        {0x12345, 2, mbOK, QStringLiteral("情報"), 0},
    };
    for (const Case &c : cases) {
        TMessage2InfoRec r;
        SetMessage2ById(qint32(c.id), r);
        EXPECT_EQ(r.Kind, c.kind) << c.id;
        EXPECT_EQ(r.Buttons, c.buttons) << c.id;
        EXPECT_EQ(r.Title, c.title) << c.id;
        int used = 0;
        for (const auto &l : r.Lines) used += l.Caption.isEmpty() ? 0 : 1;
        EXPECT_EQ(used, c.lines) << c.id;
    }
    TMessage2InfoRec red;
    SetMessage2ById(0x10003012, red);
    EXPECT_EQ(red.Lines[1].Color, 255);
    EXPECT_EQ(red.Lines[1].Caption,
              QStringLiteral("注意）削除を行うと、内訳に記述してある借入先などの情報は科目情報を取り込んでも記述されません。"));
}

TEST(MessageBox2, AtMostThreeButtonsInTableOrder)
{
    TMessage2InfoRec rec;
    InitMessage2InfoRec(3, rec);
    rec.Buttons = mbHelp | mbIgnore | mbCancel | mbYes;
    rec.Lines[0].Caption = QStringLiteral("続行しますか？");
    TMessageBox2 box;
    prepare(box, rec);
    box.show();
    EXPECT_EQ(visibleCaptions(box),
              (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("ｷｬﾝｾﾙ(&C)"), QStringLiteral("無視(&I)")}));
    EXPECT_EQ(box.button(1)->geometry().center().x(), box.width() / 2);
    EXPECT_EQ(box.button(0)->geometry().right() + 1, box.button(1)->x() - 10);
    EXPECT_EQ(box.button(2)->x(), box.button(1)->geometry().right() + 1 + 10);
}

TEST(MessageBox2, EscReturnsCancelAndCtrlCCopies)
{
    TMessage2InfoRec rec;
    InitMessage2InfoRec(1, rec);
    rec.Lines[0].Caption = QStringLiteral("一行目");
    rec.Lines[1].Caption = QStringLiteral("二行目");
    TMessageBox2 box;
    prepare(box, rec);
    fwtest::showActive(&box);
    fwtest::press(&box, Qt::Key_C, Qt::ControlModifier);
    const QString rule(27, u'-');
    QString expected = rule + "\r\n" + QStringLiteral("エラー") + "\r\n" + rule + "\r\n" + QStringLiteral("一行目\r\n二行目\r\n");
    for (int i = 2; i < 10; ++i) expected += QStringLiteral("\r\n");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    fwtest::press(&box, Qt::Key_Escape);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), 2);
}

TEST(MessageBox2, LinkLineOpensItsTarget)
{
    QString opened;
    auto saved = LinkOpener;
    LinkOpener = [&](const QString &t) { opened = t; };
    TMessage2InfoRec rec;
    InitMessage2InfoRec(2, rec);
    rec.Lines[0].Caption = QStringLiteral("サポートページ");
    rec.Lines[0].Link = QStringLiteral("https://example.com/support");
    TMessageBox2 box;
    prepare(box, rec);
    box.show();
    EXPECT_TRUE(box.label(0)->font().underline());
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(box.label(0), &up);
    EXPECT_EQ(opened, rec.Lines[0].Link);
    LinkOpener = saved;
}

TEST(MessageBox2, ScriptedServiceSeesThePlainRequest)
{
    ScriptedMessages scripted;
    scripted.answer(mrYes);
    TMessage2InfoRec rec;
    InitMessage2InfoRec(3, rec);
    rec.Buttons = mbYes | mbNo;
    rec.Lines[0].Caption = QStringLiteral("一行目");
    rec.Lines[2].Caption = QStringLiteral("三行目");
    rec.AgreeMode = 1;
    rec.AgreeCaption = QStringLiteral("同意する");
    EXPECT_EQ(ShowMessageBox2(rec), mrYes);
    ASSERT_EQ(scripted.shown.size(), 1);
    EXPECT_EQ(scripted.shown[0].kind, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(scripted.shown[0].title, QStringLiteral("確認"));
    EXPECT_EQ(scripted.shown[0].text, QStringLiteral("一行目\r\r三行目"));
    EXPECT_EQ(scripted.shown[0].buttons, TMsgDlgButtons(mbYes | mbNo));
    EXPECT_TRUE(rec.AgreeChecked);
}

TEST(MessageBox2, FrameworkServiceShowsItsBoxForEveryMessage)
{
    MessageService *previous = &MessageService::instance();
    InstallFrameworkMessageService();
    auto savedRunner = ModalRunner;
    QString title;
    QStringList captions, lines;
    ModalRunner = [&](QDialog &d) {
        auto &box = dynamic_cast<TMessageBox2 &>(d);
        title = box.windowTitle();
        captions = visibleCaptions(box);
        for (int i = 0; i < 10; ++i) lines << box.label(i)->text();
        box.show();
        box.button(1)->click();
        return box.result();
    };
    EXPECT_EQ(MessageDlg(QStringLiteral("保存しますか？\r変更は失われます。"), TMsgDlgType::mtConfirmation, mbOK | mbCancel), mrCancel);
    EXPECT_EQ(title, QStringLiteral("確認"));
    EXPECT_EQ(captions, (QStringList{QStringLiteral("OK(&O)"), QStringLiteral("ｷｬﾝｾﾙ(&C)")}));
    EXPECT_EQ(lines.mid(0, 3), (QStringList{QStringLiteral("保存しますか？"), QStringLiteral("変更は失われます。"), QString()}));

    // A long text keeps every line: the rest joins the tenth.
    lines.clear();
    QStringList many;
    for (int i = 1; i <= 12; ++i) many << QString::number(i);
    ModalRunner = [&](QDialog &d) {
        auto &box = dynamic_cast<TMessageBox2 &>(d);
        for (int i = 0; i < 10; ++i) lines << box.label(i)->text();
        return 1;
    };
    MessageDlg(many.join(u'\r'), TMsgDlgType::mtInformation, mbOK);
    EXPECT_EQ(lines.last(), QStringLiteral("10　11　12"));

    ModalRunner = savedRunner;
    MessageService::install(previous);
}

TEST(MessageBox, ModesGiveTheirButtons)
{
    struct Case { int mode; bool okVisible; QString cancelCaption; int cancelResult; bool agree; bool okEnabled; };
    const Case cases[] = {
        {0, true, QStringLiteral("キャンセル"), 2, false, true},
        {1, false, QStringLiteral("OK"), 1, false, true},
        {2, true, QStringLiteral("キャンセル"), 2, true, false},
        {3, true, QStringLiteral("キャンセル"), 2, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode);
        TMessageBox box;
        box.Mode = c.mode;
        box.Caption = QStringLiteral("データの削除");
        box.MainText = QStringLiteral("次のデータを削除します。よろしいですか？");
        box.MainColor = Qt::red;
        box.SetMessageLines({QStringLiteral("001 株式会社サンプル商事"), QStringLiteral("002 有限会社テスト")});
        box.Prepare(true);
        box.show();
        EXPECT_EQ(box.windowTitle(), QStringLiteral("データの削除"));
        EXPECT_EQ(box.btnOK->isVisible(), c.okVisible);
        EXPECT_EQ(box.btnOK->CaptionA().Caption(), QStringLiteral("OK"));
        EXPECT_EQ(box.btnCancel->CaptionA().Caption(), c.cancelCaption);
        EXPECT_EQ(box.btnCancel->ModalResult(), c.cancelResult);
        EXPECT_EQ(box.cboxAgree->isVisible(), c.agree);
        EXPECT_EQ(box.btnOK->isEnabled(), c.okEnabled);
        EXPECT_EQ(box.size(), QSize(504, 293));
        EXPECT_EQ(box.MessageArea->toPlainText(), QStringLiteral("001 株式会社サンプル商事\n002 有限会社テスト"));
        EXPECT_EQ(QApplication::focusWidget() == box.btnCancel || !box.isActiveWindow(), true);
        fwtest::screenshot(&box, QStringLiteral("MessageBox_mode%1").arg(c.mode));
        if (c.mode == 2) {
            box.cboxAgree->setChecked(true);
            EXPECT_TRUE(box.btnOK->isEnabled());
            box.btnOK->click();
            EXPECT_EQ(box.result(), 1);
        } else {
            box.btnCancel->click();
            EXPECT_EQ(box.result(), c.cancelResult);
        }
    }
}

TEST(MessageBox, NoLinesMakesTheBoxShorterAndEscCancels)
{
    TMessageBox box;
    box.Mode = 0;
    box.MainText = QStringLiteral("処理を中止しますか？");
    box.Prepare(true);
    fwtest::showActive(&box);
    EXPECT_FALSE(box.MessageArea->isVisible());
    EXPECT_EQ(box.height(), 293 - 156);
    fwtest::tap(box.btnCancel, Qt::Key_Escape);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), 2);
}

TEST(MessageBox, F12ClicksOk)
{
    TMessageBox box;
    box.MainText = QStringLiteral("実行しますか？");
    box.Prepare(true);
    fwtest::showActive(&box);
    fwtest::tap(box.btnCancel, Qt::Key_F12);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), 1);
}

TEST(MessageBox, ScriptedServiceSeesTheInfoRecord)
{
    ScriptedMessages scripted;
    scripted.answer(mrOk);
    TMessageInfoRec rec;
    InitMessageInfoRec(rec);
    EXPECT_EQ(rec.Color, 255);
    EXPECT_EQ(int(rec.Position), 7);
    rec.Mode = 1;
    rec.Caption = QStringLiteral("確認");
    rec.Text = QStringLiteral("完了しました。");
    rec.Lines = QStringList{QStringLiteral("明細")};
    EXPECT_EQ(ShowMessageBox(rec), mrOk);
    ASSERT_EQ(scripted.shown.size(), 1);
    EXPECT_EQ(scripted.shown[0].text, QStringLiteral("完了しました。\r明細"));
    EXPECT_EQ(scripted.shown[0].buttons, TMsgDlgButtons(mbOK));
}
