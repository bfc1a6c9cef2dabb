#include "support/TestEnv.h"

#include "framework/xPlButton.h"
#include "framework/xWizard.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

namespace {
struct WizardFixture {
    QWidget form;
    TxWizard *wizard;
    TxPlButton *next;
    QPushButton *back;
    QLabel *header;
    QLabel *info;
    QList<QPair<QString, bool>> calls; // handler, final state
    bool allow = true;
    int clickingWhenIndex = -1;

    explicit WizardFixture(int pages)
    {
        wizard = new TxWizard(&form);
        for (int i = 0; i < pages; ++i) {
            auto *p = new QWidget;
            p->setObjectName(QStringLiteral("page%1").arg(i + 1));
            wizard->addWidget(p);
        }
        next = new TxPlButton(&form);
        next->setObjectName(QStringLiteral("btnNext"));
        back = new QPushButton(&form);
        back->setObjectName(QStringLiteral("btnBack"));
        header = new QLabel(QStringLiteral("(none)"), &form);
        info = new QLabel(&form);
        wizard->HeaderCaption = {QStringLiteral("はじめに"), QStringLiteral("データ選択"), QStringLiteral("ファイル指定")};
        wizard->InfoCaption = {QStringLiteral("i1"), QStringLiteral("i2"), QStringLiteral("i3"), QStringLiteral("i4")};
        wizard->setNextButton(next);
        wizard->setBackButton(back);
        wizard->setLblHeader(header);
        wizard->setLblInfo(info);
        wizard->OnNextClicking = [this](QObject *, bool finalState, bool &allowChange) {
            calls << qMakePair(QStringLiteral("clicking"), finalState);
            allowChange = allow;
        };
        wizard->OnNextClick = [this](QObject *sender, bool finalState) {
            EXPECT_EQ(sender, next);
            calls << qMakePair(QStringLiteral("next"), finalState);
        };
        wizard->OnBackClick = [this](QObject *) { calls << qMakePair(QStringLiteral("back"), false); };
        form.show();
    }
    QString nextCaption() const { return next->CaptionA().Caption(); }
};
} // namespace

TEST(WizardTest, FourPagesForwardAndBack)
{
    WizardFixture f(4);
    EXPECT_EQ(f.wizard->PageIndex(), 0);
    EXPECT_EQ(f.nextCaption(), QStringLiteral("次へ(&N) >"));
    EXPECT_EQ(f.back->text(), QStringLiteral("< 戻る(&B)"));
    EXPECT_FALSE(f.back->isVisible());
    EXPECT_EQ(f.header->text(), QStringLiteral("はじめに"));

    // Each row: page after Next, Next caption, Back visible, header, final state reported.
    const struct {
        int page;
        const char *caption;
        bool backVisible;
        const char *header;
        const char *info;
        bool finalState;
    } forward[] = {
        {1, "次へ(&N) >", true, "データ選択", "i2", false},
        {2, "次へ(&N) >", true, "ファイル指定", "i3", false},
        {3, "完了(&F)", true, "ファイル指定", "i4", false}, // no header entry: the label keeps its text
        {3, "完了(&F)", true, "ファイル指定", "i4", true},  // Next on the last page: finish
    };
    for (const auto &row : forward) {
        f.calls.clear();
        f.next->click();
        EXPECT_EQ(f.wizard->PageIndex(), row.page);
        EXPECT_EQ(f.nextCaption(), QString::fromUtf8(row.caption));
        EXPECT_EQ(f.back->isVisible(), row.backVisible);
        EXPECT_EQ(f.header->text(), QString::fromUtf8(row.header));
        EXPECT_EQ(f.info->text(), QString::fromUtf8(row.info));
        ASSERT_EQ(f.calls.size(), 2);
        EXPECT_EQ(f.calls[0], qMakePair(QStringLiteral("clicking"), false)); // always false before the change
        EXPECT_EQ(f.calls[1], qMakePair(QStringLiteral("next"), row.finalState));
    }

    const struct {
        int page;
        bool backVisible;
        const char *header;
    } backward[] = {{2, true, "ファイル指定"}, {1, true, "データ選択"}, {0, false, "はじめに"}, {0, false, "はじめに"}};
    for (const auto &row : backward) {
        f.calls.clear();
        f.back->click();
        EXPECT_EQ(f.wizard->PageIndex(), row.page);
        EXPECT_EQ(f.nextCaption(), QStringLiteral("次へ(&N) >"));
        EXPECT_EQ(f.back->isVisible(), row.backVisible);
        EXPECT_EQ(f.header->text(), QString::fromUtf8(row.header));
        ASSERT_EQ(f.calls.size(), 1);
        EXPECT_EQ(f.calls[0].first, QStringLiteral("back"));
    }
    // Forward from the first page shows Back again.
    f.next->click();
    EXPECT_TRUE(f.back->isVisible());
}

