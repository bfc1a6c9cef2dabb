#include "framework/xPlButton.h"

#include "dbaccess/Globals.h"

#include <QApplication>
#include <QBitmap>
#include <QIcon>
#include <QDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QShortcutEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QPainterPath>

#include <cstdlib>

namespace {
constexpr int kRoundRadius = 10;

int channel(int b, int e, int y, int h) { return b + y * (e - b) / (h - 1); }
} // namespace

// ---- caption and image objects ----

TxPlBtnCaption &TxPlBtnCaption::operator=(const TxPlBtnCaption &o)
{
    m_caption = o.m_caption;
    m_alignment = o.m_alignment;
    m_left = o.m_left;
    m_right = o.m_right;
    changed();
    return *this;
}
void TxPlBtnCaption::setCaption(const QString &c) { if (c != m_caption) { m_caption = c; changed(); } }
void TxPlBtnCaption::setAlignment(TxPlBtnAlignment a) { if (a != m_alignment) { m_alignment = a; changed(); } }
void TxPlBtnCaption::setLeft(int v) { if (v != m_left) { m_left = v; changed(); } }
void TxPlBtnCaption::setRight(int v) { if (v != m_right) { m_right = v; changed(); } }
void TxPlBtnCaption::changed() { if (m_owner) m_owner->refresh(); }

TxPlBtnImage &TxPlBtnImage::operator=(const TxPlBtnImage &o)
{
    m_picture = o.m_picture;
    m_kind = o.m_kind;
    m_left = o.m_left;
    m_top = o.m_top;
    m_visible = o.m_visible;
    m_transparent = o.m_transparent;
    m_vertCenter = o.m_vertCenter;
    m_horzCenter = o.m_horzCenter;
    changed();
    return *this;
}

void TxPlBtnImage::setPicture(const QPixmap &picture, const QString &format)
{
    const QString f = format.toLower();
    if (!picture.isNull() && (f == u"bmp" || f == u"bitmap")) {
        m_picture = picture;
        m_kind = Kind::Bitmap;
    } else if (!picture.isNull() && (f == u"ico" || f == u"icon")) {
        m_picture = picture;
        m_kind = Kind::Icon;
    } else {
        m_picture = QPixmap();
        m_kind = Kind::None;
    }
    changed();
}
void TxPlBtnImage::setLeft(int v) { m_left = v; m_horzCenter = false; changed(); }
void TxPlBtnImage::setTop(int v) { m_top = v; m_vertCenter = false; changed(); }
void TxPlBtnImage::setVisible(bool v) { if (v != m_visible) { m_visible = v; changed(); } }
void TxPlBtnImage::setTransParent(bool v) { if (v != m_transparent) { m_transparent = v; changed(); } }
void TxPlBtnImage::setVertCenter(bool v) { if (v != m_vertCenter) { m_vertCenter = v; if (v) changed(); } }
void TxPlBtnImage::setHorzCenter(bool v) { if (v != m_horzCenter) { m_horzCenter = v; if (v) changed(); } }
void TxPlBtnImage::changed() { if (m_owner) m_owner->refresh(); }

// ---- arithmetic ----

QColor GradientRowColor(const QColor &begin, const QColor &end, int y, int h)
{
    if (h <= 1) return begin;
    return QColor(channel(begin.red(), end.red(), y, h), channel(begin.green(), end.green(), y, h),
                  channel(begin.blue(), end.blue(), y, h));
}

CaptionTops ComputeCaptionTops(int h, int a, int b, bool hasA, bool hasB, int ls, bool vertCenter, int captionTop)
{
    CaptionTops r;
    r.captionTop = captionTop;
    if (vertCenter) {
        r.topA = hasB ? (h - 2 * a - ls) / 2 : (h - a) / 2 + 1;
        r.captionTop = r.topA;
        if (hasA) {
            r.topB = r.topA + a + ls;
        } else {
            r.topB = (h - b) / 2;
            r.captionTop = r.topB;
        }
    } else {
        r.topA = captionTop;
        r.topB = captionTop + (hasA ? a + ls : 0);
    }
    return r;
}

std::vector<int> EvenCharPositions(int width, int left, int right, const std::vector<int> &widths)
{
    std::vector<int> xs;
    const int n = int(widths.size());
    if (n == 0) return xs;
    int t = 0;
    for (int cw : widths) t += cw;
    const int w = width - right - left - 4;
    int x = left + 2;
    if (n == 1) {
        xs.push_back(width / 2 - t / 2);
        return xs;
    }
    const int gap = (w - t) / (n - 1);
    const int rest = (w - t) % (n - 1); // sign follows w - t
    for (int i = 0; i < n; ++i) {
        xs.push_back(x);
        int g = gap;
        if (i < std::abs(rest)) g += rest > 0 ? 1 : -1;
        x += widths[size_t(i)] + g;
    }
    return xs;
}

