// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CGuiHost.h"

#include "app/CommandIds.h"
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
#include <QWidget>

#include <atomic>
#include <cstdio>
#include <mutex>

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
    explicit GuiProgress(QWidget* frame) : m_pFrame(frame)
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

} // namespace

// Once the program is asked to end (SIGTERM at log-out, the display gone),
// nobody is there to answer: every question is answered "Cancel" at once
// and every message goes to the standard error instead of a window.
int CGuiHost::Confirm(const std::string& path)
{
    if (StopRequested())
        return IDCANCEL;
    return OnGuiThread(m_pFrame, [this, path] {
        CConfirm dialog(m_pFrame);
        dialog.m_strFile = ShowText(path);
        return RunModal(dialog);
    });
}

int CGuiHost::FileError(const std::string& file, const std::string& message)
{
    if (StopRequested())
        return IDCANCEL;
    return OnGuiThread(m_pFrame, [this, file, message] {
        CFileError dialog(m_pFrame);
        dialog.m_strFile = ShowText(file);
        dialog.m_strMessage = ShowText(message);
        return RunModal(dialog);
    });
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
    return OnGuiThread(m_pFrame, [this, text] {
        CDiskError dialog(m_pFrame);
        dialog.m_strDisk = ShowText(text);
        return RunModal(dialog);
    });
}

void CGuiHost::Message(const std::string& text)
{
    if (StopRequested()) {
        std::fprintf(stderr, "tarnowick: %s\n", text.c_str());
        return;
    }
    OnGuiThread(m_pFrame, [this, text] { ParameterMessage(m_pFrame, ShowText(text)); });
}

void CGuiHost::Warning(const std::string& text)
{
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
    return std::make_unique<GuiProgress>(m_pFrame);
}

std::unique_ptr<IScopedWindow> CGuiHost::ShowWorking()
{
    return std::make_unique<GuiWorking>(m_pFrame);
}

} // namespace tw
