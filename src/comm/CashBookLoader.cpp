#include "comm/CashBookLoader.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <tuple>

namespace {

const QStringList kWorkParams = {QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                                 QStringLiteral("nowait")};

QString sitenText(int v)
{
    return v == 1 ? QStringLiteral("本・支店管理を行う") : QStringLiteral("本・支店管理を行わない");
}

QString bumonText(int v)
{
    if (v == 1) return QStringLiteral("部門管理を行う[損益]");
    if (v == 2) return QStringLiteral("部門管理を行う[全科目]");
    return QStringLiteral("部門管理を行わない");
}

QString nameOrNone(const QString &name)
{
    return name.trimmed().isEmpty() ? QStringLiteral("名称登録なし") : name;
}

} // namespace

TCashBookLoader::TCashBookLoader(TDM *dm) : m_dm(dm)
{
    SyoriInfo.ProcName = QStringLiteral("CashBookLoader");
    ReceiveIBDatabase.SQLDialect = 3;
    // One transaction spans the open company database and the received one.
    ReceiveIBTransaction.Params = kWorkParams;
    ReceiveIBTransaction.setDatabase(&m_dm->IBDatabaseDAT);
    ReceiveIBTransaction.addDatabase(&ReceiveIBDatabase);
    ReceiveIBDatabase.DefaultTransaction = &ReceiveIBTransaction;
    for (FbQuery *q : {&IBSQL1, &IBSQL2}) {
        q->Database = &m_dm->IBDatabaseDAT;
        q->Transaction = &m_dm->IBTransactionDAT;
    }
    for (FbQuery *q : {&ReceiveIBSQL1, &ReceiveIBSQL2}) {
        q->Database = &ReceiveIBDatabase;
        q->Transaction = &ReceiveIBTransaction;
    }
    SiwakeWrite.MsgType = 1;
    MergeCashEntries = [](TCashBookLoader &loader) { loader.ImportCashSiwake(); };
}

TCashBookLoader::~TCashBookLoader()
{
    try {
        ReceiveIBDatabase.close();
    } catch (...) {
    }
}

void TCashBookLoader::SetReceiveFile(const QString &path)
{
    ReceiveFile = path;
    if (QFileInfo(path).isFile()) {
        ReceiveIBDatabase.DatabaseName = path;
        ReceiveIBDatabase.Params = {QStringLiteral("user_name=") + SystemDef.DbUser,
                                    QStringLiteral("password=") + SystemDef.DbPassword,
                                    QStringLiteral("lc_ctype=SJIS_0208")};
    } else {
        ReceiveIBDatabase.DatabaseName.clear();
    }
}

// ---------------------------------------------------------------- log

QString TCashBookLoader::LevelText(quint8 level)
{
    switch (level) {
    case 1: return QStringLiteral("情報");
    case 2: return QStringLiteral("警告");
    case 3: return QStringLiteral("エラー");
    default: return QString();
    }
}

void TCashBookLoader::AddLog()
{
    TCorvenaSyoriInfo entry;
    entry.Level = SyoriInfo.Level;
    entry.Code = SyoriInfo.Code;
    entry.Message = SyoriInfo.Message;
    SyoriLog.append(entry);
    if (OnLogAdded) OnLogAdded(entry);
    ResultCode();
}

void TCashBookLoader::AddLog(quint8 level, qint32 code, const QString &message)
{
    SyoriInfo.Level = level;
    SyoriInfo.Code = code;
    SyoriInfo.Message = message;
    AddLog();
}

qint32 TCashBookLoader::ResultCode()
{
    // A replacement of the company database that failed makes the run a failure,
    // although its entry follows the success summary.
    ResultValue = m_replaceFailed ? -100 : SyoriLogResultCode(SyoriLog);
    return ResultValue;
}

QByteArray TCashBookLoader::LogFileBytes(const TCorvenaSyoriLog &log, bool csv)
{
    const QString sep = csv ? QStringLiteral(",") : QStringLiteral("\t");
    auto field = [&](const QString &text) {
        if (!csv) return text + sep;
        return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'' + sep;
    };
    QString out;
    for (const TCorvenaSyoriInfo &e : log) {
        QString line;
        if (e.Level <= 3) line += field(LevelText(e.Level));
        line += field(QString::number(e.Code));
        line += field(e.Message);
        // Each entry is a line of its own followed by an empty line.
        out += line + QStringLiteral("\r\n\r\n");
    }
    return platform::toCp932(out);
}

