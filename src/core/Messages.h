#pragma once
// Every message box of the program goes through one message service. The
// framework installs the service that shows its own boxes; tests install one
// that scripts the answers, so nothing ever blocks on a dialog.
// Texts break lines with "\r", as the program's messages are written.
#include <QString>
#include <QStringList>

#include <exception>

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
};
using TMsgDlgButtons = unsigned;

// Modal results.
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

struct MessageRequest {
    TMsgDlgType kind = TMsgDlgType::mtInformation;
    QString title;          // empty: the kind's name
    QString text;           // lines joined by "\r"
    TMsgDlgButtons buttons = mbOK;
    int defaultResult = mrNone; // mrNone: the first button
};

class MessageService
{
public:
    virtual ~MessageService() = default;
    // Shows the box modally and returns the modal result of the chosen button.
    virtual int show(const MessageRequest &request) = 0;

    // The service in force (a plain Qt box until another is installed).
    static MessageService &instance();
    // Installs a service (not owned); nullptr restores the plain one.
    static void install(MessageService *service);
};

// The kind's name as the boxes title it: "警告", "エラー", "情報", "確認".
QString MsgKindName(TMsgDlgType kind);

// The message of an exception: the program's own errors carry Japanese text,
// others their raw description.
QString exceptionText(const std::exception &e);

// Shows a message and returns the modal result.
int MessageDlg(const QString &text, TMsgDlgType kind, TMsgDlgButtons buttons, int defaultResult = mrNone);

// The message, and when a detail is given, a blank line, "[詳細情報]" and the detail;
// one OK button. Nothing when both are empty.
void ShowErrorMessage(const QString &message, const QString &detail, TMsgDlgType kind = TMsgDlgType::mtError);

// The comma-separated text (cut at a "//" comment) shown as one line per field.
void ShowListMessage(const QString &text, TMsgDlgType kind);
