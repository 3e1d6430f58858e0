// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CGuiHost.h"

#include "core/CommandIds.h"
#include "app/GuiThread.h"
#include "app/ModalSeam.h"
#include "disk/CDiskError.h"
#include "disk/CWorking.h"
#include "disk/FillProgress.h"
#include "platform/StopSignal.h"
#include "sweep/CProgressBox.h"
#include "wipe/CConfirm.h"
#include "wipe/CFileError.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <utility>

namespace tw {

QString ShowText(const std::string& bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

namespace {

// Forwards a sweep's progress to the box on the GUI thread. Steps are
// coalesced and posted, so the worker never waits for the bar.
class GuiProgress : public IProgress {
public:
    GuiProgress(QWidget* frame, std::function<void(long long)> onRange) : m_pFrame(frame), m_onRange(std::move(onRange))
    {
        m_pBox = OnGuiThread(frame, [frame] {
            auto* box = new CProgressBox(frame);
            box->setAttribute(Qt::WA_DeleteOnClose, false);
            box->show();
            box->raise();
            box->activateWindow();
            box->setFocus();
            return box;
        });
    }
    ~GuiProgress() override
    {
        QPointer<CProgressBox> box = m_pBox;
        OnGuiThread(m_pFrame, [box] { delete box.data(); });
    }
    void ShowScanning() override
    {
        QPointer<CProgressBox> box = m_pBox;
        OnGuiThread(m_pFrame, [box] { if (box) box->ShowScanning(); });
    }
    void ShowDeleting() override
    {
        QPointer<CProgressBox> box = m_pBox;
        OnGuiThread(m_pFrame, [box] { if (box) box->ShowDeleting(); });
    }
    void SetRange(long long n) override
    {
        if (m_onRange)
            m_onRange(n);
        QPointer<CProgressBox> box = m_pBox;
        OnGuiThread(m_pFrame, [box, n] { if (box) box->SetRange(n); });
    }
    void Step(int k) override
    {
        if (m_pending->fetch_add(k) != 0)
            return;  // a post is already on its way and will carry this step too
        QPointer<CProgressBox> box = m_pBox;
        auto pending = m_pending;
        QMetaObject::invokeMethod(m_pFrame, [box, pending] {
            const int steps = pending->exchange(0);
            if (box)
                box->Step(steps);
        }, Qt::QueuedConnection);
    }

private:
    QWidget* m_pFrame;
    std::function<void(long long)> m_onRange;
    CProgressBox* m_pBox = nullptr;
    std::shared_ptr<std::atomic<int>> m_pending = std::make_shared<std::atomic<int>>(0);
};

class GuiWorking : public IScopedWindow {
public:
    explicit GuiWorking(QWidget* frame) : m_pFrame(frame)
    {
        m_pWorking = OnGuiThread(frame, [frame] {
            auto* working = new CWorking(frame);
            working->show();
            frame->repaint();
            return working;
        });
    }
    ~GuiWorking() override
    {
        QPointer<CWorking> working = m_pWorking;
        OnGuiThread(m_pFrame, [working] { delete working.data(); });
    }

    // The latest figures wait in one slot; a post is made only when none is
    // on its way, so the worker never waits and the window never lags.
    void Update(const FillStatus& status) override
    {
        {
            std::lock_guard lock(m_shared->mutex);
            m_shared->latest = status;
            if (m_shared->posted)
                return;
            m_shared->posted = true;
        }
        QPointer<CWorking> working = m_pWorking;
        auto shared = m_shared;
        QMetaObject::invokeMethod(m_pFrame, [working, shared] {
            FillStatus status;
            {
                std::lock_guard lock(shared->mutex);
                status = shared->latest;
                shared->posted = false;
            }
            const std::string text = shared->text.Describe(status);
            if (working)
                working->SetStatusText(ShowText(text));
        }, Qt::QueuedConnection);
    }

private:
    struct Shared {
        std::mutex mutex;
        FillStatus latest;
        bool posted = false;
        FillProgressText text;  // used on the GUI thread only
    };
    QWidget* m_pFrame;
    CWorking* m_pWorking = nullptr;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

// The progress box or the Working window that stands while a command runs,
// or null.
QWidget* CommandWindow(QWidget* frame)
{
    for (QWidget* w : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if ((qobject_cast<CProgressBox*>(w) || qobject_cast<CWorking*>(w)) && w->isVisible())
            return w;
    return nullptr;
}

// A question about an item opens beside the command's progress box or
// Working window, never over it: the user sees how far the command has
// come while he answers. Below the window where the screen has room,
// else above it.
void KeepClearOfCommandWindow(QDialog& dialog, QWidget* frame)
{
    const QWidget* window = CommandWindow(frame);
    if (!window)
        return;
    dialog.ensurePolished();
    dialog.adjustSize();
    const QRect box = window->frameGeometry();
    const QSize size = dialog.frameSize().expandedTo(dialog.sizeHint());
    const QScreen* screen = window->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 14, 1 << 14);
    const int gap = 12;
    QPoint at(box.center().x() - size.width() / 2, box.bottom() + gap);
    // The dialog's frame (its title bar) goes above its contents.
    const int titleBar = dialog.frameGeometry().height() - dialog.height();
    if (at.y() + size.height() + titleBar > room.bottom())
        at.setY(box.top() - gap - size.height() - titleBar);
    at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - size.width())));
    at.setY(std::max(at.y(), room.top()));
    dialog.move(at);
}

} // namespace

