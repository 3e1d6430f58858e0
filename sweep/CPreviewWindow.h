// SPDX-License-Identifier: GPL-3.0-or-later
// View > "Preview Sweeps...": the window titled "Tarnowick Preview". The
// walk runs on its own thread as soon as the window shows, with a count
// that grows as it goes; closing the window stops the walk before its next
// entry and waits for it.
#pragma once

#include "sweep/SweepPreview.h"

#include <QDialog>
#include <QTimer>

#include <atomic>
#include <thread>

class QLabel;
class QTreeView;

namespace tw {

class CPreviewModel;

class CPreviewWindow : public QDialog, private IPreviewObserver {
    Q_OBJECT
public:
    explicit CPreviewWindow(IDriveTable& drives, QWidget* parent = nullptr);
    ~CPreviewWindow() override;

    CPreviewModel* Model() const { return m_pModel; }
    QTreeView* Tree() const { return m_pTree; }
    // True from the window's showing until the walk has ended.
    bool IsWalking() const { return m_bStarted && !m_bEnded; }
    bool HasEnded() const { return m_bEnded; }
    QString StatusText() const;

    void done(int result) override;

signals:
    void walkEnded();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Found(uint64_t files, uint64_t bytes) override;
    void Finished(std::unique_ptr<PreviewResult> result) override;
    void StopAndWait();
    void ShowCount();
    void OnWalkEnded();

    CSweepPreview m_preview;
    std::thread m_worker;
    std::atomic<uint64_t> m_nFiles{0};
    std::atomic<uint64_t> m_nBytes{0};
    bool m_bStarted = false;
    bool m_bEnded = false;
    QTimer m_countTimer;
    QLabel* m_pStatus = nullptr;
    QTreeView* m_pTree = nullptr;
    CPreviewModel* m_pModel = nullptr;
};

} // namespace tw
