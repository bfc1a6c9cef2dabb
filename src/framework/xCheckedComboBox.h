#pragma once
// A drop-down that holds a check list, so that the operator can pick several
// items. Closed, it shows the number of checked items ("%d件選択") or the
// checked items as a comma list, and "未選択" when nothing is checked.
#include <QFrame>
#include <QStringList>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QAction;
class QToolButton;

enum class TCHBDispStyle { dsKensu, dsItems };
enum class TCHBQuoteStyle { qsNone, qsSingle, qsDouble };

class TxCheckedComboBox : public QFrame
{
    Q_OBJECT
public:
    explicit TxCheckedComboBox(QWidget *parent = nullptr);
    ~TxCheckedComboBox() override;

    // The choices. Setting them empties the checks and shows EmptyValue.
    QStringList Items() const { return m_items; }
    void SetItems(const QStringList &items);

    QString CapSelectAll = QStringLiteral("&全て選択");
    QString CapDeSelectAll = QStringLiteral("&選択解除");
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool on);
    int Columns = 0;
    int DropDownLines() const { return m_dropDownLines; }
    void SetDropDownLines(int lines);   // 1..20; other values are ignored
    QString EmptyValue() const { return m_emptyValue; }
    void SetEmptyValue(const QString &text);
    bool SortDisplay = false;
    int DropDownWidth = 120;
    TCHBDispStyle DispStyle = TCHBDispStyle::dsKensu;
    QString KensuValueFormat = QStringLiteral("%d件選択");
    bool MultiSelect() const { return m_multiSelect; }
    void SetMultiSelect(bool on);
    // Kept for the form layout; they change no behaviour.
    TCHBQuoteStyle QuoteStyle = TCHBQuoteStyle::qsNone;
    bool KeyUse = false;
    int KeyLength = 0;
    QString KeyDelimiter = QStringLiteral(":");
    QString Version() const { return QStringLiteral("1.0.3"); }

    // The texts of the checked items joined by "," and their number.
    QString CheckedText() const { return m_checkedText; }
    int CheckedCount() const { return m_checkedCount; }
    bool IsChecked(int index) const;
    // What the closed control shows.
    QString DisplayText() const;

    // Operator actions.
    void SetChecked(int index, bool checked);   // a click on the item's check box
    void SelectAll();
    void DeSelectAll();
    void ButtonClick();                        // the drop-down button or F4
    void CloseUp();
    bool IsDroppedDown() const;
    // The picture the drop-down button shows: "DROPDOWN_NORMAL", "DROPDOWN_HOT",
    // "DROPDOWN_PRESS" or "DROPDOWN_GRAY".
    QString ButtonImage() const;
    // Lines the drop-down shows for the current items.
    int VisibleLines() const;

    QListWidget *List() const { return m_list; }
    QAction *SelectAllAction() const { return m_selectAll; }
    QWidget *DropDownWindow() const { return m_popup; }

Q_SIGNALS:
    void Change();
    void CloseUpped();
    void ClickCheck();
    void PanelClick();
    void ButtonClicked();
    void Clicked();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void changeEvent(QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void refillList();
    void updateDisplay();
    void updateLook();
    void setButtonImage(const QString &name);
    void listItemChanged(QListWidgetItem *item);

    QStringList m_items;
    bool m_sorted = false;
    int m_dropDownLines = 15;
    QString m_emptyValue = QStringLiteral("未選択");
    bool m_multiSelect = true;
    QString m_checkedText;
    int m_checkedCount = 0;
    bool m_closedOnButton = false;
    bool m_updating = false;
    QString m_buttonImage = QStringLiteral("DROPDOWN_NORMAL");

    QLabel *m_text = nullptr;
    QToolButton *m_button = nullptr;
    QFrame *m_popup = nullptr;
    QListWidget *m_list = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_selectAll = nullptr;
    QAction *m_deselectAll = nullptr;
};
