#include "dbaccess/DataModule.h"

#include "core/DateFormat.h"
#include "dbaccess/ErrorHandler.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "platform/Cp932.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

TDM *DM = nullptr;

namespace {

// The general decimal form of a real number, at most 15 significant digits,
// with an exponent written as "1E20" or "1E-5".
QString GeneralFloatText(double v)
{
    QString t = QString::number(v, 'g', 15);
    const qsizetype e = t.indexOf(u'e');
    if (e < 0) return t;
    const int exponent = t.mid(e + 1).toInt();
    return t.left(e) + u'E' + QString::number(exponent);
}

const QStringList kReadCommitted = {QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                                    QStringLiteral("nowait")};

QString orHost(const QString &host) { return host.isEmpty() ? SystemDef.HostName : host; }
QString orDataDir(const QString &dir) { return dir.isEmpty() ? SystemDef.DataDir : dir; }

QByteArray memoBytes(const QString &text)
{
    bool ok = true;
    const QByteArray b = platform::toCp932(text, &ok);
    if (!ok) throw FbError(QStringLiteral("データベースに保存できない文字が含まれています。"), 0, 0);
    return b;
}

} // namespace

QStringList DatabaseParams()
{
    return {QStringLiteral("user_name=") + SystemDef.DbUser, QStringLiteral("password=") + SystemDef.DbPassword,
            QStringLiteral("lc_ctype=SJIS_0208")};
}

QString DatabasePath(const QString &host, const QString &folder, const QString &file)
{
    const QString local = ExcludePathDelim(folder) + u'/' + file;
    if (ConnectMode != 0 && host != u"127.0.0.1") return host + u':' + local;
    return local;
}

TDM::TDM(QObject *parent)
    : QObject(parent),
      IBTransactionDEF(&IBDatabaseDEF, kReadCommitted),
      IBTransactionDAT(&IBDatabaseDAT, kReadCommitted),
      IBTransactionDATSS(&IBDatabaseDAT, {QStringLiteral("concurrency"), QStringLiteral("nowait")}),
      IBTransactionDATStable(&IBDatabaseDAT, {QStringLiteral("write"), QStringLiteral("consistency")}),
      IBTransactionDAT_Thread(&IBDatabaseDAT, kReadCommitted),
      IBTransactionZEN(&IBDatabaseZEN, kReadCommitted),
      IBTransactionZENStable(&IBDatabaseZEN, {QStringLiteral("write"), QStringLiteral("consistency")}),
      IBTransFileMan(&IBFileMan, kReadCommitted),
      IBQSysDefGet(&IBDatabaseDEF, &IBTransactionDEF),
      IBQSysDefPut(&IBDatabaseDEF, &IBTransactionDEF),
      QueryDef(&IBDatabaseDEF, &IBTransactionDEF),
      IBSQLDEF(&IBDatabaseDEF, &IBTransactionDEF),
      IBQACC1(&IBDatabaseDAT, &IBTransactionDAT),
      IBQACC2(&IBDatabaseDAT, &IBTransactionDAT),
      IBQACC3(&IBDatabaseDAT, &IBTransactionDAT),
      IBSQL1(&IBDatabaseZEN, &IBTransactionZEN),
      IBQueryFileMan(&IBFileMan, &IBTransFileMan),
      IBSQLFileMan(&IBFileMan, &IBTransFileMan),
      IBStoredProcPUTEVENT(&IBDatabaseDEF, &IBTransactionDEF)
{
    setObjectName(QStringLiteral("DM"));
    IBDatabaseDEF.DefaultTransaction = &IBTransactionDEF;
    IBDatabaseDAT.DefaultTransaction = &IBTransactionDAT;
    IBDatabaseZEN.DefaultTransaction = &IBTransactionZEN;
    IBDatabaseZEN.Params = {QStringLiteral("lc_ctype=SJIS_0208")};
    IBFileMan.DefaultTransaction = &IBTransFileMan;
    IBSQL1.ParamCheck = false;
    IBStoredProcPUTEVENT.StoredProcName = QStringLiteral("SP_SETEVENT");
    for (QTimer *t : {&TimerFormClose, &TimerSyoriKidou}) {
        t->setInterval(100);
        t->setSingleShot(true);
    }
}

TDM::~TDM()
{
    if (DM == this) DM = nullptr;
    for (FbDatabase *db : {&IBDatabaseDAT, &IBFileMan, &IBDatabaseZEN, &IBDatabaseDEF}) {
        try {
            db->close();
        } catch (...) {
        }
    }
}

void TDM::connectTo(FbDatabase &db, const QString &host, const QString &folder, const QString &file)
{
    db.SQLDialect = 3;
    db.Params.clear();
    db.DatabaseName = DatabasePath(host, folder, file);
    db.Params = DatabaseParams();
    db.open();
}

// ---------------------------------------------------------------- opening and closing

bool TDM::fnAccDefConnected(const QString &host, bool report)
{
    const QString h = orHost(host);
    if (IBDatabaseDEF.connected()) return true;
    const QString text = QStringLiteral("システムデータベースの接続処理に失敗しました。");
    try {
        connectTo(IBDatabaseDEF, h, SystemDef.SysDir, Product.DataDefFile);
        return IBDatabaseDEF.connected();
    } catch (const std::exception &e) {
        reportOrRethrow(report, e, QStringLiteral("TDM.fnAccDefConnected"), text);
    }
    return false;
}

bool TDM::fnFileManConnected(const QString &host)
{
    try {
        if (!FExist(ExcludePathDelim(SystemDef.SysDir) + u'/' + FileManFile, ConnectMode)) return false;
        const QString h = orHost(host);
        if (IBFileMan.connected()) return true;
        connectTo(IBFileMan, h, SystemDef.SysDir, FileManFile);
        return IBFileMan.connected();
    } catch (...) {
        return false;
    }
}

