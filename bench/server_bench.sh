#!/usr/bin/env bash
# Response server throughput on loopback, measured with wrk against nginx serving a static reply
# in the same run (by hand, not in CI):
#   [ROUNDS=3] bench/server_bench.sh BUILD_DIR [SECONDS]
# Reports: nginx static replies/s; the HTTP layer alone (a reply without storage); durable form
# posts/s and p99 latency at 64 connections with SQLite in ROUNDS rounds, each right after an
# nginx run, and the median of their shares of nginx's rate; the same with PostgreSQL when run
# under pg_virtualenv, and at 256 connections; the disk's sync time, which bounds durable posts
# at a given number of connections (each post waits for one sync); the time and server memory
# of a download of 100,000 responses.
set -euo pipefail
build="$(cd "${1:?usage: $0 BUILD_DIR [SECONDS]}" && pwd)"
seconds="${2:-10}"
server="$build/server/orvalle-server"
dir="$(mktemp -d)"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$dir"; }
trap cleanup EXIT

free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() { for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$1/" && return 0; sleep 0.1; done; return 1; }
summary() { grep -E "Requests/sec|99%|Non-2xx|Socket errors" "$1" | sed 's/^ */    /'; }
rate() { awk '/Requests\/sec/ {print $2}' "$1"; }

# nginx: a static reply, the yardstick.
nginx_port="$(free_port)"
mkdir -p "$dir/nginx"
cat > "$dir/nginx/nginx.conf" <<CONF
worker_processes 2;
pid $dir/nginx/nginx.pid;
error_log $dir/nginx/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  client_body_temp_path $dir/nginx; proxy_temp_path $dir/nginx; fastcgi_temp_path $dir/nginx;
  uwsgi_temp_path $dir/nginx; scgi_temp_path $dir/nginx;
  server { listen 127.0.0.1:$nginx_port; location / { return 200 "Thank you\n"; } }
}
CONF
nginx -c "$dir/nginx/nginx.conf" -p "$dir/nginx" -g 'daemon off;' &
pids+=($!)
wait_port "$nginx_port"
run_nginx() {
  echo "nginx static reply, 64 connections, ${seconds}s:"
  wrk -t2 -c64 -d"${seconds}s" --latency "http://127.0.0.1:$nginx_port/" > "$dir/nginx.txt"
  summary "$dir/nginx.txt"
}
run_nginx

# The form post: one body for every request, so that wrk builds it once, as it does nginx's
# request. (A body made per request by a Lua function costs wrk about 15 us a post on the same
# two cores, which the server would be charged for.) The server stores every post all the same:
# the rows stored are counted after the run.
cat > "$dir/post.lua" <<'LUA'
wrk.method = "POST"
wrk.path = "/orv.dll"
wrk.headers["Content-Type"] = "application/x-www-form-urlencoded"
wrk.body = "SurveyFile=SBENCH&AccountID=NA&ResultURL=&orv1=2&orv2-0=1&orv2-3=1&orv3=caf%C3%A9+au+lait%0D%0Asecond+line&orv4=7"
LUA

# The same posts for a survey that is not registered: refused before any storage, so this is
# the rate of the HTTP layer and the form decoding alone, the ceiling for the durable posts.
sed 's/SurveyFile=SBENCH/SurveyFile=SNONE/' "$dir/post.lua" > "$dir/refused.lua"

# The verify reply: the HTTP layer alone, no storage at all.
printf 'wrk.path = "/orv.dll/VerifyServer"\n' > "$dir/verify.lua"