// ---------------------------------------------------------------- run

void TCashBookLoader::label(const QString &text)
{
    if (OnLabel) OnLabel(text);
}

void TCashBookLoader::step()
{
    if (OnProgressStep) OnProgressStep();
}

void TCashBookLoader::resetRun()
{
    ResultValue = 0;
    m_replaceFailed = false;
    SyoriInfo = TCorvenaSyoriInfo();
    SyoriInfo.ProcName = QStringLiteral("CashBookLoader");
    SyoriLog.clear();
    label(QStringLiteral("準備中です…"));
    if (OnProgressReset) OnProgressReset(7);
    if (OnLogCleared) OnLogCleared();
}

void TCashBookLoader::setWorkTransaction()
{
    IBSQL1.Transaction = &ReceiveIBTransaction;
    IBSQL2.Transaction = &ReceiveIBTransaction;
    SiwakeWrite.SetTransaction(&ReceiveIBTransaction);
    SitenList.SetTransaction(&ReceiveIBTransaction);
}

void TCashBookLoader::endTransaction(bool commit)
{
    label(commit ? QStringLiteral("データ確定中です…") : QStringLiteral("データ廃棄中です…"));
    if (!m_wasActive) {
        if (commit) ReceiveIBTransaction.commit();
        else ReceiveIBTransaction.rollback();
    }
    step();
}

void TCashBookLoader::makeSummary()
{
    if (ResultValue < 0) {
        AddLog(3, -100, QStringLiteral("取り込み処理を中止しました。"));
        return;
    }
    QString text = QStringLiteral("取り込み処理が成功しました。");
    for (const TCorvenaSyoriInfo &e : SyoriLog)
        if (e.Code == 101) {
            text += QStringLiteral(" （次回の送信時は、マスター送信を行って下さい。）");
            break;
        }
    AddLog(1, 1, text);
}

void TCashBookLoader::closeConnections()
{
    try {
        ReceiveIBDatabase.close();
    } catch (...) {
    }
    try {
        m_dm->IBDatabaseDAT.close();
    } catch (...) {
    }
}

template <typename F>
void TCashBookLoader::guarded(const QString &failure, F &&work)
{
    try {
        work();
    } catch (const std::exception &e) {
        AddLog(3, -100, failure + QStringLiteral("原因: %1").arg(exceptionText(e)));
        throw;
    }
}

void TCashBookLoader::Run()
{
    if (m_dm->AccDatInConnection(1, SystemDef.HostName, false, SystemDef.DataDir)) {
        resetRun();
        AddLog(3, -100, QStringLiteral("現在、他のユーザーがデータを使用中です。他のユーザーがデータを使用している間は"
                                       "現金出納帳の取り込みは行えません。"));
    } else {
        bool connected = true;
        try {
            ReceiveIBDatabase.open();
            if (!m_dm->IBDatabaseDAT.connected())
                connected = m_dm->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false);
        } catch (const std::exception &) {
            connected = false;
        }
        if (!connected) {
            resetRun();
            try {
                ReceiveIBDatabase.close();
            } catch (...) {
            }
            AddLog(3, -100, QStringLiteral("会計データの接続に失敗しました。"));
        } else {
            Process();
        }
    }
    if (!m_dm->IBDatabaseDAT.connected()) m_dm->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false);
    if (ResultValue > 0 && m_dm->IBDatabaseDAT.connected()) m_dm->fnGetAccInfo();
}

