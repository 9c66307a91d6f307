#pragma once

// How the log tool hands back why something failed.

#include <cerrno>
#include <string>

namespace hamlog {

/// Hands `message` to a caller that asked for the reason of a failure (`error` not null).
inline void SetError(std::string* error, std::string message) {
    if (error != nullptr) {
        *error = std::move(message);
    }
}

/// A short Japanese phrase for a system error number, for the cause in a message. The tool's messages never carry
/// the system's own (English) text; a number without a phrase of its own is named by its number.
inline std::string ReasonText(int error) {
    switch (error) {
    case ENOENT:
        return "ファイルまたはフォルダーがありません";
    case EACCES:
    case EPERM:
        return "アクセスが許可されていません";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return "ディスクの空き容量が足りません";
    case EROFS:
        return "読み取り専用のファイルシステムです";
    case EISDIR:
        return "フォルダーです";
    case ENOTDIR:
        return "途中の名前がフォルダーではありません";
    case ENAMETOOLONG:
        return "名前が長すぎます";
    case EBUSY:
    case ETXTBSY:
        return "ファイルが使用中です";
    case ELOOP:
        return "シンボリックリンクが循環しています";
    case EFBIG:
        return "ファイルが大きすぎます";
    case ENOMEM:
        return "メモリが足りません";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます";
    case EIO:
        return "装置の読み書きに失敗しました";
    default:
        return "システムエラー " + std::to_string(error);
    }
}

/// ReasonText for the present errno.
inline std::string SystemReason() {
    return ReasonText(errno);
}

} // namespace hamlog
