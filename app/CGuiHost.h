// SPDX-License-Identifier: GPL-3.0-or-later
// The window's answer to an operation's questions: each one is a modal
// dialog on the GUI thread while the worker waits.
#pragma once

#include "app/OperationHost.h"

#include <QString>

class QWidget;

namespace tw {

class CGuiHost : public IOperationHost {
public:
    explicit CGuiHost(QWidget* frame) : m_pFrame(frame) {}

    int Confirm(const std::string& path) override;
    int FileError(const std::string& file, const std::string& message) override;
    int DiskError(const std::string& text) override;
    void Message(const std::string& text) override;
    void Warning(const std::string& text) override;
    std::unique_ptr<IProgress> CreateProgress() override;
    std::unique_ptr<IScopedWindow> ShowWorking() override;

private:
    QWidget* m_pFrame;
};

// Byte strings from the engine shown as text. Names need not be UTF-8.
QString ShowText(const std::string& bytes);

} // namespace tw
