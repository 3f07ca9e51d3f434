#pragma once
// The server of the local request channel: listens on the channel's socket from start to end of
// the window, also while a run pumps events. Each request is acknowledged when it has arrived,
// whatever its text, and handed to the handler from the event loop.

#include <QLocalServer>
#include <QString>

#include <filesystem>
#include <functional>
#include <string>

namespace desktop {

class RequestServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const std::string& command)>;

    RequestServer(Handler handler, QObject* parent = nullptr);
    ~RequestServer() override;

    // Listens on `socket` (mode 0600), whose folder must be private; a stale socket nobody
    // serves is replaced. False when another program already serves it.
    bool listen(const std::filesystem::path& socket);
    const std::filesystem::path& socketPath() const { return m_socket; }

private:
    void serve(class QLocalSocket* client);

    Handler m_handler;
    QLocalServer m_server;
    std::filesystem::path m_socket;
};

} // namespace desktop
