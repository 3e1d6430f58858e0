// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TextFormat.h"

#include "record/ItemReport.h"
#include "core/Translations.h"

#include <QCoreApplication>

#include <cmath>

namespace tw::cli {

namespace {
// The front end's words, in the user's language.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(tw::cli::TextFormat)
};
} // namespace

std::string TerminalText(const std::string& bytes)
{
    static const char hex[] = "0123456789abcdef";
    const auto escaped = [](unsigned char c) { return std::string{'\\', 'x', hex[c >> 4], hex[c & 15]}; };
    // In the escaped form every byte that is not plain text is already
    // \xNN; what is left to catch are the controls that are valid UTF-8.
    const std::string text = EscapeBytes(bytes);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f) {
            out += escaped(c);
        } else if (c == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80
                   && static_cast<unsigned char>(text[i + 1]) <= 0x9f) {
            // U+0080 to U+009F: some terminals take U+009B as a control
            // sequence introducer.
            out += escaped(c);
            out += escaped(static_cast<unsigned char>(text[++i]));
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string FormatDuration(double seconds)
{
    if (!std::isfinite(seconds))
        return tw::cli::Words::tr("an unknown time").toStdString();
    if (seconds < 1)
        return tw::cli::Words::tr("less than a second").toStdString();
    const auto whole = static_cast<unsigned long long>(std::llround(seconds));
    if (whole < 60)
        return tw::cli::Words::tr("%1 s").arg(whole).toStdString();
    if (whole < 3600)
        return tw::cli::Words::tr("%1 min %2 s").arg(whole / 60).arg(whole % 60).toStdString();
    return tw::cli::Words::tr("%1 h %2 min").arg(whole / 3600).arg(whole % 3600 / 60).toStdString();
}

std::string CountOf(uint64_t count, const std::string& noun)
{
    // The nouns the front end counts, each with its plural forms.
    if (noun == "file")
        return (count == 1 ? tw::cli::Words::tr("1 file") : tw::cli::Words::tr("%n files", nullptr, PluralCount(count))).toStdString();
    if (noun == "drive")
        return (count == 1 ? tw::cli::Words::tr("1 drive") : tw::cli::Words::tr("%n drives", nullptr, PluralCount(count))).toStdString();
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

} // namespace tw::cli