void TCashBookLoader::Process()
{
    resetRun();
    if (SourceKind == 0 && ImportKind == 0) return;
    bool raised = false;
    try {
        setWorkTransaction();
        m_wasActive = ReceiveIBTransaction.inTransaction();
        if (!m_wasActive) ReceiveIBTransaction.startTransaction();
        SitenList.Selection = 4;
        SitenList.Execute(-1);
        step();
        CheckDataVersion();
        step();
        if (ImportKind == 1) {
            if (ResultValue >= 0) {
                label(QStringLiteral("科目体系の整合チェック中です…"));
                if (!CheckKamokuStructure()) {
                    endTransaction(false);
                    closeConnections();
                    return;
                }
            }
            if (ResultValue >= 0) {
                label(QStringLiteral("補助科目の移行中です…"));
                ImportHojoKamoku();
                step();
            }
            if (ResultValue >= 0) {
                label(QStringLiteral("開始残高の移行中です…"));
                ImportOpeningBalances();
                step();
            }
            if (ResultValue >= 0) {
                label(QStringLiteral("現金仕訳の移行中です…"));
                if (MergeCashEntries) MergeCashEntries(*this);
                step();
            }
            if (ResultValue >= 0 && SourceKind == 0) {
                label(QStringLiteral("現金残高の比較中です…"));
                CompareCashBalance();
            }
        } else {
            if (ResultValue >= 0) {
                label(QStringLiteral("現金仕訳の整合中です…"));
                step();
            }
            if (ResultValue >= 0) {
                label(QStringLiteral("摘要／取引先辞書の移行中です…"));
                TransferDictionaries();
                step();
            }
            if (ResultValue >= 0) {
                label(QStringLiteral("データリスト名称の移行中です…"));
                TransferDataListName();
                step();
            }
        }
        if (ResultValue < 0) {
            endTransaction(false);
            makeSummary();
        } else {
            label(QStringLiteral("データ整合中です…"));
            FinishImport();
            step();
            endTransaction(true);
            makeSummary();
        }
    } catch (const std::exception &e) {
        raised = true;
        // A failure outside the steps (the branch list, the commit) is logged
        // here, so that the run never ends without its error.
        if (ResultValue >= 0)
            AddLog(3, -100, QStringLiteral("取り込み処理を中止しました。 原因: %1").arg(exceptionText(e)));
        try {
            if (!m_wasActive) ReceiveIBTransaction.rollback();
        } catch (...) {
        }
    }
    closeConnections();
    if (!raised && ResultValue > 0) ReplaceDataFile();
}

bool TCashBookLoader::CheckDataVersion()
{
    if (ImportKind != 1) return true;
    int major = 0, minor1 = 0, minor2 = 0;
    ReceiveIBSQL1.setSql(QStringList{QStringLiteral("SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION"),
                                     QStringLiteral("ORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC")});
    ReceiveIBSQL1.open();
    if (!ReceiveIBSQL1.eof()) {
        major = ReceiveIBSQL1.field(0).asInteger();
        minor1 = ReceiveIBSQL1.field(1).asInteger();
        minor2 = ReceiveIBSQL1.field(2).asInteger();
    }
    ReceiveIBSQL1.close();
    const bool ok = std::make_tuple(major, minor1, minor2) >= std::make_tuple(MinMajor, MinMinor1, MinMinor2);
    if (ok) return true;
    AddLog(3, -100,
           QStringLiteral("受信したデータバージョンがVer%1.%2.%3に達していません。").arg(MinMajor).arg(MinMinor1).arg(MinMinor2) +
               (SourceKind == 0 ? QStringLiteral("顧問先へ「ドルベル現金出納帳」のプログラム更新を行うように連絡して下さい。")
                                : QStringLiteral("送信元へ「ドルベル財務」のプログラム更新を行うように連絡して下さい。")));
    return false;
}

// ---------------------------------------------------------------- cash-book import

QString TCashBookLoader::MapCashKamokuCode(const QString &group, const QString &kcode) const
{
    if (RecvMajor >= 6) return group;
    const int type = AccInf.DATATYPE, code = AccInf.CODETYPE;
    if (Edition == 0) {
        if (kcode == u"5601" && (type == 1 || (type == 2 && (code == 1 || code == 3)))) return QStringLiteral("5685");
    } else {
        const bool federation = kcode == u"52100" || kcode == u"52200" || kcode == u"52300";
        if (federation && (type == 1 || (type == 2 && code == 1))) return QStringLiteral("5685");
    }
    return group;
}

