// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CDropTarget.h"

#include "app/CMainFrame.h"
#include "app/UriList.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStatusBar>
#include <QSysInfo>

namespace tw {

namespace {
const QString kUriList = QStringLiteral("text/uri-list");
}

DroppedNames DroppedFiles(const QMimeData* data)
{
    if (!data || !data->hasFormat(kUriList))
        return {};
    // The raw bytes, not QMimeData::urls(): QUrl would decode the escapes
    // as UTF-8 and lose every byte of a name that is not.
    const QByteArray bytes = data->data(kUriList);
    return ReadUriList(std::string(bytes.constData(), size_t(bytes.size())),
                       QSysInfo::machineHostName().toStdString());
}

CDropTarget::CDropTarget(CMainFrame* frame)
    : QObject(frame), m_pFrame(frame)
{
}

CDropTarget::Verdict CDropTarget::Judge(const QMimeData* data, Qt::DropActions offered) const
{
    Verdict verdict;
    if (m_pFrame->Runner().IsBusy() || QApplication::activeModalWidget()) {
        verdict.hint = tr("A command is running: nothing can be dropped until it ends");
        return verdict;
    }
    const DroppedNames names = DroppedFiles(data);
    if (names.local.empty()) {
        verdict.hint = names.refused.empty() ? tr("Only files can be dropped here")
                                             : tr("Only files on this computer can be destroyed");
        return verdict;
    }
    // Taken as a copy (or a link), never as a move: after a move the
    // source program may remove the files itself, unwiped.
    if (offered & Qt::CopyAction)
        verdict.action = Qt::CopyAction;
    else if (offered & Qt::LinkAction)
        verdict.action = Qt::LinkAction;
    else {
        verdict.hint = tr("This drag only offers to move the files: drop them without Shift");
        return verdict;
    }
    verdict.accept = true;
    const qsizetype count = qsizetype(names.local.size());
    // Short enough for the status bar of a small window.
    verdict.hint = count == 1 ? tr("Drop to securely delete 1 item (asked first)")
                              : tr("Drop to securely delete %n items (each asked first)", nullptr, int(count));
    if (!names.refused.empty())
        verdict.hint += tr("; %n remote left alone", nullptr, int(names.refused.size()));
    return verdict;
}

bool CDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_pFrame)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const Verdict verdict = Judge(drag->mimeData(), drag->possibleActions());
        if (verdict.accept) {
            drag->setDropAction(verdict.action);
            drag->accept();
        } else {
            drag->ignore();
        }
        if (m_pFrame->StatusBar()->currentMessage() != verdict.hint)
            m_pFrame->StatusBar()->showMessage(verdict.hint);
        return true;
    }
    case QEvent::DragLeave:
        m_pFrame->StatusBar()->clearMessage();
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        m_pFrame->StatusBar()->clearMessage();
        const Verdict verdict = Judge(drop->mimeData(), drop->possibleActions());
        if (!verdict.accept) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(verdict.action);
        drop->accept();
        DroppedNames names = DroppedFiles(drop->mimeData());
        m_pFrame->DeleteGivenFiles(std::move(names.local), std::move(names.refused));
        return true;
    }
    default:
        return false;
    }
}

} // namespace tw
