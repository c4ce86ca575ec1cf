#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

// A network between the program and a test cluster, of a benchmark's or a
// test's own: it listens on 127.0.0.1 (a port the system picks) and carries
// each client connection to the cluster's socket file, holding back every
// chunk of bytes, in each direction, for a fixed time before it passes it
// on, in the order it came. A round trip then costs twice that time, as on
// a lab's network.
//
// It reads what the clients send as the server would (after the startup
// packet, each message is a type byte and a length) and counts the round
// trips that carry statements: each simple query ('Q', however many
// statements its text holds) and each execute of the extended protocol
// ('E').
//
// It runs in a thread of its own, so that a client blocked in its call (the
// program's statements block the thread that sends them) is still served.
// The cluster sees every connection as a local one (pg_hba's "local" lines).
class DelayProxy {
public:
    // The server's socket file: "<socket folder>/.s.PGSQL.5432".
    explicit DelayProxy(const QString& serverSocket);
    ~DelayProxy();
    DelayProxy(const DelayProxy&) = delete;
    DelayProxy& operator=(const DelayProxy&) = delete;

    // Starts listening; false with *error set when it cannot.
    bool start(QString* error);
    quint16 port() const { return m_port; }
    static QString host() { return QStringLiteral("127.0.0.1"); }

    // The time each chunk is held back in each direction: half a round trip.
    // Holds for the bytes that arrive from now on.
    void setDelay(std::chrono::microseconds oneWay) { m_delayUs.store(oneWay.count()); }

    // The statements the clients sent since the counter was last reset.
    int statements() const { return m_statements.load(); }
    void resetStatements() { m_statements.store(0); }
    // The client connections accepted so far.
    int connectionsAccepted() const { return m_accepted.load(); }

    // Ends every live connection at once, both ends, whatever is still held
    // back being lost: a network that dropped. Returns once they are closed;
    // new connections are taken as before.
    void dropConnections();

private:
    struct Loop;
    void wake(char command);

    QString m_serverSocket;
    quint16 m_port = 0;
    int m_listen = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    std::atomic<long long> m_delayUs{0};
    std::atomic<int> m_statements{0};
    std::atomic<int> m_accepted{0};
    std::atomic<int> m_drops{0}; // drops carried out, for dropConnections() to wait on
    std::unique_ptr<Loop> m_loop;
    std::thread m_thread;
};
