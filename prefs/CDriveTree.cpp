// SPDX-License-Identifier: GPL-3.0-or-later
// The drive tree. The mark is the item's icon, kept beside it as a number in
// the item, because what is collected must not depend on what is painted.
#include "prefs/CDriveTree.h"

#include "app/CGuiHost.h"
#include "platform/DriveTable.h"

#include <QBitmap>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>

namespace tw {

namespace {

constexpr int kLetterRole = Qt::UserRole;      // the letter's character code, 65..90
constexpr int kMarkRole = Qt::UserRole + 1;    // 0 or 1

// Both images, 16x16 each, from the 32x16 strip; magenta is the mask colour
// so that the boxes sit on the tree's own background.
QIcon CutMark(const QPixmap& strip, int index)
{
    QPixmap image = strip.copy(index * 16, 0, 16, 16);
    image.setMask(image.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
    QIcon icon;
    // The same box while selected: the selection must not hide the mark.
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Selected, QIcon::Active})
        icon.addPixmap(image, mode);
    return icon;
}

} // namespace

CDriveTree::CDriveTree(QWidget* parent)
    : QTreeWidget(parent)
{
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFrameShape(QFrame::StyledPanel);
    setIconSize(QSize(16, 16));
    setAccessibleName(tr("Drives"));
    setAccessibleDescription(tr("Click a drive or press Space to mark it or clear its mark"));

    const QPixmap strip(QStringLiteral(":/res/drives.png"));
    m_marks[0] = CutMark(strip, 0);
    m_marks[1] = CutMark(strip, 1);
}

void CDriveTree::Fill(const QString& storedDrives, IDriveTable& drives)
{
    clear();
    for (const DriveInfo& drive : drives.ListDrives()) {
        const QChar letter = QLatin1Char(drive.letter);
        auto* item = new QTreeWidgetItem(this);
        // The mount point beside the letter: the user must see what a letter
        // stands for before marking it for destruction.
        item->setText(0, QString(letter) + QStringLiteral(": ") + ShowText(drive.root));
        item->setData(0, kLetterRole, int(drive.letter));
        SetMark(item, storedDrives.contains(letter, Qt::CaseSensitive));
    }
}

QString CDriveTree::Collect() const
{
    QString text;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = topLevelItem(i);
        if (item->data(0, kMarkRole).toInt() == 1) {
            text += QChar(item->data(0, kLetterRole).toInt());
            text += QLatin1Char('!');
        }
    }
    return text;
}

bool CDriveTree::IsMarked(char letter) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = topLevelItem(i);
        if (item->data(0, kLetterRole).toInt() == letter)
            return item->data(0, kMarkRole).toInt() == 1;
    }
    return false;
}

void CDriveTree::ToggleAt(const QPoint& viewportPos)
{
    if (!viewport()->rect().contains(viewportPos))
        return;
    // Anywhere on the row counts, not only the text or the box: hit-test
    // the row at the left edge of the one column.
    QTreeWidgetItem* item = itemAt(QPoint(viewport()->rect().left(), viewportPos.y()));
    if (item)
        SetMark(item, item->data(0, kMarkRole).toInt() == 0);
}

void CDriveTree::SetMark(QTreeWidgetItem* item, bool marked)
{
    item->setData(0, kMarkRole, marked ? 1 : 0);
    item->setIcon(0, m_marks[marked ? 1 : 0]);
}

void CDriveTree::mouseReleaseEvent(QMouseEvent* event)
{
    // Selection happens as usual; the flip comes with the end of the click.
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        ToggleAt(event->position().toPoint());
}

void CDriveTree::keyPressEvent(QKeyEvent* event)
{
    // Space marks the current drive for those who do not use a mouse.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (QTreeWidgetItem* item = currentItem())
            SetMark(item, item->data(0, kMarkRole).toInt() == 0);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace tw