run_posts() { # NAME DATABASE [SCRIPT TITLE CONNECTIONS]
  local port; port="$(free_port)"
  local connections="${5:-64}"
  "$server" --port "$port" --database "$2" 2>"$dir/$1-server.log" &
  local pid=$!; pids+=($pid)
  wait_port "$port"
  curl -s -o /dev/null "http://127.0.0.1:$port/orv.dll/RegisterSurvey?SurveyFile=SBENCH&AccountID=&ID=pw"
  echo "orvalle-server ${4:-durable form posts} ($1), $connections connections, ${seconds}s:"
  wrk -t2 -c"$connections" -d"${seconds}s" --latency -s "${3:-$dir/post.lua}" "http://127.0.0.1:$port/" > "$dir/$1.txt" || true
  summary "$dir/$1.txt"
  local ratio; ratio="$(awk -v a="$(rate "$dir/$1.txt")" -v b="$(rate "$dir/nginx.txt")" 'BEGIN {printf "%.2f", a / b}')"
  echo "    $ratio of the last nginx run's rate"
  echo "$ratio" >> "$dir/$1.ratios"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  if [ -f "$2" ] && [ "$1" != verify ] && [ "$1" != refused ]; then
    /usr/bin/python3 -c 'import sqlite3, sys; print("    stored: %d responses" % sqlite3.connect(sys.argv[1]).execute("SELECT COUNT(*) FROM responses").fetchone()[0])' "$2"
  fi
}
run_posts verify "$dir/verify.sqlite" "$dir/verify.lua" "verify replies, no storage"
run_posts refused "$dir/refused.sqlite" "$dir/refused.lua" "posts refused (404, unknown survey looked up)"
# The machine's rate drifts from run to run: each round pairs nginx and the durable posts
# back to back, and the median of the rounds' ratios is the figure.
rounds="${ROUNDS:-3}"
for round in $(seq "$rounds"); do
  [ "$round" = 1 ] || run_nginx
  run_posts sqlite "$dir/bench$round.sqlite"
done
echo "durable posts (SQLite, 64 connections) over nginx's rate, median of $rounds rounds: $(sort -n "$dir/sqlite.ratios" | sed -n "$(( (rounds + 1) / 2 ))p")"
run_posts sqlite256 "$dir/bench256.sqlite" "$dir/post.lua" "durable form posts" 256

# One sync of the disk under the database: each durable post waits for at least one.
/usr/bin/python3 - "$dir/sync.test" <<'PY'
import os, sys, time
fd = os.open(sys.argv[1], os.O_WRONLY | os.O_CREAT)
times = []
for i in range(200):
    start = time.perf_counter(); os.pwrite(fd, b"x" * 4096, i * 4096); os.fdatasync(fd)
    times.append(time.perf_counter() - start)
times.sort()
median = times[len(times) // 2]
print("disk sync (fdatasync of 4 KiB): median %.2f ms, p90 %.2f ms; bound at 64 connections ~%d posts/s"
      % (median * 1e3, times[len(times) * 9 // 10] * 1e3, 64 / median))
PY
if [ -n "${PGHOST:-}" ]; then
  psql -q -c "DROP DATABASE IF EXISTS orvbench" -c "CREATE DATABASE orvbench" >/dev/null
  run_posts postgresql "postgresql:///orvbench"
fi

# A download of 100,000 responses: rows written straight into a fresh SQLite file.
/usr/bin/python3 - "$dir/download.sqlite" "$server" <<'PY'
import sqlite3, subprocess, sys
path, server = sys.argv[1], sys.argv[2]
proc = subprocess.Popen([server, "--port", "0", "--database", path], stderr=subprocess.PIPE)
proc.stderr.readline(); proc.terminate(); proc.wait()   # lets the server create its schema
db = sqlite3.connect(path)
db.execute("INSERT INTO surveys VALUES (CAST('SDL' AS BLOB), CAST('pw' AS BLOB), CAST('' AS BLOB), CAST('' AS BLOB), CAST('' AS BLOB))")
line = ('RemoteAddr=10.0.%d.%d,"UserAgent=Mozilla/5.0 (X11; Linux x86_64)",DateRec=20240101%06d,'
        'orv1=2,orv2-0=1,orv2-3=1,"orv3=café au lait&CR;&LF;second line",orv4=%d')
db.executemany("INSERT INTO responses (survey, received, line) VALUES (CAST('SDL' AS BLOB), ?, ?)",
               ((20240101000000 + i // 100, (line % (i // 256 % 256, i % 256, i // 100, i)).encode()) for i in range(100000)))
db.commit()
PY
port="$(free_port)"
"$server" --port "$port" --database "$dir/download.sqlite" 2>"$dir/download-server.log" &
pid=$!; pids+=($pid)
wait_port "$port"
rss() { awk '/VmRSS|VmHWM/ {printf "%s %s kB  ", $1, $2}' "/proc/$pid/status"; }
echo "download of 100,000 responses:"
echo "    server memory before: $(rss)"
start=$(date +%s.%N)
curl -s -o "$dir/download.dat" "http://127.0.0.1:$port/orv.dll/GetResults?SurveyFile=SDL&ID=pw&LastUpdate=Never"
end=$(date +%s.%N)
echo "    $(($(wc -l < "$dir/download.dat") - 2)) responses, $(stat -c %s "$dir/download.dat") bytes in $(echo "$end - $start" | bc) s"
echo "    server memory after:  $(rss)"
