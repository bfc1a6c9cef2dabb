#pragma once
// The framework's push button: drawn by itself (vertical gradient, optional
// picture, up to two caption lines, five frame styles), with a modal result
// for its form, Esc handling for a cancel button and a switch that keeps it
// out of the focus chain.
#include <QColor>
#include <QPixmap>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <vector>

class TxPlButton;

enum class TxPlButtonStyle { bsNormal, bsFlat, bsFlatNoFrame, bsRoundRect, bsRoundRectNoFrame };
enum class TxPlBtnFrameType { bffFlat, bffEtched, bffBump };
enum class TxPlBtnAlignment { taCenter, taLeft, taRight, taEven };

// One caption line.
class TxPlBtnCaption
{
public:
    explicit TxPlBtnCaption(TxPlButton *owner = nullptr) : m_owner(owner) {}
    TxPlBtnCaption &operator=(const TxPlBtnCaption &other); // copies the four values, refreshes the owner

    QString Caption() const { return m_caption; }
    void setCaption(const QString &c);
    TxPlBtnAlignment Alignment() const { return m_alignment; }
    void setAlignment(TxPlBtnAlignment a);
    int Left() const { return m_left; }
    void setLeft(int v);
    int Right() const { return m_right; }
    void setRight(int v);

private:
    void changed();
    TxPlButton *m_owner;
    QString m_caption;
    TxPlBtnAlignment m_alignment = TxPlBtnAlignment::taCenter;
    int m_left = 0, m_right = 0;
};

// The picture and its placement.
class TxPlBtnImage
{
public:
    enum class Kind { None, Bitmap, Icon };
    explicit TxPlBtnImage(TxPlButton *owner = nullptr) : m_owner(owner) {}
    TxPlBtnImage &operator=(const TxPlBtnImage &other);

    // Only bitmaps ("bmp") and icons ("ico") are kept; any other kind of picture is dropped.
    void setPicture(const QPixmap &picture, const QString &format);
    void clearPicture() { setPicture(QPixmap(), QString()); }
    const QPixmap &Picture() const { return m_picture; }
    bool hasPicture() const { return m_kind != Kind::None && !m_picture.isNull(); }
    Kind pictureKind() const { return m_kind; }

    int Left() const { return m_left; }
    void setLeft(int v); // switches HorzCenter off
    int Top() const { return m_top; }
    void setTop(int v); // switches VertCenter off
    bool Visible() const { return m_visible; }
    void setVisible(bool v);
    bool TransParent() const { return m_transparent; }
    void setTransParent(bool v);
    bool VertCenter() const { return m_vertCenter; }
    void setVertCenter(bool v);
    bool HorzCenter() const { return m_horzCenter; }
    void setHorzCenter(bool v);

private:
    friend class TxPlButton;
    void changed();
    TxPlButton *m_owner;
    QPixmap m_picture;
    Kind m_kind = Kind::None;
    int m_left = 10, m_top = 0;
    bool m_visible = true, m_transparent = false, m_vertCenter = true, m_horzCenter = false;
};

// Arithmetic of the painting, free of any window.

// Colour of gradient row y (0 at the top) of a button h pixels high, per channel
// begin + y * (end - begin) / (h - 1), integer division; h <= 1 gives begin.
QColor GradientRowColor(const QColor &begin, const QColor &end, int y, int h);

struct CaptionTops {
    int topA = 0;       // top of CaptionA
    int topB = 0;       // top of CaptionB
    int captionTop = 0; // the value left in CaptionTop
};
// Tops of the two lines for a button of the given height; a and b are the text
// heights of the lines, hasA/hasB whether they have text.
CaptionTops ComputeCaptionTops(int height, int a, int b, bool hasA, bool hasB, int lineSpace, bool vertCenter,
                               int captionTop);

// Left x of every character of a spread-out ("even") caption: n characters of
// total text width t with individual widths, over the button width minus the margins.
std::vector<int> EvenCharPositions(int width, int left, int right, const std::vector<int> &charWidths);

// Whether a function-key caption is only its bare key label ("F3:", "ESC:"),
// which marks the command unavailable.
bool IsBareKeyCaption(const QString &caption);

// A caption as shown: "&X" marks the accelerator (shown as X), "&&" is a plain "&".
QString PlainCaption(const QString &caption);

