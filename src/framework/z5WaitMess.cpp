#include "framework/z5WaitMess.h"

#include "dbaccess/Globals.h"
#include "framework/FrameworkFonts.h"
#include "framework/xAnimeProgressDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QTimer>

QWidget *WaitMessOwner = nullptr;
TfmWaitMess *fmWaitMess = nullptr;

TfmWaitMess::TfmWaitMess(QWidget *parent)
    : QDialog(parent ? parent : WaitMessOwner,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("fmWaitMess"));
    setFont(MakeFont(QStringLiteral("ＭＳ Ｐゴシック"), -12));
    resize(435, 214);

    const struct {
        QCheckBox **box;
        const char *name;
        const char *text;
        int top;
    } boxes[] = {
        {&CheckBox1, "CheckBox1", "送信用データ保存", 16},
        {&CheckBox2, "CheckBox2", "送信用データ圧縮", 48},
        {&CheckBox3, "CheckBox3", "送信用データ暗号化", 80},
        {&CheckBox4, "CheckBox4", "中継サーバーへデータ送信", 112},
        {&CheckBox5, "CheckBox5", "経営ベルダ（クラウド）へデータ送信", 140},
    };
    for (const auto &b : boxes) {
        auto *box = new QCheckBox(QString::fromUtf8(b.text), this);
        box->setObjectName(QString::fromLatin1(b.name));
        box->setGeometry(144, b.top, 270, 17);
        QPalette pal = box->palette();
        pal.setColor(QPalette::WindowText, Qt::black);
        box->setPalette(pal);
        *b.box = box;
    }
    CheckBox1->setChecked(true);

    Animate = new TxAnimeView(this);
    Animate->setObjectName(QStringLiteral("Animate"));
    AnimationFile = QDir(SystemDef.ProgramDir).filePath(QStringLiteral("progress.avi"));
    Animate->setHasAnimation(!SystemDef.ProgramDir.isEmpty() && QFileInfo(AnimationFile).isFile());
    Animate->setGeometry(40, 16, 32, 32);
    Animate->move(40, height() / 2 - 20);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TfmWaitMess::timerTick);
    Timer1->start();

    fmWaitMess = this;
}

TfmWaitMess::~TfmWaitMess()
{
    if (fmWaitMess == this)
        fmWaitMess = nullptr;
}

void TfmWaitMess::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    Animate->play(true);
}

void TfmWaitMess::changeEvent(QEvent *e)
{
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        Animate->play(true);
}

void TfmWaitMess::timerTick()
{
    // The caller's steps run on this thread and let events through between
    // them: keep the animation going and painted.
    if (!Animate->playing())
        Animate->play(true);
    Animate->repaint();
}
