#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "dbaccess/Globals.h"
#include "framework/GamenKeyValue.h"
#include "framework/SDI.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "support/DbFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>

#include <memory>

namespace {
void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A finished form as a subclass sets it up.
class SampleForm : public TBSDI
{
public:
    explicit SampleForm(TFormBorderStyle style = TFormBorderStyle::bsDialog) : TBSDI(nullptr, style)
    {
        setObjectName(QStringLiteral("SampleForm"));
        setWindowTitle(QStringLiteral("データ検索"));
        resize(520, 300);
        auto *label = new QLabel(QStringLiteral("会社名"), this);
        label->setGeometry(16, 18, 80, 20);
        edit = new TxEdit(this);
        edit->setObjectName(QStringLiteral("Edit1"));
        edit->setGeometry(100, 16, 200, 22);
        edit->setText(QStringLiteral("株式会社サンプル"));
        edit->setToolTip(QStringLiteral("会社名|検索する会社名の一部を入力します。"));
        combo = new TxComboBox(this);
        combo->setObjectName(QStringLiteral("ComboBox1"));
        combo->setGeometry(100, 46, 200, 22);
        combo->addItems({QStringLiteral("1:法人"), QStringLiteral("2:個人(一般)")});
        check = new TxCheckBox(QStringLiteral("削除済みも表示する"), this);
        check->setGeometry(100, 76, 200, 22);
        radio = new TxRadioButton(QStringLiteral("全データ"), this);
        radio->setGeometry(100, 104, 200, 22);
        memo = new QPlainTextEdit(this);
        memo->setObjectName(QStringLiteral("HintMemo"));
        memo->setGeometry(16, 140, 488, 60);
        HintMemo = memo;
        const QStringList keys{QStringLiteral("ESC:終了"), QStringLiteral("F1:ヘルプ"), QStringLiteral("F3:"),
                               QStringLiteral("F8:印刷"), QStringLiteral("F12:OK")};
        int x = 16;
        for (const QString &k : keys) {
            auto *b = new TxPlButton(this);
            b->setGeometry(x, 250, 90, 30);
            b->setGradEndColor(QColor(182, 182, 182));
            b->CaptionA().setCaption(k);
            x += 98;
            buttons << b;
        }
        btnEnd = buttons.last();
        btnEnd->setObjectName(QStringLiteral("btnOK"));
        EndButton = btnEnd;
        CreateDone = true;
    }
    TxEdit *edit;
    TxComboBox *combo;
    TxCheckBox *check;
    TxRadioButton *radio;
    QPlainTextEdit *memo;
    QList<TxPlButton *> buttons;
    TxPlButton *btnEnd;
};
} // namespace

TEST(BaseFormArithmetic, ScaleForTheOperatorsFont)
{
    struct Case { int design, user, screen; int percent, ppi, base; };
    const Case cases[] = {
        {8, 9, 96, 112, 108, 96},   // 112.5 truncated; 107.52 rounded up
        {10, 15, 96, 150, 144, 96}, // the design font of 10 points works from the screen's resolution
        {10, 10, 96, 100, 96, 96},
        {10, 12, 120, 115, 138, 120}, // 15 px over 13 px (12.5 rounded)
        {9, 9, 144, 100, 96, 96},
    };
    for (const Case &c : cases) {
        const TFormScale s = ComputeFormScale(c.design, c.user, c.screen);
        EXPECT_EQ(s.percent, c.percent) << c.design << "/" << c.user;
        EXPECT_EQ(s.ppi, c.ppi) << c.design << "/" << c.user;
        EXPECT_EQ(s.base, c.base) << c.design << "/" << c.user;
    }
}

TEST(BaseFormArithmetic, DefaultSizeAndHints)
{
    EXPECT_EQ(DefaultFormSize(96, 4), QSize(1012, 648));
    EXPECT_EQ(DefaultFormSize(108, 0), QSize(1138, 729));
    EXPECT_EQ(DefaultFormSize(96, 6), QSize(1008, 644));
    EXPECT_EQ(LongHint(QStringLiteral("短い|長い説明|続き")), QStringLiteral("長い説明|続き"));
    EXPECT_EQ(LongHint(QStringLiteral("説明のみ")), QStringLiteral("説明のみ"));
    EXPECT_EQ(TBSDI::InitFailedText(QStringLiteral("データ選択")),
              QStringLiteral("データ選択画面の初期化に失敗しました。\r処理を終了します。"));
}