bool TDM::fnAccDatConnected(const QString &host, const QString &dataDir, bool markInUse)
{
    const QString h = orHost(host);
    const QString folder = orDataDir(dataDir);
    const QString text = QStringLiteral("ユーザーデータベースの接続処理に失敗しました。\r"
                                        "DBファイルが削除、破損 または 使用中の可能性がありますので接続パスを確認して下さい。");
    try {
        IBDatabaseDAT.close();
        connectTo(IBDatabaseDAT, h, folder, Product.DataFile);
        if (markInUse && OnDataSetOpened) OnDataSetOpened(folder);
        return IBDatabaseDAT.connected();
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.fnAccDatConnected"), text);
        // A database that opens with an error other than "file not found" may be damaged.
        const auto *db = dynamic_cast<const FbError *>(&e);
        if (db && db->errorCode() != 335544344) CheckDataByHook(h, folder, 0, 1);
    }
    return false;
}

bool TDM::fnAccDatDisConnected(const QString &dataDir, bool writeInfo, bool updateList)
{
    const QString folder = orDataDir(dataDir);
    if (StartMode == 1) updateList = false;
    if ((writeInfo || updateList) && IBDatabaseDAT.connected() && OnDataSetClosing)
        OnDataSetClosing(folder, writeInfo, updateList);
    if (IBDatabaseDAT.connected()) IBDatabaseDAT.close();
    IBDatabaseDAT.Params.clear();
    return true;
}

bool TDM::AccDatInConnection(int kind, const QString &host, bool keepOwn, const QString &folder)
{
    const QString h = orHost(host);
    if (folder.trimmed().isEmpty()) return false;
    const QString file = kind == 0 ? Product.DataDefFile : Product.DataFile;
    const QString path = ExcludePathDelim(folder) + u'/' + file;
    FbDatabase &own = kind == 0 ? IBDatabaseDEF : IBDatabaseDAT;
    const bool ownOpen = own.connected();
    bool result = false;
    try {
        if (!keepOwn && ownOpen) own.close();
        if (FExist(path, ConnectMode)) {
            // Attach beside the others and ask the server who else is attached.
            FbDatabase probe;
            probe.DatabaseName = DatabasePath(h, folder, file);
            probe.Params = DatabaseParams();
            probe.open();
            result = probe.otherAttachments() > 0;
            probe.close();
        }
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.AccDatInConnection"), QStringLiteral("データベースの使用情報の取得に失敗しました。"));
    }
    if (!keepOwn && ownOpen && !own.connected()) {
        try {
            own.open();
        } catch (const FbError &e) {
            ShowIBError(e, QStringLiteral("TDM.AccDatInConnection"),
                        QStringLiteral("データベースの使用情報の取得に失敗しました。"), true);
        }
    }
    return result;
}

bool TDM::AccDatHeldElsewhere(const QString &folder)
{
    if (folder.trimmed().isEmpty()) return false;
    const QString path = ExcludePathDelim(folder) + u'/' + Product.DataFile;
    if (!QFileInfo::exists(path)) return false;
    const bool ownOpen = IBDatabaseDAT.connected();
    if (ownOpen) IBDatabaseDAT.close();
    bool held = false;
    try {
        FbDatabase probe;
        probe.DatabaseName = path;
        probe.Params = DatabaseParams();
        probe.open();
        held = probe.otherAttachments() > 0;
        probe.close();
    } catch (const FbError &e) {
        // Another engine keeps the file: the attachment fails on its lock.
        held = e.errorCode() == 335544344 && e.message().contains(QStringLiteral("\"lock\""));
    } catch (const std::exception &) {
    }
    if (ownOpen) {
        try {
            IBDatabaseDAT.open();
        } catch (const FbError &e) {
            ShowIBError(e, QStringLiteral("TDM.AccDatHeldElsewhere"), QStringLiteral("データベースの使用情報の取得に失敗しました。"), true);
        }
    }
    return held;
}

bool TDM::AccDatDropDatabase(const QString &host, const QString &dataDir)
{
    const QString h = orHost(host);
    if (dataDir.isEmpty()) return false;
    const QString text = QStringLiteral("ユーザーデータベースの削除処理に失敗しました。\r接続パスを確認して下さい。");
    try {
        FbDatabase db;
        db.SQLDialect = 3;
        const QString local = ExcludePathDelim(dataDir) + u'/' + Product.DataFile;
        db.DatabaseName = ConnectMode != 0 ? h + u':' + local : local;
        db.Params = DatabaseParams();
        db.open();
        db.dropDatabase();
        return true;
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.AccDatDropDatabase"), text);
    }
    return false;
}

void TDM::DeleteLogonInfo()
{
    const QString text = QStringLiteral("ログイン情報の削除に失敗しました。");
    try {
        TransactionGuard g(IBTransactionDEF);
        IBSQLDEF.setSql(QStringLiteral("DELETE FROM LOGONUSERLIST WHERE OPCODE=:OPCODE"));
        IBSQLDEF.paramByName(QStringLiteral("OPCODE")).setInteger(SystemDef.OpCode);
        IBSQLDEF.execSQL();
        g.commit();
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.DeleteLogonInfo"), text);
    }
}

// ---------------------------------------------------------------- server file operations

