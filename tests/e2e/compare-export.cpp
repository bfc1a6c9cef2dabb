// Compares an intermediate file with an expected one, element by element:
//   compare-export ACTUAL EXPECTED [PATH=VALUE ...]
// Each PATH=VALUE names an element whose value the actual file must have in
// place of the expected one (the values a run may differ in by its set-up).
// Prints the first difference; exit status 0 when the files agree.
#include "support/XmlLines.h"

#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

QStringList readLines(const QString &path, bool &ok)
{
    QFile f(path);
    ok = f.open(QIODevice::ReadOnly);
    if (!ok) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return {};
    }
    QString error;
    const QStringList lines = XmlLines(platform::fromCp932(f.readAll()), &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s does not read as XML: %s\n", qPrintable(path), qPrintable(error));
        ok = false;
    }
    return lines;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: compare-export ACTUAL EXPECTED [PATH=VALUE ...]\n");
        return 2;
    }
    bool okActual = false, okExpected = false;
    const QStringList actual = readLines(args[0], okActual);
    QStringList expected = readLines(args[1], okExpected);
    if (!okActual || !okExpected) return 1;
    for (const QString &replacement : args.mid(2)) {
        const QString path = replacement.section(u'=', 0, 0) + u'=';
        bool found = false;
        for (QString &line : expected)
            if (line.startsWith(path)) {
                line = replacement;
                found = true;
            }
        if (!found) {
            std::fprintf(stderr, "the expected file has no element %s\n", qPrintable(path.chopped(1)));
            return 1;
        }
    }
    for (qsizetype i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        const QString a = actual.value(i), e = expected.value(i);
        if (a != e) {
            std::fprintf(stderr, "element %lld differs:\n  written:  %s\n  expected: %s\n", (long long)i, qPrintable(a), qPrintable(e));
            return 1;
        }
    }
    std::printf("the written file equals the expected one (%lld elements)\n", (long long)actual.size());
    return 0;
}
