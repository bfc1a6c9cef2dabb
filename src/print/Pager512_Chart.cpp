#include "print/Pager512_Chart.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "core/SjisText.h"
#include "platform/StandardFolders.h"

#include <QPainter>

namespace {

std::shared_ptr<TChartSource> &chartSource()
{
    static std::shared_ptr<TChartSource> source;
    return source;
}

constexpr int kMaxFields = 101;

} // namespace

void SetChartSource(std::shared_ptr<TChartSource> source)
{
    chartSource() = std::move(source);
}

std::shared_ptr<TChartSource> ChartSource()
{
    return chartSource();
}

bool PaintChart(QPainter &painter, const QRect &rect, int n)
{
    const auto source = chartSource();
    if (!source || n < 0 || n >= source->chartCount())
        return false;
    source->paint(painter, rect, n);
    return true;
}

bool SaveChartMetafile(const QString &fileName)
{
    const auto source = chartSource();
    if (!source || source->chartCount() == 0)
        return false;
    return source->saveMetafile(fileName);
}

bool ChartFileExists(const QString &)
{
    return true;
}

bool GetSpecialFolder(int folderId, QString &path)
{
    switch (folderId) {
    case 0:
        path = platform::desktopDir();
        return true;
    case 5:
        path = platform::documentsDir();
        return true;
    case 26:
        path = platform::userAppDataDir();
        return true;
    case 35:
        path = platform::commonAppDataDir();
        return true;
    default:
        MessageDlg(QStringLiteral("特殊フォルダ %1 を取得できません。").arg(folderId), TMsgDlgType::mtError, mbOK);
        return false;
    }
}

double StrToFloatTolerant(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok ? v : 0.0;
}

int SplitFields(const QString &line, QChar delimiter, QStringList &fields)
{
    return SplitComment(line, delimiter, fields, kMaxFields);
}

void GetFieldText(const QString &line, QChar delimiter, int index, QString &text)
{
    QStringList fields;
    SplitFields(line, delimiter, fields);
    text = (index >= 0 && index < fields.size()) ? fields[index].trimmed() : QString();
}
