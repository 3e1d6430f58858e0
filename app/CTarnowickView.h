// SPDX-License-Identifier: GPL-3.0-or-later
// The view: empty until a destroying command has run, then the record of
// this session. The program keeps no document data.
#pragma once

#include <QWidget>

class QTreeView;

namespace tw {

class CRecordModel;

class CTarnowickView : public QWidget {
    Q_OBJECT
public:
    explicit CTarnowickView(QWidget* parent = nullptr);

    // Shows `model` from its first command on; the view stays empty before.
    void SetRecordModel(CRecordModel* model);
    QTreeView* RecordView() const { return m_pTree; }

private:
    void OnCommandAdded(int row);
    void OnRowsInserted(const QModelIndex& parent, int first, int last);

    QTreeView* m_pTree = nullptr;
    CRecordModel* m_pModel = nullptr;
};

// The document: nothing to store or load. Opening a file named on the
// command line only proves that it can be read.
class CTarnowickDoc {
public:
    bool OnNewDocument() { return true; }
};

} // namespace tw
