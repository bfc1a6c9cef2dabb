#pragma once
// The Yes/No confirmation shown before data on the relay server is overwritten:
// it lists how the server's data differs from the data in use. The caller fills
// the labels, moves or hides the difference labels, runs it modally and then
// reads HikakuMess2Answer (1 yes, 0 no; closing without a button leaves 1).
#include <QDialog>

class QLabel;
class QPushButton;

class TfmHikakuMess2 : public QDialog
{
    Q_OBJECT
public:
    explicit TfmHikakuMess2(QWidget *parent = nullptr);
    ~TfmHikakuMess2() override;

    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
           *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr,
           *Label9 = nullptr;
    QPushButton *Button1 = nullptr; // はい
    QPushButton *Button2 = nullptr; // いいえ

    void Button1Click();
    void Button2Click();
};

// The answer of the last confirmation: 1 yes, 0 no.
extern int HikakuMess2Answer;
// The confirmation while it exists.
extern TfmHikakuMess2 *fmHikakuMess2;