bool TCashBookLoader::CheckKamokuStructure()
{
    bool result = true;
    guarded(QStringLiteral("「科目体系の整合チェック」に失敗しました。 "), [&] {
        // 1. Branch and department management.
        ReceiveIBSQL1.setSql(QStringList{QStringLiteral("SELECT SITEN,BUMON FROM ACCDEF1"), QStringLiteral("WHERE REC=1")});
        ReceiveIBSQL1.open();
        const int siten = ReceiveIBSQL1.eof() ? 0 : ReceiveIBSQL1.field(0).asInteger();
        const int bumon = ReceiveIBSQL1.eof() ? 0 : ReceiveIBSQL1.field(1).asInteger();
        ReceiveIBSQL1.close();
        if (siten != AccInf.SITEN)
            AddLog(3, -106,
                   QStringLiteral("(使用データ:%1 ≠ 受信データ:%2) 受信データの本・支店管理区分の設定内容に違いがありました。")
                       .arg(sitenText(AccInf.SITEN), sitenText(siten)));
        if (bumon != AccInf.BUMON)
            AddLog(3, -107,
                   QStringLiteral("(使用データ:%1 ≠ 受信データ:%2) 受信データの部門管理区分の設定内容に違いがありました。")
                       .arg(bumonText(AccInf.BUMON), bumonText(bumon)));

        // 2. The received data version.
        ReceiveIBSQL1.setSql(QStringList{QStringLiteral("SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION"),
                                         QStringLiteral("ORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC")});
        ReceiveIBSQL1.open();
        if (!ReceiveIBSQL1.eof()) {
            RecvMajor = ReceiveIBSQL1.field(0).asInteger();
            RecvMinor1 = ReceiveIBSQL1.field(1).asInteger();
            RecvMinor2 = ReceiveIBSQL1.field(2).asInteger();
        }
        ReceiveIBSQL1.close();

        // 3. The received accounts by user code.
        const QStringList accounts{QStringLiteral("SELECT KCODE,USERCODE,GROUPM0,USE,HOJOSW,KNAME FROM KAMOKUMST"),
                                   QStringLiteral("ORDER BY KCODE")};
        ReceiveIBSQL1.setSql(QStringLiteral("SELECT COUNT(KCODE) AS REC_CNT FROM KAMOKUMST"));
        ReceiveIBSQL1.open();
        std::vector<TReceiveKamokuInfo> received;
        received.reserve(size_t(std::max(0, ReceiveIBSQL1.field(0).asInteger())));
        ReceiveIBSQL1.close();
        QHash<QString, QString> attributes; // user code -> "group-use-switch"
        QHash<QString, size_t> index;
        ReceiveIBSQL1.setSql(accounts);
        for (ReceiveIBSQL1.open(); !ReceiveIBSQL1.eof(); ReceiveIBSQL1.next()) {
            TReceiveKamokuInfo r;
            const QString kcode = ReceiveIBSQL1.field(0).asString();
            r.USERCODE = ReceiveIBSQL1.field(1).asString();
            r.GROUPM0 = ReceiveIBSQL1.field(2).asString();
            r.USE = ReceiveIBSQL1.field(3).asInteger();
            r.HOJOSW = ReceiveIBSQL1.field(4).asString();
            r.KNAME = nameOrNone(ReceiveIBSQL1.field(5).asString());
            if (!attributes.contains(r.USERCODE)) {
                attributes.insert(r.USERCODE, QStringLiteral("%1-%2-%3")
                                                  .arg(MapCashKamokuCode(r.GROUPM0, kcode))
                                                  .arg(r.USE)
                                                  .arg(r.HOJOSW));
                index.insert(r.USERCODE, received.size());
            }
            received.push_back(r);
        }
        ReceiveIBSQL1.close();

        // 4. Every account of the company database must be there alike.
        IBSQL1.setSql(accounts);
        for (IBSQL1.open(); !IBSQL1.eof(); IBSQL1.next()) {
            const QString user = IBSQL1.field(1).asString();
            const QString group = IBSQL1.field(2).asString();
            const int use = IBSQL1.field(3).asInteger();
            const QString sw = IBSQL1.field(4).asString();
            const QString name = nameOrNone(IBSQL1.field(5).asString());
            const auto it = attributes.constFind(user);
            if (it == attributes.constEnd()) {
                AddLog(3, -104, QStringLiteral("(使用データ:%1 %2) 科目コードが見つかりません。").arg(user, name));
                continue;
            }
            const QString own = QStringLiteral("%1-%2-%3").arg(group).arg(use).arg(sw);
            if (own == *it) continue;
            const TReceiveKamokuInfo &r = received[index.value(user)];
            if (SourceKind == 0 && ImportKind == 1 && use > 0 && r.USE == 0)
                AddLog(2, 101, QStringLiteral("(使用データ:%1 %2) 受信データの当科目は[使用しない]に設定されています。")
                                   .arg(user, name));
            else
                AddLog(3, -105,
                       QStringLiteral("(使用データ:%1 %2 ≠ 受信データ:%3 %4) 受信データの科目の設定内容に違いがありました。")
                           .arg(user, name, r.USERCODE, r.KNAME));
        }
        IBSQL1.close();

        // 5. Any difference ends the run.
        if (ResultValue < 0) {
            AddLog(3, -103,
                   SourceKind == 1
                       ? QStringLiteral("データ送信元の設定変更により科目体系に差異が発生しています。データ送信元にご連絡して下さい。")
                       : QStringLiteral("データの設定変更により科目体系に差異が発生しています。マスター送信を行って下さい。"));
            result = false;
        }
    });
    return result;
}