class TxPlButton : public QWidget
{
    Q_OBJECT
public:
    explicit TxPlButton(QWidget *parent = nullptr);

    TxPlButtonStyle ButtonStyle() const { return m_style; }
    void setButtonStyle(TxPlButtonStyle s);
    bool Cancel() const { return m_cancel; }
    void setCancel(bool v) { m_cancel = v; }
    bool Gradation() const { return m_gradation; }
    void setGradation(bool v);
    QColor GradBeginColor() const { return m_gradBegin; }
    void setGradBeginColor(const QColor &c);
    QColor GradEndColor() const { return m_gradEnd; }
    void setGradEndColor(const QColor &c);
    bool HasFocus() const { return m_hasFocus; }
    void setHasFocus(bool v);
    int ModalResult() const { return m_modalResult; }
    void setModalResult(int v) { m_modalResult = v; }
    int CaptionLineSpace() const { return m_lineSpace; }
    void setCaptionLineSpace(int v);
    int CaptionTop() const { return m_captionTop; }
    void setCaptionTop(int v); // switches CaptionVertCenter off
    bool CaptionVertCenter() const { return m_vertCenter; }
    void setCaptionVertCenter(bool v);
    TxPlBtnFrameType FlatFrameType() const { return m_frameType; }
    void setFlatFrameType(TxPlBtnFrameType t);
    QColor Color() const { return m_color; }
    void setColor(const QColor &c);
    bool ParentColor() const { return m_parentColor; }
    void setParentColor(bool v);

    TxPlBtnCaption &CaptionA() { return m_captionA; }
    TxPlBtnCaption &CaptionB() { return m_captionB; }
    const TxPlBtnCaption &CaptionA() const { return m_captionA; }
    const TxPlBtnCaption &CaptionB() const { return m_captionB; }
    void setCaptionA(const TxPlBtnCaption &c) { m_captionA = c; }
    void setCaptionB(const TxPlBtnCaption &c) { m_captionB = c; }
    TxPlBtnImage &Image() { return m_image; }
    void setImage(const TxPlBtnImage &i) { m_image = i; }

    // The caption as one text (CaptionA, and CaptionB after a line break when set).
    QString text() const;
    bool isPressed() const { return m_pressed; }
    // Whether anything is connected to clicked() (a click handler exists).
    bool hasClickHandler() const;
    // A click as from the mouse: the form's modal result, then clicked().
    void click();
    // The dialog-key check: clicks for Enter (the button focused) or Esc (Cancel on),
    // only without modifiers and with HasFocus on. True when it clicked.
    bool dialogKey(int key, Qt::KeyboardModifiers modifiers);

    QSize sizeHint() const override { return {75, 26}; }
    // Repaints and takes over the Alt shortcut of an "&X" mark in the captions.
    void refresh();

Q_SIGNALS:
    void clicked();
    void mouseEntered(Qt::KeyboardModifiers shift, int x, int y);
    void mouseLeft(Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;
    void keyPressEvent(QKeyEvent *) override;
    void keyReleaseEvent(QKeyEvent *) override;
    void focusInEvent(QFocusEvent *) override;
    void focusOutEvent(QFocusEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void changeEvent(QEvent *) override;
    bool event(QEvent *) override;

private:
    void paintTo(class QPainter &p);
    void drawCaption(class QPainter &p, const TxPlBtnCaption &c, int y, bool enabled);
    void updateRegion();

    TxPlButtonStyle m_style = TxPlButtonStyle::bsNormal;
    bool m_cancel = false;
    bool m_gradation = true;
    QColor m_gradBegin = QColor(255, 255, 255);
    QColor m_gradEnd = QColor(192, 192, 192);
    bool m_hasFocus = true;
    int m_modalResult = 0;
    int m_lineSpace = 4;
    int m_captionTop = 0;
    bool m_vertCenter = true;
    TxPlBtnFrameType m_frameType = TxPlBtnFrameType::bffFlat;
    QColor m_color;
    bool m_parentColor = false;
    TxPlBtnCaption m_captionA{this}, m_captionB{this};
    TxPlBtnImage m_image{this};
    int m_shortcutId = 0;
    QString m_shortcutKey;
    bool m_pressed = false;
    bool m_namedCaption = false;
};

// A button of a dialog laid out by hand: its control name, caption and place.
TxPlButton *NewPlButton(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry);
