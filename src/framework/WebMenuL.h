#pragma once
// The list of operators logged on to the system database on other computers,
// shown when a version upgrade must wait until nobody else works with the
// accounting package. A process form registered as "WebMenuL".
#include "dbaccess/LogonStore.h"
#include "framework/ProcessForm.h"
#include "framework/SDI.h"

#include <vector>

class QPlainTextEdit;
class QTableWidget;
class TxPlButton;

class TfmWebMenuL : public TBSDI, public IProcessForm
{
    Q_OBJECT
public:
    explicit TfmWebMenuL(QWidget *parent = nullptr);
    ~TfmWebMenuL() override;

    // IProcessForm
    int Execute(bool modal) override;
    void SetParams(const QStringList &params) override;
    void Prepare(bool modal);
    void done(int r) override;

    // The operators listed (other logins only).
    const std::vector<logonstore::LogonUser> &Users() const { return m_users; }
    int UserCount() const { return m_count; }
    int SyoriType = 0;

    QWidget *pnlClient = nullptr;
    QTableWidget *PerfectGrid1 = nullptr;
    QWidget *pnlBottom = nullptr;
    QWidget *PanelHint = nullptr;
    QPlainTextEdit *HintArea = nullptr;
    TxPlButton *F12 = nullptr;
    TxPlButton *ESC = nullptr;
    TxPlButton *F1 = nullptr;

    static QString HintText();

protected:
    void FormShow() override;
    void FormClose() override;
    bool FormKeyUp(int key, Qt::KeyboardModifiers modifiers) override;

private:
    bool fnDBConect_OP();

    std::vector<logonstore::LogonUser> m_users;
    int m_count = 0;
    QStringList m_params;
    bool m_modal = false;
};

void RegisterWebMenuL();
