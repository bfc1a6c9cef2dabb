#pragma once
// The framework's message box with an icon, up to ten coloured lines (a line may
// be a link), up to three standard buttons and an optional agreement check box.
#include "core/EnvUtils.h"
#include "core/Messages.h"

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QWidget;
class TxCheckBox;
class TxPlButton;

// The standard buttons beyond those of the message service, in the box's order.
inline constexpr TMsgDlgButtons mbAll = 1u << 7;
inline constexpr TMsgDlgButtons mbNoToAll = 1u << 8;
inline constexpr TMsgDlgButtons mbYesToAll = 1u << 9;
inline constexpr TMsgDlgButtons mbHelp = 1u << 10;

struct TStandardButtonInfo {
    TMsgDlgButtons flag;
    QString caption;
    int result;
};
// The eleven standard buttons in the order the box considers them.
const std::array<TStandardButtonInfo, 11> &StandardButtons();

struct TMessage2CaptionRec {
    QString Caption;
    TColor Color = 0;
    QString Link;
};

struct TMessage2InfoRec {
    qint32 MessageId = 0;
    quint8 Kind = 0; // 0 warning, 1 error, 2 information, 3 confirmation, 4 none
    TMsgDlgButtons Buttons = mbOK;
    QString Title;
    std::array<TMessage2CaptionRec, 10> Lines{};
    qint32 AgreeMode = 0; // 0 none; 1 shown and gating the first button; other: shown
    QString AgreeCaption;
    bool AgreeChecked = false;
};

// Resets a record for a kind.
void InitMessage2InfoRec(int kind, TMessage2InfoRec &rec);
// Fills a record from the catalogue of canned messages (reset as for kind 2 first).
void SetMessage2ById(qint32 id, TMessage2InfoRec &rec);
// The text Ctrl+C copies.
QString Message2ClipboardText(const TMessage2InfoRec &rec);
// Captions and results of the buttons a record offers (at most three).
QList<TStandardButtonInfo> Message2Buttons(TMsgDlgButtons buttons);

// Shows the box modally for a record and returns the result of the pressed button
// (2 for Esc or the close button); AgreeChecked comes back with the box's state.
int ShowMessageBox2(TMessage2InfoRec &rec);

// The colour of a stored colour value.
QColor TColorToQColor(TColor c);

// Opens the target of a link line (QDesktopServices by default).
extern std::function<void(const QString &target)> LinkOpener;

class TMessageBox2 : public QDialog
{
    Q_OBJECT
public:
    explicit TMessageBox2(QWidget *parent = nullptr);

    void SetMessageId(qint32 id);
    void ApplyMessageRec(const TMessage2InfoRec &rec);
    void Prepare(bool flag);
    void ArrangeControls();

    const TMessage2InfoRec &record() const { return m_rec; }
    bool agreeChecked() const;
    int agreeMode() const { return m_agreeMode; }
    // Focuses the button that returns this result (the default button of a request).
    void focusResult(int result);

    QLabel *label(int i) const { return m_labels[size_t(i)]; }
    TxPlButton *button(int i) const { return m_buttons[size_t(i)]; }
    TxCheckBox *agreeBox() const { return m_agree; }
    QWidget *agreePanel() const { return m_pnlAgree; }
    QLabel *image() const { return m_image; }

    void done(int r) override;
    void reject() override { done(2); }

protected:
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void applyRec();
    int scaled(int v) const;

    TMessage2InfoRec m_rec;
    bool m_prepared = false;
    int m_agreeMode = 0;
    QString m_agreeCaption;
    bool m_agreeChecked = false;
    QWidget *m_pnlClient, *m_pnlAgree, *m_pnlBottom;
    QLabel *m_image = nullptr;
    std::array<QLabel *, 10> m_labels{};
    std::array<TxPlButton *, 3> m_buttons{};
    TxCheckBox *m_agree;
};
