// Every row is one line: line breaks inside a text are written as spaces, so a torn row never reaches
// past its own line and each line can be judged alone. A torn row that still has all its fields keeps
// only whole fields before its cut, and its timeline name is checked whole, so it cannot name a file
// that is not its own.
#include "history/csv.h"

#include <cstdio>
#include <cstdint>
#include <cstring>
#include <deque>
#include <iterator>
#include <limits>

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kColumns = 14;     // before the effective APM was kept
constexpr size_t kAllColumns = 20;  // eapm, spam and spam by its four kinds after them
// Far longer than any row written (texts from the game are short); a longer line is not read.
constexpr size_t kLongestRow = 64u << 10;
constexpr char kDateTimePattern[] = "####-##-##T##:##:##";
constexpr char kNamePattern[] = "####-##-##_##-##-##";
constexpr size_t kPatternLength = sizeof kDateTimePattern - 1;

// '#' in pattern stands for a digit; everything else for itself.
bool Matches(const std::string& text, size_t at, const char* pattern, size_t length) {
    if (text.size() < at + length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        char c = text[at + i];
        if (pattern[i] == '#' ? (c < '0' || c > '9') : c != pattern[i])
            return false;
    }
    return true;
}

// Starts a text that a spreadsheet would run as a formula (a line end is written as a space, so never
// starts one). A quote mark before it makes the cell text; a text that starts with a quote mark gets one
// too, so a reader can take exactly one off.
bool NeedsTextMark(const std::string& text) {
    return !text.empty() && text[0] != '\0' && std::strchr("=+-@\t'", text[0]) != nullptr;
}

std::string Field(const std::string& text) {
    std::string field;
    bool quote = NeedsTextMark(text);
    if (quote)
        field += '\'';
    for (char c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
        if (c == ',' || c == '"')
            quote = true;
        if (c == '"')
            field += '"';
        field += c;
    }
    return quote ? '"' + field + '"' : field;
}

// RFC 4180 fields of one line; false when its quotes do not pair up.
bool SplitFields(const std::string& line, std::vector<std::string>* fields) {
    fields->clear();
    size_t i = 0;
    for (;;) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            for (++i;; ++i) {
                if (i >= line.size())
                    return false;
                if (line[i] == '"') {
                    if (i + 1 >= line.size() || line[i + 1] != '"')
                        break;
                    ++i;
                }
                field += line[i];
            }
            ++i;  // the closing quote
            if (i < line.size() && line[i] != ',')
                return false;
        } else {
            for (; i < line.size() && line[i] != ','; ++i) {
                if (line[i] == '"')
                    return false;
                field += line[i];
            }
        }
        fields->push_back(field);
        if (i >= line.size())
            return true;
        ++i;  // the comma
    }
}

// Calls line(text) for each line without its line end, the byte-order mark taken off the first, reusing one
// string so that a file of many lines costs no more memory than its longest. A line longer than longest is
// passed on as a single "\"" (which never parses) without being copied. Every CR before a line's end is part
// of the line end: a row torn between its CR and LF, then repaired, ends "\r\r\n".
template <typename Line>
void EachLine(const std::string& text, size_t longest, Line line) {
    std::string buffer;
    size_t at = text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        size_t stop = end;
        while (stop > at && text[stop - 1] == '\r')
            --stop;
        if (stop - at > longest)
            buffer.assign(1, '"');
        else
            buffer.assign(text, at, stop - at);
        line(buffer);
        at = end + 1;
    }
}

template <typename T>
bool Number(const std::string& text, T* value) {
    bool negative = !text.empty() && text[0] == '-';
    size_t i = negative ? 1 : 0;
    if (i == text.size() || text.size() > 11 || (negative && !std::numeric_limits<T>::is_signed))
        return false;
    long long n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        n = n * 10 + (text[i] - '0');
    }
    n = negative ? -n : n;
    if (n < static_cast<long long>(std::numeric_limits<T>::min()) ||
        n > static_cast<long long>(std::numeric_limits<T>::max()))
        return false;
    *value = static_cast<T>(n);
    return true;
}

// A text field as it was before Field marked it; a file written before the mark reads the same.
std::string Text(const std::string& field) {
    return field.size() >= 2 && field[0] == '\'' && NeedsTextMark(field.substr(1)) ? field.substr(1) : field;
}

bool ParseRow(const std::vector<std::string>& f, GameRecord* game) {
    if ((f.size() != kColumns && f.size() != kAllColumns) || !IsStartTime(f[0]))
        return false;
    game->started = f[0];
    if (!Number(f[1], &game->lengthSeconds) || !Number(f[2], &game->apm) || !Number(f[3], &game->actions) ||
        !Number(f[4], &game->peakApm) || !Number(f[5], &game->peakSeconds) || !Number(f[6], &game->limit) ||
        !Number(f[7], &game->secondsBelow) || !Number(f[8], &game->alerts) || !EndFromName(f[9], &game->end))
        return false;
    game->slotA = Text(f[10]);
    game->slotB = Text(f[11]);
    game->slotC = Text(f[12]);
    game->timeline = f[13];
    if (f.size() == kAllColumns) {
        uint32_t* kinds = game->spamByKind;
        if (!(f[14].empty() || (Number(f[14], &game->eapm) && game->eapm >= 0)) || !Number(f[15], &game->spam) ||
            !Number(f[16], &kinds[0]) || !Number(f[17], &kinds[1]) || !Number(f[18], &kinds[2]) ||
            !Number(f[19], &kinds[3]))
            return false;
        // The kinds add up to the spam: a row torn inside its last number does not read as a smaller one.
        if (static_cast<uint64_t>(kinds[0]) + kinds[1] + kinds[2] + kinds[3] != game->spam)
            return false;
    }
    return game->timeline.empty() || IsTimelineName(game->timeline);
}

}  // namespace

