#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace zentu {

/// How making the not-yet-received QSL list went.
struct QslListResult {
    bool ok = false;
    std::string error;                  ///< why nothing was written, in Japanese, naming the file (when !ok)
    std::int64_t linesRead = 0;         ///< lines of the input
    std::int64_t linesCopied = 0;       ///< lines written to the output
    std::int64_t linesSkippedShort = 0; ///< lines with fewer than ten columns, not judged and not copied
};

/// Copies from Hamlog's CSV export `input` to `output` every line whose QSL column (the tenth, split at every
/// comma, quotes not special) says that no card has been received: the column followed by two blanks and cut to
/// three characters has a blank third character and no "_". Lines are judged as decoded text and copied as they
/// are, each ending in CR LF. A missing, unreadable or empty input writes nothing, and so does one that is no regular
/// file (never waited on) or larger than kMaxTextFileBytes; the output is written whole or not at all.
QslListResult MakeNotYetReceivedQslList(const std::filesystem::path& input, const std::filesystem::path& output);

/// The line that tells the user how many lines were copied and how many were skipped.
std::string QslListReport(const QslListResult& result);

} // namespace zentu
