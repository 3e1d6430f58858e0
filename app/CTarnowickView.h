// SPDX-License-Identifier: GPL-3.0-or-later
// The view: an empty client area. The program keeps no document data.
#pragma once

#include <QWidget>

namespace tw {

class CTarnowickView : public QWidget {
    Q_OBJECT
public:
    explicit CTarnowickView(QWidget* parent = nullptr) : QWidget(parent)
    {
        setObjectName(QStringLiteral("CTarnowickView"));
        setBackgroundRole(QPalette::Base);
        setAutoFillBackground(true);
    }
};

// The document: nothing to store or load. Opening a file named on the
// command line only proves that it can be read.
class CTarnowickDoc {
public:
    bool OnNewDocument() { return true; }
};

} // namespace tw
