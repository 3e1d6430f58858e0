// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/CHelpWindow.h"

#include "help/HelpManual.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QStyle>

#include <algorithm>
#include <QVBoxLayout>

namespace tw {

namespace {
QPointer<CHelpWindow> s_window;
constexpr int kUrlRole = Qt::UserRole;
} // namespace

CHelpWindow::CHelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("CHelpWindow"));
    setWindowTitle(tr("Tarnowick Help"));
    if (!parent)
        setAttribute(Qt::WA_DeleteOnClose);
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }

    auto* back = new QToolButton(this);
    back->setText(tr("Back"));
    back->setIcon(QIcon::fromTheme(QStringLiteral("go-previous")));
    back->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* forward = new QToolButton(this);
    forward->setText(tr("Forward"));
    forward->setIcon(QIcon::fromTheme(QStringLiteral("go-next")));
    forward->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* home = new QToolButton(this);
    home->setText(tr("Contents"));
    home->setIcon(QIcon::fromTheme(QStringLiteral("go-home")));
    home->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(home);
    buttons->addStretch(1);

    m_pContents = new QTreeWidget(this);
    m_pContents->setObjectName(QStringLiteral("contents"));
    m_pContents->setHeaderHidden(true);
    m_pContents->setColumnCount(1);
    m_pBrowser = new QTextBrowser(this);
    m_pBrowser->setObjectName(QStringLiteral("topic"));
    m_pBrowser->setOpenLinks(true);
    m_pBrowser->setOpenExternalLinks(true);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_pContents);
    splitter->addWidget(m_pBrowser);
    splitter->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    FillContents();
    // The contents are as wide as their longest entry at its depth, so no
    // entry is cut; the topic keeps its width beside them.
    const int contentsWidth = ContentsWidth();
    splitter->setSizes({contentsWidth, 600});
    resize(contentsWidth + 620, 580);

    connect(back, &QToolButton::clicked, m_pBrowser, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, m_pBrowser, &QTextBrowser::forward);
    connect(home, &QToolButton::clicked, this, &CHelpWindow::ShowContents);
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_pBrowser, &QTextBrowser::sourceChanged, this, &CHelpWindow::SyncContents);
    connect(m_pContents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && m_pBrowser->source() != item->data(0, kUrlRole).toUrl())
            m_pBrowser->setSource(item->data(0, kUrlRole).toUrl());
    });

    ShowContents();
}

int CHelpWindow::ContentsWidth() const
{
    const QFontMetrics metrics(m_pContents->font());
    int widest = 0;
    for (QTreeWidgetItemIterator it(m_pContents); *it; ++it) {
        int depth = 1;  // the top level has the room of its expand sign too
        for (const QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
            ++depth;
        widest = std::max(widest, depth * m_pContents->indentation() + metrics.horizontalAdvance((*it)->text(0)));
    }
    // The frame, the item margins and a vertical scroll bar.
    return widest + 2 * m_pContents->frameWidth() + 16
        + m_pContents->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

void CHelpWindow::FillContents()
{
    const HelpManual& manual = HelpManual::Get();
    for (const HelpPage& page : manual.Pages()) {
        auto* pageItem = new QTreeWidgetItem(m_pContents, {page.title});
        pageItem->setData(0, kUrlRole, HelpUrl(page.file));
        // Sections (<h2>) under their page, subsections (<h3>) under them.
        QTreeWidgetItem* section = nullptr;
        for (const QString& anchor : page.anchors) {
            const HelpTopic* topic = manual.Topic(anchor);
            if (!topic || topic->level < 2 || topic->level > 3)
                continue;
            QTreeWidgetItem* under = topic->level == 3 && section ? section : pageItem;
            auto* item = new QTreeWidgetItem(under, {topic->title});
            item->setData(0, kUrlRole, HelpUrl(page.file + QLatin1Char('#') + anchor));
            item->setToolTip(0, topic->title);
            if (topic->level == 2)
                section = item;
        }
    }
}

void CHelpWindow::SyncContents(const QUrl& source)
{
    // The deepest item for this address: the topic, else its page.
    QTreeWidgetItem* best = nullptr;
    QUrl page = source;
    page.setFragment(QString());
    for (QTreeWidgetItemIterator it(m_pContents); *it; ++it) {
        const QUrl url = (*it)->data(0, kUrlRole).toUrl();
        if (url == source) {
            best = *it;
            break;
        }
        if (!best && url == page)
            best = *it;
    }
    if (!best || best == m_pContents->currentItem())
        return;
    const QSignalBlocker blocker(m_pContents);
    m_pContents->setCurrentItem(best);
    m_pContents->scrollToItem(best);
}

void CHelpWindow::ShowContents()
{
    m_pBrowser->setSource(HelpUrl(QStringLiteral("index.html")));
}

void CHelpWindow::ShowTopic(const QString& anchorOrHref)
{
    if (anchorOrHref.contains(QLatin1String(".html")))
        m_pBrowser->setSource(HelpUrl(anchorOrHref));
    else
        m_pBrowser->setSource(HelpTopicUrl(anchorOrHref));
}

QString CHelpWindow::CurrentAnchor() const
{
    return m_pBrowser->source().fragment();
}

CHelpWindow* CHelpWindow::Current()
{
    return s_window;
}

CHelpWindow* CHelpWindow::Open(QWidget* /*owner*/)
{
    // A window of its own, never a child of the dialog it was opened from:
    // it stays when that dialog closes. The program's dialogs are modal to
    // their own windows only (RunModal), so it takes input beside them.
    if (!s_window)
        s_window = new CHelpWindow(nullptr);
    s_window->show();
    s_window->raise();
    s_window->activateWindow();
    return s_window;
}

} // namespace tw
