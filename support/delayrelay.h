#pragma once

#include <QtGlobal>

#include <atomic>
#include <memory>

// A TCP relay on 127.0.0.1 that passes the bytes of each direction on after
// a delay, as a slow link between a workstation and the diary's server
// would. It counts round trips: each time the server answers after the
// client has sent, which is one wait of the client for the server (bytes
// the client sends before the answer comes are one round trip with the
// rest). Runs in threads of its own, so that the program's calls may block
// on their sockets meanwhile.
class DelayRelay
{
public:
    // Listens on a free port and passes every connection on to targetPort.
    DelayRelay(quint16 targetPort, int delayEachWayMs);
    ~DelayRelay();
    DelayRelay(const DelayRelay&) = delete;
    DelayRelay& operator=(const DelayRelay&) = delete;

    quint16 port() const;
    // For the bytes read from now on.
    void setDelay(int delayEachWayMs);
    int roundTrips() const;
    void resetRoundTrips();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
