#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/SDI.h"
#include "framework/WebMenuL.h"
#include "framework/xPlButton.h"
#include "support/DbFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>

namespace {

class WebMenuLTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        SystemDef.OpCode = 100010;
        // The operator's grid colours (white rows, a light header).
        SystemDef.SysDef.ClientColor1 = 16777215;
        SystemDef.SysDef.ClientColor2 = 16777215;
        SystemDef.SysDef.ColHeaderColor = 14215660;
        savedRunner = ModalRunner;
        savedHook = MenuCallbackHook;
        MenuCallbackHook = nullptr;
        // Our own login is always in the list.
        logon(100010, QStringLiteral("PC01"), 10);
    }
    void TearDown() override
    {
        ModalRunner = savedRunner;
        MenuCallbackHook = savedHook;
        DbFixture::TearDown();
    }
    void logon(int opId, const QString &pc, int code)
    {
        exec("ACCDEF", QStringLiteral("INSERT INTO LOGONUSERLIST (OPCODE,PCNAME,APPVERSION,GROUPID,OPERATORCODE) "
                                      "VALUES (%1,'%2',2,10000,%3)")
                           .arg(opId)
                           .arg(pc)
                           .arg(code));
    }
    // Runs the modal form like the application would, with a deadline; the
    // test's own steps run once the form is up.
    void runModal(const std::function<void(TfmWebMenuL &)> &steps)
    {
        ModalRunner = [this, steps](QDialog &d) {
            // The steps run once the form is up.
            QTimer poll;
            bool done = false;
            QObject::connect(&poll, &QTimer::timeout, &d, [&] {
                if (!done && steps && d.isVisible()) {
                    done = true;
                    steps(static_cast<TfmWebMenuL &>(d));
                }
            });
            QTimer deadline;
            deadline.setSingleShot(true);
            QObject::connect(&deadline, &QTimer::timeout, &d, [&d] {
                ADD_FAILURE() << "the list did not close";
                d.done(0);
            });
            deadline.start(3000);
            const int r = fwtest::execUntilDone(d, [&poll] { poll.start(20); });
            closedResult = d.result();
            return r;
        };
    }

    int closedResult = -1;
    std::function<int(QDialog &)> savedRunner;
    std::function<int(int, const QString &)> savedHook;
};

TEST_F(WebMenuLTest, ListsTheOtherLoginsAndClosesWithF12)
{
    exec("ACCDEF", QStringLiteral("INSERT INTO OPERATOR (GROUPID,OPCODE,OPNAME,JOBLEVEL,PASWORD,DATAPAS,JIMUSHO,"
                                  "OKINIIRI,KANSA,SISETUNO,MYNUMBER_ADM,SHONIN) "
                                  "VALUES (10000,20,'経理 花子',1,'','',0,0,0,0,0,0)"));
    logon(100020, QStringLiteral("PC02"), 20);
    logon(100030, QStringLiteral("PC03"), 30); // no OPERATOR row

    QStringList cells;
    QString hint;
    runModal([&](TfmWebMenuL &f) {
        for (int r = 0; r < f.PerfectGrid1->rowCount(); ++r)
            for (int c = 0; c < 3; ++c)
                cells << (f.PerfectGrid1->item(r, c) ? f.PerfectGrid1->item(r, c)->text() : QStringLiteral("?"));
        hint = f.HintArea->toPlainText();
        fwtest::screenshot(&f, QStringLiteral("logged_on_users"));
        // Esc does nothing here; F12 closes.
        fwtest::tap(&f, Qt::Key_Escape);
        EXPECT_TRUE(f.isVisible());
        fwtest::tap(f.F12, Qt::Key_F12);
    });
    auto *form = new TfmWebMenuL;
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ログインユーザー"));
    EXPECT_EQ(form->UserCount(), 2);
    EXPECT_EQ(form->PerfectGrid1->horizontalHeaderItem(2)->text(), QStringLiteral("オペレータ名"));
    EXPECT_EQ(form->Execute(true), 1);
    EXPECT_EQ(cells, (QStringList{"1", "20", "経理 花子", "2", "30", ""}));
    EXPECT_TRUE(hint.startsWith(QStringLiteral("他のオペレーターがドルベル財務を利用中のため、バ\n")));
    EXPECT_EQ(closedResult, 1);
}

TEST_F(WebMenuLTest, OnlyOurOwnLoginClosesAtOnce)
{
    runModal({});
    auto *form = new TfmWebMenuL;
    EXPECT_EQ(form->UserCount(), 0);
    EXPECT_EQ(form->Execute(true), 0);
    EXPECT_EQ(closedResult, 2);
}

TEST_F(WebMenuLTest, RefusedWhileOtherProcessesAreOpen)
{
    logon(100020, QStringLiteral("PC02"), 20);
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    bool ran = false;
    ModalRunner = [&ran](QDialog &) {
        ran = true;
        return 1;
    };
    MenuCallbackHook = [](int code, const QString &) { return code == 10 ? 1 : 0; };
    auto *form = new TfmWebMenuL;
    EXPECT_EQ(form->Execute(true), 0);
    EXPECT_FALSE(ran);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("メニュー以外の処理が開いています。\r全ての処理を閉じてから処理を実行してください。"));
}

TEST_F(WebMenuLTest, RegisteredByName)
{
    ProcessRegistry().clear();
    RegisterWebMenuL();
    QWidget *form = ProcessRegistry().CreateProcessForm(QStringLiteral("webmenul"));
    ASSERT_NE(form, nullptr);
    EXPECT_NE(qobject_cast<TfmWebMenuL *>(form), nullptr);
    form->deleteLater();
}

} // namespace
