#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "dbaccess/Globals.h"
#include "framework/DorvelEdit.h"
#include "framework/HtmlHelp.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "framework/z5InputDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>

namespace {
// The dialog prepared and shown without a modal loop; the owner keeps it after closing.
TInputDlgBox *openBox(int mode, const QString &value = QString())
{
    auto *box = new TInputDlgBox;
    box->KeepOnClose = true;
    box->InputMode = mode;
    box->Caption = QStringLiteral("パスワード入力");
    box->Message = QStringLiteral("パスワードを入力してください。");
    box->Value = value;
    box->Prepare(true);
    fwtest::showActive(box);
    return box;
}
} // namespace

TEST(InputDlgTest, PasswordModeRefusesAnEmptyOrBlankInput)
{
    for (const QString &typed : {QString(), QStringLiteral("  "), QStringLiteral("　 ")}) {
        std::unique_ptr<TInputDlgBox> box(openBox(1));
        EXPECT_TRUE(box->RequireInput);
        EXPECT_TRUE(box->btnFuseji->isVisible());
        EXPECT_EQ(box->txtInput->echoMode(), QLineEdit::Password);
        box->txtInput->setText(typed);
        ScriptedMessages msgs;
        msgs.answer(mrOk);
        box->btnOK->click();
        ASSERT_EQ(msgs.shown.size(), 1);
        EXPECT_EQ(msgs.shown[0].kind, TMsgDlgType::mtInformation);
        EXPECT_EQ(msgs.shown[0].text, QStringLiteral("入力してから[OK]ボタンを押して下さい。"));
        EXPECT_TRUE(box->isVisible()); // the dialog stays open
        EXPECT_EQ(box->result(), 0);
    }
}

TEST(InputDlgTest, PasswordIsReturnedAsEnteredAndCanBeUnmasked)
{
    std::unique_ptr<TInputDlgBox> box(openBox(1));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("パスワード入力"));
    EXPECT_EQ(box->lblMain->text(), QStringLiteral("パスワードを入力してください。"));
    box->btnFuseji->setChecked(true);
    EXPECT_EQ(box->txtInput->echoMode(), QLineEdit::Normal);
    box->btnFuseji->setChecked(false);
    EXPECT_EQ(box->txtInput->echoMode(), QLineEdit::Password);
    box->txtInput->setText(QStringLiteral(" secret "));
    ScriptedMessages msgs;
    box->btnOK->click();
    EXPECT_EQ(box->result(), 1);
    EXPECT_EQ(box->Value, QStringLiteral(" secret ")); // untrimmed
    EXPECT_FALSE(box->isVisible());
}

