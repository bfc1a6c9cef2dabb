#pragma once
// The company master record of the open company data set, filled after every
// opening of a company database and read everywhere after that.
#include "core/Currency.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <array>

struct TACCINF {
    int GROUPID = 0;
    QString ENTTEXT;
    QString SERIAL;
    int TANTOU = 0;
    int GYOUSHU = 0;
    int DATATYPE = 0;
    QString DataTypeName;
    int CODETYPE = 0;
    QString CodeTypeName;
    int BumonCount = 0;
    QString SCODE1, SCODE2, SKANA, SHOUGOU, POST, ADD1, ADD2, TEL;
    QString AO_ADD1, AO_ADD2, AO_KANA, AO_SIMEI, AO_GYOUSHU, AO_YAGO, AO_KANYU, AO_TEL, AO_SHOKUGYO1, AO_SHOKUGYO2, MAIL;
    QDate zzKISHU, zKISHU;
    int NENDO = 0;
    QDate KISHU, KIMATU, KAISI;
    int SIME = 0;
    int KAISINO = 0;
    int StartIndex = 0;      // month cell of the start month
    int PeriodCount = 0;     // period number of the year end
    int MonthsToKaisi = 0;   // accounting months from the year start to the start of entry
    int MonthsToKimatu = 0;  // accounting months from the year start to the year end
    int GENGOU_FLG = 0;
    int GENGOU_HOSEI = 0;
    QString GENGOU_NAME;
    QString YAKUMEI1, YAKUMEI2, YAKUMEI3;
    std::array<Currency, 5> OLD_TAX_RATE{};
    std::array<Currency, 5> NEW_TAX_RATE{};
    std::array<QDateTime, 5> CHG_DAYS{};
    QDateTime KANSA_FIXDATE, KANSA_DATE;
    int CALCU = 0, TAXU_HASUU = 0, TAXH_HASUU = 0, TAXDEFUH = 0, TAXKANNI = 0, TAXJIGYOU = 0, GENKAPRINT = 0;
    int KANSA_LOCK = 0, TEGATADICSW = 0, KESSAN_KIKAN = 0, CASHFLOW_KIKAN1 = 0, CASHFLOW_KIKAN2 = 0, CASHFLOWSW = 0;
    int SDAI_HASUU1 = 0, SDAI_HASUU2 = 0, SDAI_HASUU3 = 0, CONVERT = 0, SHOUHYOU = 0;
    int Reserved0 = 0;
    int SITEN = 0, BUMON = 0, DATALOCK = 0, GENKA_USE = 0;
    std::array<QString, 6> GENKA_HWORD{}; // GENKA_HWORD1 to GENKA_HWORD6
    // Totals names of the groups "5880", "5580", "5680", "5780", "5790" and "5688".
    std::array<QString, 6> TotalNames{};
    QString PASWORD, WEB_HOLDER;
    std::array<QString, 6> TusinPassword{}, TusinHolder{};
    // System accounts, in role order: 現金, 仮払消費税, 仮受消費税, 諸口, 繰越利益剰余金
    // (前期繰越利益 for medical corporations), 事業主貸, 事業主借, 元入金, 給料, 賞与,
    // 賞与引当金繰入額, 退職給付費用.
    std::array<QString, 12> SysKCode{}, SysUserCode{};
    QString FUMEI_KCODE, FumeiUserCode;
    int Fixed1 = 1;
    bool Medical = false;
    int Reserved2 = 0;
    // Years: index 0 current, 1 last, 2 the year before last.
    std::array<QDate, 3> YearStart{}, YearEnd{}, YearStart2{};
    int KakoMeisai = 0;
    int GassanKbn = 0;
    int GassanCount = 0;
    int KamokuDigits = 0, HojoDigits = 0, BumonDigits = 0;
    int IkkatuZeinuki = 0;
    int Reserved3 = 0;
    QString DataPassword;
    int PrintKikanUse = 0;
    QDate PrintKikanStart, PrintKikanEnd;
    // Bill accounts: 受取手形, 割引手形, 裏書手形.
    std::array<QString, 3> BillKCode{}, BillUserCode{};
    int TAXDEFUH2 = 0, KURIKOSI1 = 0, KURIKOSI2 = 0;
    int MAJOR = 0, MINOR1 = 0, MINOR2 = 0;
    int KobetuGenkaUse = 0;
    QString KobetuGenkaName;
    int KobetuGenkaDigits = 0;
    int MyNumberUse = 0;
    QString MyNumberKey, MyNumberValue;
    int CloudKbn = 0;
    int BranchFlag = 0;
};

// The one company master record of the process.
extern TACCINF AccInf;

// Indices of the system accounts in SysKCode / SysUserCode.
enum SysAccount {
    saGenkin = 0,
    saKaribarai = 1,  // 仮払消費税
    saKariuke = 2,    // 仮受消費税
    saSyokuti = 3,    // 諸口
    saKurikosi = 4,
    saJigyonushiKasi = 5,
    saJigyonushiKari = 6,
    saMotoire = 7,
    saKyuryo = 8,
    saSyoyo = 9,
    saSyoyoHikiate = 10,
    saTaisyokuKyufu = 11,
};
