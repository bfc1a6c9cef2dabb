#pragma once
// The report-colour dialog ("帳票色の選択"): the four colours of a colour
// printout (frame lines, grid lines, heading rows, total rows). Mode 0 makes the
// chosen colours the operator's environment colours; mode 1 edits the colours of
// one report and offers the way back to the environment colours. The picker's
// sixteen custom colours are kept per operator.
#include "core/EnvUtils.h"
#include "framework/SDI.h"

#include <QColor>
#include <QLabel>

#include <array>
#include <functional>

class TxPlButton;

class TPrnColorSetBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TPrnColorSetBox(QWidget *parent = nullptr);

    int Mode = 0;
    TColor LineColor1 = 0;
    TColor LineColor2 = 0;
    TColor NetColor1 = 0;
    TColor NetColor2 = 0;

    void SetLineColor1(TColor c);
    void SetLineColor2(TColor c);
    void SetNetColor1(TColor c);
    void SetNetColor2(TColor c);
    void Prepare(int flag);
    void ShowColors();

    // The colour of panel 0..3 (frame, grid, heading, total).
    TColor panelColor(int index) const { return m_panelColors[size_t(index)]; }

    void btnLineColor1Click(int tag);
    void lblKankyoColorClick();
    void btnOKClick();

    // The colour picker: starts on the colour, answers true with the chosen one.
    // Tests replace it; by default the system's colour dialog is shown.
    static std::function<bool(QColor &color, QWidget *parent)> PickColorHook;

    // The custom colours as the picker's list text: "ColorA=FFFFFF" to "ColorP=..."
    // (BGR hexadecimal), one a line ended by a carriage return.
    static QString CustomColorsText();
    static void LoadCustomColors(const QString &text);

protected:
    void FormClose() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paintPanel(int index, TColor c);

    int m_prepared = 0;
    std::array<QLabel *, 4> m_panels{};
    std::array<TColor, 4> m_panelColors{};
    QLabel *lblKankyoColor = nullptr;
    TxPlButton *btnOK = nullptr;
    TxPlButton *btnCancel = nullptr;
};
