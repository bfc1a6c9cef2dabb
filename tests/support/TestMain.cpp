// Test entry: a headless application, a sandbox for every folder the program
// writes to, and a message service that fails any box a test did not expect.
#include "support/TestEnv.h"

#include "core/DateFormat.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace testenv {
void setUpSandbox();
void tearDownSandbox();
} // namespace testenv

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testenv::setUpSandbox();
    InitStartupFormats();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ScriptedMessages strict; // no queued answers: any box fails the test
    const int rc = RUN_ALL_TESTS();
    testenv::tearDownSandbox();
    return rc;
}
