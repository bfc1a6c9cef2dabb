#include "framework/BackupRestoreRun.h"

#include "dbaccess/BackupRestoreThread.h"
#include "dbaccess/z5ComMyNumber.h"
#include "framework/FrameworkMessages.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/z5InputDlg.h"

#include <QColor>
#include <QDialog>

bool RunBackupRestoreJob(TBackupRestoreThread &job, QWidget *owner, const QString &caption)
{
    TxAnimeProgressDialog progress;
    progress.setCaption(caption);
    progress.CancelBtnShow = false;
    progress.CommonAVI = TCommonAVI::aviCopyFile;
    progress.setInfoLabel(QStringLiteral("しばらくお待ち下さい..."));
    progress.Show(owner);
    job.OnInfo = [&progress](const QString &text) { progress.setInfoLabel(text); };
    try {
        job.Execute();
    } catch (...) {
        job.OnInfo = nullptr;
        progress.Close();
        throw;
    }
    job.OnInfo = nullptr;
    progress.Close();
    return job.Success == 1;
}

void InstallMyNumberPasswordPrompt()
{
    MyNumberPasswordPrompt = [](bool retry, QString &input) {
        TInputDlgBox box;
        box.InputMode = 0;
        box.Caption = QStringLiteral("マイナンバー管理パスワードの確認");
        box.Message = retry ? QStringLiteral("正しいパスワードを入力して下さい。") : QStringLiteral("マイナンバー管理パスワードを入力して下さい。");
        box.MessageColor = retry ? QColor(Qt::red) : box.palette().color(QPalette::WindowText);
        box.Value.clear();
        box.MaxLength = 8;
        box.InputImeMode = 0;
        box.SetKeyFilter(30);
        box.InputHint = QStringLiteral("パスワード(英数字8文字以内)を入力し、[OK]ボタンを押して下さい。3回続けて失敗すると呼出し元の画面に戻ります。");
        box.Prepare(true);
        if (ModalRunner(box) != 1) return false;
        input = box.Value;
        return true;
    };
}
