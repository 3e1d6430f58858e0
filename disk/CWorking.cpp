// SPDX-License-Identifier: GPL-3.0-or-later
// The Working window: eight 50x50 frames cut from one strip, shown in turn
// by a timer of the GUI thread.
#include "disk/CWorking.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace tw {

CWorking::CWorking(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(tr("Tarnowick Secure Delete Working"));
    setModal(false);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(10, 10, 20, 10);
    layout->setHorizontalSpacing(20);
    m_animate = new QLabel(this);
    m_animate->setObjectName(QStringLiteral("IDC_ANIMATE"));
    m_animate->setFixedSize(kFrameSize, kFrameSize);
    m_animate->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_animate, 0, 0);
    auto* text = new QLabel(tr("Working ..."), this);
    text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Wide enough for the whole caption in the title bar beside its icon
    // and buttons (the title font is usually the bold of the dialog's).
    QFont title = font();
    title.setBold(true);
    const int captionWidth = QFontMetrics(title).horizontalAdvance(windowTitle()) + 140;
    text->setMinimumWidth(std::max(0, captionWidth - kFrameSize - 10 - 20 - 20));
    layout->addWidget(text, 0, 1);
    layout->setColumnStretch(2, 1);

    // The figures change twice a second; a width that holds a typical line
    // keeps the window from changing size with every update.
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("IDC_FILL_STATUS"));
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setMinimumWidth(QFontMetrics(m_status->font()).horizontalAdvance(
        tr("D: /home — 888.8 GiB of 888.8 GiB, 888 MB/s, about 88 h 88 min left",
           "a long progress line, to measure the window's width by")));
    m_status->hide();
    layout->addWidget(m_status, 1, 0, 1, 3);
    // The window takes the size its contents ask for: small without the
    // figures, wider once they show or a long mount point needs it.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const QPixmap strip(QStringLiteral(":/res/working.png"));
    if (!strip.isNull())
        for (int i = 0; i < kFrames; ++i)
            m_frames.append(strip.copy(i * kFrameSize, 0, kFrameSize, kFrameSize));
    if (!m_frames.isEmpty())
        m_animate->setPixmap(m_frames.first());

    // The operation runs on the worker thread, so the GUI thread is free and
    // its timer keeps the animation moving for the whole command.
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval((1000 + kFramesPerSecond / 2) / kFramesPerSecond);
    connect(m_timer, &QTimer::timeout, this, &CWorking::NextFrame);
}

void CWorking::SetStatusText(const QString& text)
{
    m_status->setText(text);
    if (m_status->isVisibleTo(this) == !text.isEmpty())
        return;
    // The window grows (or shrinks) about its centre, where it was put.
    const QPoint centre = geometry().center();
    m_status->setVisible(!text.isEmpty());
    adjustSize();
    if (isVisible())
        move(pos() + centre - geometry().center());
}

void CWorking::showEvent(QShowEvent* event)
{
    // QDialog centres itself on its parent the first time it is shown.
    QDialog::showEvent(event);
    if (!m_frames.isEmpty())
        m_timer->start();
}

void CWorking::hideEvent(QHideEvent* event)
{
    m_timer->stop();
    QDialog::hideEvent(event);
}

// The window goes when its command ends, not before: the close box and
// Escape cannot stop an overwrite half-way, so they do nothing.
void CWorking::closeEvent(QCloseEvent* event) { event->ignore(); }

void CWorking::reject() {}

void CWorking::NextFrame()
{
    if (m_frames.isEmpty())
        return;
    m_nFrame = (m_nFrame + 1) % int(m_frames.size());
    m_animate->setPixmap(m_frames[m_nFrame]);
    emit frameShown(m_nFrame);
}

} // namespace tw
