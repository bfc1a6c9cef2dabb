#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "framework/xAnimeProgressDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace {
struct Owner {
    QWidget window;
    QPushButton *button;
    Owner()
    {
        window.setWindowTitle(QStringLiteral("連動データの作成"));
        window.setGeometry(100, 100, 600, 400);
        button = new QPushButton(QStringLiteral("次へ"), &window);
        fwtest::showActive(&window);
    }
};
} // namespace

TEST(ProgressDialogTest, LayoutRules)
{
    const struct {
        TxLabelPosition pos;
        bool cancel;
        QRect anime, label, button;
    } cases[] = {
        {TxLabelPosition::xlpRight, true, {20, 16, 32, 32}, {60, 24, 300, 15}, {152, 67, 76, 23}},
        {TxLabelPosition::xlpBottom, true, {20, 16, 32, 32}, {20, 52, 300, 15}, {152, 67, 76, 23}},
        {TxLabelPosition::xlpRight, false, {20, 30, 32, 32}, {60, 42, 300, 15}, {}},
        {TxLabelPosition::xlpBottom, false, {20, 30, 32, 32}, {20, 70, 300, 15}, {}},
    };
    for (const auto &c : cases) {
        const TxProgressLayout l = ProgressLayout(c.pos, c.cancel, 15);
        EXPECT_EQ(l.client, QSize(380, 100));
        EXPECT_EQ(l.anime, c.anime);
        EXPECT_EQ(l.label, c.label);
        EXPECT_EQ(l.cancel, c.button);
    }
    EXPECT_EQ(CenterOnArea(QRect(100, 100, 601, 401), QSize(386, 130)), QPoint(100 + 107, 100 + 135));
    EXPECT_EQ(CenterOnArea(QRect(0, 0, 100, 100), QSize(201, 101)), QPoint(-50, 0)); // toward zero
}

TEST(ProgressDialogTest, ShownOverADisabledOwnerWhichIsEnabledAgainOnClose)
{
    Owner owner;
    TxAnimeProgressDialog dlg;
    dlg.setCaption(QStringLiteral("連動データの作成中"));
    dlg.setInfoLabel(QStringLiteral("連動データの作成中です…"));
    dlg.CommonAVI = TCommonAVI::aviCopyFiles;
    dlg.Show(&owner.window);
    ASSERT_TRUE(dlg.Handle());
    EXPECT_TRUE(dlg.Handle()->isVisible());
    EXPECT_FALSE(owner.window.isEnabled());
    EXPECT_FALSE(owner.button->isEnabled());
    EXPECT_TRUE(dlg.Handle()->btnCancel->isEnabled()); // the waiting window itself answers
    EXPECT_EQ(dlg.Handle()->windowTitle(), QStringLiteral("連動データの作成中"));
    EXPECT_EQ(dlg.Handle()->Label->text(), QStringLiteral("連動データの作成中です…"));
    EXPECT_EQ(dlg.Handle()->size(), QSize(380, 100));
    EXPECT_EQ(dlg.Handle()->Label->geometry().topLeft(), QPoint(60, 24));
    EXPECT_TRUE(dlg.AnimeActive());
    EXPECT_EQ(dlg.Handle()->btnCancel->text(), QStringLiteral("キャンセル"));
    const QRect ownerFrame = owner.window.frameGeometry();
    EXPECT_EQ(dlg.Handle()->pos(), CenterOnArea(ownerFrame, dlg.Handle()->frameGeometry().size()));
    fwtest::screenshot(dlg.Handle(), QStringLiteral("progress_dialog"));

    // The line set while the window is up shows at once.
    dlg.setInfoLabel(QStringLiteral("減価償却データを出力しています"));
    EXPECT_EQ(dlg.Handle()->Label->text(), QStringLiteral("減価償却データを出力しています"));

    EXPECT_EQ(dlg.Close(), 0);
    EXPECT_TRUE(owner.window.isEnabled());
    EXPECT_TRUE(owner.button->isEnabled());
    EXPECT_EQ(dlg.Handle(), nullptr);
    EXPECT_EQ(dlg.Close(), 0); // closing again does nothing
}

TEST(ProgressDialogTest, AnOwnerAlreadyDisabledStaysDisabled)
{
    Owner owner;
    owner.window.setEnabled(false);
    TxAnimeProgressDialog dlg;
    dlg.Show(&owner.window);
    dlg.Close();
    EXPECT_FALSE(owner.window.isEnabled());
}

TEST(ProgressDialogTest, CloseWithoutShowAndDestructionReEnableTheOwner)
{
    TxAnimeProgressDialog idle;
    EXPECT_EQ(idle.Close(), 0);
    Owner owner;
    {
        TxAnimeProgressDialog dlg;
        dlg.Show(&owner.window);
        EXPECT_FALSE(owner.window.isEnabled());
    }
    EXPECT_TRUE(owner.window.isEnabled());
}

