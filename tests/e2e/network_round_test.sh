#!/usr/bin/env bash
# Two games on two displays play one network round over loopback, driven as two people would:
# one opens a server, the other connects; each sees the other's name; the server starts; the
# client's ball falls off and its reset reaches the server; both steer; the server's player
# wins on both screens; the client leaves, and the server is back in the menu with the
# "Connection broken" box. With NET_RELAY_RTT set (milliseconds), the client reaches the server
# through the latency relay with that round trip and +-30 ms jitter each way.
source "$(dirname "$0")/e2e_lib.sh"

NET_NETWORK=(133 340)
NET_SERVER_NAME=(513 222)
NET_SERVER_PORT=(513 274)
NET_SERVER_OPEN=(527 650)
NET_CLIENT_NAME=(864 222)
NET_CLIENT_PORT=(864 325)
NET_CLIENT_CONNECT=(878 650)
NET_WAIT_START=(414 428)

# The second display and the second game.
exec 3>"$E2E_WORK/display_b"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_B=$!
exec 3>&-
for _ in $(seq 1 40); do [[ -s "$E2E_WORK/display_b" ]] && break; sleep 0.25; done
B_DISPLAY=":$(head -1 "$E2E_WORK/display_b")"
GAME_B=$E2E_WORK/game_b
PID_B=
RELAY_PID=
net_cleanup() {
    [[ -n "$PID_B" ]] && kill "$PID_B" 2>/dev/null
    [[ -n "$RELAY_PID" ]] && kill "$RELAY_PID" 2>/dev/null
    kill "$XVFB_B" 2>/dev/null
    e2e_cleanup
}
trap net_cleanup EXIT

# Runs a command against the second display.
on_b() { DISPLAY=$B_DISPLAY "$@"; }
# The second player has a home of their own.
HOME_B=$E2E_WORK/home_b
LOG_B=$HOME_B/.local/state/kivo/Ogre.log
wait_for_b_log() { wait_for_log "$1" "$2" "$LOG_B"; }

e2e_prepare_game
E2E_GAME=$GAME_B e2e_prepare_game
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
PORT=$(free_port)
CONNECT_PORT=$PORT
if [[ -n "${NET_RELAY_RTT:-}" ]]; then
    CONNECT_PORT=$(free_port)
    "$KIVO_BUILD_DIR/tools/kivo_relay" --listen "$CONNECT_PORT" --to "127.0.0.1:$PORT" \
        --rtt "$NET_RELAY_RTT" --jitter 30 >"$E2E_WORK/relay.out" 2>&1 &
    RELAY_PID=$!
fi

e2e_start_game
(cd "$GAME_B" && export $(e2e_user_folders "$HOME_B") && DISPLAY=$B_DISPLAY exec ./kivo >"$E2E_WORK/kivo_b.out" 2>&1) &
PID_B=$!
wait_for_b_log "Frame loop started" 60 || { echo "the second game did not start:"; tail -n 5 "$E2E_WORK/kivo_b.out" "$LOG_B"; exit 1; }
sleep 1.5

click "${NET_NETWORK[@]}"
type_into "${NET_SERVER_NAME[@]}" "Ann"
type_into "${NET_SERVER_PORT[@]}" "$PORT"
click "${NET_SERVER_OPEN[@]}"
wait_for_log "Menu: serving on port $PORT" 5 || fail "the server did not open on port $PORT"
shot a_waiting

on_b click "${NET_NETWORK[@]}"
on_b type_into "${NET_CLIENT_NAME[@]}" "Bob"
on_b type_into "${NET_CLIENT_PORT[@]}" "$CONNECT_PORT"
on_b click "${NET_CLIENT_CONNECT[@]}"
wait_for_b_log "Menu: connected to the server" 10 || fail "the client did not connect"
wait_for_log 'Menu: peer "Bob" is player 2' 10 || fail "the server did not learn the client's name"
wait_for_b_log 'Menu: peer "Ann" is player 1' 10 || fail "the client did not learn the server's name"
shot a_client_connected

click "${NET_WAIT_START[@]}"
wait_for_log 'Menu: network round as player 1 against "Bob"' 10 || fail "the server's round did not start"
wait_for_b_log 'Menu: network round as player 2 against "Ann"' 10 || fail "the client's round did not start"
sleep 1.5
shot a_round_started
on_b shot b_round_started

# The client rolls backwards off its lane: its reset reaches the server.
on_b xdotool keydown Down
wait_for_log "Network: the peer reset player 2" 15 || fail "the client's reset did not reach the server"
on_b xdotool keyup Down
sleep 1
shot a_after_reset
on_b shot b_after_reset

# The server's player sets off; a little later the client's follows for a while. Each screen
# shows the other's ball move. (Under a loaded software renderer the world runs slower than
# the clock.)
xdotool keydown w
sleep 0.6
on_b xdotool keydown Up
sleep 0.8
shot a_both_moving
on_b shot b_both_moving
sleep 0.5
on_b xdotool keyup Up
wait_for_log "Menu: winner: Ann" 40 || fail "the server's player did not win on the server"
wait_for_b_log "Menu: winner: Ann" 20 || fail "the client does not show the server's player as winner"
xdotool keyup w
sleep 1
shot a_winner
on_b shot b_winner

# The client leaves; the server goes back to its menu with the box.
on_b click "${HUD_BACK_TO_MENU[@]}"
sleep 1
on_b click 133 509
wait_for_log 'Menu: message "Connection broken": Connection to remote host lost!' 15 ||
    fail "the server did not report the lost connection"
sleep 1
shot a_connection_lost
click 512 474 # OK
kill -0 "$PID_B" 2>/dev/null && fail "the client did not quit"

e2e_quit_game
e2e_finish
