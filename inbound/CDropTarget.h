// SPDX-License-Identifier: GPL-3.0-or-later
// Files dropped on the main window. While a drag is over the window, the
// cursor (accepted or refused) and a hint in the status bar say what a
// drop will do; a drop hands the local names to the frame's walk.
#pragma once

#include <QObject>
#include <QString>

class QMimeData;

namespace tw {

class CMainFrame;
struct DroppedNames;

class CDropTarget : public QObject {
    Q_OBJECT
public:
    explicit CDropTarget(CMainFrame* frame);

    // What a drop of `data` would do now: accepted or not, and the hint.
    struct Verdict {
        bool accept = false;
        Qt::DropAction action = Qt::IgnoreAction;
        QString hint;
    };
    Verdict Judge(const QMimeData* data, Qt::DropActions offered) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CMainFrame* m_pFrame;
};

// The names in a drop's "text/uri-list", read from its raw bytes.
DroppedNames DroppedFiles(const QMimeData* data);

} // namespace tw
