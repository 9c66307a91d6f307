#pragma once

#include <string>

namespace zentu {

/// Hands `message` to a caller that asked for the reason of a failure (`error` not null).
void SetError(std::string* error, std::string message);

/// The cause an errno value stands for, as a short phrase in the program's language (never the system's English
/// text), for the brackets of a message: "出力ファイル X を書き込めません（ディスクの空き容量が足りません）".
std::string SystemReason(int error);

} // namespace zentu
