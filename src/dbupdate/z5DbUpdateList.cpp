#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5SystemDbUpdate.h"

#include "dbaccess/AppInfo.h"
#include "dbaccess/Globals.h"

// The describe data of every registered step, in version order. A title or
// description that names the accounting program holds %PRODUCT% where its
// title goes. Editions 1 and 2 replace title and description, or extend the
// description, where the last fields say so.

namespace {

struct TStepText {
    int major, minor1, minor2;
    TDbUpdateProc proc;
    int needBackup;
    const char16_t *title;
    const char16_t *description;
    const char16_t *editionTitle = nullptr;
    const char16_t *editionDescription = nullptr;
    const char16_t *editionExtension = nullptr;
};

const TStepText kSystemSteps[] = {
    {0, 3, 1, SystemDbUpdate031, 1,
     u"共有サーバー機能の追加",
     u"共有サーバー機能を追加します。"},
    {0, 3, 2, SystemDbUpdate032, 0,
     u"電子帳簿用ユーザーの追加",
     u"電子帳簿用ユーザーを追加します。"},
    {0, 3, 3, SystemDbUpdate033, 0,
     u"経営ベルダユーザーの追加",
     u"経営ベルダユーザーを追加します。"},
    {1, 0, 1, SystemDbUpdate101, 0,
     u"データリスト上のデータフォルダ名を大文字に統一",
     u"データリスト上のデータフォルダ名が大文字と小文字の混在表記のため全て大文字に統一します。"},
    {3, 0, 0, SystemDbUpdate300, 0,
     u"旧バージョンデータの更新を禁止する機能を追加",
     u"旧バージョンデータの更新を設定により禁止することが可能になります。"},
    {3, 0, 5, SystemDbUpdate305, 0,
     u"データ合算機能の追加",
     u"データの合算処理が可能になります。"},
    {3, 0, 7, SystemDbUpdate307, 0,
     u"処理コントロールデータの改修",
     u"処理レベルによる処理コントロールのデータ関連性を改修します。"},
    {4, 0, 0, SystemDbUpdate400, 1,
     u"データ選択に会社コード列を追加 他",
     u"１）データ選択で会社コードをキーとした検索機能が利用可能となります。\r２）コード体系保存件数が20件へ拡張となります。"},
    {4, 0, 2, SystemDbUpdate402, 1,
     u"データ選択でデータの破損検証",
     u"１）データ選択でデータの破損を検証する機能が追加されます。"},
    {5, 0, 0, SystemDbUpdate500, 1,
     u"Ｃ／Ｓ版でフォルダ毎にデータを管理する機能を追加",
     u"１）Ｃ／Ｓ版でフォルダ毎にデータを管理する機能を追加する。"},
    {7, 0, 0, SystemDbUpdate700, 0,
     u"%PRODUCT%１５のデータ形式に変換",
     u"１）%PRODUCT%１５のデータ形式に変換する。",
     u"個別原価管理機能の追加", u"１）個別原価管理機能を追加する。", nullptr},
    {7, 0, 4, SystemDbUpdate704, 0,
     u"消費税・特定課税仕入れ に対応",
     u"１）特定課税仕入れの取引 に対応します。"},
    {8, 0, 0, SystemDbUpdate800, 1,
     u"マイナンバー制度に対応",
     u"１）マイナンバー制度に対応する。"},
    {8, 0, 2, SystemDbUpdate802, 1,
     u"メニューの起動管理方法を変更",
     u"１）メニューの起動管理方法を変更する"},
    {9, 0, 4, SystemDbUpdate904, 1,
     u"仕訳帳、元帳の入力方法の管理項目を変更",
     u"１）仕訳帳、元帳の入力方法の管理項目を変更する。"},
    {10, 0, 4, SystemDbUpdate1004, 1,
     u"オペレータの種類に承認者を追加",
     u"１）オペレータの種類に承認者を追加しました。",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
};

const TStepText kUserSteps[] = {
    {0, 1, 1, UserDbUpdate011, 1,
     u"減価償却処理を追加　他",
     u"1)減価償却処理用のテーブルを作成します。\r2)３期比較経営分析用のプロシジャーを作成します。"},
    {0, 1, 2, UserDbUpdate012, 1,
     u"当座残高調整表を追加",
     u"当座残高調整表用のプロシジャーを作成します。"},
    {0, 1, 3, UserDbUpdate013, 1,
     u"監査処理機能を追加",
     u"監査処理用のテーブルを作成します。"},
    {0, 1, 4, UserDbUpdate014, 1,
     u"キャッシュ・フロー計算書を追加",
     u"キャッシュ・フロー計算書用のテーブルを作成します。"},
    {0, 1, 5, UserDbUpdate015, 1,
     u"ページ辞書機能の仕様変更 他",
     u"1)補助または部門を削除したときに、削除対象の補助または部門がページ辞書仕訳に使用されていた場合に削除されないように仕様を変更しました。\r2)決算書の注記表「タイトルと会計期間を印刷する」のフィールドを追加しました。\r3)青色申告書用テーブルを作成します。"},
    {0, 2, 0, UserDbUpdate020, 0,
     u"ドルベル財務０９評価版 Ver0.2.0",
     u"ドルベル財務０９評価版 Ver0.2.0データへ更新します。"},
    {0, 2, 1, UserDbUpdate021, 1,
     u"過年度残高の修復 ",
     u"過年度残高を修復します。"},
    {0, 2, 2, UserDbUpdate022, 1,
     u"科目マスタの構造変更 他",
     u"1)科目マスタの構造を変更します。\r2)キャッシュフロー項目を再作成します。\r3)青色申告決算書で上書入力に対応します。\r4)内訳書用テーブルを作成します。"},
    {0, 3, 0, UserDbUpdate030, 0,
     u"ドルベル財務０９評価版 Ver0.3.0",
     u"ドルベル財務０９評価版 Ver0.3.0データへ更新します。"},
    {0, 3, 1, UserDbUpdate031, 1,
     u"３期比較集計プログラムの更新 他",
     u"３期比較集計プログラムを更新します。\r基本情報に通信フォルダー列を追加します。"},
    {0, 3, 2, UserDbUpdate032, 0,
     u"電子帳簿用ユーザーの追加",
     u"電子帳簿用ユーザーを追加します。"},
    {0, 3, 3, UserDbUpdate033, 1,
     u"経営ベルダ機能の追加 他",
     u"比較経営分析表の初期値を設定します。\r元入金の繰り入れ計算を更新します。"},
    {0, 3, 4, UserDbUpdate034, 1,
     u"特定科目コード取得プログラムの変更 他",
     u"特定科目コード取得プログラムを変更します。\r試算表用の当座資産分類コードを変更します。"},
    {0, 4, 0, UserDbUpdate040, 0,
     u"ドルベル財務０９評価版 Ver0.4.0",
     u"ドルベル財務０９評価版 Ver0.4.0データへ更新します。"},
    {0, 4, 1, UserDbUpdate041, 1,
     u"監査処理項目の変更",
     u"監査処理の規定項目を変更します。"},
    {1, 0, 0, UserDbUpdate100, 1,
     u"ドルベル財務０９ Ver1.0.0",
     u"ドルベル財務０９ Ver1.0.0データへ更新します。"},
    {1, 0, 1, UserDbUpdate101, 1,
     u"財務分析で期中開始データが適正に集計されない不具合を修正 他",
     u"１）財務分析で期中開始データが適正に集計されるように修正します。\r２）比較経営分析の科目内訳表示範囲を修正します。（経営ベルダ）"},
    {1, 0, 2, UserDbUpdate102, 1,
     u"コンバートデータの減価償却資産の修復 他",
     u"１）コンバートデータの減価償却資産を修復します。\r２）前期末残高が正しいか評価し、異常があった場合は修復します。"},
    {1, 0, 3, UserDbUpdate103, 1,
     u"本・支店管理データの予算または過年度残高を調整 他",
     u"１）本・支店管理データの予算または過年度残高を調整します。\r２）定形試算表の共通部門集計を適正に処理出来るように修正します。"},
    {1, 0, 5, UserDbUpdate105, 1,
     u"合計残高試算表の集計項目名称の変更機能を追加",
     u"１）合計残高試算表の集計項目名称の変更機能を追加します。"},
    {2, 0, 0, UserDbUpdate200, 1,
     u"ドルベル財務１０のデータ形式に変換",
     u"１）ドルベル財務１０のデータ形式に変換します。"},
    {2, 0, 4, UserDbUpdate204, 1,
     u"出納帳アルテ機能の追加",
     u"１）出納帳アルテ機能を追加します。"},
    {3, 0, 0, UserDbUpdate300, 1,
     u"ドルベル財務１１のデータ形式に変換",
     u"１）ドルベル財務１１のデータ形式に変換します。"},
    {3, 0, 1, UserDbUpdate301, 1,
     u"仕訳更新プログラムの改修",
     u"１）仕訳の更新プログラムを改修します。"},
    {3, 0, 3, UserDbUpdate303, 1,
     u"科目設定プログラムの改修 他",
     u"１）医療法人用の科目設定の更新プログラムを改修します。\r２）医療法人用の残高集計プログラムを改修します。"},
    {3, 0, 4, UserDbUpdate304, 1,
     u"現金出納帳の送受信処理の改修",
     u"１）現金出納帳の送受信処理の更新プログラムを改修します。"},
    {3, 0, 6, UserDbUpdate306, 1,
     u"医療法人データの既定科目数の増加 他",
     u"１）医療法人データの既定の科目数を増やします。"},
    {3, 0, 7, UserDbUpdate307, 1,
     u"医療法人データの施設グループ集計を追加 他",
     u"１）医療法人データの施設グループ集計を追加します。\r２）窓口日報の参照キーを変更します。\r３）支店比較パターンの保持情報を変更します。"},
    {4, 0, 0, UserDbUpdate400, 1,
     u"%PRODUCT%１２のデータ形式に変換",
     u"１）%PRODUCT%１２のデータ形式に変換します。\r２）過年度残高集計処理を高速化します。"},
    {4, 0, 2, UserDbUpdate402, 1,
     u"消費税の仕入税額控除制度における追加要件に対応 他",
     u"１）消費税の仕入税額控除制度における追加要件に対応します。\r２）還付申告書への「消費税の還付申告に関する明細書」に対応します。\r３）減価償却制度の平成23年12月改正に対応します。"},
    {5, 0, 0, UserDbUpdate500, 1,
     u"%PRODUCT%１３のデータ形式に変換",
     u"１）%PRODUCT%１３のデータ形式に変換します。\r"},
    {5, 0, 2, UserDbUpdate502, 1,
     u"法人・個人データの日報入力に対応 他",
     u"１）法人・個人データの日報入力に対応します。"},
    {5, 0, 5, UserDbUpdate505, 1,
     u"法人決算書の手形相殺機能に対応",
     u"１）法人決算書の手形相殺機能に対応します。"},
    {6, 0, 0, UserDbUpdate600, 1,
     u"%PRODUCT%１４のデータ形式に変換 他",
     u"１）%PRODUCT%１４のデータ形式に変換します。\r２）過年度残高に税込・税抜額の記録が可能になります。\r３）法人・個人データの製造原価報告書に外注費ブロックを追加します。"},
    {6, 1, 0, UserDbUpdate610, 1,
     u"%PRODUCT%１４ 消費税改正版のデータ形式に変換 他",
     u"１）２０１４年４月の消費税改正 に対応します。\r"},
    {6, 1, 3, UserDbUpdate613, 1,
     u"仕訳変更時の並び順の調整 他",
     u"１）決算同日仕訳変更時の並び順を調整します。\r２）定形試算表の販売費及び一般管理費の集計項目名称（縦）の入力文字数を拡張します。"},
    {7, 0, 0, UserDbUpdate700, 1,
     u"%PRODUCT%１５のデータ形式に変換 他",
     u"１）%PRODUCT%１５のデータ形式に変換します。\r２）「個人／農業」体系を新たに追加し、青色申告決算書（農業所得用）を作成します。",
     nullptr, nullptr, u"\r３）個別原価管理機能を新たに追加します。"},
    {7, 0, 2, UserDbUpdate702, 1,
     u"簡易課税制度のみなし仕入率の見直し",
     u"１）簡易課税制度のみなし仕入率の見直しに対応します。\r"},
    {7, 0, 3, UserDbUpdate703, 1,
     u"医療法人データの決算書レイアウトを変更",
     u"１）医療法人データの決算書レイアウトを変更しました。\r",
     u"消費税試算表の仕訳帳ジャンプ機能の仕様変更", u"１）消費税試算表の仕訳帳ジャンプ機能の仕様を変更しました。\r", nullptr},
    {7, 0, 4, UserDbUpdate704, 1,
     u"消費税・特定課税仕入れ に対応",
     u"１）消費税申告書・付表の新様式に対応します。\r"},
    {8, 0, 0, UserDbUpdate800, 1,
     u"%PRODUCT%１６のデータ形式に変換 他",
     u"１）%PRODUCT%１６のデータ形式に変換する。\r２）マイナンバー制度に対応する。"},
    {8, 0, 2, UserDbUpdate802, 1,
     u"予算管理機能強化",
     u"１）法人データの予算管理を強化します。",
     u"不具合修正", u"１）不具合を修正（詳しくはＨＰで確認ください）", nullptr},
    {8, 0, 3, UserDbUpdate803, 1,
     u"個人データの予算管理機能強化 他",
     u"１）個人データの予算管理を強化します。\r２）決算書の個別注記表項目を「法人税のソルテア」へ連動可能にします。",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {9, 0, 0, UserDbUpdate900, 1,
     u"%PRODUCT%１７のデータ形式に変換",
     u"１）%PRODUCT%１７のデータ形式に変換する。",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {9, 0, 1, UserDbUpdate901, 1,
     u"補助の削除処理障害に対応",
     u"１）補助の削除処理が適正におこなえるように対応します。",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {9, 0, 2, UserDbUpdate902, 1,
     u"仕訳帳の法人全体参照時の機能強化 他",
     u"１）仕訳帳の法人全体参照時に仕訳登録や他支店への訂正が可能となります。\r２）総勘定元帳の法人全体参照時に仕訳登録や他支店への訂正が可能となります。\r３）仕訳モニターで法人全体の参照が可能となります。",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {9, 0, 3, UserDbUpdate903, 1,
     u"法人全体試算表の科目内訳の取得方法を変更 他",
     u"１）法人全体試算表の科目内訳の取得方法を変更しました。",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {9, 0, 4, UserDbUpdate904, 1,
     u"中期予算作成時の実績額の調整機能 他",
     u"１）中期予算作成時に実績額の調整が可能となります。\r２）汎用仕訳データのインポートが可能となります。\r３）フリーウェイ仕訳データのインポートが可能となります。\r４）ページ辞書からの仕訳追加時にグループ化し登録します。",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {9, 0, 5, UserDbUpdate905, 1,
     u"中期予算作成の一括調整機能の不具合修正",
     u"１）中期予算作成の実績調整の一括調整機能の不具合を修正しました。",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {10, 0, 0, UserDbUpdate1000, 1,
     u"試算表、分析表の印刷で出力科目の設定機能を追加 他",
     u"１）試算表、分析表の印刷で出力する科目が設定可能となりました。\r２）法人決算書の製造原価報告書に当期製造費用行を追加しました。\r３）繰越残高調整で前期データの内訳書を移行する機能を追加しました。\r４）総勘定元帳の印刷時に総計行の出力の有無が選択可能となりました。",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {10, 0, 1, UserDbUpdate1001, 1,
     u"「取引明細ファイルのインポート」の追加 他",
     u"１）取引明細ファイルのインポートを日常処理に追加しました。\r２）返済予定表を拡張機能に追加しました。\r３）法人事業概況書の新様式に対応しました。（平成30年4月1日以後終了事業分）\r４）資金繰実績表の機能を強化しました。（内訳の表示、印刷 他）\r５）他社仕訳データのインポートで「ソリマチ会計王」に対応しました。\r６）他社仕訳データのインポートで「エプソン財務応援」に対応しました。",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {10, 0, 3, UserDbUpdate1003, 1,
     u"「医療法人用決算届の新様式」に対応 他",
     u"１）医療法人用決算届の新様式に対応しました。\r２）取引明細ファイルのインポートのマッピング項目を強化しました。\r",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {10, 0, 4, UserDbUpdate1004, 1,
     u"仕訳の承認機能の追加 他",
     u"１）日常処理に仕訳の承認機能を追加しました。\r２）取引明細ファイルのインポートのマッピング項目を強化しました。\r",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {10, 0, 5, UserDbUpdate1005, 1,
     u"過去仕訳の検索時の不具合修正",
     u"１）過去仕訳の検索時の不具合を修正しました。\r",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
    {11, 0, 0, UserDbUpdate1100, 1,
     u"取引明細ファイルのインポートの機能強化 他",
     u"１）取引明細ファイルのインポートで設定条件に応じた仕訳が作成可能となりました。\r２）取引明細ファイルのインポートで割り当てのない取引でも設定に応じて仕訳が作成可能となりました。\r３）取引明細ファイルのインポートで全銀協規定フォーマット（改行なし）に対応しました。\r４）総合比較損益計算書で仮想棚卸の設定が可能となりました。",
     u"機能強化および不具合修正", u"１）機能強化および不具合の修正（詳しくはＨＰで確認ください）", nullptr},
};

QString text(const char16_t *s)
{
    return s ? QString::fromUtf16(s) : QString();
}

TDbUpdateListRec describe(const TStepText &step)
{
    const QString product = AppInfo.Rirev.AppTitle;
    const auto withProduct = [&product](const char16_t *s) {
        return text(s).replace(QStringLiteral("%PRODUCT%"), product);
    };
    TDbUpdateListRec rec;
    rec.Major = step.major;
    rec.Minor1 = step.minor1;
    rec.Minor2 = step.minor2;
    rec.UpdateProc = step.proc;
    rec.NeedBackup = step.needBackup;
    rec.Title = withProduct(step.title);
    rec.Description = withProduct(step.description);
    if (Edition == 1 || Edition == 2) {
        if (step.editionTitle) rec.Title = text(step.editionTitle);
        if (step.editionDescription) rec.Description = text(step.editionDescription);
        if (step.editionExtension) rec.Description += text(step.editionExtension);
    }
    return rec;
}

template <size_t N>
TArrayDbUpdateListRec describeAll(const TStepText (&steps)[N])
{
    TArrayDbUpdateListRec list;
    list.reserve(N);
    for (const TStepText &step : steps) list.push_back(describe(step));
    return list;
}

} // namespace

TArrayDbUpdateListRec SystemDbUpdateSteps()
{
    return describeAll(kSystemSteps);
}

TArrayDbUpdateListRec UserDbUpdateSteps()
{
    return describeAll(kUserSteps);
}

int DbUpdateScriptUnavailable()
{
    return DbUpdateFileMissing;
}