bool IsBareKeyCaption(const QString &caption)
{
    const QString t = caption.trimmed();
    for (const QString &label : FunctionKeyLabels)
        if (t.compare(label, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// ---- the button ----

TxPlButton::TxPlButton(QWidget *parent) : QWidget(parent)
{
    resize(75, 26);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    m_color = palette().color(QPalette::Button);
}

void TxPlButton::setButtonStyle(TxPlButtonStyle s)
{
    if (s == m_style) return;
    m_style = s;
    updateRegion();
    update();
}
void TxPlButton::setGradation(bool v)
{
    if (v == m_gradation) return;
    m_gradation = v;
    if (v) m_parentColor = false;
    update();
}
void TxPlButton::setGradBeginColor(const QColor &c) { if (c != m_gradBegin) { m_gradBegin = c; update(); } }
void TxPlButton::setGradEndColor(const QColor &c) { if (c != m_gradEnd) { m_gradEnd = c; update(); } }
void TxPlButton::setHasFocus(bool v)
{
    if (v == m_hasFocus) return;
    m_hasFocus = v;
    setFocusPolicy(v ? Qt::StrongFocus : Qt::NoFocus);
    update();
}
void TxPlButton::setCaptionLineSpace(int v) { if (v != m_lineSpace) { m_lineSpace = v; update(); } }
void TxPlButton::setCaptionTop(int v)
{
    m_captionTop = v;
    m_vertCenter = false;
    update();
}
void TxPlButton::setCaptionVertCenter(bool v) { if (v != m_vertCenter) { m_vertCenter = v; update(); } }
void TxPlButton::setFlatFrameType(TxPlBtnFrameType t) { if (t != m_frameType) { m_frameType = t; update(); } }
void TxPlButton::setColor(const QColor &c) { if (c != m_color) { m_color = c; m_parentColor = false; update(); } }
void TxPlButton::setParentColor(bool v) { if (v != m_parentColor) { m_parentColor = v; update(); } }

QString TxPlButton::text() const
{
    if (m_captionB.Caption().isEmpty()) return m_captionA.Caption();
    return m_captionA.Caption() + u'\n' + m_captionB.Caption();
}

bool TxPlButton::hasClickHandler() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&TxPlButton::clicked));
}

void TxPlButton::click()
{
    m_pressed = false;
    auto *dlg = qobject_cast<QDialog *>(window());
    if (dlg && m_modalResult != 0) dlg->setResult(m_modalResult);
    Q_EMIT clicked();
    // The form closes with the result unless the handler changed it.
    if (dlg && m_modalResult != 0 && dlg->result() == m_modalResult && dlg->isVisible()) dlg->done(m_modalResult);
    update();
}

bool TxPlButton::dialogKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (!m_hasFocus || !isEnabled() || !isVisible()) return false;
    if ((modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) != 0) return false;
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && hasFocus()) {
        click();
        return true;
    }
    if (key == Qt::Key_Escape && m_cancel) {
        click();
        return true;
    }
    return false;
}

void TxPlButton::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    if (m_hasFocus) setFocus(Qt::MouseFocusReason);
    m_pressed = true;
    update();
}

void TxPlButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(e);
    const bool wasPressed = m_pressed;
    m_pressed = false;
    update();
    if (wasPressed && rect().contains(e->position().toPoint()) && isEnabled()) click();
}

void TxPlButton::enterEvent(QEnterEvent *e)
{
    const QPoint p = e->position().toPoint();
    Q_EMIT mouseEntered(QApplication::keyboardModifiers(), p.x(), p.y());
    update();
}

void TxPlButton::leaveEvent(QEvent *)
{
    const QPoint p = mapFromGlobal(QCursor::pos());
    Q_EMIT mouseLeft(QApplication::keyboardModifiers(), p.x(), p.y());
    m_pressed = false;
    update();
}

