#include "pg/DelayProxy.h"

#include <QByteArray>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The startup phase's requests after which another startup packet follows.
constexpr quint32 kSslRequest = 80877103;
constexpr quint32 kGssRequest = 80877104;

quint32 bigEndian32(const unsigned char* p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

// Reads the client's side of the protocol as it streams past, chunk by
// chunk, a header possibly split between two chunks.
class ClientMessages {
public:
    // The statements among the bytes.
    int feed(const char* data, size_t size)
    {
        int statements = 0;
        while (size > 0) {
            if (m_skip > 0) {
                const size_t k = std::min<size_t>(size, m_skip);
                data += k;
                size -= k;
                m_skip -= k;
                continue;
            }
            // Startup packets: length and code; messages: type and length.
            const size_t header = m_startup ? 8 : 5;
            const size_t k = std::min(size, header - m_have);
            std::memcpy(m_head + m_have, data, k);
            m_have += k;
            data += k;
            size -= k;
            if (m_have < header)
                continue;
            m_have = 0;
            if (m_startup) {
                const quint32 length = bigEndian32(m_head);
                const quint32 code = bigEndian32(m_head + 4);
                m_skip = length > 8 ? length - 8 : 0;
                if (code != kSslRequest && code != kGssRequest)
                    m_startup = false;
            } else {
                const quint32 length = bigEndian32(m_head + 1);
                m_skip = length > 4 ? length - 4 : 0;
                if (m_head[0] == 'Q' || m_head[0] == 'E')
                    ++statements;
            }
        }
        return statements;
    }

private:
    bool m_startup = true;
    unsigned char m_head[8] = {};
    size_t m_have = 0;
    size_t m_skip = 0;
};

struct Chunk {
    Clock::time_point due;
    QByteArray bytes;
    qsizetype sent = 0;
};

// One direction of a connection: what was read from one end and is still
// to be written to the other.
struct Direction {
    int from = -1;
    int to = -1;
    std::deque<Chunk> held;
    bool ended = false; // the reading end closed
    bool shut = false;  // and the writing end was told so
    bool blocked = false;
};

struct Link {
    Direction up;   // client to server
    Direction down; // server to client
    ClientMessages messages;
    bool broken = false;
};

void setNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

} // namespace

struct DelayProxy::Loop {
    std::vector<std::unique_ptr<Link>> links;
};

DelayProxy::DelayProxy(const QString& serverSocket) : m_serverSocket(serverSocket), m_loop(std::make_unique<Loop>()) {}

DelayProxy::~DelayProxy()
{
    if (m_thread.joinable()) {
        wake('q');
        m_thread.join();
    }
    for (int fd : {m_listen, m_wakeRead, m_wakeWrite})
        if (fd >= 0)
            ::close(fd);
}

void DelayProxy::wake(char command)
{
    while (::write(m_wakeWrite, &command, 1) < 0 && errno == EINTR) {
    }
}