// Once the program is asked to end (SIGTERM at log-out, the display gone),
// nobody is there to answer: every question is answered "Cancel" at once
// and every message goes to the standard error instead of a window.
void CGuiHost::BeginCommandLog()
{
    std::lock_guard lock(m_logMutex);
    m_log = CommandLog();
}

CGuiHost::CommandLog CGuiHost::TakeCommandLog()
{
    std::lock_guard lock(m_logMutex);
    return std::exchange(m_log, CommandLog());
}

void CGuiHost::Answered(int answer)
{
    // Every answer but these lets the command go on.
    if (answer == IDCANCEL || answer == IDC_CANCEL_OPERATION) {
        std::lock_guard lock(m_logMutex);
        m_log.cancelled = true;
    }
}

void CGuiHost::Note(const std::string& text)
{
    std::lock_guard lock(m_logMutex);
    m_log.notes.push_back(text);
}

int CGuiHost::Confirm(const std::string& path)
{
    if (StopRequested())
        return IDCANCEL;
    const int answer = OnGuiThread(m_pFrame, [this, path] {
        CConfirm dialog(m_pFrame);
        dialog.m_strFile = ShowText(path);
        return RunModal(dialog);
    });
    Answered(answer);
    return answer;
}

int CGuiHost::FileError(const std::string& file, const std::string& message)
{
    if (StopRequested())
        return IDCANCEL;
    const int answer = OnGuiThread(m_pFrame, [this, file, message] {
        CFileError dialog(m_pFrame);
        dialog.m_strFile = ShowText(file);
        dialog.m_strMessage = ShowText(message);
        KeepClearOfCommandWindow(dialog, m_pFrame);
        return RunModal(dialog);
    });
    Answered(answer);
    return answer;
}

int CGuiHost::DiskError(const std::string& text)
{
    if (StopRequested()) {
        // The text the disk error dialog would have shown, under its heading.
        std::fprintf(stderr, "tarnowick: %s: %s\n",
                     QCoreApplication::translate("tw::CDiskError", "Error During Secure Disk").toUtf8().constData(),
                     text.c_str());
        return IDCANCEL;
    }
    const int answer = OnGuiThread(m_pFrame, [this, text] {
        CDiskError dialog(m_pFrame);
        dialog.m_strDisk = ShowText(text);
        // The Working window's line was about the drive before: the
        // question is about this one, and says which.
        if (auto* working = qobject_cast<CWorking*>(CommandWindow(m_pFrame)))
            working->SetStatusText(QString());
        KeepClearOfCommandWindow(dialog, m_pFrame);
        return RunModal(dialog);
    });
    Answered(answer);
    return answer;
}

void CGuiHost::Message(const std::string& text)
{
    Note(text);
    if (StopRequested()) {
        std::fprintf(stderr, "tarnowick: %s\n", text.c_str());
        return;
    }
    OnGuiThread(m_pFrame, [this, text] { ParameterMessage(m_pFrame, ShowText(text)); });
}

void CGuiHost::Warning(const std::string& text)
{
    Note(text);
    if (StopRequested()) {
        std::fprintf(stderr, "tarnowick: %s\n", text.c_str());
        return;
    }
    OnGuiThread(m_pFrame, [this, text] {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarnowick"), ShowText(text), QMessageBox::Ok, m_pFrame);
        RunModal(box);
    });
}

std::unique_ptr<IProgress> CGuiHost::CreateProgress()
{
    return std::make_unique<GuiProgress>(m_pFrame, [this](long long n) {
        std::lock_guard lock(m_logMutex);
        m_log.range = n;
    });
}

std::unique_ptr<IScopedWindow> CGuiHost::ShowWorking()
{
    return std::make_unique<GuiWorking>(m_pFrame);
}

} // namespace tw
