#include "framework/FrameworkMessages.h"

#include "framework/MessageDlg.h"
#include "framework/MessageDlg2.h"
#include "framework/SDI.h"

#include <QApplication>

#include <memory>

std::function<int(QDialog &)> ModalRunner = [](QDialog &box) { return box.exec(); };

namespace {
QWidget *ownerForm()
{
    if (MainFormWidget) return MainFormWidget;
    return QApplication::activeWindow();
}

QStringList splitLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r")).replace(u'\n', u'\r');
    return text.split(u'\r');
}
} // namespace

TMessage2InfoRec RequestToMessage2(const MessageRequest &r)
{
    TMessage2InfoRec rec;
    int kind = 4;
    switch (r.kind) {
    case TMsgDlgType::mtWarning: kind = 0; break;
    case TMsgDlgType::mtError: kind = 1; break;
    case TMsgDlgType::mtInformation: kind = 2; break;
    case TMsgDlgType::mtConfirmation: kind = 3; break;
    default: break;
    }
    InitMessage2InfoRec(kind, rec);
    rec.Title = r.title.isEmpty() ? MsgKindName(r.kind) : r.title;
    rec.Buttons = r.buttons ? r.buttons : TMsgDlgButtons(mbOK);
    QStringList lines = splitLines(r.text);
    while (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    // More than ten lines: the rest join the tenth so nothing is lost.
    while (lines.size() > 10) {
        const QString tail = lines.takeLast();
        lines.back() += QStringLiteral("　") + tail;
    }
    for (int i = 0; i < lines.size(); ++i) rec.Lines[size_t(i)].Caption = lines[i];
    return rec;
}

int FrameworkMessageService::show(const MessageRequest &request)
{
    TMessage2InfoRec rec = RequestToMessage2(request);
    auto box = std::make_unique<TMessageBox2>(ownerForm());
    box->ApplyMessageRec(rec);
    box->Prepare(true);
    if (request.defaultResult != mrNone) {
        TMessageBox2 *b = box.get();
        const int def = request.defaultResult;
        QMetaObject::invokeMethod(b, [b, def] { b->focusResult(def); }, Qt::QueuedConnection);
    }
    return ModalRunner(*box);
}

int FrameworkMessageService::showRecord(TMessage2InfoRec &rec)
{
    auto box = std::make_unique<TMessageBox2>(ownerForm());
    box->SetMessageId(rec.MessageId);
    box->ApplyMessageRec(rec);
    box->Prepare(true);
    const int result = ModalRunner(*box);
    rec.AgreeChecked = box->agreeChecked();
    return result;
}

int FrameworkMessageService::showInfoRecord(TMessageInfoRec &rec)
{
    auto box = std::make_unique<TMessageBox>(ownerForm());
    box->Mode = rec.Mode;
    box->Caption = rec.Caption;
    box->MainText = rec.Text;
    box->MainColor = TColorToQColor(rec.Color);
    box->SetMessageLines(rec.Lines);
    if (!rec.AgreeCaption.isEmpty()) box->AgreeCaption = rec.AgreeCaption;
    box->Position = rec.Position;
    box->Prepare(true);
    return ModalRunner(*box);
}

void InstallFrameworkMessageService()
{
    static FrameworkMessageService service;
    MessageService::install(&service);
}
