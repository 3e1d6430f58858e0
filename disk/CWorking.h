// SPDX-License-Identifier: GPL-3.0-or-later
// "Tarnowick Secure Delete Working": the modeless window that stands while a
// disk-level command runs, with a looping animation.
#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace tw {

class CWorking : public QDialog {
    Q_OBJECT
public:
    explicit CWorking(QWidget* parent = nullptr);

    int CurrentFrame() const { return m_nFrame; }
    QLabel* m_animate = nullptr;  // IDC_ANIMATE

private:
    void NextFrame();
    QList<QPixmap> m_frames;
    QTimer* m_timer = nullptr;
    int m_nFrame = 0;
};

} // namespace tw
