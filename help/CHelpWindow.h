// SPDX-License-Identifier: GPL-3.0-or-later
// The help window: the manual's contents on the left, the chosen topic
// beside it. One per program; opened by Help > "Index", F1 and the links of
// the context-help pop-ups.
#pragma once

#include <QWidget>

class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace tw {

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // The program's help window, created on first use and shown, raised and
    // activated. A top-level window of its own whatever `owner` is: closing
    // the dialog it was opened from leaves it open. Escape and Ctrl+W close it.
    static CHelpWindow* Open(QWidget* owner);
    static CHelpWindow* Current();  // null while none exists

    void ShowContents();
    // A topic by its anchor ("cmd-delete-file"), or a link of the manual
    // ("sweeps.html#cmd-delete-cache"); unknown ones show the contents.
    void ShowTopic(const QString& anchorOrHref);

    QTextBrowser* Browser() const { return m_pBrowser; }
    QTreeWidget* Contents() const { return m_pContents; }
    QString CurrentAnchor() const;  // the topic shown, or "" for a whole page

private:
    void FillContents();
    // The width the contents need to show every entry whole.
    int ContentsWidth() const;
    void SyncContents(const QUrl& source);

    QTreeWidget* m_pContents = nullptr;
    QTextBrowser* m_pBrowser = nullptr;
};

} // namespace tw
