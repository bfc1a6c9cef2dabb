// Company step 0.1.5: deleted sub-accounts and departments are blanked in the
// dictionaries instead of being protected by foreign keys, the opening-balance
// trigger passes over retained earnings, the notes get their title flag when
// it is missing, and the blue-return tables are created.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate015()
{
    const bool hasTitlePrint = CompanyHasColumn(QStringLiteral("KESSAN"), QStringLiteral("CHUKI_TITLEPRINT"));

    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 1, 5);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate015.sql")));
    if (!hasTitlePrint) {
        script.Add({QStringLiteral("/* KESSANテーブルへ注記表タイトル印字区分を追加 */"), QStringLiteral("ALTER TABLE KESSAN"),
                    QStringLiteral("ADD CHUKI_TITLEPRINT INTEGER DEFAULT 0;"),
                    QStringLiteral("UPDATE KESSAN SET CHUKI_TITLEPRINT=0 WHERE REC=1;"), QStringLiteral("COMMIT;")});
    }
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate015Ao.sql")));
    script.EndStampLast();
    return script.Run();
}
