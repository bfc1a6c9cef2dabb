#pragma once
// Test seams: a scripted message service, a scripted file chooser, and the
// process-wide temporary sandbox every test writes into.
#include "core/FileUtils.h"
#include "core/Messages.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable failure output for Qt texts.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray &b, std::ostream *os) { *os << '"' << b.toHex(' ').toStdString() << '"'; }

namespace testenv {

// The temporary folder of this test process; every standard folder, the registry
// store and TEMP point below it.
QString sandbox();

// A fresh empty folder below the sandbox.
QString freshDir(const QString &name);

void writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

} // namespace testenv

// Answers boxes from a queue; a box with no queued answer fails the test.
class ScriptedMessages : public MessageService
{
public:
    ScriptedMessages();
    ~ScriptedMessages() override;
    int show(const MessageRequest &request) override;

    void answer(int result) { m_answers << result; }
    QList<MessageRequest> shown;
    bool allAnswered() const { return m_answers.isEmpty(); }

private:
    QList<int> m_answers;
    MessageService *m_previous = nullptr;
};

// Returns queued answers for the folder, file and computer choosers.
class ScriptedChooser : public FileChooser
{
public:
    ScriptedChooser();
    ~ScriptedChooser() override;
    QString chooseFolder(const QString &title, const QString &start) override { return next(); }
    QString chooseSaveFile(const QString &title, const QString &start, const QString &filter) override { return next(); }
    QString chooseOpenFile(const QString &title, const QString &start, const QString &filter) override { return next(); }
    QString chooseComputer(const QString &title, const QString &preselect) override { return next(); }

    QStringList answers;
    int asked = 0;

private:
    QString next();
};
