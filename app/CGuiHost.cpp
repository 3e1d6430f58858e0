// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CGuiHost.h"

#include "app/GuiThread.h"
#include "app/ModalSeam.h"
#include "disk/CDiskError.h"
#include "disk/CWorking.h"
#include "sweep/CProgressBox.h"
#include "wipe/CConfirm.h"
#include "wipe/CFileError.h"

#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <atomic>

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

private:
    QWidget* m_pFrame;
    CWorking* m_pWorking = nullptr;
};

} // namespace

int CGuiHost::Confirm(const std::string& path)
{
    return OnGuiThread(m_pFrame, [this, path] {
        CConfirm dialog(m_pFrame);
        dialog.m_strFile = ShowText(path);
        return RunModal(dialog);
    });
}

int CGuiHost::FileError(const std::string& file, const std::string& message)
{
    return OnGuiThread(m_pFrame, [this, file, message] {
        CFileError dialog(m_pFrame);
        dialog.m_strFile = ShowText(file);
        dialog.m_strMessage = ShowText(message);
        return RunModal(dialog);
    });
}

int CGuiHost::DiskError(const std::string& text)
{
    return OnGuiThread(m_pFrame, [this, text] {
        CDiskError dialog(m_pFrame);
        dialog.m_strDisk = ShowText(text);
        return RunModal(dialog);
    });
}

void CGuiHost::Message(const std::string& text)
{
    OnGuiThread(m_pFrame, [this, text] { ParameterMessage(m_pFrame, ShowText(text)); });
}

void CGuiHost::Warning(const std::string& text)
{
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
