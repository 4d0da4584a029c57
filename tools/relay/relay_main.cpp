// kivo_relay: the latency relay as a program, for trying network play by hand and for the
// whole-program tests. Runs until it is interrupted or terminated.
#include "latency_relay.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t gStop = 0;

void stop(int)
{
    gStop = 1;
}

int usage()
{
    std::cerr << "usage: kivo_relay --listen PORT --to ADDRESS:PORT [--rtt MS] [--jitter MS] "
                 "[--rate BYTES_PER_SECOND]\n";
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    CLatencyRelay::SSettings settings;
    long listen = -1, targetPort = -1;
    std::string target;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        char* end = nullptr;
        const double number = std::strtod(value, &end);
        const bool isNumber = end != value && *end == '\0' && number >= 0.0;
        if (option == "--to") {
            target = value;
            const std::size_t colon = target.rfind(':');
            if (colon == std::string::npos)
                return usage();
            targetPort = std::strtol(target.c_str() + colon + 1, nullptr, 10);
            target.erase(colon);
        } else if (!isNumber) {
            return usage();
        } else if (option == "--listen") {
            listen = static_cast<long>(number);
        } else if (option == "--rtt") {
            settings.roundTrip = number / 1000.0;
        } else if (option == "--jitter") {
            settings.jitter = number / 1000.0;
        } else if (option == "--rate") {
            settings.bytesPerSecond = number;
        } else {
            return usage();
        }
    }
    if (argc % 2 == 0 || listen < 0 || listen > 65535 || targetPort < 1 || targetPort > 65535)
        return usage();
    std::signal(SIGINT, stop);
    std::signal(SIGTERM, stop);
    try {
        CLatencyRelay relay(target, static_cast<unsigned short>(targetPort), settings,
                            static_cast<unsigned short>(listen));
        std::printf("relay listening on 127.0.0.1:%u\n", relay.port());
        std::fflush(stdout);
        while (!gStop)
            pause();
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
