// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the session record: a group per destroying command,
// the summary in the status bar when it ends, and File > "Save Report...".
#include "app/CMainFrame.h"

#include "record/CRecordModel.h"
#include "app/CTarnowickView.h"
#include "core/CommandIds.h"
#include "app/CommandTable.h"
#include "help/HelpManual.h"
#include "app/ModalSeam.h"
#include "record/ReportPdf.h"
#include "record/ReportWriter.h"

#include "platform/StopSignal.h"
#include "sweep/CProgressBox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <atomic>

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
    // Nothing to report before the first destroying command has run.
    Action(ID_FILE_SAVE_REPORT)->setEnabled(false);
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

void CMainFrame::EndRecord(bool endedBeforeStart)
{
    const CGuiHost::CommandLog log = m_host.TakeCommandLog();
    CommandEnding ending;
    ending.notes = log.notes;
    ending.endedAtMessage = endedBeforeStart;
    if (!m_runner.LastFailure().empty())
        ending.stopped = StopKind::Error;
    else if (StopRequested())
        ending.stopped = StopKind::Signal;
    else if (log.cancelled)
        ending.stopped = StopKind::Cancel;
    if (ending.stopped != StopKind::None && log.range >= 0) {
        // The counting pass gave the number of matching files; what the
        // command did not come to is the rest of it.
        const RecordCounts counts = m_pRecord->Command(m_pRecord->CommandCount() - 1).counts;
        const long long reached = (long long)(counts.filesDestroyed + counts.filesLeft);
        ending.notReached = std::max(0LL, log.range - reached);
    }
    m_pRecord->EndCommand(ending);
    m_pRecordModel->Sync();
    const RecordedCommand command = m_pRecord->Command(m_pRecord->CommandCount() - 1);
    m_wndStatusBar->showMessage(tr("%1: %2").arg(QString::fromStdString(command.name),
                                                 QString::fromStdString(CommandSummaryText(command, false))),
                                kSummaryMilliseconds);
    Action(ID_FILE_SAVE_REPORT)->setEnabled(m_pRecord->AnyRun());
}

void CMainFrame::OnSaveReport()
{
    if (!m_pRecord->AnyRun())
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
    const ReportFormat format = FormatForFile(answer.path, answer.filter);
    long long items = 0;
    for (size_t i = 0; i < m_pRecord->CommandCount(); ++i)
        items += (long long)m_pRecord->Command(i).listed;

    // The report is made on a worker thread while the window paints and the
    // progress box shows how far it has come: a PDF of a hundred thousand
    // items takes seconds.
    CProgressBox progress(this);
    progress.setAttribute(Qt::WA_DeleteOnClose, false);
    progress.ShowWriting();
    progress.SetRange(format == ReportFormat::Pdf ? items : 0);
    progress.show();
    std::atomic<long long> done{0};
    long long shown = 0;
    QTimer timer;
    timer.setInterval(100);
    connect(&timer, &QTimer::timeout, &progress, [&] {
        const long long now = done.load();
        progress.Step(int(now - shown));
        shown = now;
    });
    timer.start();
    QString error;
    bool written = false;
    const CSessionRecord& record = *m_pRecord;
    m_runner.Run(m_host, [&](IOperationHost&) {
        switch (format) {
        case ReportFormat::Json:
            written = WriteReportFile(answer.path, ReportJson(record, heading), &error);
            break;
        case ReportFormat::Csv:
            written = WriteReportFile(answer.path, ReportCsv(record), &error);
            break;
        case ReportFormat::Pdf:
            written = WriteReportPdf(record, heading, answer.path, &error, [&done] { ++done; });
            break;
        }
    });
    timer.stop();
    progress.hide();
    if (!written && error.isEmpty())
        return;  // the program is ending, or the runner told of its failure

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