TEST(ProgressDialogTest, WithoutOwnerCentredOnTheScreenAndOnTop)
{
    TxAnimeProgressDialog dlg;
    dlg.CancelBtnShow = false;
    dlg.Show(nullptr);
    ASSERT_TRUE(dlg.Handle());
    EXPECT_TRUE(dlg.Handle()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(dlg.Handle()->btnCancel, nullptr);
    EXPECT_EQ(dlg.Handle()->Animate->geometry(), QRect(20, 30, 32, 32));
    EXPECT_EQ(dlg.Handle()->Label->y(), 42);
    EXPECT_FALSE(dlg.AnimeActive()); // no animation set: nothing plays
    dlg.Close();
}

TEST(ProgressDialogTest, AMissingAnimationFileIsCleared)
{
    TxAnimeProgressDialog dlg;
    dlg.AviFile = testenv::sandbox() + QStringLiteral("/no/progress.avi");
    dlg.Show(nullptr);
    EXPECT_TRUE(dlg.AviFile.isEmpty());
    EXPECT_FALSE(dlg.AnimeActive());
    dlg.Close();
}

TEST(ProgressDialogTest, CancelOnlySetsTheFlagAndShowClearsIt)
{
    Owner owner;
    TxAnimeProgressDialog dlg;
    dlg.Show(&owner.window);
    EXPECT_FALSE(dlg.Cancelled());
    dlg.Handle()->btnCancel->click();
    EXPECT_TRUE(dlg.Cancelled());
    EXPECT_TRUE(dlg.Handle()->isVisible()); // the caller decides to stop
    EXPECT_FALSE(owner.window.isEnabled());
    dlg.Close();
    dlg.Show(&owner.window);
    EXPECT_FALSE(dlg.Cancelled());
    dlg.Close();
}

TEST(ProgressDialogTest, AThreeSecondTaskKeepsTheWindowPaintingAndCancellable)
{
    Owner owner;
    TxAnimeProgressDialog dlg;
    dlg.CommonAVI = TCommonAVI::aviCopyFile;
    dlg.Show(&owner.window);
    TxAnimeView *anime = dlg.Handle()->Animate;
    const int paintsBefore = anime->paintCount();
    int ticks = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { ++ticks; });
    probe.start(100);

    int steps = 0;
    QString lastInfo;
    dlg.RunWork([&](TxProgressReporter &r) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < end && !r.cancelled()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ++steps;
            r.setInfo(QStringLiteral("%1 件目を処理しています").arg(steps));
        }
    });
    probe.stop();
    EXPECT_GE(steps, 50);
    EXPECT_GE(ticks, 20);                            // the event loop ran during the work
    EXPECT_GE(anime->paintCount() - paintsBefore, 15); // and the animation repainted
    EXPECT_EQ(dlg.Handle()->Label->text(), QStringLiteral("%1 件目を処理しています").arg(steps));
    EXPECT_FALSE(dlg.Cancelled());

    // The cancel button answers while the work runs; the work sees the flag and stops.
    QTimer::singleShot(300, dlg.Handle()->btnCancel, &QPushButton::click);
    steps = 0;
    const auto started = std::chrono::steady_clock::now();
    dlg.RunWork([&](TxProgressReporter &r) {
        while (!r.cancelled() && std::chrono::steady_clock::now() - started < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    });
    EXPECT_TRUE(dlg.Cancelled());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    dlg.Close();
    EXPECT_TRUE(owner.window.isEnabled());
}

TEST(ProgressDialogTest, AnErrorOfTheWorkIsRaisedInTheCaller)
{
    TxAnimeProgressDialog dlg;
    dlg.Show(nullptr);
    EXPECT_THROW(dlg.RunWork([](TxProgressReporter &) { throw std::runtime_error("disk full"); }), std::runtime_error);
    dlg.Close();
}

TEST(ProgressDialogTest, ModalUseRunsTheHandlerOnceShownAndRaisesItsError)
{
    Owner owner;
    TxAnimeProgressDialog dlg;
    int calls = 0;
    bool visibleInHandler = false;
    dlg.OnShow = [&](QWidget *sender) {
        ++calls;
        visibleInHandler = sender->isVisible();
        dlg.setInfoLabel(QStringLiteral("作成中"));
    };
    dlg.Show(&owner.window);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(visibleInHandler);
    EXPECT_EQ(dlg.Handle(), nullptr); // the window exists only during Show
    EXPECT_TRUE(owner.window.isEnabled());

    dlg.OnShow = [](QWidget *) { throw std::runtime_error("failed"); };
    EXPECT_THROW(dlg.Show(&owner.window), std::runtime_error);
    EXPECT_EQ(dlg.Handle(), nullptr);
}
