#pragma once

// Every text the interactive program's windows show, window by window, so that they can be checked in one read.
// "　" is the ideographic space U+3000, "～" the full-width tilde U+FF5E. Texts shared with the other programs are in
// convert/JobTexts.h. The texts after "Our own" in each group are the errors and notices this program adds to the
// windows' usual texts.

namespace zentu::zentu_texts {

inline constexpr char kProgramName[] = "zentu";

// Start-up: the mode table's path, then this.
inline constexpr char kMissing[] = "　がありません";
// Our own.
inline constexpr char kFolderNotMade[] = "フォルダー %1 を作成できません（%2）。";
inline constexpr char kFileNotWritten[] = "ファイル %1 を作成できません（%2）。";

// Main window `zentu`.
inline constexpr char kMainCaptionPrefix[] = " zentu   ver ";
inline constexpr char kMainCaptionSuffix[] = "   @ zentu project";
inline constexpr char kInstruction[] = "１．から４．の操作を確認、「JOB実行」又は「終了」ボタンをクリックする。";
inline constexpr const char* kGuide[5] = {
    "　　操　　　  作　　　  順",
    "１． [ ＪＯＢ選択 ] ： [ ＪＯＢ名 ] 、 [ ＭＳＧ１] から [ ＭＳＧ３ ] を記入",
    "２． [ 環境設定 ] にて必要事項を指定し [ 保存 ] をクリック",
    "３． [ 範囲設定 ] にて必要事項を指定し [ 保存 ] をクリック",
    "４． [ ＪＯＢ保存 ]  をクリック",
};
inline constexpr const char* kJob[3] = {"J", "O", "B"};
inline constexpr char kDone[] = "処理終了";
inline constexpr char kDoneLong[] = "変換処理が終了しました。　「終了」釦を押して下さい。";
// Our own: a run that failed.
inline constexpr char kFailed[] = "変換処理エラー";
inline constexpr char kLogUnreadable[] = "ログファイルを読めません";
inline constexpr char kLogNotFound[] = "ログファイルが見つかりません";
inline constexpr char kLogShorter[] = "ログのレコード数（%1 件）が前回の出力最終番号より少なくなっています。";

// Job menu; %1 is the job number, in full-width digits unless said otherwise.
inline constexpr char kJobName[] = "JOB 名 %1";
inline constexpr char kJobMessage[] = "MSG%1_%2"; // %2: "１", "２", "３"
inline constexpr const char* kMessageNumber[3] = {"１", "２", "３"};
inline constexpr char kRangeCaption[] = "　ＪＯＢ%1　範 囲 設 定";
inline constexpr char kConfigCaption[] = "　ＪＯＢ%1　環 境 設 定";
inline constexpr char kJobMissing[] = "JOB %1 は未登録です";
inline constexpr char kJobEmpty[] = "ＪＯＢ%1 の登録内容は空です。";
inline constexpr char kJobDeleted[] = "JOB %1 を削除しました。";
inline constexpr char kJobSaved[] = "JOB %1 保存完了"; // half-width digit
inline constexpr char kDeleteQuestion[] = "JOB %1 を削除します、よろしいですか？\r\n\r\n";
inline constexpr char kDeleteTitle[] = "　　ＪＯＢを削除します";

// Window control.
inline constexpr char kNoSuchWindow[] = "そのキャプション名のアプリは起動していません";
inline constexpr char kNotMinimised[] = "そのアプリは最小化になっていません。";
inline constexpr char kAlreadyMinimised[] = "そのアプリはすでに最小化されています。";

// Environment settings dialog `frmConfig`.
inline constexpr char kConfigRunCaption[] = "　設定　： zentu.exe ver ";
inline constexpr char kBlankItems[] = "空白項目があります。　適切な指定をして下さい！";
inline constexpr char kPressSave[] =
    "[ 保存 ]ボタンをクリックして下さい。保存します。　　＜変更は、「参照」ボタンで行う。＞";
inline constexpr char kNeedCsv[] = "出力するＣＳＶファイル名の指定をして下さい。";
inline constexpr char kNoMst[] = "*.hdb に対応する *.MST がありません。指定をやり直して下さい。";
inline constexpr char kNoMstNeedCsv[] =
    "*.hdb に対応する *.MST がありません。 出力するＣＳＶファイル名の指定をして下さい。";
inline constexpr char kNeedHdb[] = "読み込む Hamlog.hdb の指定をして下さい。";
inline constexpr char kNeedHdbAndCsv[] = "読み込む Hamlog.hdb  、　出力するＣＳＶファイル名の指定をして下さい。";
inline constexpr char kHdbFilterName[] = "Hamlog の *.hdb ﾌｧｲﾙ ( *.hdb )";
inline constexpr char kHdbFilterPatterns[] = "*.hdb *.HDB *.Hdb";
inline constexpr char kCsvFilterName[] = "ＣＳＶファイル(*.csv) , テキストファイル(*.txt)";
inline constexpr char kCsvFilterPatterns[] = "*.csv *.CSV *.txt *.TXT";

// Range settings dialog `frmSet_hdb`.
inline constexpr char kOldRange[] = "旧  ：%1 ～ %2";
inline constexpr char kNewRange[] = "新 ： %1 ～ %2";
inline constexpr char kMasterMissing[] = "Hamlog.mst がオープン出来ませんでした。%1　が無いと思われます。";
// Our own: the master file is there but cannot be read.
inline constexpr char kMasterUnreadable[] = "Hamlog.mst がオープン出来ませんでした。%1　は有りますが読めません。";

// Changed-log warning `frmMsg`.
inline constexpr const char* kWarning[4] = {
    "前回の内容と今回の内容が異なります。",
    "前回の出力後に途中のＱＳＯデータを削除したり",
    "追加したり、ソート処理をしたりしていませんか？",
    "一度、処理を終了して、調査をして下さい。",
};

// Typing.
// Our own.
inline constexpr char kNotCp932[] = "入力された文字「%1」はシフトJIS (CP932) で表せないため、使えません。";

} // namespace zentu::zentu_texts
