// SPDX-License-Identifier: GPL-3.0-or-later
#include "inbound/CInstanceServer.h"

#include "inbound/HandOff.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <memory>

namespace tw {

CInstanceServer::CInstanceServer(QObject* parent)
    : QObject(parent)
{
}

CInstanceServer::~CInstanceServer()
{
    if (m_pServer) {
        m_pServer->close();
        RemoveHandOffSocket(m_path, m_socketId);
    }
}

bool CInstanceServer::Listen(const std::string& path, std::string* why)
{
    if (m_pServer)
        return false;
    const int fd = ListenForHandOff(path, &m_socketId, why);
    if (fd < 0)
        return false;
    m_pServer = new QLocalServer(this);
    if (!m_pServer->listen(qintptr(fd))) {
        if (why)
            *why = m_pServer->errorString().toStdString();
        delete m_pServer;
        m_pServer = nullptr;
        RemoveHandOffSocket(path, m_socketId);
        return false;
    }
    m_path = path;
    connect(m_pServer, &QLocalServer::newConnection, this, &CInstanceServer::OnNewConnection);
    return true;
}

bool CInstanceServer::IsListening() const { return m_pServer && m_pServer->isListening(); }

void CInstanceServer::OnNewConnection()
{
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The directory keeps other users out; the peer's credentials are
        // checked as well, so that names never come from anyone else.
        if (!PeerIsSameUser(int(socket->socketDescriptor()))) {
            socket->abort();
            continue;
        }
        auto decoder = std::make_shared<HandOffDecoder>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, decoder] { OnReadyRead(socket, decoder.get()); });
        connect(socket, &QLocalSocket::readChannelFinished, socket, [socket, decoder] {
            // Closed before the message was whole.
            if (decoder->Finish() == HandOffDecoder::Invalid && socket->state() == QLocalSocket::ConnectedState) {
                socket->write("ERR incomplete\n");
                socket->disconnectFromServer();
            }
        });
        if (socket->bytesAvailable() > 0)
            OnReadyRead(socket, decoder.get());
    }
}

void CInstanceServer::OnReadyRead(QLocalSocket* socket, HandOffDecoder* decoder)
{
    const QByteArray bytes = socket->readAll();
    switch (decoder->Feed(bytes.constData(), size_t(bytes.size()))) {
    case HandOffDecoder::NeedMore:
        return;
    case HandOffDecoder::Invalid:
        socket->write("ERR invalid\n");
        socket->disconnectFromServer();
        return;
    case HandOffDecoder::Complete:
        // The answer goes out first: the sender is a launcher that should
        // end now, not when the user has answered every question.
        socket->write("OK\n");
        socket->disconnectFromServer();
        emit namesReceived(decoder->Names());
        return;
    }
}

} // namespace tw
