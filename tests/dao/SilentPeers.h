#pragma once

// Servers that stop answering, on loopback: a listener whose connections are
// never served, and a proxy to a real server that can fall silent. Both keep
// TCP itself alive, as a hung server or a stuck middlebox does, so that only
// the client's own patience can end the wait. A watchdog ends them after a
// while, so that a client without patience fails a test instead of hanging it.

#include <QtGlobal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

namespace silent {

constexpr auto Watchdog = std::chrono::seconds(30);

inline int listenOnLoopback(quint16 *port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) != 0 || ::listen(fd, 16) != 0)
        qFatal("cannot listen on loopback");
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    *port = ntohs(address.sin_port);
    return fd;
}

// Accepts connections (the kernel completes them) and never says a word.
class Listener {
public:
    Listener() : m_fd(listenOnLoopback(&m_port)), m_thread([this] { watch(); }) {}
    ~Listener()
    {
        m_stop = true;
        m_thread.join();
    }
    quint16 port() const { return m_port; }

private:
    void watch()
    {
        const auto until = std::chrono::steady_clock::now() + Watchdog;
        while (!m_stop && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::close(m_fd);   // resets the connections still waiting
    }

    quint16 m_port = 0;
    int m_fd;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Passes every connection through to the target port until goSilent; from
// then on nothing passes either way.
class Proxy {
public:
    explicit Proxy(quint16 target) : m_target(target), m_fd(listenOnLoopback(&m_port)), m_thread([this] { run(); }) {}
    ~Proxy()
    {
        m_stop = true;
        m_thread.join();
    }
    quint16 port() const { return m_port; }
    void goSilent() { m_silent = true; }

private:
    int connectToTarget() const
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(m_target);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    static bool pass(int from, int to)
    {
        char buffer[65536];
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, buffer + done, size_t(n - done));
            if (w <= 0)
                return false;
            done += w;
        }
        return true;
    }

    void run()
    {
        std::vector<std::pair<int, int>> pairs;
        std::chrono::steady_clock::time_point silentSince;
        while (!m_stop) {
            if (m_silent) {
                if (silentSince == std::chrono::steady_clock::time_point())
                    silentSince = std::chrono::steady_clock::now();
                if (std::chrono::steady_clock::now() - silentSince > Watchdog)
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            std::vector<pollfd> fds{{m_fd, POLLIN, 0}};
            for (const auto &[client, server] : pairs) {
                fds.push_back({client, POLLIN, 0});
                fds.push_back({server, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                const int client = ::accept(m_fd, nullptr, nullptr);
                const int server = connectToTarget();
                if (server < 0)
                    ::close(client);
                else
                    pairs.emplace_back(client, server);
            }
            const size_t polled = (fds.size() - 1) / 2;   // not the one just accepted
            for (size_t i = 0; i < polled; ++i) {
                const auto [client, server] = pairs[i];
                const bool ok = (!(fds[1 + 2 * i].revents & (POLLIN | POLLHUP)) || pass(client, server))
                    && (!(fds[2 + 2 * i].revents & (POLLIN | POLLHUP)) || pass(server, client));
                if (!ok) {
                    ::close(client);
                    ::close(server);
                    pairs[i] = {-1, -1};
                }
            }
            std::erase(pairs, std::pair<int, int>{-1, -1});
        }
        for (const auto &[client, server] : pairs) {
            ::close(client);
            ::close(server);
        }
        ::close(m_fd);
    }

    quint16 m_target;
    quint16 m_port = 0;
    int m_fd;
    std::atomic<bool> m_silent{false};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace silent
