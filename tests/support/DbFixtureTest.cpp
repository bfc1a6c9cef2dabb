#include "support/DbFixture.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// The fixture run by hand, so that what it leaves behind can be looked at.
class Fixture : public DbFixture
{
public:
    using DbFixture::SetUp;
    using DbFixture::TearDown;
    void TestBody() override {}
    const DataRootInfo &dataRoot() const { return root; }
};

} // namespace

TEST(DbFixtureTest, TearDownPutsTheProcessWideRecordsBack)
{
    struct Record {
        const char *name;
        std::function<void()> set;
        std::function<bool()> isDefault;
    };
    const std::vector<Record> records = {
        {"DM", [] {}, [] { return DM == nullptr; }},
        {"SystemDef", [] { SystemDef.OpCode = 10; }, [] { return SystemDef.SysDir.isEmpty() && SystemDef.OpCode == 0; }},
        {"AccInf", [] { AccInf.SITEN = 1; AccInf.Medical = true; }, [] { return AccInf.SITEN == 0 && !AccInf.Medical; }},
        {"ConnectMode", [] { ConnectMode = 1; }, [] { return ConnectMode == 0; }},
        {"StartMode", [] { StartMode = 1; }, [] { return StartMode == 0; }},
        {"Edition", [] { Edition = 1; }, [] { return Edition == 0; }},
        {"OptionalMenu", [] { OptionalMenu = true; }, [] { return !OptionalMenu; }},
        {"KikanMode", [] { KikanMode = 1; }, [] { return KikanMode == 0; }},
        {"DataVersionText", [] { DataVersionText = QStringLiteral("4.0.2"); }, [] { return DataVersionText.isEmpty(); }},
        {"RunProcessHook", [] { RunProcessHook = [](const QString &, int, const QString &) { return 0; }; },
         [] { return !RunProcessHook; }},
        {"DataCheckHook", [] { DataCheckHook = [](const QString &, const QString &, int) { return QVariant(0); }; },
         [] { return !DataCheckHook; }},
        {"DataListRowUpdater", [] { DataListRowUpdater = [](const QString &, const TDataInfomationRec &) {}; },
         [] { return !DataListRowUpdater; }},
        {"SchemaTemplateFolder", [] {}, [] { return SchemaTemplateFolder().isEmpty(); }},
    };

    Fixture f;
    f.SetUp();
    EXPECT_NE(DM, nullptr);
    EXPECT_EQ(SystemDef.SysDir, f.dataRoot().sysDir);
    EXPECT_FALSE(SchemaTemplateFolder().isEmpty());
    for (const Record &r : records) r.set();
    f.TearDown();
    for (const Record &r : records) EXPECT_TRUE(r.isDefault()) << r.name;
}
