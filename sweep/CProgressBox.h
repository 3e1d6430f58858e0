// SPDX-License-Identifier: GPL-3.0-or-later
// "Tarnowick Secure Delete Progress": the modeless box a sweep shows while it
// counts and then wipes.
#pragma once

#include "sweep/ProgressModel.h"

#include <QDialog>

class QLineEdit;
class QProgressBar;

namespace tw {

class CProgressBox : public QDialog {
    Q_OBJECT
public:
    explicit CProgressBox(QWidget* parent = nullptr);

    void ShowScanning();
    void ShowDeleting();
    void ShowWriting();  // a saved report being written
    void SetRange(long long n);
    void Step(int k);

    QString m_strText;
    QProgressBar* m_pProgress = nullptr;
    QLineEdit* m_editText = nullptr;
    const ProgressModel& Model() const { return m_model; }

protected:
    // The box lives for the whole command: Escape and the close box do
    // nothing, and only the command that created it takes it down.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowText(const QString& text);
    ProgressModel m_model;
};

} // namespace tw
