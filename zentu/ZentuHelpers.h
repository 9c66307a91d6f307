#pragma once

#include "text/TextHelpers.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zentu {

/// Creates the folder (one level) when there is nothing of that name. False with `error` (Japanese, the cause)
/// when it cannot be made.
bool EnsureFolder(const std::filesystem::path& folder, std::string* error = nullptr);

/// A date text spread for the range dialog's labels: every character followed by a space, laid into
/// "@@@@@@@@/ @@@@/ @@@@" from the right (places left over are spaces).
std::string SpacedDate(std::string_view date);

/// The year (first four characters), month (characters 5 and 6) and day (last two characters) of a date text.
struct DateParts {
    std::string year;
    std::string month;
    std::string day;
};
DateParts SplitDate(std::string_view date);

/// A job number 1 to 9 as one full-width digit ("１" to "９").
QString WideDigit(int job);

/// UTF-8 to QString and back.
inline QString Q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string U(const QString& text) {
    return text.toStdString();
}

/// Why a file operation failed, in Japanese, from its error code (never the system's English text).
std::string FileErrorText(const std::error_code& error);

} // namespace zentu
