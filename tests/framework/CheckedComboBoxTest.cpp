#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "framework/xCheckedComboBox.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>

namespace {

const QStringList kABC = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};

struct CheckCase {
    const char *name;
    QStringList items;
    TCHBDispStyle style;
    bool sortDisplay;
    bool multi;
    std::vector<std::pair<int, bool>> clicks; // item index, checked
    const char *shown;
    int count;
    const char *checkedText;
};

class CheckedComboDisplay : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckedComboDisplay, ShowsTheChecks)
{
    const CheckCase &c = GetParam();
    TxCheckedComboBox box;
    box.SetItems(c.items);
    box.DispStyle = c.style;
    box.SortDisplay = c.sortDisplay;
    box.SetMultiSelect(c.multi);
    QSignalSpy changes(&box, &TxCheckedComboBox::Change);
    QSignalSpy checks(&box, &TxCheckedComboBox::ClickCheck);
    for (const auto &[index, on] : c.clicks)
        box.SetChecked(index, on);
    EXPECT_EQ(box.DisplayText(), QString::fromUtf8(c.shown));
    EXPECT_EQ(box.findChild<QLabel *>(QStringLiteral("TextPanel"))->text(), QString::fromUtf8(c.shown));
    EXPECT_EQ(box.CheckedCount(), c.count);
    EXPECT_EQ(box.CheckedText(), QString::fromUtf8(c.checkedText));
    EXPECT_EQ(changes.count(), int(c.clicks.size()));
    EXPECT_EQ(checks.count(), int(c.clicks.size()));
}

