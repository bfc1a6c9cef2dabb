// Finds or makes the template databases below the folder given, as a test
// process does, and says which: "made <folder>" or "found <folder>". The tests
// start several at once on one folder.
#include "support/SchemaTemplates.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: schema-template-maker FOLDER\n");
        return 2;
    }
    try {
        const testenv::SchemaTemplates t = testenv::findOrMakeSchemaTemplates(QString::fromLocal8Bit(argv[1]));
        std::printf("%s %s\n", t.made ? "made" : "found", qPrintable(t.folder));
        return 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