void TCashBookLoader::ImportHojoKamoku()
{
    guarded(QStringLiteral("「補助科目の取り込み」に失敗しました。 "), [&] {
        IBSQL1.setSql(QStringList{QStringLiteral("SELECT HOJO_INS_MODE FROM ACCDEF1"), QStringLiteral("WHERE REC=1")});
        IBSQL1.open();
        const int mode = IBSQL1.eof() ? 0 : IBSQL1.field(0).asInteger();
        IBSQL1.close();
        IBSQL2.setSql(QStringList{QStringLiteral("UPDATE ACCDEF1 SET HOJO_INS_MODE=:MODE"), QStringLiteral("WHERE REC=1")});
        IBSQL2.paramByName(QStringLiteral("MODE")).setInteger(0);
        IBSQL2.execSQL();

        QSet<QString> existing;
        IBSQL1.setSql(QStringList{QStringLiteral("SELECT KCODE,HCODE,HKANA,HNAME,TAX_LCODE,TAX_RCODE FROM HOJOMST"),
                                  QStringLiteral("ORDER BY KCODE,HCODE")});
        for (IBSQL1.open(); !IBSQL1.eof(); IBSQL1.next())
            existing.insert(QStringLiteral("%1-%2").arg(IBSQL1.field(0).asString(), IBSQL1.field(1).asString()));
        IBSQL1.close();

        FbQuery insert(&m_dm->IBDatabaseDAT, &ReceiveIBTransaction);
        insert.setSql(QStringList{
            QStringLiteral("INSERT INTO HOJOMST(KCODE,HCODE,HKANA,HNAME,TAX_LCODE,TAX_RCODE,BPFLG,OPCODE)"),
            QStringLiteral("VALUES(:KCODE,:HCODE,:HKANA,:HNAME,:TAX_LCODE,:TAX_RCODE,:BPFLG,:OPCODE)")});
        FbQuery balances(&m_dm->IBDatabaseDAT, &ReceiveIBTransaction);
        balances.setSql(QStringLiteral("SELECT OUT_SCODE FROM SP_HOJO_KAMOKUSZ_INS(:SCODE,:KCODE,:HCODE)"));
        FbQuery update(&m_dm->IBDatabaseDAT, &ReceiveIBTransaction);
        update.setSql(QStringList{
            QStringLiteral("UPDATE HOJOMST SET HKANA=:HKANA,HNAME=:HNAME,TAX_LCODE=:TAX_LCODE,TAX_RCODE=:TAX_RCODE,"
                           "RTIME=:RTIME,OPCODE=:OPCODE"),
            QStringLiteral("WHERE (KCODE=:KCODE)AND(HCODE=:HCODE)")});
        QString firstBranch = SitenList.GetCode(0);
        if (firstBranch.isEmpty()) firstBranch = QStringLiteral(" ");

        ReceiveIBSQL1.setSql(QStringList{QStringLiteral("SELECT KCODE,HCODE,HKANA,HNAME,TAX_LCODE,TAX_RCODE,BPFLG FROM HOJOMST"),
                                         QStringLiteral("ORDER BY KCODE,HCODE")});
        for (ReceiveIBSQL1.open(); !ReceiveIBSQL1.eof(); ReceiveIBSQL1.next()) {
            const QString kcode = ReceiveIBSQL1.field(0).asString();
            const QString hcode = ReceiveIBSQL1.field(1).asString();
            FbQuery &q = existing.contains(QStringLiteral("%1-%2").arg(kcode, hcode)) ? update : insert;
            q.paramByName(QStringLiteral("KCODE")).setString(kcode);
            q.paramByName(QStringLiteral("HCODE")).setString(hcode);
            q.paramByName(QStringLiteral("HKANA")).setString(ReceiveIBSQL1.field(2).asString());
            q.paramByName(QStringLiteral("HNAME")).setString(ReceiveIBSQL1.field(3).asString());
            q.paramByName(QStringLiteral("TAX_LCODE")).setInteger(ReceiveIBSQL1.field(4).asInteger());
            q.paramByName(QStringLiteral("TAX_RCODE")).setInteger(ReceiveIBSQL1.field(5).asInteger());
            q.paramByName(QStringLiteral("OPCODE")).setInteger(SystemDef.OpCode);
            if (&q == &update) {
                q.paramByName(QStringLiteral("RTIME")).setDateTime(QDateTime::currentDateTime());
                q.execSQL();
                continue;
            }
            q.paramByName(QStringLiteral("BPFLG")).setString(ReceiveIBSQL1.field(6).asString());
            q.execSQL();
            balances.paramByName(QStringLiteral("SCODE")).setString(firstBranch);
            balances.paramByName(QStringLiteral("KCODE")).setString(kcode);
            balances.paramByName(QStringLiteral("HCODE")).setString(hcode);
            balances.open();
            balances.close();
        }
        ReceiveIBSQL1.close();

        IBSQL2.paramByName(QStringLiteral("MODE")).setInteger(mode);
        IBSQL2.execSQL();
    });
}

