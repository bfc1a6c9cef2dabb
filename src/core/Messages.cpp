#include "core/Messages.h"

#include "core/SjisText.h"
#include "platform/Error.h"

#include <cstdio>

namespace {

// Before the framework installs its boxes (and in programs without windows):
// the message on standard error, answered with the box's default button.
class PlainMessageService : public MessageService
{
public:
    int show(const MessageRequest &r) override
    {
        const QString title = r.title.isEmpty() ? MsgKindName(r.kind) : r.title;
        QString text = r.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        std::fprintf(stderr, "%s: %s\n", title.toLocal8Bit().constData(), text.toLocal8Bit().constData());
        return defaultFor(r);
    }

    static int defaultFor(const MessageRequest &r)
    {
        if (r.defaultResult != mrNone) return r.defaultResult;
        if (r.buttons & mbYes) return mrYes;
        if (r.buttons & mbOK) return mrOk;
        if (r.buttons & mbNo) return mrNo;
        return mrCancel;
    }
};

PlainMessageService g_plain;
MessageService *g_service = nullptr;

} // namespace

QString exceptionText(const std::exception &e)
{
    if (const auto *own = dynamic_cast<const platform::Error *>(&e)) return own->message();
    return QString::fromLocal8Bit(e.what());
}

MessageService &MessageService::instance()
{
    return g_service ? *g_service : g_plain;
}

void MessageService::install(MessageService *service)
{
    g_service = service;
}

QString MsgKindName(TMsgDlgType kind)
{
    switch (kind) {
    case TMsgDlgType::mtWarning: return QStringLiteral("警告");
    case TMsgDlgType::mtError: return QStringLiteral("エラー");
    case TMsgDlgType::mtInformation: return QStringLiteral("情報");
    case TMsgDlgType::mtConfirmation: return QStringLiteral("確認");
    default: return QString();
    }
}

int MessageDlg(const QString &text, TMsgDlgType kind, TMsgDlgButtons buttons, int defaultResult)
{
    MessageRequest r;
    r.kind = kind;
    r.text = text;
    r.buttons = buttons;
    r.defaultResult = defaultResult;
    return MessageService::instance().show(r);
}

void ShowErrorMessage(const QString &message, const QString &detail, TMsgDlgType kind)
{
    if (message.isEmpty() && detail.isEmpty()) return;
    QString text = message;
    if (!detail.isEmpty()) text += QStringLiteral("\r\r[詳細情報]\r") + detail;
    MessageDlg(text, kind, mbOK);
}

void ShowListMessage(const QString &text, TMsgDlgType kind)
{
    QStringList fields;
    const int last = SplitComment(text, u',', fields, 51);
    QString joined;
    if (!fields.isEmpty())
        for (int i = 0; i <= last; ++i) joined += fields[i] + u'\r';
    MessageDlg(joined, kind, mbOK);
}
