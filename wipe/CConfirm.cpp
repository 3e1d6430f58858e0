// SPDX-License-Identifier: GPL-3.0-or-later
#include "wipe/CConfirm.h"

#include "core/CommandIds.h"
#include "help/DialogHelp.h"
#include "help/HelpContent.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tw {

CConfirm::CConfirm(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Secure Delete Confirm"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Secure Delete File:"), this));
    m_editFile = new QLineEdit(this);
    m_editFile->setObjectName(QStringLiteral("IDC_FILE_NAME"));
    m_editFile->setReadOnly(true);
    m_editFile->setAlignment(Qt::AlignCenter);
    m_editFile->setMinimumWidth(360);
    layout->addWidget(m_editFile);

    auto* buttons = new QHBoxLayout;
    auto makeButton = [this, buttons](const QString& text, const char* name, int result) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        // No default button, not even a hidden one: Enter presses the button
        // that has the focus (keyPressEvent), and nothing else.
        b->setAutoDefault(false);
        b->setDefault(false);
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        buttons->addWidget(b);
        return b;
    };
    m_btnYes = makeButton(tr("Yes"), "IDC_YES", IDC_YES);
    m_btnYesToAll = makeButton(tr("Yes To All"), "IDC_YES_TO_ALL", IDC_YES_TO_ALL);
    m_btnNo = makeButton(tr("No"), "IDC_NO", IDC_NO);
    m_btnCancel = makeButton(tr("Cancel"), "IDCANCEL", IDCANCEL);
    layout->addLayout(buttons);

    // "Cancel" comes first in the tab order, so Enter on a fresh dialog cancels.
    setTabOrder(m_btnCancel, m_btnYes);
    setTabOrder(m_btnYes, m_btnYesToAll);
    setTabOrder(m_btnYesToAll, m_btnNo);
    setTabOrder(m_btnNo, m_editFile);
    InstallContextHelp(this, kConfirmDialogId,
                       {{m_editFile, 1004}, {m_btnYes, IDC_YES}, {m_btnYesToAll, IDC_YES_TO_ALL},
                        {m_btnNo, IDC_NO}, {m_btnCancel, IDCANCEL}});
    setFixedSize(sizeHint());
}

QString CConfirm::FitPath(const QString& path, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString name = path.mid(slash + 1);
    const QString directory = path.left(slash + 1);
    const int nameWidth = metrics.horizontalAdvance(name);
    const int ellipsis = metrics.horizontalAdvance(QChar(0x2026));
    if (slash < 0 || nameWidth + ellipsis * 2 >= width)
        return metrics.elidedText(path, Qt::ElideMiddle, width);
    return metrics.elidedText(directory, Qt::ElideMiddle, width - nameWidth) + name;
}

void CConfirm::LoadFields()
{
    // The field grows with the path up to the width of the screen; a path
    // longer than that loses the middle of its directory part, never its
    // name. The whole path is the field's tooltip.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int frame = width() - m_editFile->width();  // the dialog around the field
    const int padding = 16;  // the field's own frame and margins
    const int widest = screen ? screen->availableGeometry().width() - std::max(frame, 0) - 40 : 1200;
    const QFontMetrics metrics = m_editFile->fontMetrics();
    const int wanted = metrics.horizontalAdvance(m_strFile) + padding;
    const int fieldWidth = std::clamp(wanted, 360, std::max(widest, 360));
    m_editFile->setText(FitPath(m_strFile, metrics, fieldWidth - padding));
    m_editFile->setToolTip(m_strFile);
    m_editFile->setAccessibleDescription(m_strFile);
    m_editFile->setMinimumWidth(fieldWidth);
    m_editFile->setCursorPosition(0);
    setFixedSize(sizeHint());
    m_btnCancel->setFocus();
}

void CConfirm::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Enter on a button is that button; anywhere else it destroys
        // nothing: "No" for this file.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else
            done(IDC_NO);
        return;
    }
    QDialog::keyPressEvent(event);
}

void CConfirm::showEvent(QShowEvent* event)
{
    LoadFields();
    QDialog::showEvent(event);
    // The focus is drawn from the start, not only after the first Tab: the
    // user sees that Cancel, the button Enter presses, has it, and sees the
    // mark move with Tab, as in the error dialogs.
    setAttribute(Qt::WA_KeyboardFocusChange, true);
}

void CConfirm::reject() { done(IDCANCEL); }

} // namespace tw