void TCashBookLoader::ImportOpeningBalances()
{
    if (SourceKind != 1) return;
    guarded(QStringLiteral("「現金科目の開始残高の取り込み」に失敗しました。 "), [&] {
        ReceiveIBSQL1.setSql(QStringList{
            RecvMajor < 6 ? QStringLiteral("SELECT SCODE,KCODE,HCODE,BCODE,KAISIZAN,KAISIZAN AS KISHU_KOMI,"
                                           "KAISIZAN AS KISHU_NUKI FROM KAMOKU_SZ")
                          : QStringLiteral("SELECT SCODE,KCODE,HCODE,BCODE,KAISIZAN,KISHU_KOMI,KISHU_NUKI FROM KAMOKU_SZ"),
            QStringLiteral("WHERE KCODE=:KCODE"), QStringLiteral("ORDER BY SCODE,KCODE,HCODE,BCODE")});
        ReceiveIBSQL1.paramByName(QStringLiteral("KCODE")).setString(AccInf.SysKCode[saGenkin]);
        IBSQL2.setSql(QStringList{
            QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN=0,KISHU_KOMI=:KISHU_KOMI,KISHU_NUKI=:KISHU_NUKI"),
            QStringLiteral("WHERE (SCODE=:SCODE)AND(KCODE=:KCODE)AND(HCODE=:HCODE)AND(BCODE=:BCODE)")});
        for (ReceiveIBSQL1.open(); !ReceiveIBSQL1.eof(); ReceiveIBSQL1.next()) {
            IBSQL2.paramByName(QStringLiteral("KISHU_KOMI")).setCurrency(ReceiveIBSQL1.fieldByName(QStringLiteral("KISHU_KOMI")).asCurrency());
            IBSQL2.paramByName(QStringLiteral("KISHU_NUKI")).setCurrency(ReceiveIBSQL1.fieldByName(QStringLiteral("KISHU_NUKI")).asCurrency());
            for (const char *name : {"SCODE", "KCODE", "HCODE", "BCODE"})
                IBSQL2.paramByName(QString::fromLatin1(name))
                    .setString(ReceiveIBSQL1.fieldByName(QString::fromLatin1(name)).asString());
            IBSQL2.execSQL();
        }
        ReceiveIBSQL1.close();
    });
}

