// SPDX-License-Identifier: GPL-3.0-or-later
#include "inbound/CDropTarget.h"

#include "app/CMainFrame.h"
#include "inbound/UriList.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStatusBar>
#include <QSysInfo>

#include <cctype>

namespace tw {

namespace {

const QString kUriList = QStringLiteral("text/uri-list");

// Why a dropped address names no local file, so the hint can say what it is.
enum class Refusal {
    Remote,     // another computer's: a network scheme, or a file: URI of another host
    Malformed,  // a file: address of this computer that is broken: relative, an escaped "/" or NUL, a bad escape
    NotFile,    // an address of something that is no file at all (mailto:, trash:)
};

bool SameHost(const std::string& a, const std::string& b)
{
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

Refusal Classify(const std::string& uri, const std::string& hostName)
{
    // A scheme is a letter, then letters, digits, "+", "-" or ".", then ":".
    const size_t colon = uri.find(':');
    bool scheme = colon != std::string::npos && colon > 0 && std::isalpha(static_cast<unsigned char>(uri[0]));
    for (size_t i = 1; scheme && i < colon; ++i) {
        const auto c = static_cast<unsigned char>(uri[i]);
        scheme = std::isalnum(c) || c == '+' || c == '-' || c == '.';
    }
    if (!scheme)
        return Refusal::Malformed;  // a relative address names nothing by itself
    const bool authority = uri.compare(colon + 1, 2, "//") == 0;
    if (!SameHost(uri.substr(0, colon), "file"))
        return authority ? Refusal::Remote : Refusal::NotFile;
    if (authority) {
        const size_t slash = uri.find('/', colon + 3);
        const std::string host = uri.substr(colon + 3, slash == std::string::npos ? std::string::npos : slash - colon - 3);
        if (!host.empty() && !SameHost(host, "localhost") && !SameHost(host, hostName))
            return Refusal::Remote;
    }
    return Refusal::Malformed;
}

} // namespace

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
    int remote = 0, malformed = 0, notFile = 0;
    const std::string hostName = QSysInfo::machineHostName().toStdString();
    for (const std::string& uri : names.refused) {
        switch (Classify(uri, hostName)) {
        case Refusal::Remote: ++remote; break;
        case Refusal::Malformed: ++malformed; break;
        case Refusal::NotFile: ++notFile; break;
        }
    }
    // The addresses left alone, each kind called what it is.
    QString refused;
    if (remote > 0)
        refused += tr("; %n remote left alone", nullptr, remote);
    if (malformed > 0)
        refused += tr("; %n malformed file address left alone", nullptr, malformed);
    if (notFile > 0)
        refused += tr("; %n not a file left alone", nullptr, notFile);
    if (names.local.empty()) {
        if (remote > 0)
            verdict.hint = tr("Only files on this computer can be destroyed");
        else if (malformed > 0)
            verdict.hint = malformed == 1
                               ? tr("This file address is malformed: it names no file, so nothing can be dropped")
                               : tr("These file addresses are malformed: they name no file, so nothing can be dropped");
        else
            verdict.hint = tr("Only files can be dropped here");
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
    verdict.hint += refused;
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
