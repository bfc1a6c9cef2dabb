#include "support/TestEnv.h"

#include "framework/FrameworkMessages.h"
#include "framework/ProcessForm.h"
#include "framework/SDI.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>

namespace {
// What the test forms saw.
struct Seen {
    int created = 0;
    QStringList params;
    int executeCalls = 0;
    bool modal = false;
    int nestedResult = 99;
    bool shownWhenNested = false;
};
Seen g_seen;
std::function<void()> g_onCreate;
std::function<void(QWidget *)> g_onExecute;

class TestProcessForm : public TBSDI, public IProcessForm
{
    Q_OBJECT
public:
    explicit TestProcessForm(QWidget *parent = nullptr) : TBSDI(parent)
    {
        ++g_seen.created;
        if (g_onCreate) g_onCreate();
        CreateDone = true;
    }
    int Execute(bool modal) override
    {
        ++g_seen.executeCalls;
        g_seen.modal = modal;
        if (g_onExecute) g_onExecute(this);
        return 7;
    }
    void SetParams(const QStringList &params) override { g_seen.params = params; }
};

class OtherProcessForm : public TestProcessForm
{
    Q_OBJECT
public:
    using TestProcessForm::TestProcessForm;
};

// A form that does not implement the interface.
class PlainForm : public QDialog
{
    Q_OBJECT
public:
    explicit PlainForm(QWidget *parent = nullptr) : QDialog(parent) { ++g_seen.created; }
};

class ProcessFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = ProcessRegistry().ProcessClassList;
        savedNames = ProcessRegistry().ProcessNameList;
        ProcessRegistry().clear();
        g_seen = Seen();
        g_onCreate = nullptr;
        g_onExecute = nullptr;
    }
    void TearDown() override
    {
        ProcessRegistry().ProcessClassList = saved;
        ProcessRegistry().ProcessNameList = savedNames;
        g_onCreate = nullptr;
        g_onExecute = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::vector<TProcessClass> saved;
    QStringList savedNames;
};
} // namespace

TEST_F(ProcessFormTest, RegisteringAClassTwiceKeepsItsFirstName)
{
    RegisterProcessClass<TestProcessForm>(QStringLiteral("QmDataSenkaku"));
    RegisterProcessClass<TestProcessForm>(QStringLiteral("QmDataTusin"));
    ASSERT_EQ(ProcessRegistry().count(), 1);
    EXPECT_EQ(ProcessRegistry().ProcessNameList, QStringList{QStringLiteral("QmDataSenkaku")});
    EXPECT_EQ(ProcessRegistry().IndexOfProcess(QStringLiteral("QmDataTusin")), -1);
}

TEST_F(ProcessFormTest, OneNameForTwoClassesTakesTwoEntriesAndTheFirstIsFound)
{
    RegisterProcessClass<TestProcessForm>(QStringLiteral("WebMenuL"));
    RegisterProcessClass<OtherProcessForm>(QStringLiteral("WebMenuL"));
    EXPECT_EQ(ProcessRegistry().count(), 2);
    std::unique_ptr<QWidget> form(ProcessRegistry().CreateProcessForm(QStringLiteral("webmenul")));
    ASSERT_TRUE(form);
    EXPECT_EQ(form->metaObject(), &TestProcessForm::staticMetaObject);
}

TEST_F(ProcessFormTest, LookupIgnoresLetterCase)
{
    RegisterProcessClass<TestProcessForm>(QStringLiteral("QmDataSenkaku"));
    RegisterProcessClass<OtherProcessForm>(QStringLiteral("WebMenuL"));
    const struct {
        const char *name;
        int index;
    } cases[] = {{"QmDataSenkaku", 0}, {"qmdatasenkaku", 0}, {"QMDATASENKAKU", 0}, {"webmenul", 1},
                 {"QmKihonWiz", -1},   {"", -1},             {"QmDataSenkaku ", -1}};
    for (const auto &c : cases)
        EXPECT_EQ(ProcessRegistry().IndexOfProcess(QString::fromUtf8(c.name)), c.index) << c.name;
}

TEST_F(ProcessFormTest, ModalRunPassesTheCallersLinesAndFormStyle2)
{
    RegisterProcessClass<TestProcessForm>(QStringLiteral("QmDataSenkaku"));
    const QString params = QStringLiteral("SyoriType=3\r\nJyokenSet=1\r\nDataType=-13\r\nCodeType=0\r\nDataVerMajor=11");
    EXPECT_EQ(RunProcess(QStringLiteral("qmdatasenkaku"), 1, params), 7);
    EXPECT_EQ(g_seen.created, 1);
    EXPECT_EQ(g_seen.executeCalls, 1);
    EXPECT_TRUE(g_seen.modal);
    const QStringList expected{QStringLiteral("SyoriType=3"),  QStringLiteral("JyokenSet=1"),
                               QStringLiteral("DataType=-13"), QStringLiteral("CodeType=0"),
                               QStringLiteral("DataVerMajor=11"), QStringLiteral("FormStyle=2")};
    EXPECT_EQ(g_seen.params, expected);
    EXPECT_FALSE(RunProcessBusy());
}

TEST_F(ProcessFormTest, ModelessRunAppendsFormStyle0)
{
    RegisterProcessClass<TestProcessForm>(QStringLiteral("WebMenuL"));
    EXPECT_EQ(RunProcess(QStringLiteral("WebMenuL"), 0, QStringLiteral("SyoriType=1")), 7);
    EXPECT_FALSE(g_seen.modal);
    EXPECT_EQ(g_seen.params, (QStringList{QStringLiteral("SyoriType=1"), QStringLiteral("FormStyle=0")}));
}

