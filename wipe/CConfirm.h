// SPDX-License-Identifier: GPL-3.0-or-later
// "Secure Delete Confirm": asked once per picked file unless "Yes To All".
#pragma once

#include <QDialog>

class QFontMetrics;
class QKeyEvent;
class QLineEdit;
class QPushButton;

namespace tw {

class CConfirm : public QDialog {
    Q_OBJECT
public:
    explicit CConfirm(QWidget* parent = nullptr);

    QString m_strFile;

    // Loads m_strFile into the field; called by showEvent.
    void LoadFields();

    QPushButton* m_btnYes = nullptr;
    QPushButton* m_btnYesToAll = nullptr;
    QPushButton* m_btnNo = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QLineEdit* m_editFile = nullptr;

    // The path as the field shows it within `width` pixels: whole when it
    // fits, else with the middle of the directory part cut out so that the
    // file's name stays readable.
    static QString FitPath(const QString& path, const QFontMetrics& metrics, int width);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
};

} // namespace tw
