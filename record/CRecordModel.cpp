// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/CRecordModel.h"

#include "app/CGuiHost.h"
#include "core/Translations.h"

#include <QFont>
#include <QMetaObject>

#include <algorithm>

namespace tw {

namespace {
// Rows below a group carry the group's number plus one; groups carry 0.
constexpr quintptr kTopLevel = 0;
} // namespace

QString DurationText(qint64 ms)
{
    if (ms < 0)
        ms = 0;
    if (ms < 60000)
        return CRecordModel::tr("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
    const qint64 seconds = ms / 1000;
    if (seconds < 3600)
        return CRecordModel::tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return CRecordModel::tr("%1 h %2 min").arg(seconds / 3600).arg((seconds % 3600) / 60, 2, 10, QLatin1Char('0'));
}

CRecordModel::CRecordModel(std::shared_ptr<const CSessionRecord> record, QObject* parent)
    : QAbstractItemModel(parent), m_pRecord(std::move(record)), m_record(*m_pRecord)
{
}

void CRecordModel::NotifyGrown()
{
    if (m_bPending.exchange(true))
        return;  // the refresh on its way will show this item too
    QMetaObject::invokeMethod(this, &CRecordModel::Sync, Qt::QueuedConnection);
}

void CRecordModel::Sync()
{
    // Cleared before reading, so that an item added while this runs posts
    // the next refresh.
    m_bPending = false;
    ++m_nSyncs;
    const size_t commands = m_record.CommandCount();
    if (commands > m_shown.size()) {
        const int first = int(m_shown.size());
        beginInsertRows({}, first, int(commands) - 1);
        m_shown.resize(commands);
        endInsertRows();
        for (int row = first; row < int(commands); ++row)
            emit commandAdded(row);
    }
    for (size_t g = 0; g < m_shown.size(); ++g) {
        const RecordedCommand command = m_record.Command(g);
        Shown& shown = m_shown[g];
        const QModelIndex group = index(int(g), 0);
        bool changed = false;
        if (command.listed > shown.listed) {
            beginInsertRows(group, int(shown.listed), int(command.listed) - 1);
            shown.listed = command.listed;
            endInsertRows();
            changed = true;
        }
        if (command.counts.unlisted > 0 && !shown.unlistedRow) {
            beginInsertRows(group, int(shown.listed), int(shown.listed));
            shown.unlistedRow = true;
            endInsertRows();
            changed = true;
        }
        // A command that did not run says why on its summary row alone.
        const size_t notes = command.notRun ? 0 : command.notes.size();
        if (notes > shown.notes) {
            const int first = int(shown.listed) + (shown.unlistedRow ? 1 : 0) + int(shown.notes);
            beginInsertRows(group, first, first + int(notes - shown.notes) - 1);
            shown.notes = notes;
            endInsertRows();
            changed = true;
        }
        // Only the running command (and one that just ended) changes.
        if (changed || g + 1 == m_shown.size()) {
            emit dataChanged(group, index(int(g), ColumnCount - 1));
            const int last = ChildRows(shown) - 1;
            const int first = int(shown.listed);
            emit dataChanged(index(std::min(first, last), 0, group), index(last, ColumnCount - 1, group));
        }
    }
}

QModelIndex CRecordModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount)
        return {};
    if (!parent.isValid())
        return row < int(m_shown.size()) ? createIndex(row, column, kTopLevel) : QModelIndex();
    if (parent.internalId() != kTopLevel || parent.row() >= int(m_shown.size()))
        return {};
    if (row >= ChildRows(m_shown[size_t(parent.row())]))
        return {};
    return createIndex(row, column, quintptr(parent.row()) + 1);
}

QModelIndex CRecordModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kTopLevel)
        return {};
    return createIndex(int(child.internalId() - 1), 0, kTopLevel);
}

int CRecordModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_shown.size());
    if (parent.internalId() != kTopLevel || parent.column() != 0)
        return 0;
    return ChildRows(m_shown[size_t(parent.row())]);
}

