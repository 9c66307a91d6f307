#pragma once

// Every text of the auto-run window's own, together so they can be checked in one read; the texts it shares with
// the other programs are in convert/JobTexts.h.

namespace zentu::arun_texts {

inline constexpr char kProgramName[] = "zentu_arun";
inline constexpr char kCaptionPrefix[] = " zentu_arun.exe   ver ";
inline constexpr char kInstruction[] = "処理したいJOBをクリック、「JOB実行」ボタンを押して下さい。";
inline constexpr char kNotice[] = "（　設定変更等は、管理者がzentu_setで実施する　）";
inline constexpr char kRunButton[] = "J O B 実 行";
inline constexpr char kExitMenu[] = "終了";
inline constexpr char kInputCaption[] = "入力ﾌ ｧ ｲ ﾙ";
inline constexpr char kOutputCaption[] = "出力ﾌ ｧ ｲ ﾙ　";

inline constexpr char kNoData[] = "処理データはありません！　自動的の元に戻ります。しばらくお待ち下さい。";
inline constexpr char kDone[] = "変換処理終了";
inline constexpr char kDoneLong[] = "変換処理が終了しました。自動的の元に戻ります。しばらくお待ち下さい。";
inline constexpr char kFailed[] = "変換処理エラー";
inline constexpr char kNoNewRecords[] = "新規追加レコードはありません！　( 変更は環境設定 )";
inline constexpr char kLogUnreadable[] = "ログファイルを読めません";
inline constexpr char kLogNotFound[] = "ログファイルが見つかりません";

} // namespace zentu::arun_texts
