// SPDX-License-Identifier: GPL-3.0-or-later
// What the preview found, as a tree: command, directory, file. A command's
// results are added whole when its walk ends and never change afterwards,
// so the model reads them without a lock.
#pragma once

#include "sweep/SweepPreview.h"

#include <QAbstractItemModel>

#include <memory>
#include <vector>

namespace tw {

class CPreviewModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { ColumnName, ColumnFiles, ColumnSize, ColumnCount };
    enum RowKind { CommandRow, NoteRow, DirectoryRow, FileRow };
    static constexpr int RowKindRole = Qt::UserRole + 1;

    explicit CPreviewModel(QObject* parent = nullptr);
    ~CPreviewModel() override;

    void Append(std::unique_ptr<PreviewResult> result);
    const PreviewResult& Result(int row) const { return *m_results[size_t(row)].result; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Entry {
        std::unique_ptr<PreviewResult> result;
        QStringList headNotes;  // what the command would say instead of sweeping
        QStringList tailNotes;  // files not listed, a walk that was stopped
    };
    int ChildRows(const Entry& e) const;

    std::vector<Entry> m_results;
};

// The command a preview result belongs to, by the name of its menu item.
int PreviewCommandId(PreviewTarget target);

} // namespace tw
