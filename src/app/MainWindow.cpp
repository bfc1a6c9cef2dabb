#include "app/MainWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("連動ﾃﾞｰﾀの作成"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("ソルテア連動コンポーネント"), this);
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    layout->addWidget(label);
    layout->addWidget(close);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(480, 200);
}
