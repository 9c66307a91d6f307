#include "ZentuHelpers.h"

#include "platform/ProgramPaths.h"
#include "text/TextHelpers.h"

#include <algorithm>
#include <system_error>

namespace zentu {

bool EnsureFolder(const std::filesystem::path& folder, std::string* error) {
    std::error_code code;
    if (std::filesystem::exists(folder, code)) {
        if (std::filesystem::is_directory(folder, code)) {
            return true;
        }
        code = std::make_error_code(std::errc::file_exists);
    } else if (std::filesystem::create_directory(folder, code)) {
        return true;
    } else {
        // Another program may have made it meanwhile; the cause told is the one of the failed creation.
        std::error_code ignored;
        if (std::filesystem::is_directory(folder, ignored)) {
            return true;
        }
    }
    if (error != nullptr) {
        *error = FileErrorText(code);
    }
    return false;
}

std::string SpacedDate(std::string_view date) {
    std::string spread;
    for (const char c : date) {
        spread += c;
        spread += ' ';
    }
    // The pattern's "@" places, filled from the right: 8 in the first group, 4 in each of the others.
    constexpr std::size_t kGroups[3] = {8, 4, 4};
    std::string groups[3];
    std::size_t end = spread.size();
    for (int g = 2; g >= 0; --g) {
        const std::size_t width = kGroups[g];
        const std::size_t take = std::min(width, end);
        groups[g] = std::string(width - take, ' ') + spread.substr(end - take, take);
        end -= take;
    }
    // Characters beyond the pattern's places stay in front of the first group, as a format keeps them.
    return spread.substr(0, end) + groups[0] + "/ " + groups[1] + "/ " + groups[2];
}

DateParts SplitDate(std::string_view date) {
    DateParts parts;
    parts.year = std::string(date.substr(0, 4));
    parts.month = date.size() > 4 ? std::string(date.substr(4, 2)) : std::string();
    parts.day = std::string(date.size() >= 2 ? date.substr(date.size() - 2) : date);
    return parts;
}

QString WideDigit(int job) {
    return QString(QChar(0xFF10 + job));
}

std::string FileErrorText(const std::error_code& error) {
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
        return "書き込みが許可されていません";
    }
    if (error == std::errc::read_only_file_system) {
        return "読み取り専用の場所です";
    }
    if (error == std::errc::no_space_on_device) {
        return "ディスクの空き容量が足りません";
    }
    if (error == std::errc::no_such_file_or_directory) {
        return "上位のフォルダーがありません";
    }
    if (error == std::errc::not_a_directory || error == std::errc::file_exists) {
        return "同じ名前のファイルがあります";
    }
    return "原因不明のエラーです（番号 " + std::to_string(error.value()) + "）";
}

} // namespace zentu
