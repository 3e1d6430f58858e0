// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the file-type list that the preferences dialog edits: what
// Add accepts and how it spells an entry, the list's case-insensitive order
// and lookup, and the "File Types" text that the sweeps read.
#pragma once

#include <QString>
#include <QStringList>

namespace tw {

// Leading blanks removed (an entry of blanks keeps one) and the "*." prefix
// supplied: "tmp" and ".tmp" become "*.tmp"; "~*..." and "*...." stay.
QString NormaliseFileType(const QString& typed);

// A normalised entry fits when it has at most 5 characters, 6 when it starts
// with "~", and holds no "!": a "!" would end the entry in the stored text
// and split it into two different entries on the next read.
bool FileTypeFits(const QString& entry);

// The list keeps the order of a sorted combo box: case-insensitive, an entry
// equal to others ignoring case goes after them.
int CompareFileTypes(const QString& a, const QString& b);
int SortedPosition(const QStringList& list, const QString& entry);
// Index of the first entry equal to `text` ignoring case, or -1.
int FindFileType(const QStringList& list, const QString& text);

struct FileTypeAdd {
    enum Outcome { Added, Invalid, AlreadyUsed };
    Outcome outcome = Invalid;
    QString entry;  // the normalised entry, as the messages name it
    int index = -1; // where the entry now stands (Added), or the entry equal to it (AlreadyUsed)
};
// Add as the "Add" button does it: normalise, refuse what does not fit,
// refuse a duplicate ignoring case, else insert at the sorted place.
FileTypeAdd AddFileType(QStringList& list, const QString& typed);

// The stored "File Types" text as a sorted list: entries are taken as they
// are stored (not normalised, duplicates kept), the unterminated tail after
// the last "!" is dropped.
QStringList LoadFileTypes(const QString& stored);
// The text to store, each entry followed by "!": the entries in reverse
// list order, except that entries equal ignoring case keep their list
// order, so that LoadFileTypes(SaveFileTypes(l)) == l for a sorted l and
// saving what was loaded changes no byte.
QString SaveFileTypes(const QStringList& list);

} // namespace tw
