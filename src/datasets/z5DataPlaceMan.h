#pragma once
// The data-place dialog of the server connection modes ("データの場所の設定"):
// the 100 data places, where the operator names a free place (its folder is
// made on the data server and its data-list slots written), renames one,
// frees one that holds no data set, and changes their order. The
// data-selection screen also uses its loading and look-up operations without
// showing it.
#include "datasets/DataPlaceStore.h"
#include "framework/SDI.h"

#include <QColor>

#include <array>
#include <functional>
#include <memory>

class QPlainTextEdit;
class QTableWidget;
class TInputDlgBox;
class TxPlButton;

class TDataPlaceBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TDataPlaceBox(QWidget *parent = nullptr);
    ~TDataPlaceBox() override;

    // Fills the grid with every place; the owner then shows the dialog modally.
    void Prepare(bool flag);
    // Loads the places (only the named ones with namedOnly); false after a
    // database failure (nothing is shown).
    bool LoadPlaces(bool namedOnly);
    // The names of the named places, each followed by "\r", in display order.
    QString PlaceNamesText();
    int PlaceRecByIndex(int index) const;
    QString PlacePathByIndex(int index) const;
    int IndexOfPlaceRec(int rec) const;
    QString PlacePathByRec(int rec) const;
    const TDataPlaceList &Places() const { return m_places; }

    void SetFunctionKeys();
    void LoadHints();
    void NewPlace();    // F2
    void RenamePlace(); // F3
    void FreePlace();   // F5
    void MoveRow(int delta); // F6 -1, F7 +1
    // The colour that marks the focused row.
    static QColor FocusMarkColor();

    // The folder operations on the data server (default: the data module's, in
    // the current connection mode).
    std::function<bool(const QString &folder)> FolderExists;
    std::function<bool(const QString &folder)> MakeFolder;

    QWidget *pnlClient = nullptr, *pnlBottom = nullptr, *PanelHint = nullptr;
    QTableWidget *PerfectGrid1 = nullptr;
    TxPlButton *F1 = nullptr, *F2 = nullptr, *F3 = nullptr, *F5 = nullptr, *F6 = nullptr, *F7 = nullptr;
    TxPlButton *btnOK = nullptr, *btnCancel = nullptr;
    QPlainTextEdit *HintArea = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    bool FormKeyUp(int key, Qt::KeyboardModifiers modifiers) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void fillGrid();
    void markRow(int row, bool focused);
    bool savePlaces();
    void reloadAfterFailure();
    int currentIndex() const;
    bool askName(const QString &caption, const QString &message, const QString &hint, QString &name);
    static bool acts(const TxPlButton *b, const QString &bare);

    TDataPlaceList m_places;
    int m_markedRow = -1;
    bool m_flag = false;
    QColor m_fore;
    std::unique_ptr<TInputDlgBox> m_input;
};
