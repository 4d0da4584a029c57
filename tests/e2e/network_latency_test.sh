#!/usr/bin/env bash
# The network round of network_round_test.sh played through the latency relay at a 150 ms round
# trip with +-30 ms jitter: the same steps must hold, each screen showing the other ball move.
NET_RELAY_RTT=150
source "$(dirname "$0")/network_round_test.sh"