void TCashBookLoader::CompareCashBalance()
{
    guarded(QStringLiteral("「科目残高の比較」に失敗しました。 "), [&] {
        const QString cash = AccInf.SysKCode[saGenkin];
        IBSQL1.setSql(QStringList{QStringLiteral("SELECT DAC FROM KAMOKUMST"), QStringLiteral("WHERE KCODE=:KCODE")});
        IBSQL1.paramByName(QStringLiteral("KCODE")).setString(cash);
        IBSQL1.open();
        const int dac = IBSQL1.eof() ? 0 : IBSQL1.field(0).asInteger();
        IBSQL1.close();

        QString movement;
        const int method = AccInf.TAXDEFUH;
        const bool debit = dac == 1 || dac == 4, credit = dac == 2 || dac == 3;
        if (method == 0 && debit) movement = QStringLiteral("SELECT SUM(KAR_NUK+KAR_TAX)-SUM(KAS_NUK+KAS_TAX) AS ZANDAKA FROM KAMOKU_MS");
        else if (method == 0 && credit) movement = QStringLiteral("SELECT SUM(KAS_NUK+KAS_TAX)-SUM(KAR_NUK+KAR_TAX) AS ZANDAKA FROM KAMOKU_MS");
        else if (method == 1 && debit) movement = QStringLiteral("SELECT SUM(KAR_NUK-KAR_IKKATSU)-SUM(KAS_NUK-KAS_IKKATSU) AS ZANDAKA FROM KAMOKU_MS");
        else if (method == 1 && credit) movement = QStringLiteral("SELECT SUM(KAS_NUK-KAS_IKKATSU)-SUM(KAR_NUK-KAR_IKKATSU) AS ZANDAKA FROM KAMOKU_MS");
        if (movement.isEmpty())
            throw platform::Error(QStringLiteral("現金科目の貸借区分または経理方式が比較できない設定です。"));

        auto balance = [&](FbQuery &q, bool oldLayout) {
            Currency total;
            q.setSql(QStringList{oldLayout ? QStringLiteral("SELECT SUM(KAISIZAN) AS KAISI_KOMIZAN,SUM(KAISIZAN) AS KAISI_NUKIZAN FROM KAMOKU_SZ")
                                           : QStringLiteral("SELECT SUM(KISHU_KOMI) AS KAISI_KOMIZAN,SUM(KISHU_NUKI) AS KAISI_NUKIZAN FROM KAMOKU_SZ"),
                                 QStringLiteral("WHERE KCODE=:KCODE")});
            q.paramByName(QStringLiteral("KCODE")).setString(cash);
            q.open();
            if (!q.eof()) {
                if (method == 0) total = q.field(0).asCurrency();
                else if (method == 1) total = q.field(1).asCurrency();
            }
            q.close();
            q.setSql(QStringList{movement, QStringLiteral("WHERE KCODE=:KCODE")});
            q.paramByName(QStringLiteral("KCODE")).setString(cash);
            for (q.open(); !q.eof(); q.next()) total = total + q.field(0).asCurrency();
            q.close();
            return total;
        };
        const Currency own = balance(IBSQL1, false);
        const Currency theirs = balance(ReceiveIBSQL1, RecvMajor < 6);
        if (own.raw != theirs.raw)
            AddLog(2, 201, QStringLiteral("本データと出納帳データの間で現金残高の違いが発生しました。前回のデータ送信後に現金取引の追加・"
                                          "訂正を行っていると残高の違いは発生します。"));
    });
}

// ---------------------------------------------------------------- data import

void TCashBookLoader::TransferDictionaries()
{
    int count = 0;
    guarded(QStringLiteral("辞書分類件数の取得」に失敗しました。 "), [&] {
        IBSQL1.setSql(QStringLiteral("SELECT COUNT(TEKCODE) AS RECCNT FROM TEKDIC"));
        IBSQL1.open();
        count = IBSQL1.field(0).asInteger();
        IBSQL1.close();
    });
    if (count == 0) return;
    const QString file = GetEnvVar(SystemDef.TempDir) + QStringLiteral("/vqzjisyo.txt");
    guarded(QStringLiteral("「摘要・取引先辞書の移行(エクスポート)」に失敗しました。 "), [&] {
        JisyoLoader.Target = 0;
        JisyoLoader.AllSCode = 1;
        JisyoLoader.SetDatabase(&m_dm->IBDatabaseDAT);
        JisyoLoader.SetTransaction(&ReceiveIBTransaction);
        JisyoLoader.SetFileVersion(QStringLiteral("1.1"));
        JisyoLoader.ExportToFile(file);
    });
    guarded(QStringLiteral("「摘要・取引先辞書の移行(インポート)」に失敗しました。 "), [&] {
        JisyoLoader.SetDatabase(&ReceiveIBDatabase);
        JisyoLoader.SetTransaction(&ReceiveIBTransaction);
        JisyoLoader.SetFileVersion(QStringLiteral("1.1"));
        JisyoLoader.ImportFromFile(file);
    });
}

