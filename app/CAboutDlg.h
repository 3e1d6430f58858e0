// SPDX-License-Identifier: GPL-3.0-or-later
// "About Tarnowick Secure Delete".
#pragma once

#include <QDialog>

namespace tw {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace tw
