#include "platform/ErrorText.h"

#include <cerrno>

namespace zentu {

void SetError(std::string* error, std::string message) {
    if (error != nullptr) {
        *error = std::move(message);
    }
}

std::string SystemReason(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "アクセスが許可されていません";
    case ENOENT:
        return "ファイルまたはフォルダーがありません";
    case ENOTDIR:
        return "パスの途中がフォルダーではありません";
    case EISDIR:
        return "フォルダーです";
    case ENOSPC:
#if defined(EDQUOT)
    case EDQUOT:
#endif
        return "ディスクの空き容量が足りません";
    case EROFS:
        return "読み取り専用の場所です";
    case EBUSY:
    case ETXTBSY:
        return "ほかのプログラムが使用中です";
    case ENAMETOOLONG:
        return "名前が長すぎます";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます";
    case EIO:
        return "入出力エラーが起きました";
    case EXDEV:
        return "別のドライブには移せません";
    case EFBIG:
        return "ファイルが大きすぎます";
    default:
        return "システムエラー " + std::to_string(error);
    }
}

} // namespace zentu
