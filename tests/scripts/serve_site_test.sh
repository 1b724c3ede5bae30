#!/usr/bin/env bash
# scripts/lib/serve-site.sh, which the web benchmark and the web screenshot
# serve the page through: it returns only once the server answers, stops the
# server when the command ends, and fails with a message saying why when the
# port is taken, by a web server or by another listener.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
failures=0
fail() { echo "FAILED: $1"; failures=$((failures + 1)); }

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
# Whether a web server answers on URL, with any status.
answers() {
  python3 - "$1" 2>/dev/null <<'PY'
import sys, urllib.error, urllib.request
try:
    urllib.request.urlopen(sys.argv[1], timeout=2)
except urllib.error.HTTPError:
    pass
PY
}
export -f answers

# A free port: the server takes connections as soon as serve_site returns
# (tried at once through bash's /dev/tcp), and is gone once the command that
# started it has ended. The command runs in a process group of its own, and
# writes to a file, so that a server left behind can neither hold this test
# up nor outlive it.
work=$(mktemp -d)
setsid bash -c "source '$root/scripts/lib/serve-site.sh' && serve_site check && port=\${site_url##*:} &&
  (exec 3<>\"/dev/tcp/127.0.0.1/\${port%/}\") 2>/dev/null && echo \"\$site_url\"" >"$work/url" &
group=$!
wait $group
url=$(cat "$work/url")
if [ -z "$url" ]; then
  fail "a free port: the server took no connection once serve_site returned"
elif answers "$url"; then
  fail "a free port: the server still answers on $url after its command ended"
fi
kill -- -$group 2>/dev/null
rm -rf "$work"

# A port already taken, by a web server and by a listener that never answers.
web_port=$(free_port)
python3 -m http.server --bind 127.0.0.1 "$web_port" >/dev/null 2>&1 &
web_server=$!
silent_port=$(free_port)
python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(); time.sleep(120)' "$silent_port" &
silent_listener=$!
trap 'kill $web_server $silent_listener 2>/dev/null' EXIT
for _ in $(seq 100); do answers "http://127.0.0.1:$web_port/" && break; sleep 0.1; done

for taken in "$web_port:already in use" "$silent_port:ended before it answered"; do
  port=${taken%%:*} message=${taken#*:}
  out=$(HUESIFT_WEB_PORT=$port bash -c "source '$root/scripts/lib/serve-site.sh' && serve_site check && echo served" 2>&1)
  code=$?
  if [ $code = 0 ] || ! grep -q "^check: .*$message" <<<"$out"; then
    fail "port $port taken: expected a failure saying '$message' (exit $code; output: $out)"
  fi
done

[ $failures = 0 ] && echo "serve-site: every case passed"
exit $((failures != 0))