void TxPlButton::keyPressEvent(QKeyEvent *e)
{
    const int k = e->key();
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        if (dialogKey(k, e->modifiers())) return;
        if (isEnabled()) Q_EMIT clicked(); // Enter with a modifier held
        return;
    }
    if (k == Qt::Key_Space && e->modifiers() == Qt::NoModifier && m_hasFocus) {
        m_pressed = true;
        update();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TxPlButton::keyReleaseEvent(QKeyEvent *e)
{
    const int k = e->key();
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        m_pressed = false;
        update();
        e->ignore(); // the form still sees the key release
        return;
    }
    if (k == Qt::Key_Space && m_pressed && !e->isAutoRepeat()) {
        click();
        return;
    }
    QWidget::keyReleaseEvent(e);
}

void TxPlButton::focusInEvent(QFocusEvent *e)
{
    if (m_hasFocus) update();
    QWidget::focusInEvent(e);
}

void TxPlButton::focusOutEvent(QFocusEvent *e)
{
    if (m_hasFocus) update();
    QWidget::focusOutEvent(e);
}

void TxPlButton::resizeEvent(QResizeEvent *e)
{
    updateRegion();
    QWidget::resizeEvent(e);
}

void TxPlButton::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::PaletteChange) update();
    QWidget::changeEvent(e);
}

QString PlainCaption(const QString &caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

void TxPlButton::refresh()
{
    const QKeySequence key = QKeySequence::mnemonic(m_captionA.Caption() + u'\n' + m_captionB.Caption());
    const QString text = key.toString(QKeySequence::PortableText);
    if (text != m_shortcutKey) {
        if (m_shortcutId) releaseShortcut(m_shortcutId);
        m_shortcutId = key.isEmpty() ? 0 : grabShortcut(key);
        m_shortcutKey = text;
    }
    update();
}

bool TxPlButton::event(QEvent *e)
{
    if (e->type() == QEvent::Shortcut && m_shortcutId
        && static_cast<QShortcutEvent *>(e)->shortcutId() == m_shortcutId) {
        if (isEnabled()) click();
        return true;
    }
    return QWidget::event(e);
}

void TxPlButton::updateRegion()
{
    if (m_style == TxPlButtonStyle::bsRoundRect || m_style == TxPlButtonStyle::bsRoundRectNoFrame) {
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, width() + 1, height() + 1), kRoundRadius / 2.0, kRoundRadius / 2.0);
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    } else {
        clearMask();
    }
}

void TxPlButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintTo(p);
}

void TxPlButton::paintTo(QPainter &p)
{
    const int w = width(), h = height();
    const bool enabled = isEnabled();
    const bool round = m_style == TxPlButtonStyle::bsRoundRect || m_style == TxPlButtonStyle::bsRoundRectNoFrame;

    // 1. background
    if (m_gradation) {
        for (int y = 0; y < h; ++y) {
            p.setPen(GradientRowColor(m_gradBegin, m_gradEnd, y, h));
            p.drawLine(0, y, w - 1, y);
        }
    } else if (!m_parentColor) {
        p.fillRect(rect(), m_color);
    }

    const bool pressedOffset = m_pressed && m_hasFocus;

    // 2. picture
    if (m_image.Visible() && m_image.hasPicture()) {
        const QPixmap &pic = m_image.m_picture;
        if (m_image.VertCenter()) m_image.m_top = (h - pic.height()) / 2;
        if (m_image.HorzCenter()) m_image.m_left = (w - pic.width()) / 2;
        int x = m_image.m_left, y = m_image.m_top;
        if (m_image.TransParent() && m_image.pictureKind() == TxPlBtnImage::Kind::Bitmap) {
            QPixmap masked = pic;
            const QImage img = pic.toImage();
            const QColor key = img.pixelColor(0, img.height() - 1);
            masked.setMask(QBitmap::fromImage(img.createMaskFromColor(key.rgb(), Qt::MaskInColor)));
            p.drawPixmap(x, y, masked);
        } else {
            if (pressedOffset) { ++x; ++y; }
            if (!enabled && m_hasFocus) {
                QIcon icon(pic);
                p.drawPixmap(x, y, icon.pixmap(pic.size(), QIcon::Disabled));
            } else {
                p.drawPixmap(x, y, pic);
            }
        }
    }

    // 3./4. captions
    p.setFont(font());
    const QFontMetrics fm(font());
    const bool hasA = !m_captionA.Caption().isEmpty(), hasB = !m_captionB.Caption().isEmpty();
    const CaptionTops tops = ComputeCaptionTops(h, fm.height(), fm.height(), hasA, hasB, m_lineSpace, m_vertCenter,
                                                m_captionTop);
    m_captionTop = tops.captionTop;
    drawCaption(p, m_captionA, tops.topA, enabled);
    drawCaption(p, m_captionB, tops.topB, enabled);

    // 5. frame
    p.setBrush(Qt::NoBrush);
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor dark = palette().color(QPalette::Shadow);
    auto edge = [&](const QColor &tl, const QColor &br, int inset) {
        p.setPen(tl);
        p.drawLine(inset, inset, w - 1 - inset, inset);
        p.drawLine(inset, inset, inset, h - 1 - inset);
        p.setPen(br);
        p.drawLine(inset, h - 1 - inset, w - 1 - inset, h - 1 - inset);
        p.drawLine(w - 1 - inset, inset, w - 1 - inset, h - 1 - inset);
    };
    switch (m_style) {
    case TxPlButtonStyle::bsNormal:
        if (m_pressed) {
            p.setPen(shadow);
            p.drawRect(0, 0, w - 1, h - 1);
            p.setPen(QColor(128, 128, 128));
            p.drawRect(1, 1, w - 3, h - 3);
        } else {
            edge(light, dark, 0);
            edge(Qt::white, shadow, 1);
        }
        break;
    case TxPlButtonStyle::bsFlat:
        switch (m_frameType) {
        case TxPlBtnFrameType::bffFlat: edge(shadow, shadow, 0); break;
        case TxPlBtnFrameType::bffEtched: edge(shadow, light, 0); edge(light, shadow, 1); break;
        case TxPlBtnFrameType::bffBump: edge(light, shadow, 0); edge(shadow, light, 1); break;
        }
        break;
    case TxPlButtonStyle::bsRoundRect:
        p.setPen(QColor(117, 117, 117));
        p.setRenderHint(QPainter::Antialiasing, false);
        p.drawRoundedRect(QRectF(0, 0, w - 1, h - 1), kRoundRadius / 2.0, kRoundRadius / 2.0);
        break;
    default: break;
    }

    // 6. focus mark
    if (hasFocus() && m_hasFocus) {
        QPen pen(round ? QColor(32, 32, 32) : palette().color(QPalette::WindowText));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        if (round) {
            p.drawRoundedRect(QRectF(2, 2, w - 4, h - 4), 4, 4);
        } else {
            int extra = 0;
            if (m_style == TxPlButtonStyle::bsFlat && m_frameType == TxPlBtnFrameType::bffBump) extra = 1;
            if (m_style == TxPlButtonStyle::bsFlat && m_frameType == TxPlBtnFrameType::bffEtched) extra = -1;
            p.drawRect(3, 3, w - 7 + extra, h - 7 + extra);
        }
    }
}

