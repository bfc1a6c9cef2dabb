#pragma once
// The printout of a data-set list: the rows of a selection screen in its display
// order, one line per data set and one per child row, on fixed-layout pages
// (title, page number, column headings, rules), written into a print-data file of
// the print engine and sent to the printer or the preview window.
#include "datasets/DataSentakuList.h"
#include "print/z5PrintDlg.h"

#include <QString>

#include <memory>

class TPager512;

// The font of a font number of the print options ("ＭＳ 明朝" for an unknown one).
QString DataListFontName(int fontIndex);

class TPrDataList
{
public:
    TPrDataList();
    ~TPrDataList();
    TPrDataList(const TPrDataList &) = delete;
    TPrDataList &operator=(const TPrDataList &) = delete;

    // Set by the caller before Execute.
    int ListKind = 0;              // 0 the local data list, otherwise the shared-data list
    TDefaultPrintRec PrintRec;     // the choices of the print-options dialog
    TDataSentakuRecArray Recs;
    TDataSentakuRecDispArray Disp; // indexes into Recs, in the order printed
    int Orientation = 0;           // 0 portrait, 1 landscape

    // Writes the pages and prints them (true) or previews them (false); answers
    // what the printer or the preview answered. A failure to write the file is
    // raised (platform::Error) and nothing is printed.
    bool Execute(bool print);

    // The report component (tests set its header date and hooks through it).
    TPager512 &Pager() { return *m_pager; }

private:
    struct Layout;
    static const Layout &layoutOf(int orientation);
    void writePages();
    int lineStep();
    void writePageHead();
    void writeLine(const TDataListRec &r, int number, bool child);
    void text(int x, int y, const QString &text, int size, const QString &align);
    void line(int y, int width, int style);

    std::unique_ptr<TPager512> m_pager;
    const Layout *m_layout = nullptr;
    QString m_font;
    int m_counter = 0;
    int m_page = 1;
};