bool TDM::ServerFileOperation(const QString &operation, const QString &path1, const QString &path2)
{
    const QString name = operation.toUpper();
    static const QStringList files = {QStringLiteral("FEXIST"), QStringLiteral("FCOPY"), QStringLiteral("FDEL")};
    static const QStringList folders = {QStringLiteral("DEXIST"), QStringLiteral("MKDIR"), QStringLiteral("RMDIR")};
    if (!files.contains(name) && !folders.contains(name)) return false;
    if (path1.trimmed().isEmpty()) return false;
    if (name == u"FCOPY" && path2.trimmed().isEmpty()) return false;

    bool openedHere = false;
    if (!IBDatabaseDEF.connected()) {
        if (!fnAccDefConnected(SystemDef.HostName, true)) return false;
        openedHere = true;
    }
    bool result = false;
    const QString text = QStringLiteral("サーバーへのファイル操作(%1)に失敗しました。").arg(name);
    try {
        TransactionGuard g(IBTransactionDEF);
        if (files.contains(name)) {
            IBSQLDEF.setSql(QStringLiteral("SELECT WBOOL FROM FILEOPERATION(:MODE,:FILEPATH1,:FILEPATH2)"));
            IBSQLDEF.paramByName(QStringLiteral("FILEPATH2")).setString(path2);
        } else {
            IBSQLDEF.setSql(QStringLiteral("SELECT WBOOL FROM DIRECTORYTEST(:MODE,:FILEPATH1)"));
        }
        IBSQLDEF.paramByName(QStringLiteral("MODE")).setString(name);
        IBSQLDEF.paramByName(QStringLiteral("FILEPATH1")).setString(path1);
        IBSQLDEF.open();
        result = !IBSQLDEF.eof() && IBSQLDEF.fieldByName(QStringLiteral("WBOOL")).asInteger() == 1;
        IBSQLDEF.close();
        g.commit();
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.ServerFileOperation"), text);
        result = false;
    }
    if (openedHere) IBDatabaseDEF.close();
    return result;
}

QString TDM::ServerLongToShortFileName(const QString &longPath)
{
    if (longPath.trimmed().isEmpty()) return QString();
    bool openedHere = false;
    if (!IBDatabaseDEF.connected()) {
        if (!fnAccDefConnected(SystemDef.HostName, true)) return QString();
        openedHere = true;
    }
    QString result;
    const QString text = QStringLiteral("サーバーからのファイル名の変換(LongToShort)に失敗しました。");
    try {
        TransactionGuard g(IBTransactionDEF);
        IBSQLDEF.setSql(QStringLiteral("SELECT SHORTNAME FROM LONGTOSHORTFILENAME(:LONGNAME)"));
        IBSQLDEF.paramByName(QStringLiteral("LONGNAME")).setString(longPath);
        IBSQLDEF.open();
        if (!IBSQLDEF.eof()) result = IBSQLDEF.fieldByName(QStringLiteral("SHORTNAME")).asString();
        IBSQLDEF.close();
        g.commit();
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.ServerLongToShortFileName"), text);
        result.clear();
    }
    if (openedHere) IBDatabaseDEF.close();
    return result;
}

bool TDM::DExist(const QString &folder, int mode)
{
    if (mode == 0) return QFileInfo(folder).isDir();
    if (mode == 1 || mode == 2) return ServerFileOperation(QStringLiteral("DExist"), folder, QString());
    return false;
}

bool TDM::MkDir(const QString &folder, int mode)
{
    if (mode == 0) return ForceDir(folder);
    if (mode == 1 || mode == 2) return ServerFileOperation(QStringLiteral("MkDir"), folder, QString());
    return false;
}

bool TDM::RmDir(const QString &folder, int mode, bool toRecycleBin)
{
    if (mode == 0) return DeleteFolder(folder, 3, toRecycleBin, true);
    if (mode == 1 || mode == 2) return ServerFileOperation(QStringLiteral("RmDir"), folder, QString());
    return false;
}

bool TDM::FExist(const QString &file, int mode)
{
    if (mode == 0) return QFileInfo(file).isFile();
    if (mode == 1 || mode == 2) return ServerFileOperation(QStringLiteral("FExist"), file, QString());
    return false;
}

bool TDM::FDel(const QString &file, int mode, bool toRecycleBin)
{
    if (mode == 0) return DeleteFolder(file, 3, toRecycleBin, true);
    if (mode == 1 || mode == 2) return ServerFileOperation(QStringLiteral("FDel"), file, QString());
    return false;
}

bool TDM::FMove(const QString &source, const QString &target, int mode)
{
    if (mode == 0) return QFile::rename(source, target);
    if (mode == 1 || mode == 2) {
        if (!ServerFileOperation(QStringLiteral("FCopy"), source, target)) return false;
        return ServerFileOperation(QStringLiteral("FDel"), source, QString());
    }
    return false;
}

bool TDM::FCopy(const QString &source, const QString &target, int mode)
{
    if (mode == 0) return CopyFolder(source, target, 2);
    if (mode == 1 || mode == 2) return ServerFileOperation(QStringLiteral("FCopy"), source, target);
    return false;
}

QString TDM::GetShortFileName(const QString &path, int mode)
{
    if (mode == 0) {
        try {
            return GetShortPath(path);
        } catch (const std::exception &) {
            return path;
        }
    }
    if (mode == 1 || mode == 2) return ServerLongToShortFileName(path);
    return QString();
}

// ---------------------------------------------------------------- schema probes and counts

bool TDM::fnExistence_Table(const QString &table)
{
    try {
        TransactionGuard g(IBTransactionDAT);
        IBQACC1.setSql(QStringLiteral("SELECT Count(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME=:Table_NAME"));
        IBQACC1.paramByName(QStringLiteral("Table_NAME")).setString(table);
        IBQACC1.open();
        const bool exists = IBQACC1.field(0).asInteger() > 0;
        IBQACC1.close();
        g.commit();
        return exists;
    } catch (const FbError &e) {
        ShowIBError(e, QStringLiteral("TDM.fnExistence_Table"), QStringLiteral("テーブルの存在情報の取得に失敗しました。"), true);
        return false;
    }
}

