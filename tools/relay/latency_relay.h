// CLatencyRelay: a TCP relay between a game's client and its server that holds each direction's
// bytes for a set time with jitter, in the order they came (as TCP keeps it), and can cap the
// bytes per second. For tests and benchmarks of network play at real-world latency on one
// machine: no root, no kernel module. It runs on a thread of its own and serves every
// connection made to its port until it is destroyed.
#pragma once

#include <memory>
#include <string>

class CLatencyRelay
{
public:
    struct SSettings
    {
        double roundTrip = 0.0;      // seconds; each direction holds half of it
        double jitter = 0.0;         // seconds; each chunk is held up to this much more or less
        double bytesPerSecond = 0.0; // 0: no cap
        unsigned seed = 1;
    };

    // Listens on 127.0.0.1 at `listenPort` (0: a free one) and relays to the target.
    // Throws std::runtime_error when it cannot listen.
    CLatencyRelay(const std::string& targetAddress, unsigned short targetPort,
                  const SSettings& settings, unsigned short listenPort = 0);
    ~CLatencyRelay();
    CLatencyRelay(const CLatencyRelay&) = delete;
    CLatencyRelay& operator=(const CLatencyRelay&) = delete;

    unsigned short port() const;

private:
    struct SImpl;
    std::unique_ptr<SImpl> mImpl;
};
