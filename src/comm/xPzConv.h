#pragma once
// The Base64 codec of data names on the relay wire, and the escaping of query
// values. The relay server stores a data name as the Base64 form of its
// Shift-JIS (code page 932) bytes; the codec works on those bytes.
//
// The encoder is standard Base64 with "=" padding. The decoder is the relay's
// own and keeps its quirks, because names written by other clients must read
// back the same way: it takes the characters in groups of four without
// skipping anything (a character outside the alphabet, "=" included, counts as
// 64), emits the first byte of a group always and the second and third only
// when they are not zero, and ignores a trailing group of fewer than four.
#include <QByteArray>
#include <QObject>
#include <QString>

class TxPzConv : public QObject
{
    Q_OBJECT
    // Kept for the component's published interface; the codec does not use them.
    Q_PROPERTY(int JisByteCodeType MEMBER JisByteCodeType)
    Q_PROPERTY(int JisKanaConvType MEMBER JisKanaConvType)
public:
    explicit TxPzConv(QObject *parent = nullptr);

    int JisByteCodeType = 0;
    int JisKanaConvType = 0;

    static QByteArray EncodeBase64(const QByteArray &bytes);
    static QByteArray DecodeBase64(const QByteArray &text);

    // 0-25 "A"-"Z", 26-51 "a"-"z", 52-61 "0"-"9", 62 "+", 63 "/", 64 and above "=".
    static char SixBitsToChar(int value);
    // The inverse on the alphabet; any other character (also "=") gives 64.
    static int CharToSixBits(char c);
};

// The value of the data-name key: "+" becomes "%2b" and "=" becomes "%3d";
// every other character, "/" included, is copied.
QByteArray EscapeQueryValue(const QByteArray &value);

// Any other query value (serial, communication ID, password): the code page 932
// bytes with every byte outside the unreserved set (letters, digits, "-", ".",
// "_", "~") percent-encoded, so that no value can add keys or end the request
// line. Letters and digits come out unchanged.
QByteArray PercentEncodeQueryValue(const QString &value);

// A data name as the relay stores it: the code page 932 bytes with a split last
// character repaired, Base64-encoded.
QByteArray EncodeDataName(const QString &name);
QByteArray EncodeDataName(const QByteArray &cp932);
// A stored data name read back: decoded, a split last character repaired, and
// converted from code page 932.
QString DecodeDataName(const QByteArray &stored);
