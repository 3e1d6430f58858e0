// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTarnowickView.h"

#include "record/CRecordModel.h"

#include <QHeaderView>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace tw {

CTarnowickView::CTarnowickView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CTarnowickView"));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pTree = new QTreeView(this);
    m_pTree->setObjectName(QStringLiteral("record"));
    m_pTree->setAccessibleName(tr("Record of this session"));
    // Every row has one line: the view then never measures a million rows.
    m_pTree->setUniformRowHeights(true);
    m_pTree->setRootIsDecorated(true);
    m_pTree->setAlternatingRowColors(true);
    m_pTree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTree->setContextMenuPolicy(Qt::NoContextMenu);
    // Long paths lose their middle, not their end: the file name stays, so
    // the rows of one deep folder still tell their files apart.
    m_pTree->setTextElideMode(Qt::ElideMiddle);
    m_pTree->hide();
    layout->addWidget(m_pTree);
}

void CTarnowickView::SetRecordModel(CRecordModel* model)
{
    m_pModel = model;
    m_pTree->setModel(model);
    QHeaderView* header = m_pTree->header();
    header->setStretchLastSection(true);
    // Each column at least as wide as its heading, in whatever language.
    const auto resize = [header, model](int column, int width) {
        const QString heading = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        header->resizeSection(column, std::max(width, header->fontMetrics().horizontalAdvance(heading) + 24));
    };
    resize(CRecordModel::ColumnItem, 300);
    resize(CRecordModel::ColumnSize, 80);
    resize(CRecordModel::ColumnResult, 80);
    resize(CRecordModel::ColumnCause, 50);
    connect(model, &CRecordModel::commandAdded, this, &CTarnowickView::OnCommandAdded);
    connect(model, &QAbstractItemModel::rowsInserted, this, &CTarnowickView::OnRowsInserted);
    m_pTree->setVisible(model->rowCount() > 0);
}

void CTarnowickView::OnCommandAdded(int row)
{
    const QModelIndex group = m_pModel->index(row, 0);
    // A group's heading and its summary read across the whole width.
    m_pTree->setFirstColumnSpanned(row, {}, true);
    const int children = m_pModel->rowCount(group);
    for (int child = 0; child < children; ++child)
        if (m_pModel->data(m_pModel->index(child, 0, group), CRecordModel::RowKindRole).toInt() != CRecordModel::ItemRow)
            m_pTree->setFirstColumnSpanned(child, group, true);
    // Earlier commands fold away; the running one is open.
    for (int earlier = 0; earlier < row; ++earlier)
        m_pTree->collapse(m_pModel->index(earlier, 0));
    m_pTree->expand(group);
    m_pTree->show();
}

void CTarnowickView::OnRowsInserted(const QModelIndex& parent, int first, int)
{
    if (!parent.isValid())
        return;
    // Rows past the items (the count of unlisted items, the notes, the
    // summary) read across the whole width.
    const int children = m_pModel->rowCount(parent);
    for (int child = std::max(0, std::min(first, children - 2)); child < children; ++child)
        if (m_pModel->data(m_pModel->index(child, 0, parent), CRecordModel::RowKindRole).toInt() != CRecordModel::ItemRow)
            m_pTree->setFirstColumnSpanned(child, parent, true);
    m_pTree->scrollTo(m_pModel->index(children - 1, 0, parent));
}

} // namespace tw
