#include "print/Pager512_Edit.h"

TEdit512::TEdit512(QWidget *parent) : TxEdit(parent)
{
    setKeyEdit3D(0);
}

void TEdit512::setAlignment512(Qt::Alignment horizontal)
{
    setAlignment((horizontal & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
}

void TEdit512::setKeyEdit3D(quint8 look)
{
    m_look = look;
    TxEdit::setKeyEdit3D(look == 1 ? TBorderStyle::bsSingle : TBorderStyle::bsNone);
}

QChar FilterNumericKey(const QString &text, QChar key, bool wholeSelected)
{
    if (key == u'\b')
        return key;
    if (key == u'-')
        return (wholeSelected || text.isEmpty()) ? key : QChar();
    if (key == u'0') {
        if (!wholeSelected && (text == QStringLiteral("0") || text == QStringLiteral("-")))
            return QChar();
        return key;
    }
    if (key >= u'1' && key <= u'9')
        return key;
    return QChar();
}
