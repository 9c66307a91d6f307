#include "SyntheticLog.h"

#include "codec/Cp932.h"

#include <chrono>
#include <cmath>
#include <stdexcept>
#include <string_view>

namespace hamlog {

namespace {

std::uint64_t Mix(std::uint64_t value) {
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31);
}

/// A small deterministic random source (splitmix64).
class Dice {
public:
    explicit Dice(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        m_state += 0x9E3779B97F4A7C15ULL;
        return Mix(m_state);
    }
    std::uint32_t below(std::uint64_t limit) { return static_cast<std::uint32_t>(next() % limit); }
    bool percent(std::uint32_t chance) { return below(100) < chance; }
    char letter() { return static_cast<char>('A' + below(26)); }
    template <typename T, std::size_t N> const T& pick(const std::array<T, N>& items) { return items[below(N)]; }
    template <typename T> const T& pick(const std::vector<T>& items) { return items[below(items.size())]; }

private:
    std::uint64_t m_state;
};

/// A Japanese area: its district digit, QTH (UTF-8 here), a JCC/JCG-like code and its grid square.
struct JapaneseArea {
    char district;
    std::string_view qth;
    std::string_view code;
    std::string_view grid;
};

constexpr std::array<JapaneseArea, 26> kJapaneseAreas{{
    {'1', "東京都世田谷区", "100112", "PM95"}, {'1', "東京都八王子市", "1002", "PM95"},
    {'1', "神奈川県横浜市", "1101", "PM95"},   {'1', "埼玉県さいたま市", "1301", "PM95"},
    {'1', "千葉県船橋市", "1204", "PM95"},     {'2', "愛知県名古屋市", "2001", "PM85"},
    {'2', "静岡県浜松市", "1805", "PM84"},     {'3', "大阪府大阪市北区", "250101", "PM74"},
    {'3', "京都府京都市", "2401", "PM75"},     {'3', "兵庫県神戸市", "2701", "PM74"},
    {'4', "広島県広島市", "3401", "PM64"},     {'4', "岡山県岡山市", "3301", "PM64"},
    {'5', "愛媛県松山市", "3801", "PM63"},     {'5', "香川県高松市", "3701", "PM74"},
    {'6', "福岡県福岡市", "4001", "PM53"},     {'6', "沖縄県那覇市", "4701", "PL36"},
    {'7', "宮城県仙台市", "0601", "QM08"},     {'7', "岩手県盛岡市", "0401", "QM09"},
    {'8', "北海道札幌市", "0101", "QN02"},     {'8', "北海道函館市", "0102", "QN01"},
    {'9', "石川県金沢市", "2901", "PM86"},     {'9', "富山県富山市", "2801", "PM86"},
    {'0', "長野県松本市", "0902", "PM96"},     {'0', "新潟県新潟市", "0801", "PN07"},
    {'1', "東京都大島町", "10007B", "PM94"},   {'6', "鹿児島県鹿児島市", "4601", "PM51"},
}};

/// A foreign call area: prefix, district digits, suffix letters, a QTH and a grid square.
struct ForeignArea {
    std::string_view prefix;
    std::string_view digits;
    std::uint32_t minLetters;
    std::uint32_t maxLetters;
    std::string_view qth;
    std::string_view grid;
};

constexpr std::array<ForeignArea, 17> kForeignAreas{{
    {"W", "0123456789", 2, 3, "Newington, CT", "FN31"},
    {"K", "0123456789", 2, 3, "Dallas, TX", "EM12"},
    {"N", "0123456789", 2, 3, "Seattle, WA", "CN87"},
    {"AA", "0123456789", 1, 3, "Denver, CO", "DM79"},
    {"DL", "0123456789", 2, 3, "Berlin", "JO62"},
    {"VK", "2345", 2, 3, "Sydney", "QF56"},
    {"BV", "2", 2, 3, "Taipei", "PL05"},
    {"HL", "12345", 3, 3, "Seoul", "PM37"},
    {"UA", "09", 3, 3, "Vladivostok", "PN33"},
    {"G", "034", 3, 3, "London", "IO91"},
    {"F", "4568", 3, 3, "Paris", "JN18"},
    {"EA", "1357", 3, 3, "Madrid", "IN80"},
    {"VE", "37", 3, 3, "Toronto", "FN03"},
    {"ZL", "12", 3, 3, "Auckland", "RF72"},
    {"YB", "0123", 3, 3, "Jakarta", "OI33"},
    {"DU", "1", 3, 3, "Manila", "PK04"},
    {"9M", "2", 3, 3, "Kuala Lumpur", "OJ03"},
}};

constexpr std::array<std::string_view, 20> kJapanesePrefixes{"JA", "JH", "JR", "JE", "JF", "JG", "JI",
                                                             "JJ", "JK", "JL", "JM", "JN", "JO", "JP",
                                                             "JQ", "JS", "7K", "7L", "7M", "7N"};

/// A band segment where a mode is used: frequencies from low to high kHz in steps, and how often.
struct Segment {
    std::string_view mode;
    std::uint32_t lowKhz;
    std::uint32_t highKhz;
    std::uint32_t stepKhz;
    std::uint32_t weight;
};

constexpr std::array<Segment, 46> kSegments{{
    {"CW", 1810, 1825, 1, 2},        {"CW", 1908, 1912, 1, 1},      {"CW", 3510, 3530, 1, 2},
    {"SSB", 3535, 3570, 5, 2},       {"FT8", 3573, 3573, 1, 1},     {"CW", 7005, 7030, 1, 6},
    {"SSB", 7050, 7140, 5, 8},       {"FT8", 7041, 7041, 1, 4},     {"FT8", 7074, 7074, 1, 4},
    {"RTTY", 7035, 7038, 1, 1},      {"CW", 10110, 10125, 1, 2},    {"FT8", 10136, 10136, 1, 3},
    {"CW", 14010, 14060, 1, 4},      {"SSB", 14150, 14300, 5, 5},   {"FT8", 14074, 14074, 1, 8},
    {"FT4", 14080, 14080, 1, 2},     {"RTTY", 14083, 14090, 1, 1},  {"PSK", 14070, 14070, 1, 1},
    {"SSTV", 14230, 14230, 1, 1},    {"JT65", 14076, 14076, 1, 1},  {"CW", 18070, 18090, 1, 1},
    {"SSB", 18120, 18160, 5, 1},     {"FT8", 18100, 18100, 1, 3},   {"CW", 21010, 21060, 1, 3},
    {"SSB", 21200, 21400, 5, 4},     {"FT8", 21074, 21074, 1, 5},   {"JT65", 21076, 21076, 1, 1},
    {"PSK", 21070, 21070, 1, 1},     {"CW", 24890, 24920, 1, 1},    {"FT8", 24915, 24915, 1, 2},
    {"CW", 28010, 28060, 1, 2},      {"SSB", 28400, 28600, 5, 2},   {"FT8", 28074, 28074, 1, 3},
    {"FM", 29300, 29600, 10, 1},     {"CW", 50050, 50100, 1, 2},    {"SSB", 50150, 50300, 5, 3},
    {"FT8", 50313, 50313, 1, 4},     {"AM", 50600, 50700, 10, 1},   {"FM", 51000, 51500, 20, 1},
    {"SSB", 144100, 144300, 10, 2},  {"CW", 144050, 144090, 1, 1},  {"FM", 145000, 145600, 20, 3},
    {"FT8", 144460, 144460, 1, 1},   {"FM", 433000, 434000, 20, 4}, {"SSB", 430100, 430300, 10, 1},
    {"FM", 1294000, 1295000, 20, 1},
}};

constexpr std::array<std::string_view, 18> kSurnames{"山田", "佐藤", "鈴木", "高橋", "田中", "渡辺",
                                                     "伊藤", "中村", "小林", "加藤", "吉田", "山本",
                                                     "松本", "井上", "木村", "斎藤", "清水", "森"};
constexpr std::array<std::string_view, 6> kGivenNames{"太郎", "一郎", "花子", "健", "誠", "由美"};
constexpr std::array<std::string_view, 5> kRomajiNames{"Taro", "Ken", "Hiro", "Yuki", "Masa"};
constexpr std::array<std::string_view, 10> kForeignNames{"John", "Mike", "Hans", "Peter", "Bob",
                                                         "Dave", "Kim",  "Ivan", "Tom",   "Maria"};
/// Names that need quoting in CSV: a double quote, a comma, both.
constexpr std::array<std::string_view, 3> kQuotedNames{"Bob \"Mac\"", "Smith, John", "\"Ace\", Lee"};
constexpr std::array<std::string_view, 8> kRemarks1{
    "移動運用",       "QRP 5W",   "Rig: IC-7300 100W", "ＡＬＬ　ＪＡコンテスト",
    "FT-991A 50W GP", "ローカル", "ﾊﾝｶｸ ｶﾀｶﾅ",         "1エリア 全市全郡"};
constexpr std::array<std::string_view, 6> kRemarks2{"初交信", "%JARL%", "eQSL", "LoTW", "再交信", "QSL: via BURO"};
constexpr std::array<std::string_view, 5> kQslVia{"JARL", "DIRECT", "BURO", "eQSL", "via W1XYZ"};

/// The Japanese texts of the generator in CP932, converted once.
struct Cp932Texts {
    std::vector<std::string> qths;
    std::vector<std::string> surnames;
    std::vector<std::string> givenNames;
    std::vector<std::string> remarks1;
    std::vector<std::string> remarks2;
};

std::string Encode(std::string_view utf8) {
    zentu::codec::Converted cp932 = zentu::codec::Utf8ToCp932(utf8);
    if (!cp932.ok) {
        throw std::logic_error("synthetic text without a CP932 form");
    }
    return std::move(cp932.text);
}

template <std::size_t N> std::vector<std::string> EncodeAll(const std::array<std::string_view, N>& texts) {
    std::vector<std::string> encoded;
    for (const std::string_view text : texts) {
        encoded.push_back(Encode(text));
    }
    return encoded;
}

const Cp932Texts& Texts() {
    static const Cp932Texts texts = [] {
        Cp932Texts made;
        for (const JapaneseArea& area : kJapaneseAreas) {
            made.qths.push_back(Encode(area.qth));
        }
        made.surnames = EncodeAll(kSurnames);
        made.givenNames = EncodeAll(kGivenNames);
        made.remarks1 = EncodeAll(kRemarks1);
        made.remarks2 = EncodeAll(kRemarks2);
        return made;
    }();
    return texts;
}

std::string TwoDigits(unsigned value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

/// "yy/mm/dd" of a day counted from 2009-01-01.
std::string DateText(std::int64_t dayIndex) {
    using namespace std::chrono;
    const year_month_day date{sys_days{year{2009} / January / 1} + days{dayIndex}};
    return TwoDigits(static_cast<unsigned>(static_cast<int>(date.year()) % 100)) + "/" +
           TwoDigits(static_cast<unsigned>(date.month())) + "/" + TwoDigits(static_cast<unsigned>(date.day()));
}

std::string Letters(Dice& dice, std::uint32_t count) {
    std::string letters;
    for (std::uint32_t i = 0; i < count; ++i) {
        letters += dice.letter();
    }
    return letters;
}

std::string Report(Dice& dice, std::string_view mode) {
    if (mode == "FT8" || mode == "FT4" || mode == "JT65") {
        const int db = static_cast<int>(dice.below(40)) - 24;
        const auto magnitude = static_cast<unsigned>(db < 0 ? -db : db);
        return (db < 0 ? "-" : "+") + TwoDigits(magnitude);
    }
    const bool tone = mode == "CW" || mode == "RTTY" || mode == "PSK";
    if (dice.percent(70)) {
        return tone ? "599" : "59";
    }
    static constexpr std::array<std::string_view, 5> kTone{"579", "589", "569", "559", "449"};
    static constexpr std::array<std::string_view, 5> kVoice{"57", "58", "55", "53", "44"};
    return std::string(tone ? dice.pick(kTone) : dice.pick(kVoice));
}

std::string FrequencyText(std::uint32_t khz) {
    const std::uint32_t fraction = khz % 1000;
    return std::to_string(khz / 1000) + "." + static_cast<char>('0' + fraction / 100) + TwoDigits(fraction % 100);
}

const Segment& PickSegment(Dice& dice) {
    static const std::uint32_t total = [] {
        std::uint32_t sum = 0;
        for (const Segment& segment : kSegments) {
            sum += segment.weight;
        }
        return sum;
    }();
    std::uint32_t roll = dice.below(total);
    for (const Segment& segment : kSegments) {
        if (roll < segment.weight) {
            return segment;
        }
        roll -= segment.weight;
    }
    return kSegments.back();
}

/// Minutes from 2009-01-01 00:00 JST grow with the square root of the index: a few records span weeks and a
/// million end in 2022. Each record lies before the next one's earliest minute, so records are in time order.
constexpr double kSpreadMinutes = 6800.0;
constexpr std::int64_t kFirstMinute = 9 * 60;

std::int64_t SpreadMinute(std::uint64_t index) {
    return static_cast<std::int64_t>(std::floor(kSpreadMinutes * std::sqrt(static_cast<double>(index))));
}

} // namespace

LogRecord SyntheticRecord(std::uint64_t index, std::uint32_t seed) {
    Dice dice(Mix(seed + 0x5EEDULL) ^ Mix(index));
    const Cp932Texts& texts = Texts();
    LogRecord record;
    auto& f = record.fields;

    // Station: mostly Japanese, some DX.
    const bool japanese = dice.percent(72);
    std::size_t areaIndex = 0;
    std::string call;
    if (japanese) {
        const std::string_view prefix = dice.pick(kJapanesePrefixes);
        // 7K to 7N calls exist only in districts 1 to 4.
        const char district =
            prefix[0] == '7' ? static_cast<char>('1' + dice.below(4)) : static_cast<char>('0' + dice.below(10));
        const bool twoLetters = prefix == "JA" && dice.percent(30);
        call = std::string(prefix) + district + Letters(dice, twoLetters ? 2 : 3);
        std::vector<std::size_t> candidates;
        for (std::size_t a = 0; a < kJapaneseAreas.size(); ++a) {
            if (kJapaneseAreas[a].district == district) {
                candidates.push_back(a);
            }
        }
        areaIndex = dice.pick(candidates);
        if (dice.percent(8)) {
            // Operating away from home: "/" and the district operated from.
            areaIndex = dice.below(kJapaneseAreas.size());
            call += std::string("/") + kJapaneseAreas[areaIndex].district;
        }
    } else {
        const ForeignArea& area = dice.pick(kForeignAreas);
        areaIndex = static_cast<std::size_t>(&area - kForeignAreas.data());
        const std::uint32_t letters = area.minLetters + dice.below(area.maxLetters - area.minLetters + 1);
        call = std::string(area.prefix) + area.digits[dice.below(area.digits.size())] + Letters(dice, letters);
    }
    f[0] = call;

    // Date and time, in time order over the index; a few records are kept in UTC.
    const std::int64_t spread = SpreadMinute(index);
    const std::int64_t gap = SpreadMinute(index + 1) - spread;
    std::int64_t minute = kFirstMinute + spread + (gap > 0 ? dice.below(static_cast<std::uint64_t>(gap)) : 0);
    const bool utc = dice.percent(15);
    if (utc) {
        minute -= 9 * 60;
    }
    f[1] = DateText(minute / (24 * 60));
    const auto minuteOfDay = static_cast<unsigned>(minute % (24 * 60));
    f[2] = TwoDigits(minuteOfDay / 60) + ":" + TwoDigits(minuteOfDay % 60) + (utc ? "U" : "J");

    const Segment& segment = PickSegment(dice);
    const std::uint32_t steps = (segment.highKhz - segment.lowKhz) / segment.stepKhz + 1;
    f[5] = FrequencyText(segment.lowKhz + dice.below(steps) * segment.stepKhz);
    f[6] = std::string(segment.mode);
    f[3] = Report(dice, segment.mode);
    f[4] = Report(dice, segment.mode);

    if (japanese) {
        const JapaneseArea& area = kJapaneseAreas[areaIndex];
        f[7] = dice.percent(90) ? std::string(area.code) : std::string();
        f[8] = dice.percent(70) ? std::string(area.grid) : std::string();
        f[11] = dice.percent(70) ? texts.qths[areaIndex] : std::string();
        const std::uint32_t nameRoll = dice.below(100);
        if (nameRoll < 45) {
            f[10] = dice.pick(texts.surnames);
        } else if (nameRoll < 60) {
            f[10] = dice.pick(texts.surnames) + dice.pick(texts.givenNames);
        } else if (nameRoll < 75) {
            f[10] = std::string(dice.pick(kRomajiNames));
        }
    } else {
        const ForeignArea& area = kForeignAreas[areaIndex];
        f[8] = dice.percent(50) ? std::string(area.grid) : std::string();
        f[11] = dice.percent(60) ? std::string(area.qth) : std::string();
        const std::uint32_t nameRoll = dice.below(100);
        if (nameRoll < 4) {
            f[10] = std::string(dice.pick(kQuotedNames));
        } else if (nameRoll < 74) {
            f[10] = std::string(dice.pick(kForeignNames));
        }
    }

    // QSL: how it goes (J = bureau, D = direct, E = electronic, M = manager, N = none), sent, received.
    static constexpr std::array<char, 10> kVia{'J', 'J', 'J', 'J', 'J', 'J', 'D', 'E', 'M', 'N'};
    const char via = dice.pick(kVia);
    const bool sent = via != 'N' && dice.percent(60);
    const bool received = sent && dice.percent(40);
    f[9] = std::string(1, via) + (sent ? "*" : "") + (received ? "*" : "");
    f[12] = dice.percent(50) ? dice.pick(texts.remarks1) : std::string();
    f[13] = dice.percent(30) ? dice.pick(texts.remarks2) : std::string();
    f[14] = dice.percent(20) ? std::string(dice.pick(kQslVia)) : std::string();
    if (received) {
        f[15] = DateText(minute / (24 * 60) + 30 + dice.below(90));
    }
    return record;
}

bool CreateSyntheticLog(const std::filesystem::path& hdb, std::uint64_t count, std::uint32_t seed, std::string* error) {
    return CreateLogFrom(
        hdb, count, [seed](std::uint64_t index) { return SyntheticRecord(index, seed); }, error);
}

} // namespace hamlog