const QStringList kCBA = {QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")};

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckedComboDisplay,
    ::testing::Values(
        CheckCase{"Nothing", kABC, TCHBDispStyle::dsKensu, false, true, {}, "未選択", 0, ""},
        CheckCase{"One", kABC, TCHBDispStyle::dsKensu, false, true, {{1, true}}, "B", 1, "B"},
        CheckCase{"Three", kABC, TCHBDispStyle::dsKensu, false, true, {{0, true}, {1, true}, {2, true}},
                  "3件選択", 3, "A,B,C"},
        CheckCase{"ItemsList", kABC, TCHBDispStyle::dsItems, false, true, {{0, true}, {1, true}, {2, true}},
                  "A,B,C", 3, "A,B,C"},
        CheckCase{"UncheckMiddle", kABC, TCHBDispStyle::dsItems, false, true,
                  {{0, true}, {1, true}, {2, true}, {1, false}}, "A,C", 2, "A,C"},
        CheckCase{"ClickOrder", kABC, TCHBDispStyle::dsItems, false, true, {{2, true}, {0, true}}, "C,A", 2,
                  "C,A"},
        CheckCase{"SortDisplay", kCBA, TCHBDispStyle::dsItems, true, true, {{2, true}, {0, true}}, "C,A", 2,
                  "A,C"},
        CheckCase{"AllUnchecked", kABC, TCHBDispStyle::dsItems, false, true, {{0, true}, {0, false}}, "未選択",
                  0, ""},
        CheckCase{"SingleSelect", kABC, TCHBDispStyle::dsKensu, false, false, {{0, true}, {1, true}}, "B", 1,
                  "B"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CheckedComboBox, SingleSelectLeavesOnlyTheLastChecked)
{
    TxCheckedComboBox box;
    box.SetItems(kABC);
    box.SetMultiSelect(false);
    box.SetChecked(0, true);
    box.SetChecked(1, true);
    EXPECT_FALSE(box.IsChecked(0));
    EXPECT_TRUE(box.IsChecked(1));
    EXPECT_FALSE(box.SelectAllAction()->isEnabled());
    box.SelectAll();   // not with a single selection
    EXPECT_EQ(box.CheckedCount(), 1);
}

TEST(CheckedComboBox, SelectAllDeselectAllAndNewItems)
{
    TxCheckedComboBox box;
    box.SetItems({"1", "2", "3", "4", "5"});
    QSignalSpy changes(&box, &TxCheckedComboBox::Change);
    box.SelectAll();
    EXPECT_EQ(box.DisplayText(), QStringLiteral("5件選択"));
    EXPECT_EQ(box.CheckedText(), QStringLiteral("1,2,3,4,5"));
    EXPECT_TRUE(box.IsChecked(4));
    box.DeSelectAll();
    EXPECT_EQ(box.DisplayText(), QStringLiteral("未選択"));
    EXPECT_FALSE(box.IsChecked(4));
    EXPECT_EQ(changes.count(), 2);

    box.SetChecked(1, true);
    box.SetChecked(2, true);
    box.SetItems(kABC);
    EXPECT_EQ(box.DisplayText(), QStringLiteral("未選択"));
    EXPECT_EQ(box.CheckedCount(), 0);
    EXPECT_FALSE(box.IsChecked(1));

    box.SetEmptyValue(QStringLiteral("全員"));
    EXPECT_EQ(box.DisplayText(), QStringLiteral("全員"));
}

TEST(CheckedComboBox, DropDownLines)
{
    TxCheckedComboBox box;
    box.SetDropDownLines(25);
    EXPECT_EQ(box.DropDownLines(), 15);
    box.SetDropDownLines(0);
    EXPECT_EQ(box.DropDownLines(), 15);
    box.SetItems(kABC);
    EXPECT_EQ(box.VisibleLines(), 3);
    box.SetDropDownLines(2);
    EXPECT_EQ(box.VisibleLines(), 2);
    box.Columns = 2;
    EXPECT_EQ(box.VisibleLines(), 2); // 3 div 2 + 1
}

TEST(CheckedComboBox, DropDownAndKeys)
{
    QDialog dlg;
    auto *before = new QLineEdit(&dlg);
    auto *box = new TxCheckedComboBox(&dlg);
    auto *after = new QLineEdit(&dlg);
    box->setObjectName(QStringLiteral("cmbTanto2"));
    QWidget::setTabOrder(before, box);
    QWidget::setTabOrder(box, after);
    box->move(0, 30);
    after->move(0, 60);
    fwtest::showActive(&dlg);
    box->setFocus();

    // No items: only the pressed picture.
    QSignalSpy clicks(box, &TxCheckedComboBox::Clicked);
    fwtest::tap(box, Qt::Key_F4);
    EXPECT_FALSE(box->IsDroppedDown());
    EXPECT_EQ(box->ButtonImage(), QStringLiteral("DROPDOWN_PRESS"));
    EXPECT_EQ(clicks.count(), 0);

    box->SetItems(kABC);
    QSignalSpy closeUps(box, &TxCheckedComboBox::CloseUpped);
    fwtest::tap(box, Qt::Key_F4);
    ASSERT_TRUE(box->IsDroppedDown());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_GE(box->DropDownWindow()->width(), 120);
    fwtest::screenshot(box->DropDownWindow(), QStringLiteral("checked_combo_dropdown"));
    fwtest::tap(box->List(), Qt::Key_Escape);
    EXPECT_FALSE(box->IsDroppedDown());
    EXPECT_EQ(closeUps.count(), 1);
    EXPECT_EQ(box->ButtonImage(), QStringLiteral("DROPDOWN_NORMAL"));

    // Enter in the list closes it and moves on; Shift+Tab moves back.
    fwtest::tap(box, Qt::Key_F4);
    box->SetChecked(0, true);
    fwtest::tap(box->List(), Qt::Key_Return);
    EXPECT_FALSE(box->IsDroppedDown());
    EXPECT_EQ(QApplication::focusWidget(), after);
    box->setFocus();
    fwtest::tap(box, Qt::Key_F4);
    fwtest::tap(box->List(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), before);

    // Enter on the closed control moves on.
    box->setFocus();
    fwtest::tap(box, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), after);
    fwtest::screenshot(&dlg, QStringLiteral("checked_combo_closed"));

    box->setEnabled(false);
    EXPECT_EQ(box->ButtonImage(), QStringLiteral("DROPDOWN_GRAY"));
}

} // namespace
