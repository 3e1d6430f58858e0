// SPDX-License-Identifier: GPL-3.0-or-later
// "Tarnowick Secure Delete Working": the modeless window that stands while a
// disk-level command runs, with a looping animation as its sign of life and,
// during a free-space wipe, a line with the figures of the fill.
#pragma once

#include <QDialog>
#include <QList>
#include <QPixmap>

class QLabel;
class QTimer;

namespace tw {

class CWorking : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFrames = 8;
    static constexpr int kFrameSize = 50;
    static constexpr int kFramesPerSecond = 15;

    explicit CWorking(QWidget* parent = nullptr);

    int CurrentFrame() const { return m_nFrame; }
    int FrameCount() const { return int(m_frames.size()); }
    QLabel* m_animate = nullptr;  // IDC_ANIMATE

    // The line below "Working ..." that says how far the free-space wipe
    // has come. Hidden while empty (the swap-file overcommit has none).
    void SetStatusText(const QString& text);
    QLabel* m_status = nullptr;   // IDC_FILL_STATUS

signals:
    void frameShown(int frame);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void NextFrame();
    QList<QPixmap> m_frames;
    QTimer* m_timer = nullptr;
    int m_nFrame = 0;
};

} // namespace tw
