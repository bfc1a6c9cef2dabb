#pragma once
// The wizard notebook: one page visible at a time. It takes over the clicks of a
// Back and a Next button placed elsewhere on the form, moves between its pages,
// gives the Next button the finish caption on the last page, keeps a header and
// an information label in step with the page, and lets the owner veto a change.
#include <QPointer>
#include <QStackedWidget>
#include <QStringList>

#include <functional>

class TxWizard : public QStackedWidget
{
    Q_OBJECT
public:
    explicit TxWizard(QWidget *parent = nullptr);

    QString NextButtonCap = QStringLiteral("次へ(&N) >");
    QString NextButtonFinCap = QStringLiteral("完了(&F)");
    QString BackButtonCap = QStringLiteral("< 戻る(&B)");

    // Buttons: a TxPlButton or any QAbstractButton. The wizard takes over their click handling.
    QWidget *NextButton() const { return m_next; }
    void setNextButton(QWidget *button);
    QWidget *BackButton() const { return m_back; }
    void setBackButton(QWidget *button);

    QWidget *LblHeader() const { return m_header; }
    void setLblHeader(QWidget *label);
    QWidget *LblInfo() const { return m_info; }
    void setLblInfo(QWidget *label);

    // Header and information text per page, by page index.
    QStringList HeaderCaption;
    QStringList InfoCaption;

    std::function<void(QObject *sender)> OnBackClick;
    std::function<void(QObject *sender, bool finalState)> OnNextClick;
    std::function<void(QObject *sender, bool finalState, bool &allowChange)> OnNextClicking;

    int PageCount() const { return count(); }
    int PageIndex() const { return currentIndex(); }
    void setPageIndex(int i) { setCurrentIndex(i); }
    // The page with the object name, or nullptr.
    QWidget *page(const QString &name) const;
    // Removes (and frees) the page with the object name; false when there is none.
    bool removePage(const QString &name);

    // The Next and Back handling, with the button as sender.
    void NextClick(QObject *sender);
    void BackClick(QObject *sender);

    // The caption of a TxPlButton or QAbstractButton.
    static QString buttonCaption(const QWidget *button);
    static void setButtonCaption(QWidget *button, const QString &caption);

private:
    void takeOver(QWidget *button, bool next);
    void showPageTexts(int index);
    QPointer<QWidget> m_next, m_back, m_header, m_info;
};
