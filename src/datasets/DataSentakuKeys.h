#pragma once
// The function keys of the data-selection screen: which of ESC, F1 to F8 and
// F12 act for the focused row, the processing type and the connection mode,
// the state of the two shared-data buttons, and the hints of the screen.
#include <QString>
#include <QStringList>

// Positions of the key buttons in the caption list.
enum TDataSentakuKey : int { dkESC = 0, dkF1, dkF2, dkF3, dkF4, dkF5, dkF6, dkF7, dkF8, dkF12, dkCount };

// The bare label of a key button ("ESC:", "F1:" ... "F8:", "F12:").
QString DataSentakuBareKey(int key);

// What the key captions depend on.
struct TDataKeyInput {
    int ConnectMode = 0;      // 0 local, 1 server, 2 SBC
    int SyoriType = 0;        // 0..5
    bool GridActive = false;  // the grid is the active control
    bool GridEnabled = true;
    bool HasRow = false;      // the grid has a current row
    bool CopyPending = false;
    bool KyoyuAutoVisible = false; // the automation check box is shown
    bool KyoyuAuto = false;   // shared data are fetched and stored automatically
    // The focused row.
    int NETDRIVE = 0;
    int KYOYULOCK = 0;
    int GASSAN = 0;
    int ParentGASSAN = 0;     // merge kind of the row's top-level record
    QString ENTTEXT;
    int DATA_STATUS = 0;
};

struct TDataKeyState {
    int KeyState = 0;          // 0 no usable row, 1 a row focused, 2 a copy waits for its target
    QStringList Captions;      // dkCount captions
    bool KyoyuUpEnabled = false;
    bool KyoyuDownEnabled = false;
    bool SearchEnabled = true; // btnSearch and (when a search is active) btnSearchCancel
    bool PasteHint = false;    // the grid shows the paste hint
};

TDataKeyState ComputeDataSentakuKeys(const TDataKeyInput &in);

// The grid's hint ("short|long") for a processing type and connection mode.
QString DataSentakuGridHint(int syoriType, int connectMode);
// The grid's hint while a copy waits for its paste target.
QString DataSentakuPasteHint();
