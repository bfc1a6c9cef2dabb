#include "print/Pager512_Form.h"

#include "core/Messages.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/StandardFolders.h"
#include "print/Pager512_Chart.h"
#include "print/Pager512_Data.h"
#include "print/Pager512_Tables.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using pager512::fieldInt;

void TFormFields::reset()
{
    for (TFormPageFields &p : Pages) {
        p.Data.fill(TDataField());
        p.Totals.fill(TTotalField());
        p.DataCount = 1;
        p.TotalCount = 0;
    }
    PageCounter = 0;
}

int TFormFields::lineFieldPitch(int page) const
{
    return (page >= 0 && page < kFormPages) ? Pages[page].Data[0].Span : 0;
}

TDataField *TFormFields::findField(int page, const QString &name)
{
    if (page < 0 || page >= kFormPages || name.isEmpty())
        return nullptr;
    const QString key = name.toUpper();
    for (int i = 1; i <= kFieldLookup; ++i) {
        TDataField &f = Pages[page].Data[i];
        if (!f.Name.isEmpty() && f.Name == key)
            return &f;
    }
    return nullptr;
}

void TFormFields::resetUse(int page)
{
    if (page < 0 || page >= kFormPages)
        return;
    for (TDataField &f : Pages[page].Data)
        f.Count = 0;
    for (TTotalField &t : Pages[page].Totals)
        t.Amount = 0;
}

TFormFields &FormFields()
{
    static TFormFields fields;
    return fields;
}

TColor FormColorWord(const QString &word)
{
    return ColorNameToColor(word, QString());
}

TColor FormSwitchWord(const QString &word)
{
    if (word == QLatin1String("1") || word == QLatin1String("OFF"))
        return 1;
    if (word == QLatin1String("ON"))
        return 0xFFFFFF;
    return FormColorWord(word);
}

int FormAlignWord(const QString &word)
{
    if (word == QLatin1String("CENTER") || word == QLatin1String("1"))
        return 1;
    if (word == QLatin1String("RIGHT") || word == QLatin1String("2") || word == QLatin1String("BOTTOM"))
        return 2;
    return 0;
}

void AppendPrintErrorLog(const QString &operation, const QString &message)
{
    WriteErrorLog(QStringLiteral("%1:%2").arg(operation, message));
}

namespace {

QString at(const QStringList &fields, int i)
{
    return i < fields.size() ? fields[i] : QString();
}

void loadFields(const QString &fileName, int xOffset, int yOffset)
{
    TFormFields &t = FormFields();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw platform::Error(QStringLiteral("%1: %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw platform::Error(QStringLiteral("%1: %2").arg(fileName, file.errorString()));
    for (QString line : pager512::decodeLines(bytes)) {
        if (!line.endsWith(u';'))
            line += QStringLiteral(";0;");
        QStringList f;
        SplitFields(line, u';', f);
        const QString kind = at(f, 0).toUpper();
        if (kind == QLatin1String("E")) {
            if (++t.PageCounter > kFormPages - 1)
                break;
            continue;
        }
        TFormPageFields &page = t.Pages[t.PageCounter];
        if (kind == QLatin1String("&")) {
            if (page.DataCount >= kFieldLimit)
                continue;
            const QString name = at(f, 3).toUpper();
            const bool pitch = name == QLatin1String("0") || name == QStringLiteral("行間");
            TDataField &d = page.Data[pitch ? 0 : page.DataCount++];
            d.Name = name;
            d.X = fieldInt(at(f, 1), 0) + xOffset;
            d.Y = fieldInt(at(f, 2), 0) + yOffset;
            d.FontName = at(f, 4);
            d.Size = fieldInt(at(f, 5), 0);
            if (d.Size == 0)
                d.Size = 12;
            d.Style = at(f, 6).toUpper();
            d.Color = FormColorWord(at(f, 7));
            d.Back = FormSwitchWord(at(f, 8));
            d.Align = FormAlignWord(at(f, 9));
            d.Span = fieldInt(at(f, 10), 0);
            d.Once = fieldInt(at(f, 11), 0);
            d.Mode = fieldInt(at(f, 12), 0);
        } else if (kind == QLatin1String("$")) {
            if (page.TotalCount >= kFieldLimit)
                continue;
            const QString name = at(f, 3).toUpper();
            bool known = false;
            for (int i = 0; i < page.TotalCount && !known; ++i)
                known = page.Totals[i].Name == name;
            if (known)
                continue;
            TTotalField &s = page.Totals[page.TotalCount++];
            s.Name = name;
            s.X = fieldInt(at(f, 1), 0) + xOffset;
            s.Y = fieldInt(at(f, 2), 0) + yOffset;
        }
    }
}

} // namespace

void HensuuYomikomi(const QString &fileName, int xOffset, int yOffset, double, double)
{
    FormFields().reset();
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return;
    try {
        loadFields(fileName, xOffset, yOffset);
    } catch (const platform::Error &e) {
        AppendPrintErrorLog(QStringLiteral("ImageOut.HensuuYomikomi"), e.message());
        throw;
    } catch (const std::exception &e) {
        AppendPrintErrorLog(QStringLiteral("ImageOut.HensuuYomikomi"), QString::fromLocal8Bit(e.what()));
        throw;
    }
}

double ReadFormVersion(const QString &fileName)
{
    double version = 0.5;
    TPrintFile file;
    if (!AssignPrintFile(file, fileName))
        return version;
    while (!file.atEnd()) {
        const QString line = file.readLine();
        if (!line.contains(QLatin1String("VER")))
            continue;
        QString text;
        GetFieldText(line, u'"', 1, text);
        const double v = StrToFloatTolerant(text);
        if (v > 0) {
            version = v;
            break;
        }
    }
    return version;
}

int FormPageForDataPage(int dataPage, int formPages)
{
    if (formPages <= 0 || dataPage <= 0)
        return 0;
    return (dataPage - 1) % formPages + 1;
}