bool TDM::fnExistence_Field(const QString &table, const QString &field)
{
    try {
        TransactionGuard g(IBTransactionDAT);
        IBQACC1.setSql(QStringLiteral("SELECT count(*) FROM RDB$RELATION_FIELDS WHERE (RDB$RELATION_NAME=:TABLE_NAME) "
                                      "AND (RDB$FIELD_NAME=:FIELD_NAME )"));
        IBQACC1.paramByName(QStringLiteral("TABLE_NAME")).setString(table);
        IBQACC1.paramByName(QStringLiteral("FIELD_NAME")).setString(field);
        IBQACC1.open();
        const bool exists = IBQACC1.field(0).asInteger() > 0;
        IBQACC1.close();
        g.commit();
        return exists;
    } catch (const FbError &e) {
        ShowIBError(e, QStringLiteral("TDM.fnExistence_Field"),
                    QStringLiteral("テーブル項目の存在情報の取得に失敗しました。"), true);
        return false;
    }
}

namespace {

// The counting rule: a transaction started here is committed on every path; a
// database error is reported (without text) by the operation that started it;
// the error always reaches the caller.
template <typename F>
int countWithRule(FbTransaction &tr, const QString &operation, F &&f)
{
    TransactionGuard g(tr, TransactionGuard::Exit::Commit);
    try {
        return f();
    } catch (const FbError &e) {
        if (g.startedHere()) ShowIBError(e, operation, QString(), true);
        throw;
    }
}

} // namespace

int TDM::GetYukouSiwakeCount(const QString &branch)
{
    return countWithRule(IBTransactionDAT, QStringLiteral("TDM.GetYukouSiwakeCount"), [&] {
        if (branch.trimmed().isEmpty()) {
            IBQACC1.setSql(QStringLiteral("SELECT SUM(SIWAKECOUNT) AS SWKCNT FROM SISETUMST"));
        } else {
            IBQACC1.setSql(QStringList{QStringLiteral("SELECT SIWAKECOUNT AS SWKCNT FROM SISETUMST"),
                                       QStringLiteral("WHERE (SCODE=:SCODE)")});
            IBQACC1.paramByName(QStringLiteral("SCODE")).setString(branch);
        }
        IBQACC1.open();
        const int n = IBQACC1.eof() ? 0 : IBQACC1.field(0).asInteger();
        IBQACC1.close();
        return n;
    });
}

int TDM::GetUpDelSiwakeCount(const QString &branch)
{
    return countWithRule(IBTransactionDAT, QStringLiteral("TDM.GetUpDelSiwakeCount"), [&] {
        QStringList sql{QStringLiteral("SELECT COUNT(REC) AS SWKCNT FROM SIWAKE"),
                        QStringLiteral("WHERE (DELFLG IN (1,2) AND TAISHAKU=1)")};
        const bool byBranch = !branch.trimmed().isEmpty();
        if (byBranch) sql << QStringLiteral("AND (SCODE=:SCODE)");
        IBQACC1.setSql(sql);
        if (byBranch) IBQACC1.paramByName(QStringLiteral("SCODE")).setString(branch);
        IBQACC1.open();
        const int n = IBQACC1.eof() ? 0 : IBQACC1.field(0).asInteger();
        IBQACC1.close();
        return n;
    });
}

int TDM::GetSiwakeCount(const QString &branch, int &live, int &changed)
{
    live = 0;
    changed = 0;
    return countWithRule(IBTransactionDAT, QStringLiteral("TDM.GetSiwakeCount"), [&] {
        live = GetYukouSiwakeCount(branch);
        changed = GetUpDelSiwakeCount(branch);
        return live + changed;
    });
}

int TDM::GetSiwakeCountAll(const QString &branch)
{
    int live = 0, changed = 0;
    return GetSiwakeCount(branch, live, changed);
}

// ---------------------------------------------------------------- text forms

bool SysRegStrToBool(const QString &text) { return text == u"TRUE"; }
QString SysRegBoolToStr(bool value) { return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }
bool AccRegStrToBool(const QString &text) { return text.toUpper() == u"TRUE"; }
QString AccRegBoolToStr(bool value) { return SysRegBoolToStr(value); }

QString DateToRegText(int style, const QDate &date)
{
    if (!date.isValid()) return QString();
    const QDateTime dt(date, QTime(0, 0));
    if (style == 2) return FormatDateTime(QStringLiteral("yy/mm/dd"), dt);
    if (style == 4) return FormatDateTime(QStringLiteral("yyyy/mm/dd"), dt);
    return FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn"), dt);
}

Currency RegTextToCurr(const QString &text)
{
    Currency c;
    if (!Currency::tryParse(text, c)) return Currency();
    return c;
}

QDate RegTextToDate(const QString &text)
{
    return StrToDateDef(text.trimmed());
}

