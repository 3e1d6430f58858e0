// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep/CPreviewWindow.h"

#include "record/SessionRecord.h"
#include "core/Translations.h"
#include "sweep/CPreviewModel.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tw {

CPreviewWindow::CPreviewWindow(IDriveTable& drives, QWidget* parent)
    : QDialog(parent), m_preview(drives)
{
    setObjectName(QStringLiteral("CPreviewWindow"));
    setWindowTitle(tr("Tarnowick Preview"));
    setSizeGripEnabled(true);
    resize(680, 480);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("The files each sweep would destroy if it ran now, found by the walk the "
                                "sweep itself takes. A file that two commands would take is listed under both. "
                                "Nothing is written or destroyed here."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QStringLiteral("status"));
    layout->addWidget(m_pStatus);

    m_pModel = new CPreviewModel(this);
    m_pTree = new QTreeView(this);
    m_pTree->setObjectName(QStringLiteral("preview"));
    m_pTree->setAccessibleName(tr("Files the sweeps would destroy"));
    m_pTree->setUniformRowHeights(true);
    m_pTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTree->setModel(m_pModel);
    m_pTree->header()->setStretchLastSection(false);
    m_pTree->header()->setSectionResizeMode(CPreviewModel::ColumnName, QHeaderView::Stretch);
    m_pTree->header()->resizeSection(CPreviewModel::ColumnFiles, 80);
    m_pTree->header()->resizeSection(CPreviewModel::ColumnSize, 90);
    layout->addWidget(m_pTree, 1);
    // Each command opens as it arrives, with its directories folded.
    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first, int last) {
        if (parent.isValid())
            return;
        for (int row = first; row <= last; ++row) {
            const QModelIndex command = m_pModel->index(row, 0);
            for (int child = 0; child < m_pModel->rowCount(command); ++child)
                if (m_pModel->data(m_pModel->index(child, 0, command), CPreviewModel::RowKindRole).toInt() == CPreviewModel::NoteRow)
                    m_pTree->setFirstColumnSpanned(child, command, true);
            m_pTree->expand(command);
        }
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // The count is read from the walk's figures ten times a second rather
    // than posted for every file.
    m_countTimer.setInterval(100);
    connect(&m_countTimer, &QTimer::timeout, this, &CPreviewWindow::ShowCount);
    ShowCount();
}

CPreviewWindow::~CPreviewWindow()
{
    StopAndWait();
}

void CPreviewWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_bStarted)
        return;
    m_bStarted = true;
    m_countTimer.start();
    ShowCount();
    m_worker = std::thread([this] {
        m_preview.Run(*this);
        QMetaObject::invokeMethod(this, &CPreviewWindow::OnWalkEnded, Qt::QueuedConnection);
    });
}

void CPreviewWindow::done(int result)
{
    // Closing stops the walk; the thread is gone before the window is.
    StopAndWait();
    QDialog::done(result);
}

void CPreviewWindow::StopAndWait()
{
    m_preview.Stop();
    if (m_worker.joinable())
        m_worker.join();
}

void CPreviewWindow::Found(uint64_t files, uint64_t bytes)
{
    m_nFiles.store(files, std::memory_order_relaxed);
    m_nBytes.store(bytes, std::memory_order_relaxed);
}

void CPreviewWindow::Finished(std::unique_ptr<PreviewResult> result)
{
    std::shared_ptr<PreviewResult> shared(std::move(result));
    QMetaObject::invokeMethod(this, [this, shared]() mutable {
        m_pModel->Append(std::make_unique<PreviewResult>(std::move(*shared)));
        ShowCount();
    }, Qt::QueuedConnection);
}

void CPreviewWindow::OnWalkEnded()
{
    if (m_worker.joinable())
        m_worker.join();
    m_bEnded = true;
    m_countTimer.stop();
    ShowCount();
    emit walkEnded();
}

QString CPreviewWindow::StatusText() const { return m_pStatus->text(); }

void CPreviewWindow::ShowCount()
{
    const uint64_t files = m_nFiles.load(std::memory_order_relaxed);
    const QString size = QString::fromStdString(FormatSize(m_nBytes.load(std::memory_order_relaxed)));
    const QString figures = files == 1 ? tr("1 file, %1").arg(size)
                                       : tr("%n files, %1", nullptr, PluralCount(files)).arg(size);
    if (!m_bStarted)
        m_pStatus->setText(tr("Starting ..."));
    else if (!m_bEnded)
        m_pStatus->setText(tr("Looking ... %1 found so far").arg(figures));
    else if (m_preview.Stopped())
        m_pStatus->setText(tr("Stopped: %1 found").arg(figures));
    else
        m_pStatus->setText(tr("Done: %1 in all").arg(figures));
}

} // namespace tw
