#pragma once
// The message service that shows the framework's own boxes. The program installs
// it at start-up; tests keep their scripted answerer instead.
#include "core/Messages.h"

#include <functional>

class QDialog;
struct TMessage2InfoRec;
struct TMessageInfoRec;
class TMessageBox2;

class FrameworkMessageService : public MessageService
{
public:
    int show(const MessageRequest &request) override;
    int showRecord(TMessage2InfoRec &rec);
    int showInfoRecord(TMessageInfoRec &rec);
};

// Installs the framework's boxes as the message service of the process.
void InstallFrameworkMessageService();

// The box record a plain request gives (kind, title, lines, buttons).
TMessage2InfoRec RequestToMessage2(const MessageRequest &request);

// Runs a box modally (QDialog::exec by default).
extern std::function<int(QDialog &box)> ModalRunner;
