// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as text: INI syntax in the dialect QSettings writes
// (names with "%20" for blanks, values quoted and escaped where needed),
// read and changed a line at a time so that every byte the program did not
// set stays exactly as it was: comments, unknown sections and keys, a
// byte-order mark, hand-edited values, bytes that are not UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw::ini {

// A value as it stands after "=" (blanks around it already removed) to the
// text it means. A value in double quotes, and every backslash escape
// QSettings writes ("\\", "\"", "\n", "\t", "\x1f", ...), is decoded as
// QSettings would; anything else, commas included, is taken as it stands.
// Bytes that are not UTF-8 pass through unchanged.
std::string DecodeValue(std::string_view raw);

// The form a value is written in: as QSettings writes it (quoted when it
// holds "," ";" "=" or starts or ends with a blank, control characters and
// backslashes escaped, a leading "@" doubled), except that bytes are
// written as they are. DecodeValue(EncodeValue(v)) == v for every v
// without a NUL (the store refuses values with one).
std::string EncodeValue(std::string_view value);

// Section and key names: "%20" and the like decoded, and encoded as QSettings does.
std::string DecodeName(std::string_view raw);
std::string EncodeName(std::string_view name);

// The whole file, kept byte for byte.
class Document {
public:
    explicit Document(std::string bytes = {}) : m_bytes(std::move(bytes)) {}

    const std::string& Bytes() const { return m_bytes; }

    // The value of `key` in `section` (the last one where it stands twice).
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // The names of the keys in `section`, in file order, each once.
    std::vector<std::string> Keys(std::string_view section) const;
    // The keys of `section` with their values, in the order of Keys().
    std::vector<std::pair<std::string, std::string>> Values(std::string_view section) const;

    // Sets `key` to `value`. Only the line of that value changes; a new key
    // goes at the end of its section, a new section at the end of the file.
    // A line that already means `value` is left as it stands. Returns true
    // when the bytes changed. A value holding a NUL is refused (false):
    // no setting holds one, and no path can.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

private:
    // Each read goes over the file once, in time and memory linear in its
    // size; only the lines of the one section asked for are kept.
    struct Line {
        size_t begin = 0;    // first byte of the line (after a byte-order mark)
        size_t end = 0;      // the line's "\n", or the end of the file
        bool header = false;
        bool keyLine = false;
        std::string key;     // decoded
        size_t equals = 0;   // position of "=" on a key line
    };
    // The header and key lines of `section`, in file order.
    std::vector<Line> SectionLines(std::string_view section) const;
    std::string LineValue(const Line& line) const;
    std::string LineEnd() const;  // "\r\n" when the file uses it, else "\n"

    std::string m_bytes;
};

} // namespace tw::ini
