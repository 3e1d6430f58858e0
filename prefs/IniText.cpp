// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefs/IniText.h"

#include "core/HexDigit.h"

#include <algorithm>
#include <unordered_map>

namespace tw::ini {

namespace {

const std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

void AppendUtf8(std::string& out, unsigned cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Decodes the escapes QSettings writes. An unknown escape, or a number too
// large for a character, stays as it stands.
std::string Unescape(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c != '\\' || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        const char e = s[i + 1];
        const char* simple = nullptr;
        switch (e) {
        case '\\': simple = "\\"; break;
        case '"': simple = "\""; break;
        case '\'': simple = "'"; break;
        case '?': simple = "?"; break;
        case 'a': simple = "\a"; break;
        case 'b': simple = "\b"; break;
        case 'f': simple = "\f"; break;
        case 'n': simple = "\n"; break;
        case 'r': simple = "\r"; break;
        case 't': simple = "\t"; break;
        case 'v': simple = "\v"; break;
        default: break;
        }
        if (simple) {
            out += simple;
            ++i;
            continue;
        }
        size_t j = i + 2;
        unsigned value = 0;
        bool number = false;
        if (e == 'x') {
            while (j < s.size() && HexValue(s[j]) >= 0 && value <= 0x10FFFF) {
                value = value * 16 + unsigned(HexValue(s[j]));
                ++j;
                number = true;
            }
        } else if (e >= '0' && e <= '7') {
            j = i + 1;
            while (j < s.size() && s[j] >= '0' && s[j] <= '7' && value <= 0x10FFFF) {
                value = value * 8 + unsigned(s[j] - '0');
                ++j;
            }
            number = true;
        }
        if (number && value <= 0x10FFFF && value != 0) {
            AppendUtf8(out, value);
            i = j - 1;
            continue;
        }
        out += c;  // not an escape QSettings writes: the backslash stands for itself
    }
    return out;
}

} // namespace

std::string DecodeValue(std::string_view raw)
{
    raw = Trim(raw);
    std::string text;
    // One quoted string from the first byte to the last: its inside is the value.
    bool quoted = false;
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
        quoted = true;
        for (size_t i = 1; i + 1 < raw.size(); ++i) {
            if (raw[i] == '\\') {
                ++i;
                continue;
            }
            if (raw[i] == '"') {
                quoted = false;  // "a", "b" is not one quoted string
                break;
            }
        }
        // A backslash that escapes the closing quote leaves the string open.
        size_t backslashes = 0;
        for (size_t i = raw.size() - 1; i > 1 && raw[i - 1] == '\\'; --i)
            ++backslashes;
        if (backslashes % 2 == 1)
            quoted = false;
    }
    text = quoted ? Unescape(raw.substr(1, raw.size() - 2)) : Unescape(raw);
    // QSettings doubles a leading "@", which it reserves for its own types.
    if (text.size() >= 2 && text[0] == '@' && text[1] == '@')
        text.erase(0, 1);
    return text;
}

std::string EncodeValue(std::string_view value)
{
    std::string text(value);
    if (!text.empty() && text[0] == '@')
        text.insert(0, 1, '@');
    std::string out;
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;
    static const char kHex[] = "0123456789abcdef";
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == ';' || c == ',' || c == '=')
            needsQuotes = true;
        if (escapeNextIfDigit && HexValue(c) >= 0) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 15];
            continue;
        }
        escapeNextIfDigit = false;
        switch (c) {
        case '\0': out += "\\0"; escapeNextIfDigit = true; break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"':
        case '\\':
            out += '\\';
            out += c;
            break;
        default:
            if (u <= 0x1F) {
                out += "\\x";
                if (u >> 4)
                    out += kHex[u >> 4];
                out += kHex[u & 15];
                escapeNextIfDigit = true;
            } else {
                out += c;  // bytes above 0x7F as they are: UTF-8 or not
            }
        }
    }
    if (needsQuotes || (!out.empty() && (out.front() == ' ' || out.back() == ' ')))
        out = '"' + out + '"';
    return out;
}

std::string DecodeName(std::string_view raw)
{
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size() && HexValue(raw[i + 1]) >= 0 && HexValue(raw[i + 2]) >= 0) {
            out += char(HexValue(raw[i + 1]) * 16 + HexValue(raw[i + 2]));
            i += 2;
        } else if (raw[i] == '%' && i + 5 < raw.size() && raw[i + 1] == 'U' && HexValue(raw[i + 2]) >= 0
                   && HexValue(raw[i + 3]) >= 0 && HexValue(raw[i + 4]) >= 0 && HexValue(raw[i + 5]) >= 0) {
            unsigned cp = 0;
            for (size_t k = 2; k <= 5; ++k)
                cp = cp * 16 + unsigned(HexValue(raw[i + k]));
            AppendUtf8(out, cp);
            i += 5;
        } else if (raw[i] == '\\') {
            out += '/';
        } else {
            out += raw[i];
        }
    }
    return out;
}

