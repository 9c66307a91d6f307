#pragma once

// Texts that more than one program shows about a job and its run, together so that they are written once.

namespace zentu::job_texts {

inline constexpr char kOldLibrary[] = "Hamlog50.DLL のバージョンが古いです。";
inline constexpr char kInputCountPrefix[] = "入力数: ";
inline constexpr char kOutputCountPrefix[] = "出力数 : ";
inline constexpr char kCountSuffix[] = " 件";
/// After the output count, when a run left records out of the ADIF file: "（ADIF に入れなかったレコード N 件）".
inline constexpr char kAdifLeftOutPrefix[] = "　（ADIF に入れなかったレコード ";
inline constexpr char kAdifLeftOutSuffix[] = " 件）";
inline constexpr char kNoNewRecords[] = "新規追加レコードはありません！";
inline constexpr char kAnytimeLast[] = "最終は最新データまで";
inline constexpr char kBusy[] = "変換処理中";
inline constexpr char kBusyLong[] = "変換処理中です。しばらくお待ちください。";
inline constexpr char kChangedLog[] = "前回の内容と今回の内容が異なります。";
inline constexpr char kLastEndRecord[] = "前回の出力最終番号　：　";

} // namespace zentu::job_texts
