// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the session record: a group per destroying command,
// the summary in the status bar when it ends, and File > "Save Report...".
#include "app/CMainFrame.h"

#include "app/CRecordModel.h"
#include "app/CTarnowickView.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/HelpManual.h"
#include "app/ModalSeam.h"
#include "app/ReportPdf.h"
#include "app/ReportWriter.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStatusBar>
#include <QTreeView>

namespace tw {

namespace {

// How long a command's summary stays in the status bar before "Ready".
constexpr int kSummaryMilliseconds = 15000;

const QString kReportFilters = QStringLiteral("JSON (*.json);;CSV (*.csv);;PDF (*.pdf)");

// The commands that destroy, and how each one does it.
bool DestroyingCommand(int id, RecordMethod* method)
{
    switch (id) {
    case ID_SECURE_DELETE_FILE:
    case ID_SECURE_DELETE_CACHE:
    case ID_SECURE_DELETE_TEMP:
    case ID_SECURE_DELETE_OTHER:
    case ID_SECURE_DELETE_PREFERENCES:
        *method = RecordMethod::Files;
        return true;
    case ID_SECURE_EMPTY_SPACE:
        *method = RecordMethod::FreeSpace;
        return true;
    case ID_OVERCOMMIT_SWAPFILE:
        *method = RecordMethod::Memory;
        return true;
    default:
        return false;
    }
}

} // namespace

void CMainFrame::InstallRecord()
{
    m_pRecord = std::make_shared<CSessionRecord>();
    m_pRecordModel = new CRecordModel(m_pRecord, this);
    m_pView->SetRecordModel(m_pRecordModel);
    m_pView->RecordView()->setWhatsThis(HelpManual::Get().ContextText(QStringLiteral("record-view")));
    // Called on the worker thread: the item goes into the record under its
    // lock, and the view is told at most once per turn of the event loop.
    m_host.SetRecordSink([record = m_pRecord.get(), model = m_pRecordModel](const ItemResult& item) {
        record->Add(item);
        model->NotifyGrown();
    });
    // Nothing to report before the first destroying command.
    QAction* save = Action(ID_FILE_SAVE_REPORT);
    save->setEnabled(false);
    connect(m_pRecordModel, &CRecordModel::commandAdded, save, [save] { save->setEnabled(true); });
}

bool CMainFrame::BeginRecord()
{
    RecordMethod method;
    if (!DestroyingCommand(m_nCommand, &method))
        return false;
    m_pRecord->BeginCommand(CommandName(m_nCommand), method);
    m_pRecordModel->Sync();
    return true;
}

void CMainFrame::EndRecord()
{
    m_pRecord->EndCommand();
    m_pRecordModel->Sync();
    const RecordedCommand command = m_pRecord->Command(m_pRecord->CommandCount() - 1);
    m_wndStatusBar->showMessage(tr("%1: %2").arg(QString::fromStdString(command.name),
                                                 QString::fromStdString(SummaryText(command.counts, false))),
                                kSummaryMilliseconds);
}

void CMainFrame::OnSaveReport()
{
    if (m_pRecord->Empty())
        return;
    FileDialogRequest request;
    request.title = tr("Save Destruction Report");
    request.directory = QDir::home().filePath(
        QStringLiteral("tarnowick-report-%1.json").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmm"))));
    request.filter = kReportFilters;
    const SaveDialogAnswer answer = GetSaveFileName(this, request);
    if (answer.path.isEmpty())
        return;

    const ReportHeading heading = CurrentHeading();
    QString error;
    bool written = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    switch (FormatForFile(answer.path, answer.filter)) {
    case ReportFormat::Json:
        written = WriteReportFile(answer.path, ReportJson(*m_pRecord, heading), &error);
        break;
    case ReportFormat::Csv:
        written = WriteReportFile(answer.path, ReportCsv(*m_pRecord), &error);
        break;
    case ReportFormat::Pdf:
        written = WriteReportPdf(*m_pRecord, heading, answer.path, &error);
        break;
    }
    QApplication::restoreOverrideCursor();

    if (!written) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarnowick"),
                        tr("The report could not be saved as %1.\n\n%2").arg(answer.path, error),
                        QMessageBox::Ok, this);
        RunModal(box);
        return;
    }
    m_wndStatusBar->showMessage(tr("Report saved as %1").arg(answer.path), kSummaryMilliseconds);
}

} // namespace tw
