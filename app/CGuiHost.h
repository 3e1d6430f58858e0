// SPDX-License-Identifier: GPL-3.0-or-later
// The window's answer to an operation's questions: each one is a modal
// dialog on the GUI thread while the worker waits.
#pragma once

#include "core/OperationHost.h"

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

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
    // Hands each item's outcome to the sink, on the worker thread.
    void Record(const ItemResult& item) override
    {
        if (m_recordSink)
            m_recordSink(item);
    }
    // Set once, before the first command runs.
    void SetRecordSink(std::function<void(const ItemResult&)> sink) { m_recordSink = std::move(sink); }

    // What a command told the user and how the user answered, for its
    // record: cleared when a command begins, read when it has ended.
    struct CommandLog {
        bool cancelled = false;         // Cancel Operation, or Cancel at a question
        long long range = -1;           // the count the progress box was given
        std::vector<std::string> notes; // messages and warnings, in order
    };
    void BeginCommandLog();
    CommandLog TakeCommandLog();

private:
    void Answered(int answer);
    void Note(const std::string& text);

    QWidget* m_pFrame;
    std::function<void(const ItemResult&)> m_recordSink;
    std::mutex m_logMutex;
    CommandLog m_log;
};

// Byte strings from the engine shown as text. Names need not be UTF-8.
QString ShowText(const std::string& bytes);

} // namespace tw
