// System step 9.0.4: a script with the version stamp alone; afterwards the
// dictionary switches of every operator become the named open settings of
// the description and customer fields of the journal and ledger entry.
#include "dbaccess/DataModule.h"
#include "dbaccess/FbClient.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"

#include <vector>

namespace {

const QString kInteger = QStringLiteral("整数");

// The settings of one field, in the order of TDictionaryOpen.
struct FieldKeys {
    const char16_t *input;
    const char16_t *open[4];
};
const FieldKeys kDescription = {u"摘要項目の入力区分",
                                {u"摘要＿辞書開く区分", u"摘要＿連想開く区分", u"摘要＿自動開く区分", u"摘要＿入力なし区分"}};
const FieldKeys kCustomer = {u"取引先項目の入力区分",
                             {u"取引先＿辞書開く区分", u"取引先＿連想開く区分", u"取引先＿自動開く区分",
                              u"取引先＿入力なし区分"}};

void convertField(int opCode, int dictionarySwitch, const FieldKeys &keys)
{
    const int input = DM->readSysReg(QString::fromUtf16(keys.input), kInteger, opCode, QStringLiteral("0")).toInt();
    const TDictionaryOpen open = DictionaryOpenOf(dictionarySwitch, input);
    const int values[4] = {open.Dictionary, open.Association, open.Automatic, open.NoInput};
    for (int i = 0; i < 4; ++i) DM->writeSysReg(QString::fromUtf16(keys.open[i]), kInteger, opCode, values[i]);
}

} // namespace

TDictionaryOpen DictionaryOpenOf(int dictionarySwitch, int inputSetting)
{
    TDictionaryOpen open;
    if (dictionarySwitch == 1) open.Dictionary = open.Automatic = 1;
    if (dictionarySwitch == 2) open.Association = open.Automatic = 1;
    if (inputSetting > 0) open.NoInput = 1;
    if (open.Dictionary == 0 && open.Association == 0) open.Dictionary = 1;
    return open;
}

void ConvertDictionarySettings(FbQuery &q)
{
    struct Operator {
        int opCode, description, customer;
    };
    std::vector<Operator> operators;
    q.setSql(QStringList{QStringLiteral("SELECT OPCODE,DICTEKAUTO,DICTORAUTO FROM SYSDEF"), QStringLiteral("ORDER BY OPCODE")});
    for (q.open(); !q.eof(); q.next())
        operators.push_back({q.field(0).asInteger(), q.field(1).asInteger(), q.field(2).asInteger()});
    q.close();
    q.setSql(QString());
    for (const Operator &op : operators) {
        convertField(op.opCode, op.description, kDescription);
        convertField(op.opCode, op.customer, kCustomer);
    }
}

int SystemDbUpdate904()
{
    TDbUpdateScript script(TDbUpdateTarget::System, 9, 0, 4);
    script.BeginStampLast(true);
    script.EndStampLast();
    const int result = script.Run();
    if (result != DbUpdateDone) return result;
    return RunPostStep(TDbUpdateTarget::System, ConvertDictionarySettings);
}
