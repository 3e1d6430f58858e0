// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefs/CFileTypeCombo.h"

#include "prefs/FileTypeList.h"

#include <QFocusEvent>
#include <QLineEdit>

namespace tw {

CFileTypeCombo::CFileTypeCombo(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(true);
    // Entries reach the list only through "Add", which normalises them.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setDuplicatesEnabled(true);  // a list stored with a duplicate shows it twice
    setMaxVisibleItems(8);
    setCurrentIndex(-1);
    // Qt selects the entry that the field spells when the field loses the
    // focus; here only a choice from the list selects, so that "Delete" can
    // tell a typed name from a chosen entry.
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { DropSelectionKeepingText(); });
    connect(this, &QComboBox::activated, this, [this] { lineEdit()->selectAll(); });
}

QStringList CFileTypeCombo::Entries() const
{
    QStringList entries;
    for (int i = 0; i < count(); ++i)
        entries.append(itemText(i));
    return entries;
}

int CFileTypeCombo::AddSorted(const QString& entry)
{
    const int index = SortedPosition(Entries(), entry);
    // Inserting must neither select the new entry nor touch the typed text.
    const QString text = Text();
    const int selected = Selected();
    insertItem(index, entry);
    if (selected < 0) {
        setCurrentIndex(-1);
        setEditText(text);
    }
    return index;
}

void CFileTypeCombo::Fill(const QStringList& entries)
{
    clear();
    addItems(entries);
    setCurrentIndex(-1);
}

void CFileTypeCombo::DeleteSelected()
{
    const int index = Selected();
    if (index < 0)
        return;
    QLineEdit* edit = lineEdit();
    const QString text = edit->text();
    const int selStart = edit->selectionStart();
    const qsizetype selLength = edit->selectedText().size();
    removeItem(index);
    setCurrentIndex(-1);
    edit->setText(text);
    if (selStart >= 0)
        edit->setSelection(selStart, int(selLength));
}

QString CFileTypeCombo::Text() const { return lineEdit()->text(); }

void CFileTypeCombo::ShowText(const QString& text)
{
    if (!text.isEmpty()) {
        for (int i = 0; i < count(); ++i) {
            if (itemText(i).startsWith(text, Qt::CaseInsensitive)) {
                setCurrentIndex(i);
                setEditText(itemText(i));
                lineEdit()->selectAll();
                return;
            }
        }
    }
    setEditText(text);
}

void CFileTypeCombo::ClearSelectedText()
{
    if (lineEdit()->hasSelectedText())
        lineEdit()->del();
}

void CFileTypeCombo::focusOutEvent(QFocusEvent* event)
{
    // A click on "Delete" takes the focus; the selected part of the text
    // must survive it, since Delete clears exactly that part.
    QLineEdit* edit = lineEdit();
    const int selStart = edit->selectionStart();
    const qsizetype selLength = edit->selectedText().size();
    QComboBox::focusOutEvent(event);
    if (selStart >= 0 && !edit->hasSelectedText())
        edit->setSelection(selStart, int(selLength));
}

void CFileTypeCombo::DropSelectionKeepingText()
{
    if (currentIndex() < 0)
        return;
    QLineEdit* edit = lineEdit();
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    // Qt empties the field when the selection goes; the typed text stays.
    setCurrentIndex(-1);
    edit->setText(text);
    edit->setCursorPosition(cursor);
}

} // namespace tw
