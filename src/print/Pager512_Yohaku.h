#pragma once
// The margin dialog of the preview ("設定"): the top and left shift of the
// printout (-100..100, 0.1 mm) and the vertical and horizontal spacing correction
// (-50..50, 0.1 %). The owner fills it through the setters and reads the four
// fields after OK.
#include <QDialog>
#include <QWidget>

class QLineEdit;
class QToolButton;
class QGroupBox;
class QPushButton;
class TEdit512;

// A pair of arrow buttons bound to an edit: a click steps the edit's number by
// one within Min..Max and writes it back.
class TUpDown : public QWidget
{
    Q_OBJECT
public:
    TUpDown(int min, int max, QWidget *parent = nullptr);

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    // Clamps to Min..Max and shows the value in the bound edit.
    void setPosition(int value);
    void setAssociate(QLineEdit *edit);
    QLineEdit *associate() const { return m_edit; }
    // One click: +1 up, -1 down, from the number the edit holds now.
    void step(int delta);

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

private:
    int m_min;
    int m_max;
    int m_position = 0;
    QLineEdit *m_edit = nullptr;
    QToolButton *m_up;
    QToolButton *m_down;
};

class Tfmyohaku : public QDialog
{
    Q_OBJECT
public:
    explicit Tfmyohaku(QWidget *parent = nullptr);

    void SetTopMargin(int value);
    void SetLeftMargin(int value);
    // Per mille, 1000 = no correction; outside 950..1050 the control shows 0.
    void SetVRatio(int perMille);
    void SetHRatio(int perMille);

    // Read by the owner after OK.
    int TopMargin = 0;
    int LeftMargin = 0;
    int VRatio = 0;
    int HRatio = 0;

    TEdit512 *topEdit() const { return m_top; }
    TEdit512 *leftEdit() const { return m_left; }
    TEdit512 *vRatioEdit() const { return m_vRatio; }
    TEdit512 *hRatioEdit() const { return m_hRatio; }

    // Clamps the edit's number to its range, writes a clamped value back and
    // stores it in the matching field.
    void ED_TOPExit(TEdit512 *edit);
    void Button1Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TEdit512 *makeEdit(const char *name, TUpDown *upDown, int maxLength);
    int limitOf(const TEdit512 *edit) const;

    TUpDown *m_upDown1;
    TUpDown *m_upDown2;
    TUpDown *m_upDown3;
    TUpDown *m_upDown4;
    TEdit512 *m_top;
    TEdit512 *m_left;
    TEdit512 *m_vRatio;
    TEdit512 *m_hRatio;
};
