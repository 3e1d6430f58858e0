// SPDX-License-Identifier: GPL-3.0-or-later
// The file-type combo box of the preferences dialog: a text field over a
// list that stays sorted ignoring case. It behaves like a classic drop-down
// combo box: typing in the field drops the list's selection (so "Delete"
// can tell a typed text from a chosen entry), nothing is completed or
// inserted by itself, and choosing an entry selects the field's whole text.
#pragma once

#include <QComboBox>
#include <QStringList>

namespace tw {

class CFileTypeCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CFileTypeCombo(QWidget* parent = nullptr);

    QStringList Entries() const;
    // Inserts `entry` at its sorted place and returns that index.
    int AddSorted(const QString& entry);
    void Fill(const QStringList& entries);
    // Index of the selected entry, -1 when none is selected.
    int Selected() const { return currentIndex(); }
    // Removes the selected entry; the text field keeps its text and its
    // selected part, and afterwards no entry is selected.
    void DeleteSelected();

    QString Text() const;
    // Shows `text`: the first entry that begins with it (ignoring case) is
    // selected and fills the field; with no such entry, or an empty text,
    // the selection stays and the field gets `text` as it is.
    void ShowText(const QString& text);
    // Deletes the selected part of the field's text.
    void ClearSelectedText();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void DropSelectionKeepingText();
};

} // namespace tw
