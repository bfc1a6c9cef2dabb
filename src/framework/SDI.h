#pragma once
// The base dialog form of the framework's screens: Esc and F12, long hints in a
// memo, scaling to the operator's font, and for resizable screens the saved size
// per operator (FORMRSIZE) and the operation log of the company (OPINF).
#include "dbaccess/FbClient.h"
#include "framework/GamenKeyValue.h"

#include <QDialog>
#include <QFont>
#include <QList>
#include <QPointer>

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

class QPlainTextEdit;
class TxPlButton;

enum class TFormBorderStyle { bsDialog, bsSizeable };

// The scale of a form for the operator's font: the percent of the user font over
// the design font (both converted to pixels at the screen's resolution), the
// form's pixels per inch, and the base resolution the form was laid out for.
struct TFormScale {
    int percent = 100;
    int ppi = 96;
    int base = 96;
};
TFormScale ComputeFormScale(int designPoints, int userPoints, int screenPpi);

// The long part of a hint ("short|long"): the text after the first "|", else the whole hint.
QString LongHint(const QString &hint);
// The part of a hint before "|" (the whole hint when it has none).
QString ShortHint(const QString &hint);

// The bounds a form gets when no size is stored: 1012 x 648 scaled by ppi / 96,
// less (2 * frame height - 8) when that is positive.
QSize DefaultFormSize(int ppi, int frameHeight);

// Hooks the host program installs.
// The main form (positions and stored sizes refer to it; none: the screen's work area).
extern QPointer<QWidget> MainFormWidget;
// Called on every activation of a form with its NotifyActivate flag and its value.
extern std::function<void(bool notify, int value)> FormActivateHook;
// The menu callback: (command, text) -> answer.
extern std::function<int(int command, const QString &text)> MenuCallbackHook;
extern int MenuCallbackAnswer;
// Set when a form wrote its opening row of the operation log.
extern bool ProcHistoryOpened;
// A host program's notices of a changed company data set, called only when
// installed (this program installs none): a reset (one number); a data line
// (kind 0 company, 1 branch; a text, the company's branch-management value and
// a second text); a count (kind 0 or 1 and a number).
extern std::function<void(int value)> DataResetProc;
extern std::function<void(int kind, const QString &text, int branchValue, const QString &text2)> DataInfoProc;
extern std::function<void(int kind, int number)> DataCountProc;

class QTableWidget;

// How a control is docked in its parent, and the sides it keeps its distance
// to when the parent resizes. Only the frame compensation of the base form
// reads them; a control is undocked and anchored left and top unless set.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorSide { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
inline constexpr int AllAnchors = akLeft | akTop | akRight | akBottom;
void SetControlAlign(QWidget *control, TAlign align);
TAlign ControlAlign(const QWidget *control);
void SetControlAnchors(QWidget *control, int anchors);
int ControlAnchors(const QWidget *control);

// A panel: a plain container widget (a QWidget or QFrame of no further class).
bool IsPanel(const QWidget *w);
// The controls of a form in creation order, depth first: the form's children
// and, inside panels, group boxes and stacked pages, theirs. The inner parts
// of a control (a grid's viewport, a combo box's list) are not among them.
QList<QWidget *> FormComponents(QWidget *form);
// Takes the frame offset d off a resizable form's controls: a left-docked
// panel at the left edge narrows by d (one anchored on all sides elsewhere
// widens by d); every other control moves d to the left (never below 0),
// except the children of group boxes and the controls inside a panel named
// "pnlSwkInA" or "pnlChoseiNasi" (through any depth of panels).
void CompensateFrame(QWidget *form, int d);

// One control of a form as it was laid out, before scaling. Grids and list
// views keep their row height and column widths (-1 for a hidden column).
struct TControlSizeRec {
    enum class Kind { Other, Grid, StringGrid, ListView };
    QPointer<QWidget> Control;
    Kind kind = Kind::Other;
    int Left = 0, Top = 0, Width = 0, Height = 0, Tag = 0;
    int ItemHeight = 0; // combo boxes
    int DefHeight = 0, DefWidth = 0;
    std::vector<int> ColWidths;
};

// The operator's colours of a list grid.
struct TGridColors {
    QColor FixedBack, FixedBorder, Border, Disabled, Back, OddRowBack, FocusBorder, ThruBorder, VoidArea;
};
// Styles a list grid from the operator's colours (header, borders) and answers
// them; kind 1 keeps "ClientColor" for both row colours, any other kind takes
// "ClientColor1" and "ClientColor2".
TGridColors SetPerfectGridColors(QTableWidget *grid, int kind);