TEST(BaseForm, EscClosesADialogStyleForm)
{
    auto *f = new SampleForm;
    QPointer<SampleForm> guard(f);
    fwtest::showActive(f);
    fwtest::tap(f->edit, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_TRUE(f->isVisible());
    fwtest::tap(f->edit, Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(f->result(), 2);
    flushDeletes();
    EXPECT_TRUE(guard.isNull()); // freed unless kept
}

TEST(BaseForm, AFormOnTheStackOrInsideAnotherIsNotFreedByClosing)
{
    // Closed and the deferred deletions run while the forms still live: a
    // form that freed itself here would be destroyed twice.
    SampleForm onStack;
    struct Holder {
        SampleForm inside;
    };
    auto holder = std::make_unique<Holder>();
    for (SampleForm *f : {&onStack, &holder->inside}) {
        fwtest::showActive(f);
        fwtest::tap(f->edit, Qt::Key_Escape);
        EXPECT_FALSE(f->isVisible());
    }
    QPointer<SampleForm> stackGuard(&onStack), insideGuard(&holder->inside);
    flushDeletes();
    EXPECT_FALSE(stackGuard.isNull());
    EXPECT_FALSE(insideGuard.isNull());
}

TEST(BaseForm, EscDoesNothingOnAResizableFormAndF12ClosesIt)
{
    SampleForm f(TFormBorderStyle::bsSizeable);
    f.KeepOnClose = true;
    f.WriteHistory = f.SaveFormSize = f.ReloadAccInfo = false; // no databases here
    fwtest::showActive(&f);
    fwtest::tap(f.edit, Qt::Key_Escape);
    EXPECT_TRUE(f.isVisible());
    fwtest::tap(f.edit, Qt::Key_F12);
    EXPECT_FALSE(f.isVisible());
}

TEST(BaseForm, F12ClicksTheEndButtonOnlyWhenItCanAct)
{
    SampleForm f;
    f.KeepOnClose = true;
    int clicks = 0;
    fwtest::showActive(&f);
    f.edit->setFocus();
    fwtest::tap(f.edit, Qt::Key_F12);
    EXPECT_EQ(clicks, 0); // no handler
    QObject::connect(f.btnEnd, &TxPlButton::clicked, [&] { ++clicks; });
    f.btnEnd->setEnabled(false);
    fwtest::tap(f.edit, Qt::Key_F12);
    EXPECT_EQ(clicks, 0);
    f.btnEnd->setEnabled(true);
    f.btnEnd->hide();
    fwtest::tap(f.edit, Qt::Key_F12);
    EXPECT_EQ(clicks, 0);
    f.btnEnd->show();
    fwtest::tap(f.edit, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(clicks, 0);
    fwtest::tap(f.edit, Qt::Key_F12);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(QApplication::focusWidget(), f.btnEnd);
    EXPECT_TRUE(f.isVisible()); // the button has no modal result
}

TEST(BaseForm, HintMemoShowsTheLongHintOfTheFocusedControl)
{
    SampleForm f;
    f.KeepOnClose = true;
    fwtest::showActive(&f);
    f.edit->setFocus();
    EXPECT_EQ(f.memo->toPlainText(), QStringLiteral("検索する会社名の一部を入力します。"));
    f.check->setFocus();
    EXPECT_EQ(f.memo->toPlainText(), QString());
    const QString shot = fwtest::screenshot(&f, QStringLiteral("SampleForm"));
    EXPECT_FALSE(QImage(shot).isNull());
}

TEST(BaseForm, UnfinishedSetUpReportsAndCloses)
{
    class Broken : public TBSDI
    {
    public:
        Broken() { setWindowTitle(QStringLiteral("データ選択")); } // CreateDone never switched on
    };
    ScriptedMessages scripted;
    scripted.answer(mrYes);
    auto *f = new Broken;
    f->KeepOnClose = true;
    f->show();
    QApplication::processEvents();
    ASSERT_EQ(scripted.shown.size(), 1);
    EXPECT_EQ(scripted.shown[0].text, QStringLiteral("データ選択画面の初期化に失敗しました。\r処理を終了します。"));
    EXPECT_EQ(scripted.shown[0].kind, TMsgDlgType::mtError);
    EXPECT_EQ(scripted.shown[0].buttons, TMsgDlgButtons(mbYes));
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(f->result(), 2);
    delete f;
}

class BaseFormDbTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        SystemDef.OpCode = 100010;
    }
};

TEST_F(BaseFormDbTest, StoresTheSizePerOperatorAndAppliesItNextTime)
{
    {
        SampleForm f(TFormBorderStyle::bsSizeable);
        f.KeepOnClose = true;
        f.WriteHistory = false;
        f.show();
        EXPECT_EQ(scalar("ACCDEF", "SELECT FMWIDTH||','||FMHEIGHT||','||FMTOP||','||FMLEFT||','||FMDEFWIDTH FROM FORMRSIZE "
                                   "WHERE OPCODE=100010 AND FMNAME='SampleForm'"),
                  QStringLiteral("1012,648,0,0,1012"));
        EXPECT_EQ(f.size(), QSize(1012, 648).boundedTo(f.maximumSize())); // at 96 dpi no larger than the screen
        EXPECT_EQ(f.minimumSize(), QSize(312, 180)); // 0.6 of 520 x 300
        f.move(30, 40);
        f.resize(700, 500);
        f.close();
    }
    EXPECT_EQ(scalar("ACCDEF", "SELECT FMWIDTH||','||FMHEIGHT||','||FMTOP||','||FMLEFT FROM FORMRSIZE "
                               "WHERE OPCODE=100010 AND FMNAME='SampleForm'"),
              QStringLiteral("700,500,40,30"));
    SampleForm again(TFormBorderStyle::bsSizeable);
    again.KeepOnClose = true;
    again.WriteHistory = false;
    again.show();
    EXPECT_EQ(again.size(), QSize(700, 500));
    EXPECT_EQ(again.pos(), QPoint(30, 40));
    // Another operator has a row of its own.
    again.close();
    SystemDef.OpCode = 100020;
    SampleForm other(TFormBorderStyle::bsSizeable);
    other.KeepOnClose = true;
    other.WriteHistory = false;
    other.show();
    EXPECT_EQ(other.size(), QSize(1012, 648).boundedTo(other.maximumSize()));
    EXPECT_EQ(scalar("ACCDEF", "SELECT COUNT(*) FROM FORMRSIZE"), QStringLiteral("2"));
    other.close();
}

TEST_F(BaseFormDbTest, OpeningAndClosingWriteTheOperationLog)
{
    SampleForm f(TFormBorderStyle::bsSizeable);
    f.KeepOnClose = true;
    f.SaveFormSize = false;
    f.ReloadAccInfo = false;
    f.show();
    EXPECT_EQ(scalar("ACCDAT", "SELECT OPCODE||','||JOBNAME||','||PCNAME FROM OPINF"), QStringLiteral("100010,データ検索,PC01"));
    EXPECT_FALSE(scalar("ACCDAT", "SELECT OPENTIME FROM OPINF").isEmpty());
    EXPECT_TRUE(ProcHistoryOpened);
    // A second show of a kept form writes nothing more.
    f.hide();
    f.show();
    EXPECT_EQ(scalar("ACCDAT", "SELECT COUNT(*) FROM OPINF"), QStringLiteral("1"));
    f.close();
    EXPECT_EQ(scalar("ACCDAT", "SELECT COUNT(*) FROM OPINF"), QStringLiteral("0"));
}

TEST_F(BaseFormDbTest, DialogStyleFormsKeepNeitherSizeNorLog)
{
    SampleForm f;
    f.KeepOnClose = true;
    f.show();
    f.close();
    EXPECT_EQ(scalar("ACCDAT", "SELECT COUNT(*) FROM OPINF"), QStringLiteral("0"));
    EXPECT_EQ(scalar("ACCDEF", "SELECT COUNT(*) FROM FORMRSIZE"), QStringLiteral("0"));
}

TEST_F(BaseFormDbTest, SavedScreenValues)
{
    TGamenKeyValue v;
    QString out;
    v.HozonValue(QStringLiteral("DataPrint"), QStringLiteral("　1,0,2  "));
    v.FukugenValue(QStringLiteral("dataprint"), out);
    EXPECT_EQ(out, QStringLiteral("1,0,2"));
    EXPECT_EQ(scalar("ACCDEF", "SELECT STYLENAME||','||LINECOLOR1||','||NETCOLOR2 FROM STYLECOLOR"),
              QStringLiteral("020-DATAPRINT,-1,-1"));

    // Long keys are cut to 40 bytes: keys equal in their first 36 characters share a value.
    const QString base(36, u'K');
    v.HozonValue(base + QStringLiteral("AAAAAAAAAAAAAA"), QStringLiteral("first"));
    v.FukugenValue(base + QStringLiteral("BBBBBBBBBBBBBB"), out);
    EXPECT_EQ(out, QStringLiteral("first"));
    EXPECT_EQ(v.styleName().size(), 40);
    // a double-byte character that would straddle byte 40 is left out
    EXPECT_EQ(TGamenKeyValue::StyleNameOf(QString(35, u'x') + QStringLiteral("画面")), QStringLiteral("020-") + QString(35, u'X'));

    // Values are cut to 1,024 bytes, never inside a double-byte character.
    v.HozonValue(QStringLiteral("LONG"), QString(2000, u'a'));
    v.FukugenValue(QStringLiteral("LONG"), out);
    EXPECT_EQ(out.size(), 1024);
    v.HozonValue(QStringLiteral("LONG"), QStringLiteral("a") + QString(1000, u'あ'));
    v.FukugenValue(QStringLiteral("LONG"), out);
    EXPECT_EQ(out.size(), 1 + 511); // 1,023 bytes

    // The form keeps its value under its name.
    SampleForm f;
    f.GamenValue = QStringLiteral("3");
    f.PutGamenValue();
    f.GamenValue.clear();
    f.GetGamenValue();
    EXPECT_EQ(f.GamenValue, QStringLiteral("3"));

    // Without an operator nothing is read or saved.
    SystemDef.OpCode = 0;
    TGamenKeyValue none;
    none.HozonValue(QStringLiteral("NOOP"), QStringLiteral("x"));
    none.FukugenValue(QStringLiteral("DataPrint"), out);
    EXPECT_EQ(out, QString());
    EXPECT_EQ(scalar("ACCDEF", "SELECT COUNT(*) FROM STYLECOLOR WHERE STYLENAME='020-NOOP'"), QStringLiteral("0"));
}
