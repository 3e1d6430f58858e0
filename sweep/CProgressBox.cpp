// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep/CProgressBox.h"

#include "help/DialogHelp.h"
#include "help/HelpContent.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace tw {

CProgressBox::CProgressBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    setWindowTitle(tr("Tarnowick Secure Delete Progress"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setObjectName(QStringLiteral("IDC_PROGRESS"));
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_pProgress->setTextVisible(false);
    m_pProgress->setMinimumWidth(215);
    layout->addWidget(m_pProgress);
    m_editText = new QLineEdit(this);
    m_editText->setObjectName(QStringLiteral("IDC_PROGRESS_TEXT"));
    m_editText->setReadOnly(true);
    m_editText->setFrame(false);
    // The phase text takes the focus the box is given, so that F1 there
    // shows its topic.
    m_editText->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(m_editText);
    setFocusProxy(m_editText);
    InstallContextHelp(this, kProgressBoxId, {{m_pProgress, 1043}, {m_editText, 1052}});
    // Wide enough for the whole caption in the title bar beside its buttons
    // (the title font is usually the bold of the dialog's).
    QFont title = font();
    title.setBold(true);
    const int captionWidth = QFontMetrics(title).horizontalAdvance(windowTitle()) + 140;
    setFixedSize(sizeHint().expandedTo(QSize(std::max(288, captionWidth), 81)));
}

void CProgressBox::reject() {}

void CProgressBox::closeEvent(QCloseEvent* event) { event->ignore(); }

void CProgressBox::ShowText(const QString& text)
{
    m_strText = text;
    m_editText->setText(m_strText);
    m_editText->setCursorPosition(0);
    repaint();
}

void CProgressBox::ShowScanning() { ShowText(tr(" Scanning for Files ...")); }
void CProgressBox::ShowDeleting() { ShowText(tr(" Deleting Files ...")); }
void CProgressBox::ShowWriting() { ShowText(tr(" Writing the Report ...")); }

void CProgressBox::SetRange(long long n)
{
    m_model.SetRange(n);
    // A range of 0..0 would turn the bar into a busy indicator; an empty
    // bar of one step shows "nothing to do" instead.
    m_pProgress->setRange(0, int(m_model.Range() > 0 ? m_model.Range() : 1));
    m_pProgress->setValue(0);
}

void CProgressBox::Step(int k)
{
    m_model.Step(k);
    m_pProgress->setValue(int(m_model.Position()));
}

} // namespace tw