namespace {

QDateTime regTextToDateTime(const QString &text)
{
    const QString t = text.trimmed();
    const QDate d = StrToDateDef(t.section(u' ', 0, 0));
    if (!d.isValid()) return QDateTime();
    const QString timePart = t.section(u' ', 1, 1);
    if (timePart.isEmpty()) return QDateTime(d, QTime(0, 0));
    const QTime tm = QTime::fromString(timePart, QStringLiteral("H:m:s"));
    const QTime tm2 = tm.isValid() ? tm : QTime::fromString(timePart, QStringLiteral("H:m"));
    return tm2.isValid() ? QDateTime(d, tm2) : QDateTime();
}

// A stored text as the value of its kind; "Data Type Error" for an unknown kind.
QVariant fromRegText(const QString &kind, const QString &text, bool sysreg)
{
    if (kind == u"文字") return text;
    if (kind == u"論理") return sysreg ? SysRegStrToBool(text) : AccRegStrToBool(text);
    if (kind == u"日付") return RegTextToDate(text);
    if (kind == u"整数") {
        bool ok = false;
        const int n = text.trimmed().toInt(&ok);
        return ok ? n : 0;
    }
    if (kind == u"金額") return QVariant::fromValue(RegTextToCurr(text));
    if (!sysreg && kind == u"実数") {
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        return ok ? v : 0.0;
    }
    if (!sysreg && kind == u"日時") return regTextToDateTime(text);
    return QStringLiteral("Data Type Error");
}

Currency toCurrency(const QVariant &v)
{
    if (v.typeId() == qMetaTypeId<Currency>()) return v.value<Currency>();
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) return Currency::fromDouble(v.toDouble());
    if (v.typeId() == QMetaType::QString) return RegTextToCurr(v.toString());
    return Currency::fromUnits(v.toLongLong());
}

// The text form of a value; false for a kind the store does not know.
bool toRegText(const QString &kind, const QVariant &v, bool sysreg, QString &out)
{
    if (kind == u"文字") out = v.toString();
    else if (kind == u"論理") out = SysRegBoolToStr(v.toBool());
    else if (kind == u"日付") out = DateToRegText(4, v.toDate());
    else if (kind == u"整数") out = QString::number(v.toInt());
    else if (kind == u"金額") out = toCurrency(v).toString();
    else if (!sysreg && kind == u"実数") out = GeneralFloatText(v.toDouble());
    else if (!sysreg && kind == u"日時") {
        const QDateTime dt = v.toDateTime();
        out = dt.isValid() ? FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn:ss"), dt) : QString();
    } else
        return false;
    return true;
}

} // namespace

// ---------------------------------------------------------------- system settings stores

QVariant TDM::readSysReg(const QString &key, const QString &kind, int opCode, const QString &def)
{
    TransactionGuard g(IBTransactionDEF);
    QueryDef.setSql(QStringLiteral("SELECT STEXT FROM SYSREG WHERE OPCODE=:OPCODE AND SCODE=:SCODE "));
    QueryDef.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
    QueryDef.paramByName(QStringLiteral("SCODE")).setString(key);
    QueryDef.open();
    QString stored;
    if (!QueryDef.eof()) {
        stored = QueryDef.field(0).asString();
        QueryDef.close();
    } else {
        QueryDef.close();
        IBSQLDEF.setSql(QStringLiteral("INSERT INTO SYSREG(OPCODE,SCODE,STYPE,STEXT) VALUES(:OPCODE,:SCODE,:STYPE,:STEXT )"));
        IBSQLDEF.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
        IBSQLDEF.paramByName(QStringLiteral("SCODE")).setString(key);
        IBSQLDEF.paramByName(QStringLiteral("STYPE")).setString(kind);
        IBSQLDEF.paramByName(QStringLiteral("STEXT")).setString(def);
        IBSQLDEF.execSQL();
        stored = def;
    }
    if (stored.isEmpty()) stored = QStringLiteral(" ");
    const QVariant converted = fromRegText(kind, stored, true);
    g.commit();
    return converted;
}

void TDM::writeSysReg(const QString &key, const QString &kind, int opCode, const QVariant &value)
{
    TransactionGuard g(IBTransactionDEF);
    QueryDef.setSql(QStringLiteral("SELECT COUNT(OPCODE) AS RECCNT FROM SYSREG WHERE OPCODE=:OPCODE AND SCODE=:SCODE"));
    QueryDef.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
    QueryDef.paramByName(QStringLiteral("SCODE")).setString(key);
    QueryDef.open();
    const bool exists = QueryDef.field(0).asInteger() > 0;
    QueryDef.close();
    if (exists) {
        IBSQLDEF.setSql(QStringLiteral("UPDATE SYSREG SET STEXT=:STEXT WHERE OPCODE=:OPCODE AND SCODE=:SCODE "));
    } else {
        IBSQLDEF.setSql(QStringLiteral("INSERT INTO SYSREG(OPCODE,SCODE,STYPE,STEXT) VALUES(:OPCODE,:SCODE,:STYPE,:STEXT )"));
        IBSQLDEF.paramByName(QStringLiteral("STYPE")).setString(kind);
    }
    IBSQLDEF.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
    IBSQLDEF.paramByName(QStringLiteral("SCODE")).setString(key);
    QString stext;
    if (toRegText(kind, value, true, stext))
        IBSQLDEF.paramByName(QStringLiteral("STEXT")).setString(stext);
    else
        IBSQLDEF.paramByName(QStringLiteral("STEXT")).clear();
    IBSQLDEF.execSQL();
    g.commit();
}

void TDM::funcGetSysReg(const QString &key, const QString &kind, QVariant &value, int opCode, const QString &def)
{
    try {
        value = readSysReg(key, kind, opCode, def);
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.funcGetSysReg"), QStringLiteral("システム共通変数の取得に失敗しました。"));
    }
}

void TDM::funcPutSysReg(const QString &key, const QString &kind, int opCode, const QVariant &value)
{
    try {
        writeSysReg(key, kind, opCode, value);
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.funcPutSysReg"), QStringLiteral("システム共通変数の保存に失敗しました。"));
    }
}

