// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CCommandRunner.h"

#include "app/ModalSeam.h"
#include "platform/FileError.h"
#include "platform/StopSignal.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QWidget>

#include <cstdio>
#include <thread>

namespace tw {

CCommandRunner::CCommandRunner(QWidget* frame)
    : QObject(frame), m_pFrame(frame)
{
    qApp->installEventFilter(this);
}

CCommandRunner::~CCommandRunner()
{
    qApp->removeEventFilter(this);
}

void CCommandRunner::Run(IOperationHost& host, const std::function<void(IOperationHost&)>& body)
{
    m_strFailure.clear();
    if (m_bBusy || StopRequested())
        return;
    m_bBusy = true;

    QEventLoop loop;
    std::string failure;
    std::thread worker([&] {
        try {
            body(host);
        } catch (const std::exception& e) {
            failure = e.what();
        } catch (...) {
            failure = tr("Unknown error").toStdString();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    m_bBusy = false;
    m_strFailure = failure;

    if (!failure.empty() && StopRequested()) {
        // The program is ending and nobody may be there to read a window.
        std::fprintf(stderr, "tarnowick: %s\n", failure.c_str());
    } else if (!failure.empty()) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Tarnowick"),
                        QString::fromLocal8Bit(failure.c_str()), QMessageBox::Ok, m_pFrame);
        RunModal(box);
    }
    emit finished();
}

// While a command runs, the main window and its actions take no input;
// painting goes on, and the command's own dialogs (other windows) work.
bool CCommandRunner::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_bBusy)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Close:
        if (auto* w = qobject_cast<QWidget*>(watched); w && w->window() == m_pFrame) {
            event->ignore();
            return true;
        }
        return false;
    case QEvent::Shortcut:
        if (auto* a = qobject_cast<QAction*>(watched); a && a->parent() == m_pFrame)
            return true;
        return false;
    default:
        return false;
    }
}

} // namespace tw
