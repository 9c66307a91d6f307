#include "convert/QslList.h"

#include "platform/AtomicFile.h"
#include "platform/ErrorText.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"
#include "text/Cp932Codec.h"
#include "text/LineReader.h"

#include <algorithm>
#include <string_view>

namespace zentu {

namespace {

constexpr std::size_t kQslColumn = 9;

// The byte length of the UTF-8 character that starts with `lead` (1 for a stray byte, so a walk always moves on).
std::size_t CharLength(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

// The tenth comma-separated column of a decoded line, or false when the line has fewer columns.
bool QslColumn(std::string_view line, std::string_view& column) {
    std::size_t start = 0;
    for (std::size_t index = 0; index < kQslColumn; ++index) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            return false;
        }
        start = comma + 1;
    }
    const std::size_t end = line.find(',', start);
    column = line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    return true;
}

// Not yet received: the column with two blanks added, cut to three characters, has a blank third character and
// holds no "_". An empty column has only two positions; its missing third one counts as blank. The text is UTF-8,
// so a character is counted as a whole and a double-byte character's second byte is never taken for "_".
bool NotYetReceived(std::string_view column) {
    const std::string padded = std::string(column) + "  ";
    std::size_t pos = 0;
    std::string_view third = " ";
    for (int character = 0; character < 3 && pos < padded.size(); ++character) {
        const std::size_t length = std::min(CharLength(static_cast<unsigned char>(padded[pos])), padded.size() - pos);
        if (character == 2) {
            third = std::string_view(padded).substr(pos, length);
        }
        pos += length;
    }
    return third == " " && std::string_view(padded).substr(0, pos).find('_') == std::string_view::npos;
}

QslListResult Failure(std::string error) {
    QslListResult result;
    result.error = std::move(error);
    return result;
}

} // namespace

QslListResult MakeNotYetReceivedQslList(const std::filesystem::path& input, const std::filesystem::path& output) {
    const std::string inputName = Utf8FromPath(input);
    // Only a regular file of a sensible size: a named pipe would make the window wait for ever, a link to a device
    // would fill the memory.
    std::string bytes;
    int error = 0;
    const FileReadOutcome outcome = ReadRegularFile(input, bytes, error, kMaxTextFileBytes);
    if (outcome == FileReadOutcome::Missing) {
        return Failure("ファイル " + inputName + " がありません。");
    }
    if (outcome != FileReadOutcome::Read) {
        return Failure("ファイル " + inputName + " を読めません（" +
                       ReadFailurePhrase(outcome, error, kMaxTextFileBytes) + "）。");
    }
    if (bytes.empty()) {
        return Failure("ファイル " + inputName + " は空です。");
    }

    QslListResult result;
    std::string selected;
    LineReader lines(bytes);
    std::string_view line;
    while (lines.next(line)) {
        ++result.linesRead;
        const std::string text = Cp932Codec::decodeLossy(line);
        std::string_view column;
        if (!QslColumn(text, column)) {
            ++result.linesSkippedShort;
            continue;
        }
        if (NotYetReceived(column)) {
            selected.append(line);
            selected.append("\r\n");
            ++result.linesCopied;
        }
    }

    std::string writeError;
    if (!AtomicFile::writeWhole(output, selected, &writeError)) {
        return Failure(writeError);
    }
    result.ok = true;
    return result;
}

std::string QslListReport(const QslListResult& result) {
    std::string text = std::to_string(result.linesCopied) + " 行をコピーしました。";
    if (result.linesSkippedShort > 0) {
        text += "列が 10 に満たない " + std::to_string(result.linesSkippedShort) + " 行は飛ばしました。";
    }
    return text;
}

} // namespace zentu