void TDM::GetSysReg(const QString &key, const QString &kind, QVariant &value, const QString &def)
{
    funcGetSysReg(key, kind, value, SystemDef.OpCode, def);
}

void TDM::PutSysReg(const QString &key, const QString &kind, const QVariant &value)
{
    funcPutSysReg(key, kind, SystemDef.OpCode, value);
}

bool TDM::GetSysIni(TSystemIniRec &rec)
{
    rec.RESERVE1 = rec.RESERVE2 = rec.RESERVE3 = rec.RESERVE4 = rec.RESERVE5 = 0;
    rec.SSTR.clear();
    const bool callerActive = IBTransactionDEF.inTransaction();
    const QString text = QStringLiteral("システム情報の取得に失敗しました。\rアプリケーションを終了します。");
    try {
        TransactionGuard g(IBTransactionDEF);
        IBQSysDefGet.setSql(QStringList{QStringLiteral("SELECT RESERVE1,RESERVE2,RESERVE3,RESERVE4,RESERVE5,SSTR FROM SYSTEMINI"),
                                        QStringLiteral("WHERE REC=:REC")});
        IBQSysDefGet.paramByName(QStringLiteral("REC")).setInteger(rec.REC);
        IBQSysDefGet.open();
        std::vector<TSystemIniRec> rows;
        for (; !IBQSysDefGet.eof(); IBQSysDefGet.next()) {
            TSystemIniRec r = rec;
            r.RESERVE1 = IBQSysDefGet.field(0).asInteger();
            r.RESERVE2 = IBQSysDefGet.field(1).asInteger();
            r.RESERVE3 = IBQSysDefGet.field(2).asInteger();
            r.RESERVE4 = IBQSysDefGet.field(3).asInteger();
            r.RESERVE5 = IBQSysDefGet.field(4).asInteger();
            r.SSTR = IBQSysDefGet.field(5).asString();
            rows.push_back(r);
        }
        if (rows.size() == 1) rec = rows.front();
        IBQSysDefGet.close();
        g.commit();
        return true;
    } catch (const std::exception &e) {
        reportOrRethrow(!callerActive, e, QStringLiteral("TDM.GetSysIni"), text);
    }
    return false;
}

bool TDM::SetSysIni(const TSystemIniRec &rec)
{
    const bool callerActive = IBTransactionDEF.inTransaction();
    const QString text = QStringLiteral("システム情報の書き込みに失敗しました。\r現在のシステム設定は保存されません。");
    try {
        TransactionGuard g(IBTransactionDEF);
        IBQSysDefPut.setSql(QStringList{QStringLiteral("SELECT COUNT(REC) AS RECCNT FROM SYSTEMINI"), QStringLiteral("WHERE REC=:REC")});
        IBQSysDefPut.paramByName(QStringLiteral("REC")).setInteger(rec.REC);
        IBQSysDefPut.open();
        const bool exists = IBQSysDefPut.field(0).asInteger() > 0;
        IBQSysDefPut.close();
        if (exists)
            IBQSysDefPut.setSql(QStringList{
                QStringLiteral("UPDATE SYSTEMINI SET RESERVE1=:RESERVE1,RESERVE2=:RESERVE2,RESERVE3=:RESERVE3,"
                               "RESERVE4=:RESERVE4,RESERVE5=:RESERVE5,SSTR=:SSTR"),
                QStringLiteral("WHERE REC=:REC")});
        else
            IBQSysDefPut.setSql(QStringList{
                QStringLiteral("INSERT INTO SYSTEMINI(REC,RESERVE1,RESERVE2,RESERVE3,RESERVE4,RESERVE5,SSTR)"),
                QStringLiteral("VALUES(:REC,:RESERVE1,:RESERVE2,:RESERVE3,:RESERVE4,:RESERVE5,:SSTR)")});
        IBQSysDefPut.paramByName(QStringLiteral("REC")).setInteger(rec.REC);
        IBQSysDefPut.paramByName(QStringLiteral("RESERVE1")).setInteger(rec.RESERVE1);
        IBQSysDefPut.paramByName(QStringLiteral("RESERVE2")).setInteger(rec.RESERVE2);
        IBQSysDefPut.paramByName(QStringLiteral("RESERVE3")).setInteger(rec.RESERVE3);
        IBQSysDefPut.paramByName(QStringLiteral("RESERVE4")).setInteger(rec.RESERVE4);
        IBQSysDefPut.paramByName(QStringLiteral("RESERVE5")).setInteger(rec.RESERVE5);
        IBQSysDefPut.paramByName(QStringLiteral("SSTR")).setString(rec.SSTR);
        IBQSysDefPut.execSQL();
        g.commit();
        return true;
    } catch (const std::exception &e) {
        reportOrRethrow(!callerActive, e, QStringLiteral("TDM.SetSysIni"), text);
    }
    return false;
}

QString TDM::readStyleColor(int opCode, const QString &styleName)
{
    QString result;
    TransactionGuard g(IBTransactionDEF);
    IBSQLDEF.setSql(QStringList{QStringLiteral("SELECT SSTR FROM STYLECOLOR"),
                                QStringLiteral("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME")});
    IBSQLDEF.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
    IBSQLDEF.paramByName(QStringLiteral("STYLENAME")).setString(styleName);
    for (IBSQLDEF.open(); !IBSQLDEF.eof(); IBSQLDEF.next()) result = IBSQLDEF.field(0).asString();
    IBSQLDEF.close();
    g.commit();
    return result;
}

