// SPDX-License-Identifier: GPL-3.0-or-later
// The running instance's end of `tarnowick --delete`: listens on the
// user's hand-off socket and passes each message's file names on.
#pragma once

#include "inbound/HandOffMessage.h"

#include <QObject>

#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace tw {

class CInstanceServer : public QObject {
    Q_OBJECT
public:
    explicit CInstanceServer(QObject* parent = nullptr);
    ~CInstanceServer() override;

    // Listens at `path`. False when another instance already does, or when
    // it cannot listen (the reason in `why`); the window works without.
    bool Listen(const std::string& path, std::string* why = nullptr);
    bool IsListening() const;
    const std::string& Path() const { return m_path; }

signals:
    // The names of one `tarnowick --delete`, in order, as raw bytes.
    void namesReceived(const std::vector<std::string>& names);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket, HandOffDecoder* decoder);

    QLocalServer* m_pServer = nullptr;
    std::string m_path;
    unsigned long long m_socketId = 0;
};

} // namespace tw