TEST(WizardTest, AVetoLeavesPageCaptionsAndButtonsAndSkipsTheNextHandler)
{
    WizardFixture f(4);
    f.next->click();
    f.next->click(); // page 3 of 4
    f.allow = false;
    for (int i = 0; i < 2; ++i) {
        f.calls.clear();
        f.next->click();
        EXPECT_EQ(f.wizard->PageIndex(), 2);
        EXPECT_EQ(f.nextCaption(), QStringLiteral("次へ(&N) >"));
        EXPECT_TRUE(f.back->isVisible());
        EXPECT_EQ(f.header->text(), QStringLiteral("ファイル指定"));
        EXPECT_EQ(f.info->text(), QStringLiteral("i3"));
        ASSERT_EQ(f.calls.size(), 1);
        EXPECT_EQ(f.calls[0].first, QStringLiteral("clicking"));
    }
    // A veto on the last page does not finish either.
    f.allow = true;
    f.next->click();
    f.allow = false;
    f.calls.clear();
    f.next->click();
    EXPECT_EQ(f.wizard->PageIndex(), 3);
    EXPECT_EQ(f.nextCaption(), QStringLiteral("完了(&F)"));
    EXPECT_EQ(f.calls.size(), 1);
}

TEST(WizardTest, OnePageFinishesAtOnce)
{
    WizardFixture f(1);
    EXPECT_EQ(f.nextCaption(), QStringLiteral("完了(&F)"));
    f.next->click();
    EXPECT_EQ(f.wizard->PageIndex(), 0);
    ASSERT_EQ(f.calls.size(), 2);
    EXPECT_EQ(f.calls[1], qMakePair(QStringLiteral("next"), true));
    f.back->show();
    f.calls.clear();
    f.back->click();
    EXPECT_FALSE(f.back->isVisible());
    EXPECT_EQ(f.calls.size(), 1);
}

TEST(WizardTest, TheWizardTakesOverTheButtonsEarlierClickHandlers)
{
    QWidget form;
    TxWizard wizard(&form);
    wizard.addWidget(new QWidget);
    wizard.addWidget(new QWidget);
    TxPlButton next(&form);
    int oldHandler = 0;
    QObject::connect(&next, &TxPlButton::clicked, [&] { ++oldHandler; });
    wizard.setNextButton(&next);
    next.click();
    EXPECT_EQ(oldHandler, 0);
    EXPECT_EQ(wizard.PageIndex(), 1);
    EXPECT_EQ(next.CaptionA().Caption(), QStringLiteral("完了(&F)"));
}

TEST(WizardTest, RemovingPagesByName)
{
    WizardFixture f(4);
    EXPECT_TRUE(f.wizard->removePage(QStringLiteral("page4")));
    EXPECT_FALSE(f.wizard->removePage(QStringLiteral("page9")));
    EXPECT_EQ(f.wizard->PageCount(), 3);
    f.next->click();
    f.next->click();
    EXPECT_EQ(f.nextCaption(), QStringLiteral("完了(&F)"));
}
