// SPDX-License-Identifier: GPL-3.0-or-later
#include "wipe/TypedNames.h"

#include <QFile>

namespace tw {

namespace {

QString Shown(const std::string& bytes) { return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size()))); }

} // namespace

QString TypedNamesText(const std::vector<std::string>& names)
{
    if (names.size() == 1 && (names[0].empty() || names[0][0] != '"'))
        return Shown(names[0]);
    QString text;
    for (const std::string& name : names) {
        QString shown = Shown(name);
        shown.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        shown.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += QLatin1Char('"') + shown + QLatin1Char('"');
    }
    return text;
}

bool ReadTypedNames(const QString& text, std::vector<std::string>& names)
{
    names.clear();
    if (text.isEmpty())
        return true;
    if (text.contains(QChar(0)))
        return false;  // no file name holds a NUL
    if (!text.startsWith(QLatin1Char('"'))) {
        names.push_back(QFile::encodeName(text).toStdString());  // exactly as typed
        return true;
    }
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        if (text[i] != QLatin1Char('"'))
            return false;  // text outside the quotes
        QString name;
        bool closed = false;
        for (++i; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('\\') && i + 1 < text.size()
                && (text[i + 1] == QLatin1Char('"') || text[i + 1] == QLatin1Char('\\'))) {
                name += text[++i];
            } else if (text[i] == QLatin1Char('"')) {
                closed = true;
                ++i;
                break;
            } else {
                name += text[i];
            }
        }
        if (!closed)
            return false;
        if (!name.isEmpty())
            names.push_back(QFile::encodeName(name).toStdString());
    }
    return true;
}

} // namespace tw
