// SPDX-License-Identifier: GPL-3.0-or-later
// What the item error dialogs share: one item (a file, a drive) could not be
// destroyed. The fields that name it stand above "Ignore File" or "Ignore
// Disk" (1048), which goes on, and "Cancel Operation" (1049); Escape and the
// close box (2) cancel the rest too. The fields are filled in (LoadFields)
// each time the dialog is shown, with the focus on the Ignore button.
#pragma once

#include <QDialog>

#include <initializer_list>
#include <utility>

class QPushButton;
class QVBoxLayout;

namespace tw {

class CItemError : public QDialog {
    Q_OBJECT
public:
    // Shows the item's fields; the dialog calls it when it is shown.
    virtual void LoadFields() = 0;

    QPushButton* m_btnIgnore = nullptr;
    QPushButton* m_btnCancelOperation = nullptr;

protected:
    CItemError(QWidget* parent, const QString& title);

    // The button row below the fields added so far to m_layout, and the
    // context help of `dialogId` for `fields` and both buttons.
    void AddButtons(const QString& ignoreText, int dialogId,
                    std::initializer_list<std::pair<QWidget*, int>> fields);

    void showEvent(QShowEvent* event) override;
    void reject() override;

    QVBoxLayout* m_layout = nullptr;
};

} // namespace tw
