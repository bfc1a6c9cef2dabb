#include "dbaccess/SeihinVersion.h"

#include "dbaccess/AppInfo.h"
#include "dbaccess/Globals.h"
#include "platform/RegistryStore.h"

#include <algorithm>

namespace {

const std::pair<const char *, const char16_t *> kBuiltIn[] = {{"1.0.0", u"09版"}, {"2.0.0", u"10版"}, {"3.0.0", u"11版"}};

} // namespace

TSeihinVersionList::TSeihinVersionList() : ProductPrefix(AppInfo.Rirev.RegKey) {}

void TSeihinVersionList::Clear()
{
    Items.clear();
    Lines.clear();
    Count = 0;
}

void TSeihinVersionList::Execute(int sortFlag)
{
    Clear();
    if (!FirstEntryText.isEmpty()) Items.push_back({0, 0, 0, FirstEntryText});
    if (Edition != 1 && Edition != 2) {
        for (const auto &[version, label] : kBuiltIn) {
            const QStringList parts = QString::fromLatin1(version).split(u'.');
            if (parts.size() == 3) Items.push_back({parts[0].toInt(), parts[1].toInt(), 0, QString::fromUtf16(label)});
        }
    }
    using platform::RegRoot;
    using platform::RegistryStore;
    const QString maker = AppInfo.Application.RegKey;
    for (const QString &sub : RegistryStore::subKeys(RegRoot::LocalMachine, maker)) {
        if (!sub.toUpper().contains(ProductPrefix.toUpper())) continue;
        const QString key = maker + u'\\' + sub;
        const QStringList parts = RegistryStore::readString(RegRoot::LocalMachine, key, QStringLiteral("Version")).split(u'.');
        if (parts.size() != 3) continue;
        const int major = parts[0].toInt(), minor = parts[1].toInt();
        const bool listed = std::any_of(Items.begin(), Items.end(),
                                        [&](const TDataVersionRec &r) { return r.Major == major && r.Minor == minor; });
        if (!listed)
            Items.push_back({major, minor, 0, RegistryStore::readString(RegRoot::LocalMachine, key, QStringLiteral("Type"))});
    }
    for (const auto &r : Items) Lines << r.Label;
    Count = int(Items.size());
    if (sortFlag == 1) Sort(1);
}

void TSeihinVersionList::Sort(int descending)
{
    const bool keepFirst = !FirstEntryText.isEmpty() && !Items.empty();
    auto begin = Items.begin() + (keepFirst ? 1 : 0);
    std::stable_sort(begin, Items.end(), [descending](const TDataVersionRec &a, const TDataVersionRec &b) {
        const bool less = a.Major != b.Major ? a.Major < b.Major : a.Minor < b.Minor;
        const bool greater = a.Major != b.Major ? a.Major > b.Major : a.Minor > b.Minor;
        return descending ? greater : less;
    });
    Lines.clear();
    for (const auto &r : Items) Lines << r.Label;
}

QString TSeihinVersionList::VersionText(int i) const
{
    if (i < 0 || i >= int(Items.size())) return QString();
    const auto &r = Items[size_t(i)];
    if (r.Major == 0 && r.Minor == 0) return QString();
    return QStringLiteral("%1.%2").arg(r.Major).arg(r.Minor);
}

QString TSeihinVersionList::GetTypeName(int i) const
{
    return i >= 0 && i < int(Items.size()) ? Items[size_t(i)].Label : QString();
}

int TSeihinVersionList::IndexOf(const QString &label) const
{
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i].Label == label) return int(i);
    return -1;
}
