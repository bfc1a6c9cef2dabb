#pragma once
// The operator's settings: the row of the system table SYSDEF and the typed
// values of SYSREG that are loaded with it right after the login.
#include <QString>

#include <array>

// Integer columns of the settings row, in the order of the save statement.
#define SYSDEF_INT_COLUMNS(X)                                                                                        \
    X(MFTop) X(MFLeft) X(MFWidth) X(MFHeight) X(LastMenu) X(FontSize) X(FontStyle) X(FontCharSet) X(FontHeight)      \
    X(GridResize) X(ShowHint) X(GridMaxRow) X(GridRsiz) X(ClientColor) X(ClientColor1) X(ClientColor2) X(ClientColor3) \
    X(ForeColor) X(BorderColor) X(ActiveColor) X(ThruBorderColor) X(ColHeaderColor) X(FixedTopColor)                 \
    X(RowHeaderColor) X(FixedLeftColor) X(TotalColor) X(NetColor1) X(NetColor2) X(PLineColor1) X(PLineColor2)        \
    X(PreviewZOOM) X(PanelColor) X(PanelBackColor) X(MenuPrintSw) X(HojWait) X(DicSwitch) X(DicTekAuto)              \
    X(DicTorAuto) X(DicUsednt) X(DicType) X(DicNum1) X(DicNum2) X(DicSortType) X(ColHeaderGradColor1)                \
    X(ColHeaderGradColor2) X(ShowDataSentaku) X(UserPrint) X(SwkTotal) X(SwkLine) X(KingakuPlus) X(ZeroPrint)        \
    X(SankakuPlus) X(TEK_AUTOUP) X(TOR_AUTOUP) X(Reserve1) X(Reserve2) X(Reserve3) X(Reserve4) X(Reserve5)

struct TSysDefSettings {
#define SYSDEF_MEMBER(name) int name = 0;
    SYSDEF_INT_COLUMNS(SYSDEF_MEMBER)
#undef SYSDEF_MEMBER
    QString PrinterName;
    QString FontName;
    QString ZenkaiDrive;
    QString SSTR;

    // Derived from Reserve2 (bits 1 and 2) and Reserve4 (bits 1-4 and 7-11 by
    // number, bits 5 and 6 as one value) on load, written back on save.
    int Reserve2Flag1 = 0, Reserve2Flag2 = 0;

    // Office data of SYSTEMINI row 10, and the unrestricted-operator setting of row 20.
    QString OfficeName, OfficeAddress, OfficeTel;
    int Office1 = 0, Office2 = 0, Office3 = 0;
    int AllSitenOperator = 0;

    // SYSREG values.
    int JikoumokuIdou = 0;       // 次項目移動区分
    int KamokuCodeKeta = 0;      // 科目コード桁数
    int HojoCodeKeta = 0;        // 補助コード桁数
    int BumonCodeKeta = 0;       // 部門コード桁数
    int SwkDateFocus = 0;        // 仕訳日付フォーカス
    int SisanSyukei = 0;         // 試算表集計出力区分
    int MotoTitle = 0;           // 元帳タイトル出力区分
    int SisanBSKaipage = 0;      // 試算表ＢＳ改ページ区
    int SisanTitleOut = 0;       // 試算表タイトル出力区
    QString SisanTitle;          // 試算表タイトル
    // Titles by statement (0 BS, 1 assets, 2 liabilities, 3 PL, 4 selling expenses)
    // and layout (0 all accounts, 1 fixed A4, 2 fixed A3).
    std::array<std::array<QString, 3>, 5> Titles{};
    int DataPlace = 0;           // サーバのデータの場所
    int KyoyuDataAuto = 0;       // fetch and store shared data sets without asking (this session)
    int TekiyoEditMode = 0;      // 摘要項目の編集モード
    int MotoLine1 = 0;           // 元帳１行出力区分
    int MotoFusen = 0;           // 元帳付箋マーク出力区
    int RensoJoken = 0;          // 連想辞書抽出条件区分
    int TekiyoInput = 0;         // 摘要項目の入力区分
    int TorihikiInput = 0;       // 取引先項目の入力区分
    int UraKeisen = 0;           // 裏面の罫線印刷区分
    int TaxCodePrint = 0;        // 消費税コード印刷区分
    int KessanTegata = 0;        // 決算書手形相殺区分
    int KessanHanbai = 0;        // 決算書販売費組入区分
    int SisanRowAdjust = 0;      // 試算表行数調整区分
    int SisetuColor = 0;         // colour of the default facility
    int RensoCodeInput = 0;      // 連想辞書コード入力区
    int RensoSort = 0;           // 連想辞書リスト並び順
    int SisanKikan = 0;          // 試算表期間出力区分
    QString Sisan2Title;         // ２期試算表タイトル
    int LoadedFlag = 0;          // set to 1 by the load
    // Open switches of the description (Tekiyo) and partner (Torihiki) fields:
    // 0 dictionary, 1 association, 2 automatic, 3 no input.
    std::array<int, 4> TekiyoOpen{}, TorihikiOpen{};
};
