#include "framework/ProcessForm.h"

#include "core/Messages.h"
#include "framework/FrameworkMessages.h"
#include "framework/SDI.h"

#include <QEvent>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

void TProcessRegistry::RegisterProcessClass(const QMetaObject *cls, TProcessFormFactory create, const QString &name)
{
    for (const TProcessClass &c : ProcessClassList)
        if (c.cls == cls) return;
    ProcessClassList.push_back({cls, std::move(create)});
    ProcessNameList << name;
}

int TProcessRegistry::IndexOfProcess(const QString &name) const
{
    for (int i = 0; i < ProcessNameList.size(); ++i)
        if (ProcessNameList[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QWidget *TProcessRegistry::CreateProcessForm(const QString &name) const
{
    const int i = IndexOfProcess(name);
    if (i < 0 || i >= int(ProcessClassList.size()) || !ProcessClassList[size_t(i)].create) return nullptr;
    return ProcessClassList[size_t(i)].create();
}

void TProcessRegistry::clear()
{
    ProcessClassList.clear();
    ProcessNameList.clear();
}

TProcessRegistry &ProcessRegistry()
{
    static TProcessRegistry registry;
    return registry;
}

QString FormStyleLine(bool modal)
{
    return QStringLiteral("FormStyle=%1").arg(modal ? 2 : 0);
}

QStringList BuildProcessParams(const QString &paramText, bool modal)
{
    QString text = paramText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    lines << FormStyleLine(modal);
    return lines;
}

QString ProcessInterfaceMissingText()
{
    return QStringLiteral("処理を起動するためのインターフェースが実装されていません。\rライブラリのロードに失敗した可能性があります。");
}

QString OtherProcessesOpenText()
{
    return QStringLiteral("メニュー以外の処理が開いています。\r全ての処理を閉じてから処理を実行してください。");
}

namespace {
bool g_starting = false;

// Ends the "starting" state as soon as the launched form appears, so that the form
// itself may start further processes (the data-selection screen does).
class StartingMark : public QObject
{
public:
    StartingMark() { g_starting = true; }
    ~StartingMark() override { g_starting = false; }
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show) g_starting = false;
        return false;
    }
};
} // namespace

bool RunProcessBusy()
{
    return g_starting;
}

int RunProcess(const QString &name, int mode, const QString &paramText)
{
    if (name.isEmpty() || g_starting) return -1;
    const bool modal = mode == 1;
    StartingMark starting;
    QWidget *form = ProcessRegistry().CreateProcessForm(name);
    auto *process = dynamic_cast<IProcessForm *>(form);
    if (!process) {
        MessageDlg(ProcessInterfaceMissingText(), TMsgDlgType::mtError, mbOK);
        delete form;
        return -1;
    }
    QPointer<QWidget> alive(form);
    form->installEventFilter(&starting);
    process->SetParams(BuildProcessParams(paramText, modal));
    const int result = process->Execute(modal);
    if (alive) alive->removeEventFilter(&starting);
    return result;
}

QString ProcessParamValue(const QStringList &params, const QString &key)
{
    const QString prefix = key + u'=';
    for (const QString &line : params)
        if (line.startsWith(prefix, Qt::CaseInsensitive)) return line.mid(prefix.size());
    return {};
}

int ProcessParamInt(const QStringList &params, const QString &key, int defaultValue)
{
    bool ok = false;
    const int v = ProcessParamValue(params, key).trimmed().toInt(&ok);
    return ok ? v : defaultValue;
}

int ExecuteProcessForm(TBSDI *form, bool modal, const std::function<void()> &prepare)
{
    if (!form) return -1;
    if (!modal) {
        form->show();
        return 1;
    }
    if (!form->SkipProcessCheck && MenuCallbackHook && MenuCallbackHook(10, QString()) > 0) {
        MessageDlg(OtherProcessesOpenText(), TMsgDlgType::mtWarning, mbOK);
        form->freeOnClose(); // never shown, so it would never free itself
        return 0;
    }
    if (!form->CreateDone) {
        MessageDlg(TBSDI::InitFailedText(form->windowTitle()), TMsgDlgType::mtError, mbOK);
        form->freeOnClose();
        return -1;
    }
    form->SetFormPosition(0, 0, 0, 0, 0);
    if (prepare) prepare();
    return ModalRunner(*form);
}
