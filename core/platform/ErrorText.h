#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zentu {

/// Hands `message` to a caller that asked for the reason of a failure (`error` not null).
void SetError(std::string* error, std::string message);

/// The usual causes of a failure that messages name. Each has one short Japanese phrase, so every message
/// tells the same cause in the same words.
enum class FailureCause {
    FileMissing,        ///< the file or a folder on its path is not there
    AccessDenied,       ///< the system does not allow the access
    DiskFull,           ///< no room left on the disk (or the user's quota is used up)
    FileTooLarge,       ///< the file would grow past what the disk's format allows (4 GB on FAT32)
    ReadOnlyFileSystem, ///< the disk is mounted read-only
    ReadOnlyFile,       ///< the file itself is marked read-only
    IsFolder,           ///< a folder stands where a file is wanted
    NameTooLong,        ///< the path or a name in it is too long for the system
    InvalidName,        ///< a name holds characters that Windows allows in no file name ("?", "<" ...)
    FileInUse,          ///< another program holds the file
    NotRegularFile,     ///< a named pipe, device or socket stands where a file is wanted
    NotHamlogLog,       ///< the file is not a Hamlog log
    LogDamaged,         ///< the log's contents cannot be read as a log
    OutOfMemory,        ///< the program could not get the memory it needs
    OtherDisk,          ///< a rename would move the file to another disk (or mount), which a rename cannot do
    LinkRefused,        ///< a symbolic link stands where the program does not follow one, or links go round
    Other,              ///< anything else
};

/// The cause's phrase, without final punctuation, to be put in "（…）" after what failed.
std::string_view CausePhrase(FailureCause cause);

/// One row of the table that says which cause an errno value stands for.
struct ErrnoCause {
    int error;
    FailureCause cause;
};

/// Every errno value that has a cause of its own; any other value is FailureCause::Other.
std::span<const ErrnoCause> ErrnoCauseTable();

/// The cause an errno value stands for.
FailureCause CauseOfErrno(int error);

/// The phrase for an errno value: its cause's phrase, or for a value without a cause of its own a general
/// Japanese phrase with the number. Never the system's (English) text.
std::string SystemReason(int error);

enum class FileReadOutcome; // NativeFile.h

/// The phrase for a whole-file read that did not end with the file read (ReadRegularFile's outcome and errno value;
/// `maxBytes` is the most it took): what stood there, the cause, or that the file is too large.
std::string ReadFailurePhrase(FileReadOutcome outcome, int error, std::uint64_t maxBytes);

} // namespace zentu
