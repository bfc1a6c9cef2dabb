#pragma once
// The known versions of the accounting package with their edition labels:
// built-in ones and those of the installed products in the registry.
#include <QString>
#include <QStringList>

#include <vector>

struct TDataVersionRec {
    int Major = 0;
    int Minor = 0;
    int Reserved = 0;
    QString Label;
};

class TSeihinVersionList
{
public:
    TSeihinVersionList();

    QString ProductPrefix;
    QString FirstEntryText;
    std::vector<TDataVersionRec> Items;
    QStringList Lines;
    int Count = 0;

    void Execute(int sortFlag);
    void Sort(int descending);
    QString GetText() const { return Lines.join(QStringLiteral("\r\n")); }
    QString VersionText(int i) const;
    QString GetTypeName(int i) const;
    int IndexOf(const QString &label) const;
    void Clear();
};