class TBSDI : public QDialog
{
    Q_OBJECT
public:
    explicit TBSDI(QWidget *parent = nullptr, TFormBorderStyle style = TFormBorderStyle::bsDialog);
    ~TBSDI() override;

    bool isDialogStyle() const { return m_style == TFormBorderStyle::bsDialog; }
    TFormBorderStyle borderStyle() const { return m_style; }

    // Behaviour switches; subclasses change them after the base construction.
    bool UseMenuCallback = false;
    bool WriteHistory;
    bool SkipProcessCheck;
    bool SaveFormSize;
    bool ReloadAccInfo;
    bool NotifyActivate;
    // Closing frees a form made with new unless this is on; a form on the
    // stack is never freed by closing (see freeOnClose).
    bool KeepOnClose = false;
    bool FirstPositioning = true;
    bool ShownOnce = false;
    bool CreateDone = false; // each subclass switches it on as the last step of its construction
    TxPlButton *EndButton = nullptr;
    bool FocusEndButton = true;
    QPlainTextEdit *HintMemo = nullptr;
    QWidget *OwnerWindow = nullptr;
    QString OwnerCaption;
    QString GamenValue;
    int ScalePercent = 100;
    int AppliedScalePercent = 100;
    int FormTag = 50;
    // The sixteen-cell start of the month in which the company's books begin.
    int KikanStartIndex = 0;

    // The form's transaction on the company database (read committed, no wait).
    FbTransaction IBTransactionDAT;

    void SetOwnerWindow(QWidget *window);
    void SetFormPosition(int x, int y, int width, int height, int mode);
    void PutProcRirekiInfo(int state); // 0 opening, 1 closing; database errors are reported and rethrown
    void GetFormSize();
    void PutFormSize();
    std::unique_ptr<FbQuery> NewQuery();
    std::unique_ptr<FbStoredProc> NewStoredProc(const QString &procName);
    void GetGamenValue();
    void PutGamenValue();
    static void ShowHintInMemo(QWidget *control, QPlainTextEdit *memo);
    // Fills the period panels named "KikanPanel16", "KikanPanel12",
    // "KikanPanel4" and "KikanPanel2" with the open company's fiscal year and
    // sets their first choice. A subclass that adjusts its panels calls this
    // once they exist and then makes its changes; otherwise the first show
    // calls it. It runs once per form; without an open company it leaves the
    // panels as they are.
    void InitKikanPanels();

    // The control sizes recorded at the first show (released when the bounds are saved).
    const std::vector<TControlSizeRec> &sizeTable() const { return m_sizeTable; }

    int formPpi() const { return m_ppi; }
    QSize designSize() const { return m_designSize; }
    const QFont &userFont() const { return m_userFont; }

    void done(int r) override;
    // Frees the form later when it was made with new and is not kept; a form
    // that lives on the stack or inside another object is left to its owner.
    void freeOnClose();
    static void *operator new(std::size_t size);
    static void operator delete(void *p) noexcept;
    static void *operator new(std::size_t, void *where) noexcept { return where; } // placement, not a heap form
    static void operator delete(void *, void *) noexcept {}
    void accept() override { done(1); }
    void reject() override { done(2); }

    // The text shown when a form was not set up completely.
    static QString InitFailedText(const QString &caption);

protected:
    void showEvent(QShowEvent *e) override;
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    // The first-show work (history, company data, sizes, scaling, stored bounds).
    virtual void FormShow();
    // The closing work (stored bounds, history); always followed by the final steps.
    virtual void FormClose();
    // Esc and F12 on key release; true when the key was used.
    virtual bool FormKeyUp(int key, Qt::KeyboardModifiers modifiers);

private:
    void buildSizeTable(double gridFactor);
    void applyScaling();
    void onFocusChanged(QWidget *old, QWidget *now);

    TFormBorderStyle m_style;
    QFont m_userFont;
    bool m_hasUserFont = false;
    bool m_hintsOn = true;
    TGamenKeyValue m_gamen;
    QSize m_designSize;
    int m_ppi = 96;
    bool m_closing = false;
    bool m_kikanPanelsDone = false;
    std::vector<TControlSizeRec> m_sizeTable;
    int m_sizeTableCount = -1;
};