TEST(InputDlgTest, TextModeShowsNoMaskAndAcceptsAnEmptyText)
{
    std::unique_ptr<TInputDlgBox> box(openBox(0, QStringLiteral("新しいデータ")));
    EXPECT_FALSE(box->btnFuseji->isVisible());
    EXPECT_TRUE(box->pnlText->isVisible());
    EXPECT_EQ(box->txtInput->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(box->txtInput->text(), QStringLiteral("新しいデータ"));
    EXPECT_TRUE(box->txtInput->hasFocus());
    box->txtInput->clear();
    ScriptedMessages msgs;
    box->btnOK->click();
    EXPECT_EQ(box->result(), 1);
    EXPECT_EQ(box->Value, QString());
}

TEST(InputDlgTest, ComboModeRequiresAChoiceWhenAsked)
{
    auto *raw = new TInputDlgBox;
    std::unique_ptr<TInputDlgBox> box(raw);
    box->KeepOnClose = true;
    box->InputMode = 2;
    box->RequireInput = true;
    box->ComboItems = {QStringLiteral("1:本社"), QStringLiteral("2:大阪支店")};
    box->Prepare(true);
    fwtest::showActive(raw);
    EXPECT_TRUE(box->pnlCombo->isVisible());
    EXPECT_FALSE(box->pnlText->isVisible());
    EXPECT_EQ(box->pnlCombo->geometry(), box->pnlText->geometry());
    EXPECT_EQ(box->cmbInput->count(), 2);
    {
        ScriptedMessages msgs;
        msgs.answer(mrOk);
        box->btnOK->click();
        ASSERT_EQ(msgs.shown.size(), 1);
        EXPECT_EQ(msgs.shown[0].text, QStringLiteral("入力または選択してから[OK]ボタンを押して下さい。"));
    }
    box->cmbInput->setCurrentIndex(1);
    ScriptedMessages msgs;
    box->btnOK->click();
    EXPECT_EQ(box->result(), 1);
    EXPECT_EQ(box->Value, QStringLiteral("2:大阪支店"));
}

TEST(InputDlgTest, AmountModeFormatsAndAnEmptyAmountIsZero)
{
    {
        std::unique_ptr<TInputDlgBox> box(openBox(3));
        EXPECT_TRUE(box->pnlKingaku->isVisible());
        EXPECT_TRUE(box->txtKingaku->hasFocus());
        for (auto [key, text] : {std::pair{Qt::Key_1, "1"}, std::pair{Qt::Key_5, "5"}, std::pair{Qt::Key_Period, "."}})
            fwtest::tap(box->txtKingaku, key, Qt::NoModifier, QString::fromLatin1(text));
        EXPECT_EQ(box->txtKingaku->text(), QStringLiteral("15,000"));
        ScriptedMessages msgs;
        box->btnOK->click();
        EXPECT_EQ(box->Value, QStringLiteral("15,000"));
    }
    std::unique_ptr<TInputDlgBox> box(openBox(3));
    box->txtKingaku->clear();
    ScriptedMessages msgs;
    box->btnOK->click();
    EXPECT_EQ(box->result(), 1);
    EXPECT_EQ(box->Value, QStringLiteral("0"));
}

TEST(InputDlgTest, CancelAndEscGiveTwo)
{
    {
        std::unique_ptr<TInputDlgBox> box(openBox(0));
        box->btnCancel->click();
        EXPECT_EQ(box->result(), 2);
    }
    std::unique_ptr<TInputDlgBox> box(openBox(0));
    fwtest::tap(box->txtInput, Qt::Key_Escape);
    EXPECT_EQ(box->result(), 2);
}

TEST(InputDlgTest, KeyFilters)
{
    const struct {
        int filter;
        const char *accepted, *refused;
    } cases[] = {
        {10, "0129-.\b\r", "aZ/ "},
        {20, "aZq\b\r", "1-. "},
        {30, "aZ09\b\r", "-. _"},
        {40, "aZ1-. \bあ", "\"*,/:;<>?\\|"},
        {0, "\"*/a1", ""},
        {99, "\"*/a1", ""},
    };
    for (const auto &c : cases) {
        for (QChar ch : QString::fromUtf8(c.accepted)) EXPECT_TRUE(InputKeyFilterAccepts(c.filter, ch)) << c.filter << " " << int(ch.unicode());
        for (QChar ch : QString::fromUtf8(c.refused)) EXPECT_FALSE(InputKeyFilterAccepts(c.filter, ch)) << c.filter << " " << int(ch.unicode());
    }
    std::unique_ptr<TInputDlgBox> box(openBox(0));
    box->SetKeyFilter(10);
    box->txtInput->clear();
    for (QChar ch : QStringLiteral("-1a.5/"))
        fwtest::tap(box->txtInput, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    EXPECT_EQ(box->txtInput->text(), QStringLiteral("-1.5"));
    // Pasting is a key of its own, which the filter refuses as well.
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    fwtest::tap(box->txtInput, Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)));
    EXPECT_EQ(box->txtInput->text(), QStringLiteral("-1.5"));
}

TEST(HtmlHelpTest, PagesOpenUnderTheHelpFolder)
{
    const struct {
        const char *page, *path;
    } cases[] = {{"file01.html", "/opt/app/help/rirev/olm.files/file01.html"},
                 {"kyoyudata.html", "/opt/app/help/rirev/olm.files/kyoyudata.html"},
                 {"olm.html", "/opt/app/help/rirev/olm.html"},
                 {"", ""}};
    for (const auto &c : cases)
        EXPECT_EQ(HtmlManualPath(QStringLiteral("/opt/app/help"), QString::fromUtf8(c.page)), QString::fromUtf8(c.path));

    auto savedOpener = HelpOpener;
    const QString savedDir = SystemDef.HelpDir;
    SystemDef.HelpDir = QStringLiteral("/opt/app/help");
    QList<QUrl> opened;
    bool ok = true;
    HelpOpener = [&](const QUrl &u) {
        opened << u;
        return ok;
    };
    EXPECT_EQ(OpenHtmlManual(QStringLiteral("file01.html")), 0);
    EXPECT_EQ(OpenHtmlManual(QString()), 0);
    ok = false;
    EXPECT_EQ(OpenHtmlManual(QStringLiteral("nothing.html")), -1); // reported to the caller only
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QStringLiteral("/opt/app/help/rirev/olm.files/file01.html")));
    HelpOpener = savedOpener;
    SystemDef.HelpDir = savedDir;
}

TEST(HtmlHelpTest, TheShippedManualHasItsPages)
{
    const QString help = QStringLiteral(PROJECT_RESOURCES_DIR) + QStringLiteral("/help");
    for (const char *page : {"olm.html", "file01.html", "kyoyudata.html"})
        EXPECT_TRUE(QFileInfo::exists(HtmlManualPath(help, QString::fromUtf8(page)))) << page;
}