TEST_F(ProcessFormTest, UnknownNameOrMissingInterfaceShowsTheInterfaceErrorAndGivesMinusOne)
{
    RegisterProcessClass<PlainForm>(QStringLiteral("PlainForm"));
    EXPECT_EQ(ProcessRegistry().CreateProcessForm(QStringLiteral("QmKihonWiz")), nullptr);
    for (const char *name : {"QmKihonWiz", "plainform"}) {
        ScriptedMessages msgs;
        msgs.answer(mrOk);
        EXPECT_EQ(RunProcess(QString::fromUtf8(name), 1, QString()), -1) << name;
        ASSERT_EQ(msgs.shown.size(), 1) << name;
        EXPECT_EQ(msgs.shown[0].kind, TMsgDlgType::mtError);
        EXPECT_EQ(msgs.shown[0].text,
                  QStringLiteral("処理を起動するためのインターフェースが実装されていません。\rライブラリのロードに失敗した可能性があります。"));
    }
    EXPECT_EQ(g_seen.executeCalls, 0);
    EXPECT_FALSE(RunProcessBusy());
}

TEST_F(ProcessFormTest, EmptyNameGivesMinusOneWithoutABox)
{
    ScriptedMessages msgs;
    EXPECT_EQ(RunProcess(QString(), 1, QStringLiteral("SyoriType=1")), -1);
    EXPECT_TRUE(msgs.shown.isEmpty());
}

TEST_F(ProcessFormTest, ASecondStartWhileOneIsStartingCreatesNothing)
{
    RegisterProcessClass<TestProcessForm>(QStringLiteral("QmDataSenkaku"));
    g_onCreate = [] {
        g_onCreate = nullptr;
        g_seen.nestedResult = RunProcess(QStringLiteral("QmDataSenkaku"), 1, QString());
    };
    EXPECT_EQ(RunProcess(QStringLiteral("QmDataSenkaku"), 1, QString()), 7);
    EXPECT_EQ(g_seen.nestedResult, -1);
    EXPECT_EQ(g_seen.created, 1);
    EXPECT_EQ(g_seen.executeCalls, 1);
    EXPECT_FALSE(RunProcessBusy());
}

TEST_F(ProcessFormTest, AShownProcessFormMayStartAnother)
{
    RegisterProcessClass<TestProcessForm>(QStringLiteral("QmDataSenkaku"));
    RegisterProcessClass<OtherProcessForm>(QStringLiteral("QmDataTusin"));
    g_onExecute = [](QWidget *form) {
        if (g_seen.executeCalls != 1) return;
        EXPECT_TRUE(RunProcessBusy());
        form->show(); // the form is up: no longer starting
        g_seen.shownWhenNested = !RunProcessBusy();
        g_seen.nestedResult = RunProcess(QStringLiteral("QmDataTusin"), 0, QString());
        form->close();
    };
    EXPECT_EQ(RunProcess(QStringLiteral("QmDataSenkaku"), 0, QString()), 7);
    EXPECT_TRUE(g_seen.shownWhenNested);
    EXPECT_EQ(g_seen.nestedResult, 7);
    EXPECT_EQ(g_seen.created, 2);
}

TEST_F(ProcessFormTest, ParameterHelpers)
{
    const QStringList p{QStringLiteral("SyoriType=3"), QStringLiteral("DataType=x"), QStringLiteral("formstyle=2")};
    EXPECT_EQ(ProcessParamInt(p, QStringLiteral("SyoriType"), 1), 3);
    EXPECT_EQ(ProcessParamInt(p, QStringLiteral("DataType"), -13), -13); // not a number keeps the default
    EXPECT_EQ(ProcessParamInt(p, QStringLiteral("CodeType"), 5), 5);      // missing keeps the default
    EXPECT_EQ(ProcessParamInt(p, QStringLiteral("FormStyle"), 0), 2);
    EXPECT_EQ(BuildProcessParams(QStringLiteral("A=1\n\nB=2\r"), false),
              (QStringList{QStringLiteral("A=1"), QStringLiteral("B=2"), QStringLiteral("FormStyle=0")}));
}

TEST_F(ProcessFormTest, StandardExecuteRefusesAModalRunWhileOtherProcessesAreOpen)
{
    auto savedHook = MenuCallbackHook;
    auto savedRunner = ModalRunner;
    int ran = 0;
    ModalRunner = [&](QDialog &) { return ++ran; };
    MenuCallbackHook = [](int code, const QString &) { return code == 10 ? 2 : 0; };
    {
        QPointer<TestProcessForm> form = new TestProcessForm;
        ScriptedMessages msgs;
        msgs.answer(mrOk);
        EXPECT_EQ(ExecuteProcessForm(form, true), 0);
        ASSERT_EQ(msgs.shown.size(), 1);
        EXPECT_EQ(msgs.shown[0].kind, TMsgDlgType::mtWarning);
        EXPECT_EQ(msgs.shown[0].text,
                  QStringLiteral("メニュー以外の処理が開いています。\r全ての処理を閉じてから処理を実行してください。"));
        EXPECT_EQ(ran, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull()); // the refused form does not linger
    }
    {
        auto *form = new TestProcessForm;
        form->SkipProcessCheck = true;
        bool prepared = false;
        EXPECT_EQ(ExecuteProcessForm(form, true, [&] { prepared = true; }), 1);
        EXPECT_TRUE(prepared);
        delete form;
    }
    MenuCallbackHook = savedHook;
    ModalRunner = savedRunner;
}

#include "ProcessFormTest.moc"
