// SPDX-License-Identifier: GPL-3.0-or-later
#include "disk/CWorking.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

namespace tw {

CWorking::CWorking(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Tarnowick Secure Delete Working"));
    setModal(false);
    auto* layout = new QHBoxLayout(this);
    m_animate = new QLabel(this);
    m_animate->setObjectName(QStringLiteral("IDC_ANIMATE"));
    m_animate->setFixedSize(50, 50);
    layout->addWidget(m_animate);
    layout->addWidget(new QLabel(QStringLiteral("Working ..."), this));

    // Eight 50x50 frames side by side in one strip.
    const QPixmap strip(QStringLiteral(":/res/working.png"));
    for (int i = 0; i < 8 && !strip.isNull(); ++i)
        m_frames.append(strip.copy(i * 50, 0, 50, 50));

    // The operation runs on the worker thread, so the GUI thread's timer
    // keeps the animation moving for the whole command: 15 frames a second.
    m_timer = new QTimer(this);
    m_timer->setInterval(1000 / 15);
    connect(m_timer, &QTimer::timeout, this, &CWorking::NextFrame);
    m_timer->start();
    if (!m_frames.isEmpty())
        m_animate->setPixmap(m_frames.first());
}

void CWorking::NextFrame()
{
    m_nFrame = (m_nFrame + 1) % 8;
    if (!m_frames.isEmpty())
        m_animate->setPixmap(m_frames[m_nFrame]);
}

} // namespace tw