void DelayProxy::dropConnections()
{
    if (!m_thread.joinable())
        return;
    const int before = m_drops.load();
    wake('d');
    while (m_drops.load() == before)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

bool DelayProxy::start(QString* error)
{
    const auto failed = [error](const char* what) {
        if (error)
            *error =
                QStringLiteral("delay proxy: %1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(strerror(errno)));
        return false;
    };
    if (m_serverSocket.toLocal8Bit().size() >= int(sizeof(sockaddr_un::sun_path))) {
        errno = ENAMETOOLONG;
        return failed("server socket");
    }
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listen < 0)
        return failed("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return failed("bind");
    if (::listen(m_listen, 64) != 0)
        return failed("listen");
    socklen_t length = sizeof address;
    if (::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return failed("getsockname");
    m_port = ntohs(address.sin_port);
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return failed("pipe");
    m_wakeRead = wake[0];
    m_wakeWrite = wake[1];

    const QByteArray serverPath = m_serverSocket.toLocal8Bit();
    m_thread = std::thread([this, serverPath] {
        // Wake-ups within microseconds of the time asked for, not the
        // system's default 50.
        prctl(PR_SET_TIMERSLACK, 1000UL);
        std::vector<std::unique_ptr<Link>>& links = m_loop->links;
        const auto closeLink = [](Link& link) {
            ::close(link.up.from);
            ::close(link.down.from);
        };
        std::vector<char> buffer(256 * 1024);
        std::vector<pollfd> fds;
        std::vector<std::pair<Link*, bool>> owners; // per pollfd from 2 on: link, client end
        for (;;) {
            // Pass on what is due, in order.
            const Clock::time_point now = Clock::now();
            Clock::time_point next = Clock::time_point::max();
            for (const auto& link : links) {
                for (Direction* d : {&link->up, &link->down}) {
                    d->blocked = false;
                    while (!link->broken && !d->held.empty() && d->held.front().due <= now) {
                        Chunk& c = d->held.front();
                        const ssize_t n =
                            ::send(d->to, c.bytes.constData() + c.sent, size_t(c.bytes.size() - c.sent), MSG_NOSIGNAL);
                        if (n < 0) {
                            if (errno == EAGAIN || errno == EWOULDBLOCK)
                                d->blocked = true;
                            else if (errno != EINTR)
                                link->broken = true;
                            break;
                        }
                        c.sent += n;
                        if (c.sent == c.bytes.size())
                            d->held.pop_front();
                    }
                    if (!d->held.empty() && !d->blocked && d->held.front().due > now)
                        next = std::min(next, d->held.front().due);
                    if (d->ended && d->held.empty() && !d->shut) {
                        ::shutdown(d->to, SHUT_WR);
                        d->shut = true;
                    }
                }
            }
            for (auto it = links.begin(); it != links.end();) {
                Link& link = **it;
                if (link.broken || (link.up.shut && link.down.shut)) {
                    closeLink(link);
                    it = links.erase(it);
                } else {
                    ++it;
                }
            }

            fds.clear();
            owners.clear();
            fds.push_back({m_listen, POLLIN, 0});
            fds.push_back({m_wakeRead, POLLIN, 0});
            for (const auto& link : links) {
                const short toClient = link->down.blocked ? POLLOUT : 0;
                const short toServer = link->up.blocked ? POLLOUT : 0;
                fds.push_back({link->up.from, short((link->up.ended ? 0 : POLLIN) | toClient), 0});
                owners.push_back({link.get(), true});
                fds.push_back({link->down.from, short((link->down.ended ? 0 : POLLIN) | toServer), 0});
                owners.push_back({link.get(), false});
            }
            timespec wait{};
            timespec* timeout = nullptr;
            if (next != Clock::time_point::max()) {
                const auto ns = std::max<long long>(
                    0, std::chrono::duration_cast<std::chrono::nanoseconds>(next - Clock::now()).count());
                wait.tv_sec = time_t(ns / 1000000000);
                wait.tv_nsec = long(ns % 1000000000);
                timeout = &wait;
            }
            if (::ppoll(fds.data(), fds.size(), timeout, nullptr) < 0)
                continue;

            if (fds[1].revents & POLLIN) {
                char commands[16];
                const ssize_t n = ::read(m_wakeRead, commands, sizeof commands);
                for (ssize_t i = 0; i < n; ++i) {
                    if (commands[i] == 'q') {
                        for (const auto& link : links)
                            closeLink(*link);
                        links.clear();
                        return;
                    }
                    if (commands[i] == 'd') {
                        for (const auto& link : links)
                            closeLink(*link);
                        links.clear();
                        owners.clear();
                        m_drops.fetch_add(1);
                    }
                }
            }

            const Clock::time_point arrived = Clock::now();
            const auto delay = std::chrono::microseconds(m_delayUs.load());
            for (size_t i = 0; i < owners.size(); ++i) {
                const pollfd& p = fds[i + 2];
                Link& link = *owners[i].first;
                Direction& d = owners[i].second ? link.up : link.down;
                if (link.broken || !(p.revents & (POLLIN | POLLHUP | POLLERR)) || d.ended)
                    continue;
                const ssize_t n = ::recv(p.fd, buffer.data(), buffer.size(), 0);
                if (n == 0) {
                    d.ended = true;
                } else if (n < 0) {
                    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                        link.broken = true;
                } else {
                    if (&d == &link.up)
                        m_statements.fetch_add(link.messages.feed(buffer.data(), size_t(n)));
                    d.held.push_back({arrived + delay, QByteArray(buffer.data(), n), 0});
                }
            }

            if (fds[0].revents & POLLIN) {
                for (;;) {
                    const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                    if (client < 0)
                        break;
                    const int one = 1;
                    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
                    sockaddr_un to{};
                    to.sun_family = AF_UNIX;
                    std::memcpy(to.sun_path, serverPath.constData(), size_t(serverPath.size()));
                    if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
                        // As a server that is not there: the client's connection ends.
                        if (server >= 0)
                            ::close(server);
                        ::close(client);
                        continue;
                    }
                    setNonBlocking(server);
                    auto link = std::make_unique<Link>();
                    link->up.from = client;
                    link->up.to = server;
                    link->down.from = server;
                    link->down.to = client;
                    links.push_back(std::move(link));
                    m_accepted.fetch_add(1);
                }
            }
        }
    });
    return true;
}
