#pragma once

// Every text of the mode table editor, the output viewer and the QSL list button, together so they can be checked
// in one read.

namespace zentu::tool_texts {

// The mode table editor frmMode.
inline constexpr char kModeCaption[] = " MODE 変換テーブルの設定";
inline constexpr char kModeTitle[] = "MODE 変換テーブル    ADIF <-- Hamlog ";
inline constexpr const char* kModeHeads[] = {" ADIF", "   1", "   2", "   3", "   4"};
inline constexpr char kModeBack[] = "[ 戻る ]";
inline constexpr char kModeSave[] = "[ 保存 ]";
inline constexpr char kModeHelp[] = "[ 説明 ]";
inline constexpr char kModeHelpTitle[] = "　　説明";
// The help text, line by line; every line ends with CR LF.
inline constexpr char kModeHelpText[] = "　　　　　　　「モード変換テーブルの説明」\r\n"
                                        "\r\n"
                                        "[ ADIF ] の欄に対応するＨａｍｌｏｇのモードを １ から ４ までに\r\n"
                                        "\r\n"
                                        "編集・書き込みして下さい。\r\n"
                                        "\r\n"
                                        "\r\n"
                                        "　　　　　　　「編集方法の説明」\r\n"
                                        "\r\n"
                                        "編集するセルにカーソルを合わせて 「 Ｅｎｔｅｒ 」 キーを押して下さい。\r\n"
                                        "\r\n"
                                        "セルが黄色に変わります。 空白欄なら文字を挿入して下さい。\r\n"
                                        "\r\n"
                                        "すでに入力されている欄の場合には、適宜、編集して下さい。\r\n"
                                        "\r\n"
                                        "「 Ｅｎｔｅｒ 」 キーを押せば確定します。\r\n"
                                        "\r\n";
// Notices name the file: "ファイル " + the path + the rest.
inline constexpr char kFilePrefix[] = "ファイル ";
// Notices of the editor about its table file.
inline constexpr char kModeFileMissing[] = " がありません。空の表を表示します。";
inline constexpr char kModeFileUnreadable[] = " を読めません。空の表を表示します。";
// A character typed into a cell that the table file cannot hold.
inline constexpr char kCellRefused[] =
    "この文字はモード変換テーブルに書き込めません（Shift_JIS にない文字と、区切りに使う「,」「\"」は使えません）。";

// The output viewer frmDisp2.
inline constexpr char kViewerBack[] = "戻る";
// The notice for a file that cannot be read: "ファイル " + the path + this + "（cause）。".
inline constexpr char kViewerUnreadable[] = " を読めません";

// The main window's "QSL 未受領" button shows this in lblMsg when the list is made.
inline constexpr char kQslDone[] = "処理終了";

} // namespace zentu::tool_texts
