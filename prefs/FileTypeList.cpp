// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefs/FileTypeList.h"

#include <algorithm>

namespace tw {

QString NormaliseFileType(const QString& typed)
{
    QString entry = typed;
    qsizetype blanks = 0;
    while (blanks + 1 < entry.size() && entry[blanks] == u' ')
        ++blanks;
    entry.remove(0, blanks);
    if (entry.startsWith(u"*.") || entry.startsWith(u"~*"))
        return entry;
    if (entry.startsWith(u'.'))
        return u'*' + entry;
    return QStringLiteral("*.") + entry;
}

bool FileTypeFits(const QString& entry)
{
    const qsizetype limit = entry.startsWith(u'~') ? 6 : 5;
    return entry.size() <= limit && !entry.contains(u'!');
}

int CompareFileTypes(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive);
}

int SortedPosition(const QStringList& list, const QString& entry)
{
    int i = 0;
    while (i < list.size() && CompareFileTypes(list[i], entry) <= 0)
        ++i;
    return i;
}

int FindFileType(const QStringList& list, const QString& text)
{
    for (int i = 0; i < list.size(); ++i)
        if (CompareFileTypes(list[i], text) == 0)
            return i;
    return -1;
}

FileTypeAdd AddFileType(QStringList& list, const QString& typed)
{
    FileTypeAdd result;
    result.entry = NormaliseFileType(typed);
    if (!FileTypeFits(result.entry))
        return result;
    result.index = FindFileType(list, result.entry);
    if (result.index >= 0) {
        result.outcome = FileTypeAdd::AlreadyUsed;
        return result;
    }
    result.index = SortedPosition(list, result.entry);
    list.insert(result.index, result.entry);
    result.outcome = FileTypeAdd::Added;
    return result;
}

QStringList LoadFileTypes(const QString& stored)
{
    QStringList list;
    qsizetype from = 0;
    for (qsizetype bang = stored.indexOf(u'!'); bang >= 0; bang = stored.indexOf(u'!', from)) {
        list.append(stored.mid(from, bang - from));
        from = bang + 1;
    }
    // Stable: entries equal ignoring case keep their stored order.
    std::stable_sort(list.begin(), list.end(),
                     [](const QString& a, const QString& b) { return CompareFileTypes(a, b) < 0; });
    return list;
}

QString SaveFileTypes(const QStringList& list)
{
    // Runs of entries equal ignoring case, last run first, each run in
    // list order: what LoadFileTypes reads back as the same list.
    QString text;
    qsizetype end = list.size();
    while (end > 0) {
        qsizetype begin = end - 1;
        while (begin > 0 && CompareFileTypes(list[begin - 1], list[end - 1]) == 0)
            --begin;
        for (qsizetype i = begin; i < end; ++i)
            text += list[i] + u'!';
        end = begin;
    }
    return text;
}

} // namespace tw
