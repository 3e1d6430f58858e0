// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/ItemReport.h"

#include "core/HexDigit.h"

#include <QString>

namespace tw {

namespace {

// Length of the valid UTF-8 sequence that starts at s[i], 0 when none does
// (overlong forms, surrogates and values past U+10FFFF are not valid).
size_t Utf8SequenceAt(const std::string& s, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80)
        return 1;
    size_t length;
    unsigned int value;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        value = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        value = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        value = c & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    if ((length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) || (length == 4 && (value < 0x10000 || value > 0x10FFFF)))
        return 0;
    return length;
}

} // namespace

std::string EscapeBytes(const std::string& bytes)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        if (bytes[i] == '\\') {
            out += "\\\\";
            ++i;
            continue;
        }
        if (const size_t n = Utf8SequenceAt(bytes, i)) {
            out.append(bytes, i, n);
            i += n;
            continue;
        }
        const auto c = static_cast<unsigned char>(bytes[i++]);
        out += "\\x";
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

std::optional<std::string> UnescapeBytes(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out += '\\';
            ++i;
            continue;
        }
        if (i + 3 < text.size() && text[i + 1] == 'x') {
            const int high = HexValue(text[i + 2]);
            const int low = HexValue(text[i + 3]);
            if (high >= 0 && low >= 0) {
                out += char(high * 16 + low);
                i += 3;
                continue;
            }
        }
        return std::nullopt;
    }
    return out;
}

QString EscapedText(const std::string& bytes)
{
    const std::string text = EscapeBytes(bytes);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

const char* ItemKindName(ItemKind kind)
{
    switch (kind) {
    case ItemKind::File: return "file";
    case ItemKind::Drive: return "drive";
    case ItemKind::Memory: return "memory";
    case ItemKind::Folder: return "folder";
    }
    return "file";
}

QJsonObject ItemToJson(const ItemResult& item)
{
    QJsonObject o;
    o.insert(QStringLiteral("kind"), QString::fromLatin1(ItemKindName(item.kind)));
    o.insert(QStringLiteral("path"), EscapedText(item.path));
    o.insert(QStringLiteral("size"), qint64(item.size));
    o.insert(QStringLiteral("result"), QString::fromLatin1(ResultName(item)));
    o.insert(QStringLiteral("cause"), item.cause);
    o.insert(QStringLiteral("message"), EscapedText(item.message));
    if (item.verified)
        o.insert(QStringLiteral("verified"), true);
    return o;
}

} // namespace tw