int CRecordModel::columnCount(const QModelIndex&) const { return ColumnCount; }

CRecordModel::RowKind CRecordModel::KindOf(const QModelIndex& index) const
{
    if (index.internalId() == kTopLevel)
        return CommandRow;
    const Shown& shown = m_shown[size_t(index.internalId() - 1)];
    if (size_t(index.row()) < shown.listed)
        return ItemRow;
    if (shown.unlistedRow && size_t(index.row()) == shown.listed)
        return UnlistedRow;
    if (index.row() + 1 < ChildRows(shown))
        return NoteRow;
    return SummaryRow;
}

QVariant CRecordModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const RowKind kind = KindOf(index);
    if (role == RowKindRole)
        return int(kind);
    // A command's heading stands out; its summary reads as a conclusion.
    if (role == Qt::FontRole && (kind == CommandRow || kind == SummaryRow)) {
        QFont font;
        font.setBold(kind == CommandRow);
        font.setItalic(kind == SummaryRow);
        return font;
    }
    if (kind == CommandRow)
        return CommandData(index.row(), index.column(), role);
    const int group = int(index.internalId() - 1);
    if (kind == ItemRow)
        return ItemData(group, index.row(), index.column(), role);
    if (index.column() != ColumnItem || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const RecordedCommand command = m_record.Command(size_t(group));
    if (kind == UnlistedRow)
        return tr("%n more items destroyed (%1) are not listed", nullptr, PluralCount(command.counts.unlisted))
            .arg(QString::fromStdString(FormatSize(command.counts.unlistedBytes)));
    if (kind == NoteRow) {
        const Shown& shown = m_shown[size_t(group)];
        const size_t note = size_t(index.row()) - shown.listed - (shown.unlistedRow ? 1 : 0);
        return note < command.notes.size() ? ShowText(command.notes[note]) : QString();
    }
    if (!command.ended.isValid())
        return tr("So far: %1").arg(QString::fromStdString(SummaryText(command.counts, true)));
    return ShowText(CommandSummaryText(command, true));
}

QVariant CRecordModel::CommandData(int group, int column, int role) const
{
    if (column != ColumnItem || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const RecordedCommand command = m_record.Command(size_t(group));
    const QString started = command.started.toString(QStringLiteral("HH:mm:ss"));
    if (!command.ended.isValid())
        return tr("%1, started %2, running").arg(QString::fromStdString(command.name), started);
    if (command.notRun)
        return tr("%1, %2, not run").arg(QString::fromStdString(command.name), started);
    const QString took = DurationText(command.started.msecsTo(command.ended));
    if (command.stopped != StopKind::None)
        return tr("%1, started %2, stopped after %3").arg(QString::fromStdString(command.name), started, took);
    return tr("%1, started %2, took %3").arg(QString::fromStdString(command.name), started, took);
}

QVariant CRecordModel::ItemData(int group, int row, int column, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::TextAlignmentRole)
        return {};
    if (role == Qt::TextAlignmentRole)
        return column == ColumnSize || column == ColumnCause ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    const ItemResult item = m_record.Item(size_t(group), size_t(row));
    switch (column) {
    case ColumnItem:
        return item.kind == ItemKind::Memory ? tr("Memory held") : ShowText(item.path);
    case ColumnSize:
        return item.size > 0 || item.destroyed || item.removed ? QString::fromStdString(FormatSize(item.size)) : QString();
    case ColumnResult:
        return item.destroyed ? tr("destroyed") : item.removed ? tr("removed") : tr("left");
    case ColumnCause:
        return item.destroyed || item.removed || item.cause == 0 ? QString() : QString::number(item.cause);
    case ColumnMessage:
        return ShowText(item.message);
    default:
        return {};
    }
}

QVariant CRecordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColumnItem: return tr("Item");
    case ColumnSize: return tr("Size");
    case ColumnResult: return tr("Result");
    case ColumnCause: return tr("Cause");
    case ColumnMessage: return tr("Message");
    default: return {};
    }
}

} // namespace tw