std::string EncodeName(std::string_view name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '/')
            out += '\\';
        else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
                 || c == '-' || c == '.')
            out += c;
        else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

std::vector<Document::Line> Document::SectionLines(std::string_view section) const
{
    std::vector<Line> lines;
    bool inSection = section.empty();  // lines before the first header
    size_t pos = m_bytes.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0 ? kByteOrderMark.size() : 0;
    while (pos < m_bytes.size()) {
        Line line;
        line.begin = pos;
        const size_t nl = m_bytes.find('\n', pos);
        line.end = nl == std::string::npos ? m_bytes.size() : nl;
        pos = nl == std::string::npos ? m_bytes.size() : nl + 1;
        const std::string_view text = Trim(std::string_view(m_bytes).substr(line.begin, line.end - line.begin));
        if (!text.empty() && text.front() == '[') {
            const size_t close = text.rfind(']');
            inSection = DecodeName(Trim(text.substr(1, (close == std::string_view::npos || close == 0 ? text.size() : close) - 1)))
                == section;
            line.header = true;
        } else if (!inSection || text.empty() || text.front() == ';' || text.front() == '#') {
            continue;
        } else {
            const std::string_view whole = std::string_view(m_bytes).substr(line.begin, line.end - line.begin);
            const size_t eq = whole.find('=');
            if (eq == std::string_view::npos)
                continue;
            line.keyLine = true;
            line.equals = line.begin + eq;
            line.key = DecodeName(Trim(whole.substr(0, eq)));
        }
        if (inSection)
            lines.push_back(std::move(line));
    }
    return lines;
}

std::string Document::LineValue(const Line& line) const
{
    return DecodeValue(std::string_view(m_bytes).substr(line.equals + 1, line.end - line.equals - 1));
}

std::string Document::LineEnd() const
{
    const size_t nl = m_bytes.find('\n');
    return nl != std::string::npos && nl > 0 && m_bytes[nl - 1] == '\r' ? "\r\n" : "\n";
}

std::optional<std::string> Document::Value(std::string_view section, std::string_view key) const
{
    const std::vector<Line> lines = SectionLines(section);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (line->keyLine && line->key == key)
            return LineValue(*line);
    return std::nullopt;
}

std::vector<std::string> Document::Keys(std::string_view section) const
{
    std::vector<std::string> keys;
    for (auto& [key, value] : Values(section))
        keys.push_back(std::move(key));
    return keys;
}

std::vector<std::pair<std::string, std::string>> Document::Values(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> values;
    std::unordered_map<std::string, size_t> at;  // key -> its place in `values`
    for (const Line& line : SectionLines(section)) {
        if (!line.keyLine)
            continue;
        const auto [it, added] = at.try_emplace(line.key, values.size());
        if (added)
            values.emplace_back(line.key, LineValue(line));
        else
            values[it->second].second = LineValue(line);  // the last one counts
    }
    return values;
}

bool Document::Set(std::string_view section, std::string_view key, std::string_view value)
{
    if (value.find('\0') != std::string_view::npos)
        return false;
    const std::vector<Line> lines = SectionLines(section);
    const Line* found = nullptr;
    const Line* lastOfSection = nullptr;  // where a new key goes
    for (const Line& line : lines) {
        if (line.keyLine && line.key == key)
            found = &line;
        if (line.header || line.keyLine)
            lastOfSection = &line;
    }
    const std::string encoded = EncodeValue(value);
    if (found) {
        if (LineValue(*found) == value)
            return false;  // already says this: a hand-edited form stays as it is
        const bool cr = found->end > found->begin && m_bytes[found->end - 1] == '\r';
        m_bytes.replace(found->equals + 1, found->end - found->equals - 1, encoded + (cr ? "\r" : ""));
        return true;
    }
    const std::string eol = LineEnd();
    const std::string keyLine = EncodeName(key) + "=" + encoded + eol;
    if (lastOfSection) {
        size_t at = lastOfSection->end;
        if (at < m_bytes.size()) {
            m_bytes.insert(at + 1, keyLine);
        } else {
            m_bytes += eol + keyLine;
        }
        return true;
    }
    if (!m_bytes.empty() && m_bytes.back() != '\n')
        m_bytes += eol;
    if (!m_bytes.empty() && m_bytes != kByteOrderMark)
        m_bytes += eol;
    m_bytes += "[" + EncodeName(section) + "]" + eol + keyLine;
    return true;
}

} // namespace tw::ini