void TDM::writeStyleColor(int opCode, const QString &styleName, const QString &text)
{
    TransactionGuard g(IBTransactionDEF);
    const QString where = QStringLiteral("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME");
    IBSQLDEF.setSql(QStringList{QStringLiteral("SELECT COUNT(OPCODE) AS RECCNT FROM STYLECOLOR"), where});
    IBSQLDEF.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
    IBSQLDEF.paramByName(QStringLiteral("STYLENAME")).setString(styleName);
    IBSQLDEF.open();
    const bool exists = IBSQLDEF.field(0).asInteger() > 0;
    IBSQLDEF.close();
    if (exists)
        IBSQLDEF.setSql(QStringList{
            QStringLiteral("UPDATE STYLECOLOR SET OPCODE=:OPCODE,STYLENAME=:STYLENAME,LINECOLOR1=:LINECOLOR1,"
                           "LINECOLOR2=:LINECOLOR2,LINECOLOR3=:LINECOLOR3,LINECOLOR4=:LINECOLOR4,LINECOLOR5=:LINECOLOR5,"
                           "NETCOLOR1=:NETCOLOR1,NETCOLOR2=:NETCOLOR2,SSTR=:SSTR"),
            where});
    else
        IBSQLDEF.setSql(QStringList{
            QStringLiteral("INSERT INTO STYLECOLOR(OPCODE,STYLENAME,LINECOLOR1,LINECOLOR2,LINECOLOR3,LINECOLOR4,"
                           "LINECOLOR5,NETCOLOR1,NETCOLOR2,SSTR)"),
            QStringLiteral("VALUES(:OPCODE,:STYLENAME,:LINECOLOR1,:LINECOLOR2,:LINECOLOR3,:LINECOLOR4,:LINECOLOR5,"
                           ":NETCOLOR1,:NETCOLOR2,:SSTR)")});
    IBSQLDEF.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
    IBSQLDEF.paramByName(QStringLiteral("STYLENAME")).setString(styleName);
    for (const char *c : {"LINECOLOR1", "LINECOLOR2", "LINECOLOR3", "LINECOLOR4", "LINECOLOR5", "NETCOLOR1", "NETCOLOR2"})
        IBSQLDEF.paramByName(QLatin1String(c)).setInteger(-1);
    IBSQLDEF.paramByName(QStringLiteral("SSTR")).setString(text);
    IBSQLDEF.execSQL();
    g.commit();
}

QString TDM::GetStyleColor(int opCode, const QString &styleName)
{
    try {
        return readStyleColor(opCode, styleName);
    } catch (const std::exception &) {
        return QString();
    }
}

void TDM::PutStyleColor(int opCode, const QString &styleName, const QString &text)
{
    try {
        writeStyleColor(opCode, styleName, text);
    } catch (const std::exception &) {
    }
}

// ---------------------------------------------------------------- query factory and company store

std::unique_ptr<FbQuery> TDM::CreateAccQuery(const QString &selector, bool snapshot)
{
    if (selector == u"ACCDEF")
        return std::make_unique<FbQuery>(&IBDatabaseDEF, &IBTransactionDEF);
    return std::make_unique<FbQuery>(&IBDatabaseDAT, snapshot ? &IBTransactionDATSS : &IBTransactionDAT);
}

std::unique_ptr<FbQuery> TDM::CreateAccSQL(const QString &selector, bool snapshot)
{
    return CreateAccQuery(selector, snapshot);
}

QVariant TDM::GetAccReg(const QString &group, const QString &code, const QString &kind, const QString &def)
{
    auto q = CreateAccQuery(QStringLiteral("ACCDAT"), false);
    TransactionGuard g(IBTransactionDAT);
    q->setSql(QStringLiteral("SELECT ATYPE,ATEXT FROM ACCREG WHERE AGROUP=:AGROUP AND ACODE=:ACODE "));
    q->paramByName(QStringLiteral("AGROUP")).setString(group);
    q->paramByName(QStringLiteral("ACODE")).setString(code);
    q->open();
    QString stored;
    if (!q->eof()) {
        stored = q->fieldByName(QStringLiteral("ATEXT")).asString();
        q->close();
    } else {
        q->close();
        q->setSql(QStringLiteral("INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT) VALUES(:AGROUP,:ACODE,:ATYPE,:ATEXT)"));
        q->paramByName(QStringLiteral("AGROUP")).setString(group);
        q->paramByName(QStringLiteral("ACODE")).setString(code);
        q->paramByName(QStringLiteral("ATYPE")).setString(kind);
        q->paramByName(QStringLiteral("ATEXT")).setString(def);
        q->execSQL();
        stored = def;
    }
    if (stored.isEmpty()) stored = QStringLiteral(" ");
    const QVariant value = fromRegText(kind, stored, false);
    q->close();
    g.commit();
    return value;
}

void TDM::PutAccReg(const QString &group, const QString &code, const QString &kind, const QVariant &value)
{
    auto q = CreateAccQuery(QStringLiteral("ACCDAT"), false);
    TransactionGuard g(IBTransactionDAT);
    q->setSql(QStringList{QStringLiteral("SELECT COUNT(AGROUP) AS RECCNT FROM ACCREG"),
                          QStringLiteral("WHERE (AGROUP=:AGROUP) AND (ACODE=:ACODE)")});
    q->paramByName(QStringLiteral("AGROUP")).setString(group);
    q->paramByName(QStringLiteral("ACODE")).setString(code);
    q->open();
    const bool exists = q->field(0).asInteger() != 0;
    q->close();
    if (exists) {
        q->setSql(QStringList{QStringLiteral("UPDATE ACCREG SET ATEXT=:ATEXT"),
                              QStringLiteral("WHERE AGROUP=:AGROUP AND ACODE=:ACODE")});
    } else {
        q->setSql(QStringList{QStringLiteral("INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT)"),
                              QStringLiteral("VALUES(:AGROUP,:ACODE,:ATYPE,:ATEXT)")});
        q->paramByName(QStringLiteral("ATYPE")).setString(kind);
    }
    q->paramByName(QStringLiteral("AGROUP")).setString(group);
    q->paramByName(QStringLiteral("ACODE")).setString(code);
    QString text;
    if (toRegText(kind, value, false, text))
        q->paramByName(QStringLiteral("ATEXT")).setString(text);
    else
        q->paramByName(QStringLiteral("ATEXT")).clear();
    q->execSQL();
    q->close();
    g.commit();
}

