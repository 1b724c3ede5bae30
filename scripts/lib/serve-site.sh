# shellcheck shell=bash
# Sourced by the commands that load the built page in a browser (the web
# benchmark and the web screenshot): serves build/web/ on the loopback address
# in the background for as long as the command runs, and returns once the
# server answers, so that the browser never meets a port nobody listens on.
#   serve_site NAME   NAME is the command, for its messages; sets site_url
# The port is HUESIFT_WEB_PORT, or a free one the system gives.

SITE_ANSWER_WAIT_S=20

serve_site() {
  local name=$1 root port server deadline
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  port=${HUESIFT_WEB_PORT:-$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')}
  site_url=http://127.0.0.1:$port/
  if site_answers; then
    echo "$name: port $port is already in use; choose another with HUESIFT_WEB_PORT=N" >&2
    exit 1
  fi
  python3 "$root/web/serve.py" --port "$port" "$root/build/web" &
  server=$!
  # shellcheck disable=SC2064
  trap "kill $server 2>/dev/null || true" EXIT
  deadline=$((SECONDS + SITE_ANSWER_WAIT_S))
  while [ $SECONDS -lt $deadline ]; do
    if ! kill -0 "$server" 2>/dev/null; then
      echo "$name: the page server ended before it answered on $site_url (is port $port taken?)" >&2
      exit 1
    fi
    site_answers && return 0
    sleep 0.1
  done
  echo "$name: the page server did not answer on $site_url within $SITE_ANSWER_WAIT_S s" >&2
  exit 1
}

# Any HTTP answer counts, an error status too: the server is up.
site_answers() {
  python3 - "$site_url" 2>/dev/null <<'PY'
import sys, urllib.error, urllib.request
try:
    urllib.request.urlopen(sys.argv[1], timeout=2)
except urllib.error.HTTPError:
    pass
PY
}
