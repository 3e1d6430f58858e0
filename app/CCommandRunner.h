// SPDX-License-Identifier: GPL-3.0-or-later
// One command at a time: its operation runs on a worker thread while the
// main window keeps painting but takes no input. Run() returns when the
// operation has ended, so a command handler reads as one straight sequence.
#pragma once

#include "core/OperationHost.h"

#include <QObject>

#include <functional>
#include <string>

class QWidget;

namespace tw {

class CCommandRunner : public QObject {
    Q_OBJECT
public:
    explicit CCommandRunner(QWidget* frame);
    ~CCommandRunner() override;

    bool IsBusy() const { return m_bBusy; }
    // The error that ended the last command, empty when none did.
    const std::string& LastFailure() const { return m_strFailure; }

    // Runs `body` on a worker thread with `host` answering its questions.
    // A FileException or any other error that leaves the body ends the
    // command and is reported in one message box after every window the
    // command opened is gone.
    // Nothing is started once the program has been asked to stop.
    void Run(IOperationHost& host, const std::function<void(IOperationHost&)>& body);

signals:
    // A command started by Run has ended.
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_pFrame;
    bool m_bBusy = false;
    std::string m_strFailure;
};

} // namespace tw