void TxPlButton::drawCaption(QPainter &p, const TxPlBtnCaption &c, int y, bool enabled)
{
    const QString text = PlainCaption(c.Caption());
    if (text.isEmpty()) return;
    const QFontMetrics fm(p.font());
    const int w = width();
    const int off = (m_pressed && m_hasFocus) ? 1 : 0;

    std::vector<int> xs;
    QStringList chars;
    TxPlBtnAlignment align = c.Alignment();
    if (align == TxPlBtnAlignment::taEven && text.size() == 1) align = TxPlBtnAlignment::taCenter;
    const int tw = fm.horizontalAdvance(text);
    switch (align) {
    case TxPlBtnAlignment::taCenter: xs.push_back(w / 2 - tw / 2); chars << text; break;
    case TxPlBtnAlignment::taLeft: xs.push_back(c.Left() + 2); chars << text; break;
    case TxPlBtnAlignment::taRight: xs.push_back(w - c.Right() - 2 - tw); chars << text; break;
    case TxPlBtnAlignment::taEven: {
        std::vector<int> widths;
        for (QChar ch : text) {
            chars << QString(ch);
            widths.push_back(fm.horizontalAdvance(ch));
        }
        xs = EvenCharPositions(w, c.Left(), c.Right(), widths);
        break;
    }
    }
    auto draw = [&](int dx, int dy, const QColor &color) {
        p.setPen(color);
        for (size_t i = 0; i < xs.size(); ++i)
            p.drawText(xs[i] + dx, y + dy + fm.ascent(), chars[int(i)]);
    };
    if (!enabled && m_hasFocus) {
        draw(1, 1, palette().color(QPalette::Light));
        draw(0, 0, palette().color(QPalette::Dark));
    } else if (!enabled) {
        draw(0, 0, palette().color(QPalette::Disabled, QPalette::WindowText));
    } else {
        draw(off, off, palette().color(QPalette::ButtonText));
    }
}

TxPlButton *NewPlButton(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    auto *b = new TxPlButton(parent);
    b->setObjectName(name);
    b->CaptionA().setCaption(caption);
    b->setGeometry(geometry);
    return b;
}
