#include "platform/ErrorText.h"

#include "platform/NativeFile.h"

#include <array>
#include <cerrno>

namespace zentu {

namespace {

constexpr std::array kErrnoCauses = {
    ErrnoCause{ENOENT, FailureCause::FileMissing},
    ErrnoCause{ENOTDIR, FailureCause::FileMissing},
    ErrnoCause{EACCES, FailureCause::AccessDenied},
    ErrnoCause{EPERM, FailureCause::AccessDenied},
    ErrnoCause{ENOSPC, FailureCause::DiskFull},
#ifdef EDQUOT
    ErrnoCause{EDQUOT, FailureCause::DiskFull},
#endif
    ErrnoCause{EFBIG, FailureCause::FileTooLarge},
    ErrnoCause{EROFS, FailureCause::ReadOnlyFileSystem},
    ErrnoCause{EISDIR, FailureCause::IsFolder},
    ErrnoCause{ENAMETOOLONG, FailureCause::NameTooLong},
    ErrnoCause{EBUSY, FailureCause::FileInUse},
    ErrnoCause{ETXTBSY, FailureCause::FileInUse},
    ErrnoCause{EAGAIN, FailureCause::FileInUse},
    ErrnoCause{ENOMEM, FailureCause::OutOfMemory},
    ErrnoCause{EXDEV, FailureCause::OtherDisk},
    ErrnoCause{ELOOP, FailureCause::LinkRefused},
#if defined(EWOULDBLOCK) && EWOULDBLOCK != EAGAIN
    ErrnoCause{EWOULDBLOCK, FailureCause::FileInUse},
#endif
#ifdef _WIN32
    // Windows' "the file name is not valid" (WindowsErrors.h); Linux reports no bad name this way.
    ErrnoCause{EINVAL, FailureCause::InvalidName},
#endif
};

} // namespace

void SetError(std::string* error, std::string message) {
    if (error != nullptr) {
        *error = std::move(message);
    }
}

std::string_view CausePhrase(FailureCause cause) {
    switch (cause) {
    case FailureCause::FileMissing:
        return "ファイルまたはフォルダーがありません";
    case FailureCause::AccessDenied:
        return "アクセスが許可されていません";
    case FailureCause::DiskFull:
        return "ディスクの空き容量が足りません";
    case FailureCause::FileTooLarge:
        return "ファイルが大きすぎて、このディスクには書き込めません";
    case FailureCause::ReadOnlyFileSystem:
        return "ディスクが読み取り専用です";
    case FailureCause::ReadOnlyFile:
        return "ファイルが読み取り専用になっています";
    case FailureCause::IsFolder:
        return "ファイルではなくフォルダーです";
    case FailureCause::NameTooLong:
        return "パスまたはファイル名が長すぎます";
    case FailureCause::InvalidName:
        return "ファイル名に使えない文字があるか、名前が長すぎます";
    case FailureCause::FileInUse:
        return "ほかのプログラムが使用中です";
    case FailureCause::NotRegularFile:
        return "通常のファイルではありません（名前付きパイプや装置など）";
    case FailureCause::NotHamlogLog:
        return "Hamlog のログではありません";
    case FailureCause::LogDamaged:
        return "ログが壊れています";
    case FailureCause::OutOfMemory:
        return "メモリが足りません";
    case FailureCause::OtherDisk:
        return "別のディスクへは名前の変更で移せません";
    case FailureCause::LinkRefused:
        return "シンボリックリンクになっているか、リンクをたどりきれません";
    case FailureCause::Other:
        break;
    }
    return "原因の分からないエラーです";
}

std::span<const ErrnoCause> ErrnoCauseTable() {
    return kErrnoCauses;
}

FailureCause CauseOfErrno(int error) {
    for (const ErrnoCause& row : kErrnoCauses) {
        if (row.error == error) {
            return row.cause;
        }
    }
    return FailureCause::Other;
}

std::string SystemReason(int error) {
    const FailureCause cause = CauseOfErrno(error);
    if (cause == FailureCause::Other) {
        return std::string(CausePhrase(cause)) + "、エラー番号 " + std::to_string(error);
    }
    return std::string(CausePhrase(cause));
}

std::string ReadFailurePhrase(FileReadOutcome outcome, int error, std::uint64_t maxBytes) {
    switch (outcome) {
    case FileReadOutcome::Missing:
        return std::string(CausePhrase(FailureCause::FileMissing));
    case FileReadOutcome::NotRegularFile:
        return std::string(CausePhrase(error == EISDIR ? FailureCause::IsFolder : FailureCause::NotRegularFile));
    case FileReadOutcome::TooLarge:
        return "ファイルが大きすぎます。読めるのは " + std::to_string(maxBytes >> 20) + " MB までです";
    case FileReadOutcome::Read:
    case FileReadOutcome::Failed:
        break;
    }
    return SystemReason(error);
}

} // namespace zentu
