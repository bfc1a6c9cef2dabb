#include "comm/TransferFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <zip.h>

#include <array>
#include <memory>

namespace transferfile {

namespace {

constexpr char kMagic[4] = {'Q', 'W', 'E', 'N'};
constexpr quint8 kFormatVersion = 1;
constexpr int kSaltSize = 16;
constexpr int kNonceSize = 12;
constexpr int kTagSize = 16;
constexpr int kHeaderSize = 4 + 1 + 3 + 4 + kSaltSize + kNonceSize;
constexpr quint32 kIterations = 100000;
// A header asking for more rounds than this is not one of ours.
constexpr quint32 kMaxIterations = 10000000;
constexpr qint64 kChunk = 64 * 1024;

// Our fixed prefix of the pass phrase (six characters).
const QString kPrefix = QStringLiteral("Qv7#Rk");

[[noreturn]] void fail(const QString &message)
{
    throw TTransferFileError(message);
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

struct CipherCtxDeleter {
    void operator()(EVP_CIPHER_CTX *c) const { EVP_CIPHER_CTX_free(c); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxDeleter>;

// The key of a pass phrase and salt; wiped by its owner after use.
std::array<unsigned char, 32> deriveKey(const QString &passPhrase, const unsigned char *salt, quint32 iterations)
{
    std::array<unsigned char, 32> key{};
    QByteArray phrase = passPhrase.toUtf8();
    const int ok = PKCS5_PBKDF2_HMAC(phrase.constData(), int(phrase.size()), salt, kSaltSize, int(iterations), EVP_sha256(),
                                     int(key.size()), key.data());
    phrase.fill('\0');
    if (ok != 1) fail(QStringLiteral("暗号鍵を作成出来ません。"));
    return key;
}

void putU32(unsigned char *p, quint32 v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

quint32 getU32(const unsigned char *p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

struct ZipCloser {
    void operator()(zip_t *z) const { zip_discard(z); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;
struct ZipFileCloser {
    void operator()(zip_file_t *f) const { zip_fclose(f); }
};
using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

ZipHandle openArchive(const QString &archiveFile, int flags, QString *why)
{
    int error = 0;
    zip_t *z = zip_open(QFile::encodeName(archiveFile).constData(), flags, &error);
    if (!z && why) {
        zip_error_t e;
        zip_error_init_with_code(&e, error);
        *why = QString::fromLocal8Bit(zip_error_strerror(&e));
        zip_error_fini(&e);
    }
    return ZipHandle(z);
}

// The index of the one member, or -1 when the archive holds anything else.
zip_int64_t onlyMember(zip_t *z)
{
    if (zip_get_num_entries(z, 0) != 1) return -1;
    const char *name = zip_get_name(z, 0, ZIP_FL_ENC_GUESS);
    if (!name || QString::fromUtf8(name) != QLatin1String(MemberName)) return -1;
    return 0;
}

} // namespace

QString PassPhrase(const QString &password)
{
    return kPrefix + password;
}

void Pack(const QString &backupFile, const QString &archiveFile)
{
    if (!QFileInfo(backupFile).isFile()) fail(QStringLiteral("%1 が見つかりません。").arg(native(backupFile)));
    QString why;
    ZipHandle z = openArchive(archiveFile, ZIP_CREATE | ZIP_TRUNCATE, &why);
    if (!z) fail(QStringLiteral("%1 を作成出来ません。(%2)").arg(native(archiveFile), why));
    zip_source_t *src = zip_source_file(z.get(), QFile::encodeName(backupFile).constData(), 0, -1);
    if (!src) fail(QStringLiteral("%1 を読めません。(%2)").arg(native(backupFile), QString::fromLocal8Bit(zip_strerror(z.get()))));
    const zip_int64_t index = zip_file_add(z.get(), MemberName, src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
        zip_source_free(src);
        fail(QStringLiteral("%1 を作成出来ません。(%2)").arg(native(archiveFile), QString::fromLocal8Bit(zip_strerror(z.get()))));
    }
    if (zip_set_file_compression(z.get(), zip_uint64_t(index), ZIP_CM_DEFLATE, 9) != 0)
        fail(QStringLiteral("%1 を作成出来ません。(%2)").arg(native(archiveFile), QString::fromLocal8Bit(zip_strerror(z.get()))));
    // libzip writes a temporary file beside the archive and renames it on success.
    if (zip_close(z.get()) != 0)
        fail(QStringLiteral("%1 を作成出来ません。(%2)").arg(native(archiveFile), QString::fromLocal8Bit(zip_strerror(z.get()))));
    (void)z.release();
}

bool CheckArchive(const QString &archiveFile)
{
    ZipHandle z = openArchive(archiveFile, ZIP_RDONLY | ZIP_CHECKCONS, nullptr);
    if (!z) return false;
    const zip_int64_t index = onlyMember(z.get());
    if (index < 0) return false;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(z.get(), zip_uint64_t(index), 0, &st) != 0) return false;
    ZipFile f(zip_fopen_index(z.get(), zip_uint64_t(index), 0));
    if (!f) return false;
    // Reading to the end makes libzip compare the member's CRC.
    std::array<char, 64 * 1024> buffer{};
    zip_uint64_t total = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(f.get(), buffer.data(), buffer.size());
        if (n < 0) return false;
        if (n == 0) break;
        total += zip_uint64_t(n);
    }
    return (st.valid & ZIP_STAT_SIZE) == 0 || total == st.size;
}

void Unpack(const QString &archiveFile, const QString &folder)
{
    QString why;
    ZipHandle z = openArchive(archiveFile, ZIP_RDONLY | ZIP_CHECKCONS, &why);
    if (!z) fail(QStringLiteral("%1 を開けません。(%2)").arg(native(archiveFile), why));
    const zip_int64_t index = onlyMember(z.get());
    if (index < 0) fail(QStringLiteral("%1 に %2 がありません。").arg(native(archiveFile), QLatin1String(MemberName)));
    ZipFile f(zip_fopen_index(z.get(), zip_uint64_t(index), 0));
    if (!f) fail(QStringLiteral("%1 を読めません。(%2)").arg(native(archiveFile), QString::fromLocal8Bit(zip_strerror(z.get()))));
    const QString target = QDir(folder).filePath(QLatin1String(MemberName));
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) fail(QStringLiteral("%1 を作成出来ません。(%2)").arg(native(target), out.errorString()));
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const zip_int64_t n = zip_fread(f.get(), buffer.data(), buffer.size());
        if (n < 0)
            fail(QStringLiteral("%1 が壊れています。(%2)").arg(native(archiveFile), QString::fromLocal8Bit(zip_file_strerror(f.get()))));
        if (n == 0) break;
        if (out.write(buffer.data(), n) != n) fail(QStringLiteral("%1 に書き込めません。(%2)").arg(native(target), out.errorString()));
    }
    if (!out.commit()) fail(QStringLiteral("%1 に書き込めません。(%2)").arg(native(target), out.errorString()));
}

void Encrypt(const QString &inFile, const QString &outFile, const QString &passPhrase)
{
    QFile in(inFile);
    if (!in.open(QIODevice::ReadOnly)) fail(QStringLiteral("%1 を開けません。(%2)").arg(native(inFile), in.errorString()));
    std::array<unsigned char, kHeaderSize> header{};
    std::copy(std::begin(kMagic), std::end(kMagic), header.begin());
    header[4] = kFormatVersion;
    putU32(header.data() + 8, kIterations);
    unsigned char *salt = header.data() + 12;
    unsigned char *nonce = salt + kSaltSize;
    if (RAND_bytes(salt, kSaltSize) != 1 || RAND_bytes(nonce, kNonceSize) != 1) fail(QStringLiteral("乱数を作成出来ません。"));
    auto key = deriveKey(passPhrase, salt, kIterations);
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    int len = 0;
    const bool ready = ctx && EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
                       EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) == 1 &&
                       EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, key.data(), nonce) == 1 &&
                       EVP_EncryptUpdate(ctx.get(), nullptr, &len, header.data(), kHeaderSize) == 1;
    key.fill(0);
    if (!ready) fail(QStringLiteral("暗号化の準備が出来ません。"));

    QSaveFile out(outFile);
    if (!out.open(QIODevice::WriteOnly)) fail(QStringLiteral("%1 を作成出来ません。(%2)").arg(native(outFile), out.errorString()));
    auto write = [&out, &outFile](const unsigned char *p, qint64 n) {
        if (n > 0 && out.write(reinterpret_cast<const char *>(p), n) != n)
            fail(QStringLiteral("%1 に書き込めません。(%2)").arg(native(outFile), out.errorString()));
    };
    write(header.data(), kHeaderSize);
    QByteArray plain(kChunk, Qt::Uninitialized);
    QByteArray sealed(kChunk + 32, Qt::Uninitialized);
    auto *sealedData = reinterpret_cast<unsigned char *>(sealed.data());
    for (;;) {
        const qint64 n = in.read(plain.data(), kChunk);
        if (n < 0) fail(QStringLiteral("%1 を読めません。(%2)").arg(native(inFile), in.errorString()));
        if (n == 0) break;
        if (EVP_EncryptUpdate(ctx.get(), sealedData, &len, reinterpret_cast<const unsigned char *>(plain.constData()), int(n)) != 1)
            fail(QStringLiteral("暗号化に失敗しました。"));
        write(sealedData, len);
    }
    if (EVP_EncryptFinal_ex(ctx.get(), sealedData, &len) != 1) fail(QStringLiteral("暗号化に失敗しました。"));
    write(sealedData, len);
    std::array<unsigned char, kTagSize> tag{};
    if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, tag.data()) != 1) fail(QStringLiteral("暗号化に失敗しました。"));
    write(tag.data(), kTagSize);
    if (!out.commit()) fail(QStringLiteral("%1 に書き込めません。(%2)").arg(native(outFile), out.errorString()));
}

