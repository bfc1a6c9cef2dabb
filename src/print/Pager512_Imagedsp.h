#pragma once
// The preview window ("印刷ﾌﾟﾚﾋﾞｭｰ"): a print job page by page on screen, drawn
// by the page renderer exactly as it goes to the printer (the form layer, then
// the data layer), with zoom (50 % to 200 %), page navigation, the margin
// dialog, printing of the job or of the page shown, the previous/next report
// buttons, and saving and reopening a preview (".512" with its ".51F" form).
#include <QDialog>
#include <QPoint>
#include <QStringList>
#include <QWidget>

class QFrame;
class QLabel;
class QScrollArea;
class QToolButton;
class TImageDispForm;
struct TP512DEF;

// The printable area of the sheet; its paint event draws the current page.
class TPreviewPaintBox : public QWidget
{
    Q_OBJECT
public:
    explicit TPreviewPaintBox(TImageDispForm *form, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    TImageDispForm *m_form;
};

class TImageDispForm : public QDialog
{
    Q_OBJECT
public:
    explicit TImageDispForm(QWidget *parent = nullptr);
    ~TImageDispForm() override;

    // -1 previous report, 0 closed, 1 next report.
    int CloseResult = 0;

    QWidget *SpeedBar = nullptr;
    QToolButton *CloseButton = nullptr, *PrintButton = nullptr, *PrintSetupButton = nullptr,
                *SB_MARGIN = nullptr, *ZoomJustButton = nullptr, *SpeedButton3 = nullptr,
                *ZoomInButton = nullptr, *ZoomOutButton = nullptr, *PgJump = nullptr, *TopPage = nullptr,
                *PrevPage = nullptr, *NextPage = nullptr, *LastPage = nullptr, *CurrentPage = nullptr,
                *PrevPaper = nullptr, *NextPaper = nullptr, *ImageOut = nullptr, *ImageOpen = nullptr,
                *ImageOpenCancel = nullptr;
    QLabel *DispZoom = nullptr;
    QLabel *WherePage = nullptr;
    QScrollArea *ImagePaintScrollBox = nullptr;
    QFrame *PaperPanel = nullptr;
    TPreviewPaintBox *ImagePaintBox = nullptr;

    // The activation steps: close result, zoom, page counts (page 1), the zoom
    // fitted to the window, the page orientations. Run when the window is first
    // shown and again after each dialog opened from it closes.
    void FormCreate();
    // Device factors and the form file's field tables.
    void FormShow();
    // The layout of the sheet after a change of zoom, printer, paper or margins.
    void FormResize();
    void ZoomDisp();

    void CloseButtonClick();
    void PrintButtonClick();
    void PrintSetupButtonClick();
    void SB_MARGINClick();
    void ZoomJustButtonClick();
    void SpeedButton3Click();
    void ZoomInButtonClick();
    void ZoomOutButtonClick();
    void PgJumpClick();
    void Top_PageClick();
    void DispPrev();
    void DispNext();
    void Bottom_PageClick();
    void CurrentPageClick();
    void PrevPaperClick();
    void NextPaperClick();
    void ImageSave_Click();
    void ImageOpen_Click();
    void ImageOpenCancel_Click();

    void ApplyPageOrientation();
    // Draws the current page on the paint box's painter.
    void ImagePaintBoxPaint(QPainter &painter);

    int zoom() const { return m_zoom; }
    int currentPage() const;
    int totalPages() const;
    int pixelsPerInch() const { return m_ppi; }
    double horizontalFactor() const { return m_hFactor; }
    double verticalFactor() const { return m_vFactor; }
    // The page offsets the renderer adds for this window (0.1 mm).
    int leftOffset() const { return m_leftOffset; }
    int topOffset() const { return m_topOffset; }
    int evenLeftOffset() const { return m_evenLeftOffset; }

    // Dragging the sheet with the left button.
    void beginDrag(const QPoint &globalPos);
    void dragTo(const QPoint &globalPos);
    void endDrag();

protected:
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void setPage(int page);
    void showPageLabel();
    int fittedZoom() const;
    void loadPageOrientations();
    // After a dialog opened from the window closed: the activation steps.
    void activatedAgain();
    // A box about a missing file, shown after the paint event (once per file).
    void reportMissing(const QString &text);
    void rewriteFileReferences(QStringList &lines, const QString &key, const QString &dir, const QString &base);

    int m_zoom = 10;
    int m_ppi = 96;
    double m_hFactor = 96 / 254.0;
    double m_vFactor = 96 / 254.0;
    int m_leftOffset = 0;
    int m_topOffset = 0;
    int m_evenLeftOffset = 0;
    bool m_busy = false;
    bool m_paintAttached = true;
    bool m_shown = false;
    QPoint m_dragFrom;
    bool m_dragging = false;
    QStringList m_orientations;
    QStringList m_reported;

    // The job's settings kept while a saved preview is open.
    struct Kept {
        int PaperSize = 0, OutPutPaper = 0, Orientation = 0, TopMargin = 0, LeftMargin = 0;
        qint32 NetColor1 = 0, NetColor2 = 0, UserColor1 = 0, UserColor2 = 0;
        bool PrintFom = false;
    } m_kept;
};

// Runs the preview of the job modally; answers the close result (0 when nothing
// was shown).
int StartPreview(TP512DEF &definition);

// Creates the window (a failed creation is logged and tried again, six times in all).
TImageDispForm *CreatePreviewForm();

// The application's hint window takes the large font of the print engine.
void InstallBigHintWindow();
