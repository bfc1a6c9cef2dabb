#include "platform/WriteFailure.h"

#include <cerrno>
#include <cstring>

namespace platform {

QString writeFailureReason(int errnum)
{
    switch (errnum) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("フォルダが見つかりません");
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込みの権限がありません");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクの空き容量が足りません");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます");
    case EROFS:
        return QStringLiteral("読み取り専用の場所です");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダがあります");
    case ENAMETOOLONG:
        return QStringLiteral("ファイル名が長すぎます");
    case EINVAL:
    case EILSEQ:
        return QStringLiteral("ファイル名に使えない文字が含まれています");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("ファイルが使用中です");
    case EIO:
        return QStringLiteral("ディスクの読み書きに失敗しました");
    case ENODEV:
    case ENXIO:
    case ESTALE:
    case ENOTCONN:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ETIMEDOUT:
        return QStringLiteral("保存先の装置に接続できません");
    default:
        return QStringLiteral("システムエラー %1: %2").arg(errnum).arg(QString::fromLocal8Bit(std::strerror(errnum)));
    }
}

QString writeFailureMessage(const QString &path, int errnum)
{
    return QStringLiteral("%1 に書き込めません。(%2)").arg(path, writeFailureReason(errnum));
}

WriteError::WriteError(const QString &path, int errnum) : Error(writeFailureMessage(path, errnum)), m_errnum(errnum) {}

} // namespace platform