void TCashBookLoader::TransferDataListName()
{
    guarded(QStringLiteral("「データリスト名称の更新」に失敗しました。 "), [&] {
        QString ent;
        int lock = 0;
        IBSQL1.setSql(QStringList{QStringLiteral("SELECT ENTTEXT,DATALOCK FROM ACCDEF1"), QStringLiteral("WHERE REC=1")});
        for (IBSQL1.open(); !IBSQL1.eof(); IBSQL1.next()) {
            ent = IBSQL1.field(0).asString();
            lock = IBSQL1.field(1).asInteger();
        }
        IBSQL1.close();
        ReceiveIBSQL1.setSql(QStringList{QStringLiteral("UPDATE ACCDEF1 SET ENTTEXT=:ENTTEXT,"),
                                         QStringLiteral("PASWORD=:PASWORD,WEB_HOLDER=:WEB_HOLDER,DATALOCK=:DATALOCK"),
                                         QStringLiteral("WHERE REC=1")});
        ReceiveIBSQL1.paramByName(QStringLiteral("ENTTEXT")).setString(ent);
        ReceiveIBSQL1.paramByName(QStringLiteral("PASWORD")).setString(QString());
        ReceiveIBSQL1.paramByName(QStringLiteral("WEB_HOLDER")).setString(QString());
        ReceiveIBSQL1.paramByName(QStringLiteral("DATALOCK")).setInteger(lock);
        ReceiveIBSQL1.execSQL();
    });
}

void TCashBookLoader::FinishImport()
{
    if (ImportKind != 0) return;
    guarded(QStringLiteral("取り込み後処理に失敗しました。 "), [&] {
        for (const char *table : {"OPINF", "OPHIST", "OPLICENSE", "OPDEFSISETU"}) {
            ReceiveIBSQL1.setSql(QStringLiteral("DELETE FROM ") + QString::fromLatin1(table));
            ReceiveIBSQL1.execSQL();
        }
        ReceiveIBSQL1.setSql(QStringList{QStringLiteral("DELETE FROM ACCREG"),
                                         QStringLiteral("WHERE (AGROUP=:AGROUP) AND (ACODE=:ACODE)")});
        for (const QString &code : {QStringLiteral("合算データ区分"), QStringLiteral("合算データ数")}) {
            ReceiveIBSQL1.paramByName(QStringLiteral("AGROUP")).setString(QStringLiteral("基本設定"));
            ReceiveIBSQL1.paramByName(QStringLiteral("ACODE")).setString(code);
            ReceiveIBSQL1.execSQL();
        }
    });
}

int TCashBookLoader::ReplaceDataFile()
{
    if (ImportKind != 0) return 0;
    const int mode = ConnectMode;
    const QString current = ExcludePathDelim(SystemDef.DataDir) + u'/' + Product.DataFile;
    const QFileInfo info(current);
    const QString stem = ExcludePathDelim(SystemDef.DataDir) + u'/' + info.completeBaseName();
    const QString safety = stem + QStringLiteral(".f00");
    // The received file is copied beside the company database first, so that
    // the swap itself is two renames and the company database is never half a file.
    const QString incoming = stem + QStringLiteral(".f01");
    std::function<bool(const QString &, const QString &, int)> copy = CopyFile, move = MoveFile;
    if (!copy) copy = [this](const QString &s, const QString &t, int m) { return m_dm->FCopy(s, t, m); };
    if (!move) move = [this](const QString &s, const QString &t, int m) { return m_dm->FMove(s, t, m); };

    bool replaced = false;
    if (m_dm->FExist(incoming, mode)) m_dm->FDel(incoming, mode, false);
    if (m_dm->FExist(safety, mode) && m_dm->FExist(current, mode)) m_dm->FDel(safety, mode, false); // a stale one
    if (m_dm->FExist(current, mode) && copy(ReceiveFile, incoming, mode) && !m_dm->FExist(safety, mode) &&
        move(current, safety, mode)) {
        if (move(incoming, current, mode)) {
            replaced = true;
        } else {
            if (m_dm->FExist(current, mode)) m_dm->FDel(current, mode, false);
            move(safety, current, mode);
        }
    }
    if (m_dm->FExist(incoming, mode)) m_dm->FDel(incoming, mode, false);
    if (!replaced) {
        m_replaceFailed = true;
        AddLog(3, -100, QStringLiteral("受信データの移行処理後のコピーに失敗しました。"));
    }
    // The safety copy goes only while the company database stands under its name.
    if (m_dm->FExist(safety, mode) && m_dm->FExist(current, mode)) m_dm->FDel(safety, mode, false);
    return replaced ? 1 : -1;
}
