#pragma once
// The print engine's edit box: the framework edit (focus moves by Enter and the
// arrow keys, caret placement on entry, typed values, reading collection) with a
// text alignment and a flat or sunken look, plus the key filter of the engine's
// signed-number edits.
#include "framework/xKeyControls.h"

#include <QChar>
#include <QString>

class TEdit512 : public TxEdit
{
    Q_OBJECT
public:
    explicit TEdit512(QWidget *parent = nullptr);

    Qt::Alignment Alignment() const { return alignment() & Qt::AlignHorizontal_Mask; }
    void setAlignment512(Qt::Alignment horizontal);

    // 1: the sunken (framed) look; any other value: flat.
    quint8 KeyEdit3D() const { return m_look; }
    void setKeyEdit3D(quint8 look);

private:
    quint8 m_look = 0;
};

// The key filter for signed integers: the key to insert, or the null character to
// refuse it. Backspace, "-" and the digits may pass. "-" only into an empty or a
// wholly selected text; a "0" not into a text that is exactly "0" or "-" unless it
// is wholly selected (no "00", no "-0").
QChar FilterNumericKey(const QString &text, QChar key, bool wholeSelected);
