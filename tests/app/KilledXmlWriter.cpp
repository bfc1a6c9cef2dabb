// Writes a large intermediate file under a file size limit it sets itself:
// the limit kills the process (SIGXFSZ) in the middle of the write, as an
// export ends that is killed. Arguments: the file and the limit in bytes.
#include "app/XMLSaveDoc.h"

#include <QString>

#include <memory>
#include <sys/resource.h>

int main(int argc, char **argv)
{
    if (argc != 3) return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const rlim_t limit = rlim_t(QByteArray(argv[2]).toLongLong());

    TXmlSaveDoc doc(QStringLiteral("1.0"), QString(), QStringLiteral("Shift_JIS"));
    doc.CreateRoot(QStringLiteral("REPORT"));
    const auto names = std::make_shared<const QStringList>(QStringList{QStringLiteral("NAME"), QStringLiteral("AMOUNT")});
    for (int line = 1; line <= 200000; ++line)
        doc.AddTextRow(-1, QStringLiteral("ROW"), QString::number(line), QStringLiteral("line"), names,
                       {QStringLiteral("減価償却資産の名称"), QString::number(line * 1000)});

    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit size{limit, limit};
    setrlimit(RLIMIT_FSIZE, &size);
    try {
        doc.SaveToFile(path);
    } catch (...) {
        return 4; // a failure the writer saw: not the kill this is for
    }
    return 3;
}
