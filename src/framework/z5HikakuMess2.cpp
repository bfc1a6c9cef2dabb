#include "framework/z5HikakuMess2.h"

#include "framework/FrameworkFonts.h"

#include <QLabel>
#include <QPushButton>

int HikakuMess2Answer = 1;
TfmHikakuMess2 *fmHikakuMess2 = nullptr;

TfmHikakuMess2::TfmHikakuMess2(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("fmHikakuMess2"));
    setWindowTitle(QStringLiteral("確認"));
    resize(462, 302);

    const QFont labelFont = MakeFont(QStringLiteral("ＭＳ ゴシック"), -12);
    const QString sampleName = QStringLiteral("0123456789").repeated(4);
    const QString samplePeriod = QStringLiteral("現在利用中の会計期間　：　2010/01/01 ～ 2010/12/31");
    const struct {
        QLabel **label;
        const char *name;
        QString text;
        int top;
        QColor color;
    } labels[] = {
        {&Label1, "Label1", QStringLiteral("中継サーバーに下記相違点のあるデータが存在します。"), 16, Qt::black},
        {&Label2, "Label2", QStringLiteral("このまま送信して上書きしてもいいですか？"), 35, Qt::black},
        {&Label3, "Label3", QStringLiteral("パスワードが違います。"), 63, Qt::black},
        {&Label4, "Label4", QStringLiteral("商号が違います。"), 87, Qt::black},
        {&Label5, "Label5", QStringLiteral("現在利用中の商号　：　") + sampleName, 108, QColor(0, 0, 255)},
        {&Label6, "Label6", QStringLiteral("中継サーバーの商号：　") + sampleName, 124, QColor(128, 0, 0)},
        {&Label7, "Label7", QStringLiteral("会計期間が違います。"), 151, Qt::black},
        {&Label8, "Label8", samplePeriod, 172, QColor(0, 0, 255)},
        {&Label9, "Label9", samplePeriod, 188, QColor(128, 0, 0)},
    };
    for (const auto &l : labels) {
        auto *label = new QLabel(l.text, this);
        label->setObjectName(QString::fromLatin1(l.name));
        label->setFont(labelFont);
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, l.color);
        label->setPalette(pal);
        label->move(66, l.top);
        label->adjustSize();
        *l.label = label;
    }

    Button1 = new QPushButton(QStringLiteral("はい"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(110, 226, 81, 25);
    Button2 = new QPushButton(QStringLiteral("いいえ"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(262, 226, 81, 25);
    connect(Button1, &QPushButton::clicked, this, &TfmHikakuMess2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfmHikakuMess2::Button2Click);

    HikakuMess2Answer = 1;
    const int dpi = logicalDpiX();
    resize(456 * dpi / 96, 190 * dpi / 96);

    fmHikakuMess2 = this;
}

TfmHikakuMess2::~TfmHikakuMess2()
{
    if (fmHikakuMess2 == this)
        fmHikakuMess2 = nullptr;
}

void TfmHikakuMess2::Button1Click()
{
    HikakuMess2Answer = 1;
    done(QDialog::Accepted);
}

void TfmHikakuMess2::Button2Click()
{
    HikakuMess2Answer = 0;
    done(QDialog::Rejected);
}
