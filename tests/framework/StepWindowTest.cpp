#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "dbaccess/Globals.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/z5HikakuMess2.h"
#include "framework/z5WaitMess.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

void letEventsThrough(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

struct ProgramDirScope {
    QString saved = SystemDef.ProgramDir;
    explicit ProgramDirScope(const QString &dir) { SystemDef.ProgramDir = dir; }
    ~ProgramDirScope() { SystemDef.ProgramDir = saved; }
};

TEST(StepWindow, TicksStepsWhileTheAnimationRuns)
{
    const QString dir = testenv::freshDir(QStringLiteral("stepwindow"));
    testenv::writeFile(dir + QStringLiteral("/progress.avi"), QByteArray("RIFF"));
    ProgramDirScope scope(dir);

    QWidget owner;
    WaitMessOwner = &owner;
    auto *w = new TfmWaitMess;
    EXPECT_EQ(fmWaitMess, w);
    EXPECT_EQ(w->parentWidget(), &owner);
    EXPECT_TRUE(w->CheckBox1->isChecked());
    EXPECT_EQ(w->CheckBox4->text(), QStringLiteral("中継サーバーへデータ送信"));
    EXPECT_EQ(w->Timer1->interval(), 100);
    EXPECT_EQ(w->Animate->geometry(), QRect(40, 214 / 2 - 20, 32, 32));
    w->show();
    ASSERT_TRUE(w->Animate->playing());

    // The caller's steps: tick each and let events through.
    w->CheckBox5->hide();
    int frame = w->Animate->frame();
    const int paints = w->Animate->paintCount();
    for (QCheckBox *box : {w->CheckBox2, w->CheckBox3, w->CheckBox4}) {
        box->setChecked(true);
        letEventsThrough(120);
    }
    EXPECT_NE(w->Animate->frame(), frame);
    EXPECT_GT(w->Animate->paintCount(), paints);

    // A stopped animation is started again by the timer.
    w->Animate->play(false);
    letEventsThrough(150);
    EXPECT_TRUE(w->Animate->playing());
    fwtest::screenshot(w, QStringLiteral("step_window"));

    delete w;
    EXPECT_EQ(fmWaitMess, nullptr);
    WaitMessOwner = nullptr;
}

TEST(StepWindow, WorksWithoutTheAnimationFile)
{
    ProgramDirScope scope(testenv::freshDir(QStringLiteral("stepwindow-empty")));
    TfmWaitMess w;
    w.show();
    letEventsThrough(120);
    EXPECT_FALSE(w.Animate->hasAnimation());
    EXPECT_FALSE(w.Animate->playing());
    w.CheckBox2->setChecked(true);
    EXPECT_TRUE(w.CheckBox2->isChecked());
}

TEST(ComparisonConfirmation, ShowsBothSidesAndAnswers)
{
    struct {
        int button; // 1 yes, 2 no, 0 closed without a button
        int answer;
        int result;
    } cases[] = {{1, 1, QDialog::Accepted}, {2, 0, QDialog::Rejected}, {0, 1, QDialog::Rejected}};
    for (const auto &c : cases) {
        HikakuMess2Answer = 0;
        TfmHikakuMess2 dlg;
        EXPECT_EQ(fmHikakuMess2, &dlg);
        EXPECT_EQ(HikakuMess2Answer, 1);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("確認"));
        EXPECT_EQ(dlg.width(), 456 * dlg.logicalDpiX() / 96);
        dlg.Label5->setText(QStringLiteral("現在利用中の商号　：　株式会社みどり"));
        dlg.Label6->setText(QStringLiteral("中継サーバーの商号：　株式会社あおば"));
        dlg.Label3->hide();
        dlg.resize(dlg.width(), 270);
        dlg.open();
        if (c.button == 0)
            fwtest::screenshot(&dlg, QStringLiteral("comparison_confirmation"));
        if (c.button == 1)
            dlg.Button1->click();
        else if (c.button == 2)
            dlg.Button2->click();
        else
            dlg.close();
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(HikakuMess2Answer, c.answer) << c.button;
        EXPECT_EQ(dlg.result(), c.result) << c.button;
        EXPECT_EQ(dlg.Label5->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        EXPECT_EQ(dlg.Label6->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    }
    EXPECT_EQ(fmHikakuMess2, nullptr);
}

} // namespace