std::string HistoryHeader() {
    return "started,seconds,apm,actions,peak_apm,peak_at,limit,seconds_below,alerts,end,slot_a,slot_b,slot_c,"
           "timeline,eapm,spam,reselects,repeats,reassigns,overflows\r\n";
}

std::string HistoryHead() { return kByteOrderMark + HistoryHeader(); }

std::string HistoryRow(const GameRecord& game) {
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, ",%lu,%ld,%lu,%ld,%lu,%ld,%lu,%lu,",
                  static_cast<unsigned long>(game.lengthSeconds), static_cast<long>(game.apm),
                  static_cast<unsigned long>(game.actions), static_cast<long>(game.peakApm),
                  static_cast<unsigned long>(game.peakSeconds), static_cast<long>(game.limit),
                  static_cast<unsigned long>(game.secondsBelow), static_cast<unsigned long>(game.alerts));
    char eapm[16] = "";
    if (game.eapm >= 0)
        std::snprintf(eapm, sizeof eapm, "%ld", static_cast<long>(game.eapm));
    char effective[96];
    const uint32_t* kinds = game.spamByKind;
    std::snprintf(effective, sizeof effective, ",%s,%lu,%lu,%lu,%lu,%lu\r\n", eapm, static_cast<unsigned long>(game.spam),
                  static_cast<unsigned long>(kinds[0]), static_cast<unsigned long>(kinds[1]),
                  static_cast<unsigned long>(kinds[2]), static_cast<unsigned long>(kinds[3]));
    return Field(game.started) + numbers + EndName(game.end) + ',' + Field(game.slotA) + ',' +
           Field(game.slotB) + ',' + Field(game.slotC) + ',' + Field(game.timeline) + effective;
}

HistoryRows ReadHistory(const std::string& text, size_t mostGames) {
    HistoryRows rows;
    std::deque<GameRecord> games;
    std::vector<std::string> fields;
    const std::string header = HistoryHeader().substr(0, HistoryHeader().size() - 2);
    // A file begun before the effective columns keeps its shorter header.
    const std::string oldHeader = header.substr(0, header.find(",eapm"));
    EachLine(text, kLongestRow, [&](const std::string& line) {
        if (line.empty() || line == header || line == oldHeader)
            return;
        GameRecord game;
        if (!SplitFields(line, &fields) || !ParseRow(fields, &game)) {
            ++rows.unreadable;
            return;
        }
        games.push_back(std::move(game));
        if (games.size() > mostGames) {
            games.pop_front();
            ++rows.older;
        }
    });
    rows.games.assign(std::make_move_iterator(games.begin()), std::make_move_iterator(games.end()));
    return rows;
}

std::vector<GameRecord> ParseHistory(const std::string& text) { return ReadHistory(text, SIZE_MAX).games; }

std::string TimelineText(const std::vector<Sample>& samples) {
    std::string text = "seconds,apm,recent,alerts,effective\r\n";
    text.reserve(text.size() + samples.size() * 22);
    for (const Sample& s : samples) {
        char apm[16] = "";
        if (s.apm >= 0)
            std::snprintf(apm, sizeof apm, "%ld", static_cast<long>(s.apm));
        char row[64];
        std::snprintf(row, sizeof row, "%lu,%s,%ld,%lu,%ld\r\n", static_cast<unsigned long>(s.seconds), apm,
                      static_cast<long>(s.recent), static_cast<unsigned long>(s.alerts),
                      static_cast<long>(s.effective < 0 ? 0 : s.effective));
        text += row;
    }
    return text;
}

// Timelines written before alerts were kept have three columns, before the effective APM four.
std::vector<Sample> ParseTimeline(const std::string& text) {
    std::vector<Sample> samples;
    std::vector<std::string> fields;
    EachLine(text, kLongestRow, [&](const std::string& line) {
        Sample s;
        if (!SplitFields(line, &fields) || fields.size() < 3 || fields.size() > 5 || !Number(fields[0], &s.seconds) ||
            !(fields[1].empty() || (Number(fields[1], &s.apm) && s.apm >= 0)) || !Number(fields[2], &s.recent) ||
            (fields.size() >= 4 && !Number(fields[3], &s.alerts)) ||
            (fields.size() == 5 && !(Number(fields[4], &s.effective) && s.effective >= 0)))
            return;
        samples.push_back(s);
    });
    return samples;
}

bool IsStartTime(const std::string& text) {
    return text.size() == kPatternLength && Matches(text, 0, kDateTimePattern, kPatternLength);
}

std::string TimelineName(const std::string& started, int copy) {
    if (!IsStartTime(started))
        return "";
    std::string name = started;
    name[10] = '_';
    name[13] = '-';
    name[16] = '-';
    if (copy > 1)
        name += '_' + std::to_string(copy);
    return name + ".csv";
}

bool IsTimelineName(const std::string& name) {
    if (!Matches(name, 0, kNamePattern, kPatternLength))
        return false;
    size_t at = kPatternLength;
    if (at < name.size() && name[at] == '_') {
        size_t digits = ++at;
        while (at < name.size() && name[at] >= '0' && name[at] <= '9')
            ++at;
        if (at == digits || name[digits] == '0')
            return false;
    }
    return name.compare(at, std::string::npos, ".csv") == 0;
}