void Decrypt(const QString &inFile, const QString &outFile, const QString &passPhrase)
{
    const QString notOurs = QStringLiteral("%1 は送受信用のデータファイルではないか、壊れています。").arg(native(inFile));
    QFile in(inFile);
    if (!in.open(QIODevice::ReadOnly)) fail(QStringLiteral("%1 を開けません。(%2)").arg(native(inFile), in.errorString()));
    const qint64 size = in.size();
    if (size < kHeaderSize + kTagSize) fail(notOurs);
    std::array<unsigned char, kHeaderSize> header{};
    if (in.read(reinterpret_cast<char *>(header.data()), kHeaderSize) != kHeaderSize) fail(notOurs);
    if (!std::equal(std::begin(kMagic), std::end(kMagic), header.begin())) fail(notOurs);
    if (header[4] != kFormatVersion)
        fail(QStringLiteral("%1 はこのシステムでは読めない形式(%2)です。").arg(native(inFile)).arg(int(header[4])));
    const quint32 iterations = getU32(header.data() + 8);
    if (iterations == 0 || iterations > kMaxIterations) fail(notOurs);
    const unsigned char *salt = header.data() + 12;
    const unsigned char *nonce = salt + kSaltSize;
    std::array<unsigned char, kTagSize> tag{};
    if (!in.seek(size - kTagSize) || in.read(reinterpret_cast<char *>(tag.data()), kTagSize) != kTagSize || !in.seek(kHeaderSize))
        fail(notOurs);

    auto key = deriveKey(passPhrase, salt, iterations);
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    int len = 0;
    const bool ready = ctx && EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
                       EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) == 1 &&
                       EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, key.data(), nonce) == 1 &&
                       EVP_DecryptUpdate(ctx.get(), nullptr, &len, header.data(), kHeaderSize) == 1;
    key.fill(0);
    if (!ready) fail(QStringLiteral("暗号解読の準備が出来ません。"));

    // The plain text goes to a temporary file, put in place only once the tag holds.
    QSaveFile out(outFile);
    if (!out.open(QIODevice::WriteOnly)) fail(QStringLiteral("%1 を作成出来ません。(%2)").arg(native(outFile), out.errorString()));
    qint64 left = size - kHeaderSize - kTagSize;
    QByteArray sealed(kChunk, Qt::Uninitialized);
    QByteArray plain(kChunk + 32, Qt::Uninitialized);
    auto *plainData = reinterpret_cast<unsigned char *>(plain.data());
    while (left > 0) {
        const qint64 want = std::min(left, kChunk);
        if (in.read(sealed.data(), want) != want) fail(notOurs);
        left -= want;
        if (EVP_DecryptUpdate(ctx.get(), plainData, &len, reinterpret_cast<const unsigned char *>(sealed.constData()), int(want)) != 1)
            fail(notOurs);
        if (len > 0 && out.write(plain.constData(), len) != len)
            fail(QStringLiteral("%1 に書き込めません。(%2)").arg(native(outFile), out.errorString()));
    }
    if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag.data()) != 1) fail(notOurs);
    if (EVP_DecryptFinal_ex(ctx.get(), plainData, &len) != 1)
        fail(QStringLiteral("パスワードが一致しないか、受信したファイルが壊れています。"));
    if (!out.commit()) fail(QStringLiteral("%1 に書き込めません。(%2)").arg(native(outFile), out.errorString()));
}

} // namespace transferfile
