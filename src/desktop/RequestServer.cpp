#include "desktop/RequestServer.h"

#include "ui/RequestChannel.h"

#include <QLocalSocket>

#include <stdexcept>
#include <sys/stat.h>

namespace desktop {

namespace {

// A request larger than this is not a command anybody types.
constexpr qint64 kMaxRequest = 64 * 1024;

} // namespace

RequestServer::RequestServer(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server.nextPendingConnection())
            serve(client);
    });
}

RequestServer::~RequestServer() {
    if (m_server.isListening()) {
        m_server.close();
        std::error_code ignored;
        std::filesystem::remove(m_socket, ignored);
    }
}

bool RequestServer::listen(const std::filesystem::path& socket) {
    ui::ensurePrivateFolder(socket.parent_path());
    const QString name = QString::fromStdString(socket.string());
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(1000))
        return false;
    QLocalServer::removeServer(name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(name))
        throw std::runtime_error("Cannot listen for requests on \"" + socket.string() +
                                 "\": " + m_server.errorString().toStdString());
    // The folder already keeps other users out; the socket's own mode says so too.
    ::chmod(socket.c_str(), 0600);
    m_socket = socket;
    return true;
}

void RequestServer::serve(QLocalSocket* client) {
    client->setParent(this);
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    connect(client, &QLocalSocket::readyRead, this, [this, client] {
        const QByteArray buffered = client->peek(kMaxRequest + 1);
        const qsizetype end = buffered.indexOf(ui::kRequestEnd);
        if (end < 0) {
            if (buffered.size() > kMaxRequest)
                client->abort();
            return;
        }
        const std::string command = client->read(end + 1).left(end).toStdString();
        client->write(QByteArray(1, ui::kRequestAcknowledged));
        client->flush();
        // Carried out from the event loop, not inside this read: it may show a box, which must
        // not keep the client waiting, nor run with the socket's handler on the stack.
        QMetaObject::invokeMethod(
            this, [this, command] { m_handler(command); }, Qt::QueuedConnection);
    });
}

} // namespace desktop
