// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/KeyIndicators.h"

#include <QGuiApplication>
#include <QLabel>
#include <QSocketNotifier>

#ifdef TARNOWICK_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace tw {

#ifdef TARNOWICK_HAVE_X11
// A connection of our own to the X server: Qt's is not ours to read from.
// The server sends an event whenever an indicator changes.
struct CKeyIndicators::X11 {
    Display* display = nullptr;
    int xkbEvent = 0;
    unsigned capsMask = 0;
    unsigned numMask = 0;
    unsigned scrollMask = 0;
    std::unique_ptr<QSocketNotifier> notifier;

    ~X11()
    {
        notifier.reset();
        if (display)
            XCloseDisplay(display);
    }

    unsigned MaskOf(const char* name)
    {
        const Atom atom = XInternAtom(display, name, False);
        int index = -1;
        if (!XkbGetNamedIndicator(display, atom, &index, nullptr, nullptr, nullptr) || index < 0 || index > 31)
            return 0;
        return 1u << index;
    }
};
#else
struct CKeyIndicators::X11 {};
#endif

CKeyIndicators::CKeyIndicators(QObject* parent)
    : QObject(parent)
{
#ifdef TARNOWICK_HAVE_X11
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    int reason = 0;
    Display* display = XkbOpenDisplay(nullptr, &event, &error, &major, &minor, &reason);
    if (!display)
        return;
    (void)opcode;
    auto x11 = std::make_unique<X11>();
    x11->display = display;
    x11->xkbEvent = event;
    x11->capsMask = x11->MaskOf("Caps Lock");
    x11->numMask = x11->MaskOf("Num Lock");
    x11->scrollMask = x11->MaskOf("Scroll Lock");
    XkbSelectEvents(display, XkbUseCoreKbd, XkbIndicatorStateNotifyMask, XkbIndicatorStateNotifyMask);
    x11->notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    connect(x11->notifier.get(), &QSocketNotifier::activated, this, &CKeyIndicators::ReadEvents);
    m_x11 = std::move(x11);
    Refresh();
    XFlush(display);
#endif
}

CKeyIndicators::~CKeyIndicators() = default;

bool CKeyIndicators::Available() const
{
    return m_x11 != nullptr;
}

void CKeyIndicators::Refresh()
{
#ifdef TARNOWICK_HAVE_X11
    if (!m_x11)
        return;
    unsigned lit = 0;
    if (XkbGetIndicatorState(m_x11->display, XkbUseCoreKbd, &lit) != Success)
        return;
    State state;
    state.caps = (lit & m_x11->capsMask) != 0;
    state.num = (lit & m_x11->numMask) != 0;
    state.scroll = (lit & m_x11->scrollMask) != 0;
    if (state == m_state)
        return;
    m_state = state;
    emit changed(m_state);
#endif
}

void CKeyIndicators::ReadEvents()
{
#ifdef TARNOWICK_HAVE_X11
    if (!m_x11)
        return;
    // Reading the state may queue further events, which the socket then no
    // longer announces: drain until nothing is left.
    for (;;) {
        bool indicators = false;
        while (XPending(m_x11->display) > 0) {
            XEvent event;
            XNextEvent(m_x11->display, &event);
            if (event.type == m_x11->xkbEvent)
                indicators = true;
        }
        if (!indicators)
            break;
        Refresh();
    }
#endif
}

void ShowKeyIndicators(QLabel* caps, QLabel* num, QLabel* scroll)
{
    // Each pane keeps the width of its text, so that the bar does not move
    // when a lock goes on or off.
    const std::pair<QLabel*, QString> panes[] = {
        {caps, CKeyIndicators::tr("CAP")}, {num, CKeyIndicators::tr("NUM")}, {scroll, CKeyIndicators::tr("SCRL")}};
    for (const auto& [label, text] : panes) {
        label->setText(QString());
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 2 * label->frameWidth() + 8);
        label->setAlignment(Qt::AlignCenter);
    }
    auto* indicators = new CKeyIndicators(caps);
    const auto show = [caps, num, scroll](CKeyIndicators::State state) {
        caps->setText(state.caps ? CKeyIndicators::tr("CAP") : QString());
        num->setText(state.num ? CKeyIndicators::tr("NUM") : QString());
        scroll->setText(state.scroll ? CKeyIndicators::tr("SCRL") : QString());
    };
    QObject::connect(indicators, &CKeyIndicators::changed, caps, show);
    show(indicators->Current());
}

} // namespace tw
