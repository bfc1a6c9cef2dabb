#include "framework/xWizard.h"

#include "framework/xPlButton.h"

#include <QAbstractButton>
#include <QLabel>

namespace {
void setLabelText(QWidget *label, const QString &text)
{
    if (auto *l = qobject_cast<QLabel *>(label)) l->setText(text);
    else if (label) label->setProperty("text", text);
}
} // namespace

TxWizard::TxWizard(QWidget *parent) : QStackedWidget(parent) {}

QString TxWizard::buttonCaption(const QWidget *button)
{
    if (auto *b = qobject_cast<const TxPlButton *>(button)) return b->CaptionA().Caption();
    if (auto *b = qobject_cast<const QAbstractButton *>(button)) return b->text();
    return {};
}

void TxWizard::setButtonCaption(QWidget *button, const QString &caption)
{
    if (auto *b = qobject_cast<TxPlButton *>(button)) b->CaptionA().setCaption(caption);
    else if (auto *b = qobject_cast<QAbstractButton *>(button)) b->setText(caption);
}

void TxWizard::takeOver(QWidget *button, bool next)
{
    auto handler = [this, button, next] {
        if (next) NextClick(button);
        else BackClick(button);
    };
    if (auto *b = qobject_cast<TxPlButton *>(button)) {
        disconnect(b, &TxPlButton::clicked, nullptr, nullptr);
        connect(b, &TxPlButton::clicked, this, handler);
    } else if (auto *b = qobject_cast<QAbstractButton *>(button)) {
        disconnect(b, &QAbstractButton::clicked, nullptr, nullptr);
        connect(b, &QAbstractButton::clicked, this, handler);
    }
}

void TxWizard::setNextButton(QWidget *button)
{
    if (m_next == button) return;
    if (m_next) disconnect(m_next, nullptr, this, nullptr);
    m_next = button;
    if (!button) return;
    takeOver(button, true);
    setButtonCaption(button, count() == 1 ? NextButtonFinCap : NextButtonCap);
}

void TxWizard::setBackButton(QWidget *button)
{
    if (m_back == button) return;
    if (m_back) disconnect(m_back, nullptr, this, nullptr);
    m_back = button;
    if (!button) return;
    takeOver(button, false);
    button->hide();
    setButtonCaption(button, BackButtonCap);
}

void TxWizard::setLblHeader(QWidget *label)
{
    m_header = label;
    if (label && !HeaderCaption.isEmpty() && currentIndex() >= 0 && currentIndex() < HeaderCaption.size())
        setLabelText(label, HeaderCaption[currentIndex()]);
}

void TxWizard::setLblInfo(QWidget *label)
{
    m_info = label;
    if (label && !InfoCaption.isEmpty() && currentIndex() >= 0 && currentIndex() < InfoCaption.size())
        setLabelText(label, InfoCaption[currentIndex()]);
}

QWidget *TxWizard::page(const QString &name) const
{
    for (int i = 0; i < count(); ++i)
        if (widget(i)->objectName() == name) return widget(i);
    return nullptr;
}

bool TxWizard::removePage(const QString &name)
{
    QWidget *p = page(name);
    if (!p) return false;
    removeWidget(p);
    delete p;
    return true;
}

void TxWizard::showPageTexts(int index)
{
    if (m_header && index >= 0 && index < HeaderCaption.size()) setLabelText(m_header, HeaderCaption[index]);
    if (m_info && index >= 0 && index < InfoCaption.size()) setLabelText(m_info, InfoCaption[index]);
}

void TxWizard::NextClick(QObject *sender)
{
    const int n = count();
    const bool onLast = currentIndex() == n - 1;
    bool allowChange = true;
    bool finalState = false;
    if (OnNextClicking) OnNextClicking(sender, finalState, allowChange);
    if (!allowChange) return;
    if (n <= 1 || onLast) {
        finalState = true;
    } else {
        setCurrentIndex(currentIndex() + 1);
        showPageTexts(currentIndex());
        if (m_back) m_back->show();
    }
    if (currentIndex() == n - 1 && m_next) setButtonCaption(m_next, NextButtonFinCap);
    if (OnNextClick) OnNextClick(sender, finalState);
}

void TxWizard::BackClick(QObject *sender)
{
    const int n = count();
    if (n <= 1 || currentIndex() <= 0) {
        if (m_back) m_back->hide();
    } else {
        setCurrentIndex(currentIndex() - 1);
        showPageTexts(currentIndex());
        if (m_next) setButtonCaption(m_next, NextButtonCap);
        if (currentIndex() == 0 && m_back) m_back->hide();
    }
    if (OnBackClick) OnBackClick(sender);
}
