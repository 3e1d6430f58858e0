// SPDX-License-Identifier: GPL-3.0-or-later
// The drive tree: a flat list of the removable and fixed drives, each with a
// mark (an empty or a ticked box) that a click on its row flips. The
// preferences dialog and the Select Drives dialog both hold one.
#pragma once

#include <QIcon>
#include <QString>
#include <QTreeWidget>

namespace tw {

class IDriveTable;

class CDriveTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CDriveTree(QWidget* parent = nullptr);

    // Lists the drives mounted now, ascending, and marks every drive whose
    // upper-case letter occurs anywhere in `storedDrives`.
    void Fill(const QString& storedDrives, IDriveTable& drives);
    // The marked drives as a drive list: letter and "!" each, in tree order.
    QString Collect() const;
    bool IsMarked(char letter) const;
    // Flips the mark of the item on the row at `viewportPos`; nothing when
    // the point is below the last item.
    void ToggleAt(const QPoint& viewportPos);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetMark(QTreeWidgetItem* item, bool marked);

    QIcon m_marks[2];  // 0 empty box, 1 ticked box
};

} // namespace tw
