#include "delayrelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Chunk
{
    Clock::time_point due;
    std::string bytes;
};

void noDelay(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

} // namespace

struct DelayRelay::Impl
{
    quint16 target = 0;
    int listener = -1;
    quint16 port = 0;
    std::atomic<int> delayMs{0};
    std::atomic<int> roundTrips{0};
    std::atomic<bool> stopping{false};
    std::thread acceptor;
    std::mutex mutex;
    std::vector<std::thread> connections;

    void accept()
    {
        while (!stopping) {
            pollfd p{listener, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const int client = ::accept(listener, nullptr, nullptr);
            if (client < 0)
                continue;
            const int server = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(target);
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
                if (server >= 0)
                    ::close(server);
                ::close(client);
                continue;
            }
            noDelay(client);
            noDelay(server);
            std::lock_guard lock(mutex);
            connections.emplace_back([this, client, server] { pass(client, server); });
        }
    }

    // Both directions of one connection; ends when either side closes and
    // what it sent before has been passed on.
    void pass(int client, int server)
    {
        const int fds[2] = {client, server};
        std::deque<Chunk> toward[2]; // [0]: to the client, [1]: to the server
        bool open[2] = {true, true};
        bool lastFromClient = false;
        std::vector<char> buffer(65536);
        while (!stopping) {
            const Clock::time_point now = Clock::now();
            for (int side = 0; side < 2; ++side)
                while (!toward[side].empty() && toward[side].front().due <= now) {
                    if (!writeAll(fds[side], toward[side].front().bytes))
                        open[0] = open[1] = false;
                    toward[side].pop_front();
                }
            if ((!open[0] || !open[1]) && toward[0].empty() && toward[1].empty())
                break;
            int wait = 100;
            for (const auto& queue : toward)
                if (!queue.empty()) {
                    const auto left =
                        std::chrono::duration_cast<std::chrono::milliseconds>(queue.front().due - now).count();
                    wait = std::min(wait, int(std::max<long long>(0, left + 1)));
                }
            pollfd p[2] = {{client, short(open[0] ? POLLIN : 0), 0}, {server, short(open[1] ? POLLIN : 0), 0}};
            if (::poll(p, 2, wait) <= 0)
                continue;
            for (int side = 0; side < 2; ++side) {
                if (!(p[side].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const ssize_t n = ::recv(fds[side], buffer.data(), buffer.size(), 0);
                if (n <= 0) {
                    open[side] = false;
                    continue;
                }
                const bool fromClient = side == 0;
                if (!fromClient && lastFromClient)
                    ++roundTrips;
                lastFromClient = fromClient;
                toward[fromClient ? 1 : 0].push_back(
                    {Clock::now() + std::chrono::milliseconds(delayMs.load()), std::string(buffer.data(), std::size_t(n))});
            }
        }
        ::close(client);
        ::close(server);
    }
};

DelayRelay::DelayRelay(quint16 targetPort, int delayEachWayMs) : d(std::make_unique<Impl>())
{
    d->target = targetPort;
    d->delayMs = delayEachWayMs;
    d->listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    if (d->listener < 0 || ::bind(d->listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0
        || ::listen(d->listener, 16) != 0 || ::getsockname(d->listener, reinterpret_cast<sockaddr*>(&at), &length) != 0)
        throw std::runtime_error("the relay cannot listen");
    d->port = ntohs(at.sin_port);
    d->acceptor = std::thread([this] { d->accept(); });
}

DelayRelay::~DelayRelay()
{
    d->stopping = true;
    d->acceptor.join();
    std::lock_guard lock(d->mutex);
    for (std::thread& connection : d->connections)
        connection.join();
    ::close(d->listener);
}

quint16 DelayRelay::port() const
{
    return d->port;
}

void DelayRelay::setDelay(int delayEachWayMs)
{
    d->delayMs = delayEachWayMs;
}

int DelayRelay::roundTrips() const
{
    return d->roundTrips;
}

void DelayRelay::resetRoundTrips()
{
    d->roundTrips = 0;
}
