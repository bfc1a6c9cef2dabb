#include "framework/QtFileChooser.h"

#include "core/FileUtils.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>

namespace {

class QtFileChooser : public FileChooser
{
public:
    QString chooseFolder(const QString &title, const QString &start) override
    {
        return QFileDialog::getExistingDirectory(nullptr, title, start);
    }
    QString chooseSaveFile(const QString &title, const QString &start, const QString &filter) override
    {
        return QFileDialog::getSaveFileName(nullptr, title, start, filter);
    }
    QString chooseOpenFile(const QString &title, const QString &start, const QString &filter) override
    {
        return QFileDialog::getOpenFileName(nullptr, title, start, filter);
    }
    QString chooseComputer(const QString &prompt, const QString &preselect) override
    {
        // There is no network neighbourhood to browse: the name is typed.
        QInputDialog dlg;
        dlg.setWindowTitle(QStringLiteral("コンピュータの参照"));
        dlg.setLabelText(prompt);
        dlg.setTextValue(preselect);
        for (QLabel *label : dlg.findChildren<QLabel *>()) label->setWordWrap(true);
        dlg.resize(420, dlg.sizeHint().height());
        if (dlg.exec() != QDialog::Accepted) return QString();
        return dlg.textValue().trimmed();
    }
};

} // namespace

void installQtFileChooser()
{
    static QtFileChooser chooser;
    FileChooser::install(&chooser);
}
