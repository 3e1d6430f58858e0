// SPDX-License-Identifier: GPL-3.0-or-later
// The record of the session as the window shows it: one group per command
// (name, start time, duration), one row per listed item, a row that counts
// the items not listed, and a summary row. The model reads the record
// itself, so a sweep of a million files costs no widget and no copy per
// file, and a refresh is posted at most once however fast items arrive.
#pragma once

#include "record/SessionRecord.h"

#include <QAbstractItemModel>

#include <atomic>
#include <memory>
#include <vector>

namespace tw {

class CRecordModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { ColumnItem, ColumnSize, ColumnResult, ColumnCause, ColumnMessage, ColumnCount };
    enum RowKind { CommandRow, ItemRow, UnlistedRow, SummaryRow, NoteRow };
    // The kind of a row (RowKind) under this role.
    static constexpr int RowKindRole = Qt::UserRole + 1;

    explicit CRecordModel(std::shared_ptr<const CSessionRecord> record, QObject* parent = nullptr);

    // From any thread: the record has grown. One refresh is posted to the
    // GUI thread unless one is already on its way.
    void NotifyGrown();
    // GUI thread: shows what the record holds now.
    void Sync();
    // How many refreshes have run (for tests: far fewer than items).
    int SyncCount() const { return m_nSyncs; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // A command's group appeared (row of the group).
    void commandAdded(int row);

private:
    // Below a group: its items, the row that counts the unlisted ones, what
    // the command told the user (notes), and the summary.
    struct Shown {
        size_t listed = 0;
        bool unlistedRow = false;
        size_t notes = 0;
    };
    int ChildRows(const Shown& shown) const
    {
        return int(shown.listed) + (shown.unlistedRow ? 1 : 0) + int(shown.notes) + 1;
    }
    RowKind KindOf(const QModelIndex& index) const;
    QVariant CommandData(int group, int column, int role) const;
    QVariant ItemData(int group, int row, int column, int role) const;

    std::shared_ptr<const CSessionRecord> m_pRecord;
    const CSessionRecord& m_record;
    std::vector<Shown> m_shown;
    std::atomic<bool> m_bPending{false};
    int m_nSyncs = 0;
};

// "3.2 s", "2 min 05 s", "1 h 02 min".
QString DurationText(qint64 milliseconds);

} // namespace tw
