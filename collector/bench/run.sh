#!/usr/bin/env bash
# The ingest bench (not a test): reports per second for SECONDS (60) each against
#   1. a server of the same HTTP library that stores nothing (the reference),
#   2. the collector storing into SQLite,
#   3. the collector storing into PostgreSQL (a temporary cluster of Debian's package, fsync on),
# with the answer times, and afterwards the stored count against the "ok" count.
#   collector/bench/run.sh [SECONDS] [CLIENT_THREADS]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
threads=${2:-32}
build="$top/build/collector"
cmake -S "$top/collector" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target collector collector_load collector_null_server >/dev/null
work=$(mktemp -d /tmp/collector-bench-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ -f "$work/pg/PG_VERSION" ]; then as_pg "$pg_bin/pg_ctl" -D "$work/pg" -m fast -w stop >/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
# PostgreSQL refuses to run as root.
as_pg() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
pg_bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)

echo "bench: $(nproc) cores, load: $threads client threads, a new connection per report, ${seconds}s each"
echo "bench: load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

run_load() { # label port
  local line
  line=$("$build/bench/collector_load" --port "$2" --seconds "$seconds" --threads "$threads")
  printf '%-12s %s\n' "$1" "$line"
  LAST_OK=$(sed -E 's/.* ok ([0-9]+) .*/\1/' <<<"$line")
}

stored() { # database
  "$build/collector" report --db "$1" --since 0 --json | sed -E 's/.*"reports":([0-9]+),.*/\1/'
}

serve() { # database; sets PORT
  rm -f "$work/port"
  "$build/collector" serve --db "$1" --listen 127.0.0.1:0 --port-file "$work/port" \
    >>"$work/collector.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
  PORT=$(cat "$work/port")
}

"$build/bench/collector_null_server" 18690 &
pids+=($!)
sleep 0.5
run_load "no storage" 18690
kill "${pids[-1]}"

db="sqlite:$work/reports.db"
serve "$db"
run_load "SQLite" "$PORT"
kill "${pids[-1]}"; wait "${pids[-1]}" || true
echo "             stored $(stored "$db") of $LAST_OK answered ok"

mkdir -p "$work/pg"
if [ "$(id -u)" = 0 ]; then chown postgres "$work" "$work/pg"; chmod 755 "$work"; fi
as_pg "$pg_bin/initdb" -D "$work/pg" -A trust -U postgres -E UTF8 --locale=C >/dev/null
as_pg "$pg_bin/pg_ctl" -D "$work/pg" -l "$work/pg.log" -w \
  -o "-c listen_addresses='' -k $work" start >/dev/null
db="postgresql:host=$work dbname=postgres user=postgres"
serve "$db"
run_load "PostgreSQL" "$PORT"
kill "${pids[-1]}"; wait "${pids[-1]}" || true
echo "             stored $(stored "$db") of $LAST_OK answered ok"
echo "bench: load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
