#include "dbaccess/Messages.h"

#include "dbaccess/SjisText.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

namespace {

// Before the framework installs its boxes: a plain Qt box, or standard error
// when there is no screen.
class PlainMessageService : public MessageService
{
public:
    int show(const MessageRequest &r) override
    {
        const QString title = r.title.isEmpty() ? MsgKindName(r.kind) : r.title;
        QString text = r.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
            std::fprintf(stderr, "%s: %s\n", title.toLocal8Bit().constData(), text.toLocal8Bit().constData());
            return defaultFor(r);
        }
        QMessageBox box;
        box.setWindowTitle(title);
        box.setText(text);
        switch (r.kind) {
        case TMsgDlgType::mtWarning: box.setIcon(QMessageBox::Warning); break;
        case TMsgDlgType::mtError: box.setIcon(QMessageBox::Critical); break;
        case TMsgDlgType::mtInformation: box.setIcon(QMessageBox::Information); break;
        case TMsgDlgType::mtConfirmation: box.setIcon(QMessageBox::Question); break;
        default: break;
        }
        struct B { TMsgDlgBtn flag; int result; const char16_t *caption; };
        static const B all[] = {{mbYes, mrYes, u"はい(&Y)"}, {mbNo, mrNo, u"いいえ(&N)"},
                                {mbOK, mrOk, u"OK"}, {mbCancel, mrCancel, u"キャンセル"},
                                {mbAbort, mrAbort, u"中止(&A)"}, {mbRetry, mrRetry, u"再試行(&R)"},
                                {mbIgnore, mrIgnore, u"無視(&I)"}};
        QList<QPair<QAbstractButton *, int>> buttons;
        for (const B &b : all) {
            if (!(r.buttons & b.flag)) continue;
            QPushButton *pb = box.addButton(QString::fromUtf16(b.caption), QMessageBox::AcceptRole);
            buttons.append({pb, b.result});
            if (b.result == defaultFor(r)) box.setDefaultButton(pb);
        }
        box.exec();
        for (const auto &b : buttons)
            if (box.clickedButton() == b.first) return b.second;
        return r.buttons & mbCancel ? mrCancel : (r.buttons & mbNo ? mrNo : mrOk);
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
