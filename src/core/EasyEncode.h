#pragma once
// Keyed substitution scramble for short secrets kept in the settings stores,
// such as the data password of a company. It hides the text from casual
// reading; it is not encryption. Only letters and digits can be scrambled.
#include <QString>

// One scramble operation.
struct TEasyEncodeInfo {
    int EncodeLength = 0; // the length the scrambled text is padded to
    int PlainLength = 0;  // the number of characters of the plain text
    QString Key;
    QString PlainText;
    QString EncodeText;
};

// The 62 letters and digits in the order the scramble counts them.
inline const QString EasyEncodeAlphabet =
    QStringLiteral("P2jC5TyBD3z9acHiSrxEpm6AYoQehVnlW1NKkgZULI0fqFuMdtGOJvwbs7R8X4");

// The key of company passwords (both lengths 8).
inline const QString EasyEncodeCompanyKey = QStringLiteral("brimpax");

// The longest text the scramble handles.
inline constexpr int EasyEncodeMaxLength = 255;

// Both lengths 0, plain and scrambled texts empty; the key stays.
void ClearEasyEncodeInfo(TEasyEncodeInfo &info);

// Pads the plain text (in the record) with "A", "B", ... "Z", "A", ... up to the
// encoded length when that exceeds the plain length, then scrambles it into
// EncodeText. Returns 1 when the whole padded text was scrambled; 0 when it had
// to be cut: after 255 characters, or at a character that is not a letter or
// digit (the scrambled text then ends there).
int EasyEncode(TEasyEncodeInfo &info);

// Unscrambles the first PlainLength characters of EncodeText into PlainText
// (the padding is dropped). A scrambled text shorter than PlainLength simply
// ends. Returns false when the text had to be cut at a character that is not a
// letter or digit (PlainText then holds what came before it).
bool EasyDecode(TEasyEncodeInfo &info);
