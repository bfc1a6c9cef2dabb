#pragma once
// The transfer file of a data set sent through the relay: the backup packed
// into a ZIP archive (deflate) holding the single member "vqacc.fbk", and the
// archive enciphered with AES-256-GCM under a key drawn from the pass phrase
// (PBKDF2-HMAC-SHA256, a random salt per file).
//
// Enciphered file layout (all numbers big-endian):
//   magic "QWEN", format version (1 byte, 1), reserved (3 bytes, 0),
//   PBKDF2 iterations (4 bytes), salt (16 bytes), nonce (12 bytes),
//   the enciphered archive, the GCM tag (16 bytes).
// The header is authenticated with the contents, so a wrong pass phrase, a
// damaged or cut file, or a changed header is refused; nothing is written then.
//
// Every function throws TTransferFileError on failure and leaves no partial
// output file behind.
#include <QString>

#include <stdexcept>

class TTransferFileError : public std::runtime_error
{
public:
    explicit TTransferFileError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

namespace transferfile {

inline constexpr const char *MemberName = "vqacc.fbk";

// The pass phrase of the cipher: our fixed prefix followed by the communication password.
QString PassPhrase(const QString &password);

// Packs the backup file into a new archive (an existing one is replaced).
void Pack(const QString &backupFile, const QString &archiveFile);
// True when the archive is sound: libzip's consistency check, exactly the one
// member, and that member read through with its CRC matching.
bool CheckArchive(const QString &archiveFile);
// Unpacks the member into the folder as "vqacc.fbk" (an existing one is replaced).
void Unpack(const QString &archiveFile, const QString &folder);

// Enciphers and deciphers a whole file.
void Encrypt(const QString &inFile, const QString &outFile, const QString &passPhrase);
void Decrypt(const QString &inFile, const QString &outFile, const QString &passPhrase);

} // namespace transferfile
