// SPDX-License-Identifier: GPL-3.0-or-later
// The lock keys' indicators as the keyboard shows them: Caps Lock, Num Lock
// and Scroll Lock. On X11 they are read from the keyboard extension, which
// also reports every change; where the platform does not tell, nothing is
// known and every lock reads as off.
#pragma once

#include <QObject>

#include <memory>

class QLabel;

namespace tw {

class CKeyIndicators : public QObject {
    Q_OBJECT
public:
    struct State {
        bool caps = false;
        bool num = false;
        bool scroll = false;
        bool operator==(const State&) const = default;
    };

    explicit CKeyIndicators(QObject* parent = nullptr);
    ~CKeyIndicators() override;

    // False where the platform gives no indicator state (Wayland, offscreen).
    bool Available() const;
    State Current() const { return m_state; }

signals:
    void changed(tw::CKeyIndicators::State state);

private:
    void Refresh();
    void ReadEvents();

    struct X11;
    std::unique_ptr<X11> m_x11;
    State m_state;
};

// The status bar's key-state panes: "CAP", "NUM", "SCRL" while the lock is
// on, blank while it is off or where the platform does not tell.
void ShowKeyIndicators(QLabel* caps, QLabel* num, QLabel* scroll);

} // namespace tw
