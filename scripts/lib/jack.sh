# SPDX-License-Identifier: MIT
# Starting and stopping a private JACK dummy server, shared by scripts/with-jack and
# scripts/demo.
#
# JACK keeps every running server in one registry of eight slots. A server that ends
# without its clean exit (killed, or a run cut short) keeps its slot until a server of the
# same name starts again, so fresh names on every run would fill the registry for good.
# Names therefore come from a small pool and are reused: a lock file per name keeps our
# concurrent runs apart, and reusing a name frees a slot such a server left behind.

TOLLMARK_JACK_NAMES=8

# start_private_jack LOG: starts jackd on the first free name of the pool, its output in
# LOG. Sets TOLLMARK_JACK_NAME; exports TOLLMARK_JACK_PID (for tests of a server that ends),
# JACK_DEFAULT_SERVER and JACK_NO_START_SERVER. The lock on the name stays on file
# descriptor 9 of the caller (and of the server, which inherits it) until both have ended.
# Returns 1 when no server starts.
start_private_jack() {
  local log="$1"
  local period="${TOLLMARK_JACK_PERIOD:-64}"
  local lockdir="${TOLLMARK_JACK_LOCKDIR:-${TMPDIR:-/tmp}}"
  local n name pid
  for n in $(seq 0 $((TOLLMARK_JACK_NAMES - 1))); do
    exec 9>"$lockdir/tollmark-jack-$n.lock"
    if ! flock -n 9; then
      exec 9>&-
      continue
    fi
    name="tollmark-$n"
    # Synchronous mode (-S): the server waits for every client each cycle. In the default
    # asynchronous mode a client that misses a cycle on a busy machine without realtime
    # scheduling loses the MIDI events of that cycle (about one message in a thousand).
    # A client may take up to two seconds for a cycle (-t) before the server gives up on
    # it, which a sanitizer build on a loaded machine needs now and then.
    JACK_NO_AUDIO_RESERVATION=1 jackd --no-realtime -S -t 2000 -n "$name" \
      -d dummy -r 48000 -p "$period" >>"$log" 2>&1 &
    pid=$!
    # A name held by a server outside the pool's locks makes ours exit at once; the check
    # after the wait keeps us from taking that server for ours.
    if timeout 15 jack_wait -w -t 10 -s "$name" >/dev/null 2>&1 && sleep 0.2 \
      && kill -0 "$pid" 2>/dev/null; then
      TOLLMARK_JACK_NAME="$name"
      export TOLLMARK_JACK_PID="$pid"
      export JACK_DEFAULT_SERVER="$name"
      export JACK_NO_START_SERVER=1
      return 0
    fi
    stop_private_jack "$pid"
    exec 9>&-
  done
  if grep -q "Too many servers" "$log"; then
    echo "JACK's registry of running servers is full. With no JACK server running," \
      "removing /dev/shm/jack-shm-registry empties it." >>"$log"
  fi
  return 1
}

# stop_private_jack PID: asks the server to end, and kills it when it has not within
# five seconds.
stop_private_jack() {
  local pid="$1"
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  return 0
}
