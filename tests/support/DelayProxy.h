#pragma once

// A loopback TCP proxy in front of a server that holds back what passes
// through it in either direction for a while, as a distant network would, and
// counts round trips: a round trip is what the client sends, in one or more
// pieces, until the server's answer to it starts coming back.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class DelayProxy {
public:
    DelayProxy(quint16 serverPort, std::chrono::milliseconds delay) : m_serverPort(serverPort), m_delay(delay)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        ::listen(m_listener, 16);
        m_threads.emplace_back([this] { accept(); });
    }
    ~DelayProxy()
    {
        m_stop = true;
        for (std::thread &thread : m_threads)
            thread.join();
        ::close(m_listener);
    }
    DelayProxy(const DelayProxy &) = delete;
    DelayProxy &operator=(const DelayProxy &) = delete;

    quint16 port() const { return m_port; }
    long roundTrips() const { return m_roundTrips; }
    void resetCount() { m_roundTrips = 0; }

private:
    using Clock = std::chrono::steady_clock;
    struct Piece {
        Clock::time_point due;
        QByteArray bytes;
    };

    static int connectTo(quint16 port)
    {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (::connect(s, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            ::close(s);
            return -1;
        }
        const int on = 1;
        ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return s;
    }

    void accept()
    {
        std::vector<std::thread> relays;
        while (!m_stop) {
            pollfd listening{m_listener, POLLIN, 0};
            if (::poll(&listening, 1, 50) <= 0)
                continue;
            const int client = ::accept(m_listener, nullptr, nullptr);
            const int server = client >= 0 ? connectTo(m_serverPort) : -1;
            if (server < 0) {
                if (client >= 0)
                    ::close(client);
                continue;
            }
            const int on = 1;
            ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            relays.emplace_back([this, client, server] { relay(client, server); });
        }
        for (std::thread &relay : relays)
            relay.join();
    }

    // One connection: what comes from either side goes on after the delay.
    void relay(int client, int server)
    {
        std::deque<Piece> toServer, toClient;
        bool awaitingAnswer = false;
        bool open = true;
        char buffer[65536];
        while (!m_stop && (open || !toServer.empty() || !toClient.empty())) {
            const Clock::time_point now = Clock::now();
            for (auto *queue : {&toServer, &toClient}) {
                const int target = queue == &toServer ? server : client;
                while (!queue->empty() && queue->front().due <= now) {
                    const QByteArray &bytes = queue->front().bytes;
                    for (qsizetype sent = 0; sent < bytes.size();) {
                        const ssize_t n = ::send(target, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
                        if (n <= 0)
                            break;
                        sent += n;
                    }
                    queue->pop_front();
                }
            }
            int wait = 50;
            for (auto *queue : {&toServer, &toClient})
                if (!queue->empty())
                    wait = std::min<int>(wait, int(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                        queue->front().due - now).count()) + 1);
            if (!open) {
                std::this_thread::sleep_for(std::chrono::milliseconds(std::max(0, wait)));
                continue;
            }
            pollfd sides[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (::poll(sides, 2, std::max(0, wait)) <= 0)
                continue;
            for (int i = 0; i < 2; ++i) {
                if (!(sides[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const ssize_t n = ::recv(sides[i].fd, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    open = false;
                    break;
                }
                const bool fromClient = i == 0;
                if (fromClient) {
                    awaitingAnswer = true;
                } else if (awaitingAnswer) {
                    awaitingAnswer = false;
                    ++m_roundTrips;
                }
                (fromClient ? toServer : toClient).push_back({Clock::now() + m_delay, QByteArray(buffer, n)});
            }
        }
        ::close(client);
        ::close(server);
    }

    quint16 m_serverPort;
    std::chrono::milliseconds m_delay;
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_roundTrips{0};
    std::vector<std::thread> m_threads;
};
