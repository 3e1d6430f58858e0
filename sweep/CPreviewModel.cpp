// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep/CPreviewModel.h"

#include "app/CGuiHost.h"
#include "core/CommandIds.h"
#include "app/CommandTable.h"
#include "record/SessionRecord.h"
#include "core/Translations.h"

namespace tw {

namespace {

// Internal ids: 0 for a command; command + 1 for the rows below a command;
// (directory + 1) << 4 | (command + 1) for the files of a directory.
constexpr quintptr kCommandBits = 4;
constexpr quintptr kCommandMask = (quintptr(1) << kCommandBits) - 1;

QString Bytes(uint64_t bytes) { return QString::fromStdString(FormatSize(bytes)); }

} // namespace

int PreviewCommandId(PreviewTarget target)
{
    switch (target) {
    case PreviewTarget::Cache: return ID_SECURE_DELETE_CACHE;
    case PreviewTarget::Temp: return ID_SECURE_DELETE_TEMP;
    case PreviewTarget::Other: return ID_SECURE_DELETE_OTHER;
    case PreviewTarget::Preferences: return ID_SECURE_DELETE_PREFERENCES;
    }
    return 0;
}

CPreviewModel::CPreviewModel(QObject* parent) : QAbstractItemModel(parent) {}

CPreviewModel::~CPreviewModel() = default;

void CPreviewModel::Append(std::unique_ptr<PreviewResult> result)
{
    Entry entry;
    for (const std::string& note : result->notes)
        entry.headNotes << ShowText(note);
    if (result->unlisted > 0)
        entry.tailNotes << tr("%n more files (%1) are not listed", nullptr, PluralCount(result->unlisted))
                               .arg(Bytes(result->unlistedBytes));
    if (!result->complete)
        entry.tailNotes << tr("Stopped before the walk ended: there may be more");
    entry.result = std::move(result);
    const int row = int(m_results.size());
    beginInsertRows({}, row, row);
    m_results.push_back(std::move(entry));
    endInsertRows();
}

int CPreviewModel::ChildRows(const Entry& e) const
{
    return int(e.headNotes.size() + qsizetype(e.result->directories.size()) + e.tailNotes.size());
}

QModelIndex CPreviewModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount)
        return {};
    if (!parent.isValid())
        return row < int(m_results.size()) ? createIndex(row, column, quintptr(0)) : QModelIndex();
    const quintptr id = parent.internalId();
    if (id == 0) {
        const Entry& e = m_results[size_t(parent.row())];
        return row < ChildRows(e) ? createIndex(row, column, quintptr(parent.row()) + 1) : QModelIndex();
    }
    if ((id >> kCommandBits) != 0)
        return {};  // files have no children
    const Entry& e = m_results[size_t(id - 1)];
    const int directory = parent.row() - int(e.headNotes.size());
    if (directory < 0 || directory >= int(e.result->directories.size()))
        return {};
    if (row >= int(e.result->directories[size_t(directory)].listed.size()))
        return {};
    return createIndex(row, column, (quintptr(directory) + 1) << kCommandBits | id);
}

QModelIndex CPreviewModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    const quintptr id = child.internalId();
    const int command = int((id & kCommandMask) - 1);
    if ((id >> kCommandBits) == 0)
        return createIndex(command, 0, quintptr(0));
    const int directory = int((id >> kCommandBits) - 1);
    return createIndex(int(m_results[size_t(command)].headNotes.size()) + directory, 0, quintptr(command) + 1);
}

int CPreviewModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_results.size());
    if (parent.column() != 0)
        return 0;
    const quintptr id = parent.internalId();
    if (id == 0)
        return ChildRows(m_results[size_t(parent.row())]);
    if ((id >> kCommandBits) != 0)
        return 0;
    const Entry& e = m_results[size_t(id - 1)];
    const int directory = parent.row() - int(e.headNotes.size());
    if (directory < 0 || directory >= int(e.result->directories.size()))
        return 0;
    return int(e.result->directories[size_t(directory)].listed.size());
}

int CPreviewModel::columnCount(const QModelIndex&) const { return ColumnCount; }

QVariant CPreviewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const quintptr id = index.internalId();
    const int column = index.column();
    if (role == Qt::TextAlignmentRole)
        return column == ColumnName ? QVariant() : QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
    const bool text = role == Qt::DisplayRole || role == Qt::ToolTipRole;

    if (id == 0) {
        const PreviewResult& r = *m_results[size_t(index.row())].result;
        if (role == RowKindRole)
            return int(CommandRow);
        if (!text)
            return {};
        switch (column) {
        case ColumnName: return QString::fromStdString(CommandName(PreviewCommandId(r.target)));
        case ColumnFiles: return QString::number(r.files);
        case ColumnSize: return Bytes(r.bytes);
        default: return {};
        }
    }

    const Entry& e = m_results[size_t((id & kCommandMask) - 1)];
    if ((id >> kCommandBits) == 0) {
        const int row = index.row();
        const int head = int(e.headNotes.size());
        const int directories = int(e.result->directories.size());
        if (row < head || row >= head + directories) {
            if (role == RowKindRole)
                return int(NoteRow);
            if (!text || column != ColumnName)
                return {};
            return row < head ? e.headNotes[row] : e.tailNotes[row - head - directories];
        }
        const PreviewResult::Directory& d = e.result->directories[size_t(row - head)];
        if (role == RowKindRole)
            return int(DirectoryRow);
        if (!text)
            return {};
        switch (column) {
        case ColumnName: return ShowText(d.path);
        case ColumnFiles: return QString::number(d.files);
        case ColumnSize: return Bytes(d.bytes);
        default: return {};
        }
    }

    const PreviewResult::Directory& d = e.result->directories[size_t((id >> kCommandBits) - 1)];
    const PreviewResult::File& f = d.listed[size_t(index.row())];
    if (role == RowKindRole)
        return int(FileRow);
    if (!text)
        return {};
    switch (column) {
    case ColumnName: return ShowText(f.name);
    case ColumnSize: return Bytes(f.size);
    default: return {};
    }
}

QVariant CPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColumnName: return tr("Command, directory, file");
    case ColumnFiles: return tr("Files");
    case ColumnSize: return tr("Size");
    default: return {};
    }
}

} // namespace tw