void TDM::DeleteAccReg(const QString &group, const QString &code)
{
    auto q = CreateAccQuery(QStringLiteral("ACCDAT"), false);
    TransactionGuard g(IBTransactionDAT);
    q->setSql(QStringList{QStringLiteral("DELETE FROM ACCREG"), QStringLiteral("WHERE (AGROUP=:AGROUP) AND (ACODE=:ACODE)")});
    q->paramByName(QStringLiteral("AGROUP")).setString(group);
    q->paramByName(QStringLiteral("ACODE")).setString(code);
    q->execSQL();
    g.commit();
}

QVariant TDM::GetAccRegBlob(const QString &group, const QString &key, const QString & /*kind*/)
{
    auto q = CreateAccQuery(QStringLiteral("ACCDAT"), false);
    TransactionGuard g(IBTransactionDAT);
    q->setSql(QStringList{QStringLiteral("SELECT FGROUP,FKEY,FTYPE,FVALUE FROM ACCREG_BLOB_BINARY"),
                          QStringLiteral("WHERE FGROUP=:FGROUP AND FKEY=:FKEY")});
    q->paramByName(QStringLiteral("FGROUP")).setString(group);
    q->paramByName(QStringLiteral("FKEY")).setString(key);
    q->open();
    QVariant result;
    if (!q->eof()) {
        const QString type = q->fieldByName(QStringLiteral("FTYPE")).asString();
        const QByteArray bytes = q->fieldByName(QStringLiteral("FVALUE")).asBytes();
        QString ext;
        if (type == u"画像" || type == u"BMP") ext = QStringLiteral(".bmp");
        else if (type == u"JPG") ext = QStringLiteral(".jpg");
        if (!ext.isEmpty()) {
            const QString path = ExcludePathDelim(SystemDef.WinTempDir) + QStringLiteral("/accreg-") +
                                 FormatDateTime(QStringLiteral("yyyymmddhhnnss"), QDateTime::currentDateTime()) + ext;
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                throw platform::Error(QStringLiteral("%1 に書き込めません。").arg(path));
            result = path;
        } else if (type == u"メモ") {
            QString text = platform::fromCp932(bytes);
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
            QStringList lines = text.split(u'\n');
            if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
            result = lines.join(QStringLiteral("\r\n"));
        }
    }
    q->close();
    g.commit();
    return result;
}

void TDM::PutAccRegBlob(const QString &group, const QString &key, const QString &kind, const QVariant &value)
{
    auto q = CreateAccQuery(QStringLiteral("ACCDAT"), false);
    TransactionGuard g(IBTransactionDAT);
    q->setSql(QStringList{QStringLiteral("SELECT COUNT(FGROUP) AS RECCNT FROM ACCREG_BLOB_BINARY"),
                          QStringLiteral("WHERE (FGROUP=:FGROUP) AND (FKEY=:FKEY)")});
    q->paramByName(QStringLiteral("FGROUP")).setString(group);
    q->paramByName(QStringLiteral("FKEY")).setString(key);
    q->open();
    const bool exists = q->field(0).asInteger() != 0;
    q->close();
    if (exists)
        q->setSql(QStringList{QStringLiteral("UPDATE ACCREG_BLOB_BINARY SET FTYPE=:FTYPE,FVALUE=:FVALUE"),
                              QStringLiteral("WHERE FGROUP=:FGROUP AND FKEY=:FKEY")});
    else
        q->setSql(QStringList{QStringLiteral("INSERT INTO ACCREG_BLOB_BINARY(FGROUP,FKEY,FTYPE,FVALUE)"),
                              QStringLiteral("VALUES(:FGROUP,:FKEY,:FTYPE,:FVALUE)")});
    q->paramByName(QStringLiteral("FGROUP")).setString(group);
    q->paramByName(QStringLiteral("FKEY")).setString(key);
    q->paramByName(QStringLiteral("FTYPE")).setString(kind);
    FbParam &fvalue = q->paramByName(QStringLiteral("FVALUE"));
    fvalue.clear();
    if (kind == u"画像" || kind == u"BMP" || kind == u"JPG") {
        QFile f(value.toString());
        if (!f.open(QIODevice::ReadOnly)) throw platform::Error(QStringLiteral("%1 を開けません。").arg(value.toString()));
        fvalue.setBytes(f.readAll());
    } else if (kind == u"メモ") {
        QString text = value.toString();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        QStringList lines = text.split(u'\n');
        if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
        QString stored;
        for (const QString &l : lines) stored += l + QStringLiteral("\r\n");
        fvalue.setBytes(memoBytes(stored));
    }
    q->execSQL();
    g.commit();
}

// ---------------------------------------------------------------- data-check hook

std::function<QVariant(const QString &host, const QString &dataDir, int argument)> DataCheckHook;

int CheckDataByHook(const QString &host, const QString &dataDir, int force, int argument)
{
    if (force != 1 && SystemDef.DataCheckKbn != 1) return 1;
    if (!DataCheckHook) return 1;
    return DataCheckHook(host, dataDir, argument).toInt();
}
