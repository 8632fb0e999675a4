#!/usr/bin/env bash
# A Firebird server of the tests' own, so that the diary can be tried on a
# server without touching any installed one: it listens on 127.0.0.1 and a
# free port, and keeps its configuration, lock files, security database
# (with a test account) and databases in FOLDER.
#
#   fbserver.sh start FOLDER  starts it and writes FOLDER/server.env:
#                             TRAMORA_SERVER (host/port), TRAMORA_SERVER_DATA
#                             (folder for databases on it), ISC_USER, ISC_PASSWORD;
#                             without the server package installed, only
#                             TRAMORA_SERVER_SKIP with the reason
#   fbserver.sh stop FOLDER   stops it and removes FOLDER
#   fbserver.sh halt FOLDER   kills it at once, as a crash would, keeping FOLDER
#   fbserver.sh resume FOLDER starts it again on the same port, with its databases
#   fbserver.sh freeze FOLDER stops it where it is (kill -STOP): it keeps its
#                             connections but answers nothing, as a hung machine
#   fbserver.sh thaw FOLDER   lets a frozen server go on
#
# ISC_PASSWORD, when set, becomes the test account's password.
# Every wait is bounded; the server ends by itself after an hour at the latest.
set -u

command=${1:-}
folder=${2:-}
if [ -z "$command" ] || [ -z "$folder" ]; then
  echo "usage: $0 start|stop FOLDER" >&2
  exit 2
fi

server=${FIREBIRD_SERVER:-/usr/sbin/firebird}
isql=$(command -v isql-fb || command -v isql || true)

# stop [now]: TERM first, unless now; KILL after ten seconds
stop() {
  local pidfile="$folder/server.pid"
  if [ -f "$pidfile" ]; then
    local pid
    pid=$(cat "$pidfile")
    if kill -0 "$pid" 2>/dev/null; then
      if [ -z "${1:-}" ]; then
        # the guard process passes TERM on to the server
        kill -TERM "$pid" 2>/dev/null
        for _ in $(seq 1 50); do
          kill -0 "$pid" 2>/dev/null || break
          sleep 0.2
        done
      fi
      if kill -0 "$pid" 2>/dev/null; then
        for child in $(cat "/proc/$pid/task/$pid/children" 2>/dev/null); do
          kill -KILL "$child" 2>/dev/null
        done
        kill -KILL "$pid" 2>/dev/null
        for _ in $(seq 1 50); do
          kill -0 "$pid" 2>/dev/null || break
          sleep 0.1
        done
      fi
    fi
    rm -f "$pidfile"
  fi
}

port_in_use() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

start() {
  stop
  rm -rf "$folder"
  mkdir -p "$folder/root" "$folder/lock" "$folder/tmp" "$folder/data"
  local env="$folder/server.env"

  if [ ! -x "$server" ] || [ -z "$isql" ]; then
    echo "TRAMORA_SERVER_SKIP='the Firebird server package (firebird3.0-server) is not installed'" >"$env"
    echo "no Firebird server installed: the server tests are skipped"
    return 0
  fi
  local fbroot=""
  for candidate in /usr/lib/*/firebird/3.0 /usr/lib/firebird/3.0 /opt/firebird; do
    if [ -f "$candidate/firebird.msg" ]; then
      fbroot=$candidate
      break
    fi
  done
  if [ -z "$fbroot" ]; then
    echo "Firebird's message file was not found" >&2
    return 1
  fi

  # The server reads its configuration from the folder FIREBIRD names;
  # plugins and character sets stay those of the installation.
  ln -s "$fbroot/firebird.msg" "$folder/root/firebird.msg"
  [ -d "$fbroot/intl" ] && ln -s "$fbroot/intl" "$folder/root/intl"
  cp "$fbroot/plugins.conf" "$folder/root/plugins.conf" 2>/dev/null || : >"$folder/root/plugins.conf"
  : >"$folder/root/databases.conf"
  export FIREBIRD="$folder/root" FIREBIRD_LOCK="$folder/lock" FIREBIRD_TMP="$folder/tmp"
  local password=${ISC_PASSWORD:-}
  [ -n "$password" ] || password="t$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
  write_conf 0
  if ! echo "create database '$folder/security3.fdb';" | timeout 60 "$isql" -q >"$folder/setup.log" 2>&1 ||
    ! echo "create user SYSDBA password '$password';" |
      timeout 60 "$isql" -q -user SYSDBA "$folder/security3.fdb" >>"$folder/setup.log" 2>&1; then
    echo "the test server's security database could not be made:" >&2
    cat "$folder/setup.log" >&2
    return 1
  fi

  for _ in $(seq 1 10); do
    local port=$((20000 + RANDOM % 30000))
    port_in_use "$port" && continue
    if launch "$port"; then
      {
        echo "TRAMORA_SERVER='127.0.0.1/$port'"
        echo "TRAMORA_SERVER_DATA='$folder/data'"
        echo "ISC_USER='SYSDBA'"
        echo "ISC_PASSWORD='$password'"
      } >"$env"
      return 0
    fi
  done
  echo "the test server did not start:" >&2
  cat "$folder/server.log" >&2
  return 1
}

# launch PORT: runs the server of FOLDER on the port; false when it does not listen there
launch() {
  local port=$1
  export FIREBIRD="$folder/root" FIREBIRD_LOCK="$folder/lock" FIREBIRD_TMP="$folder/tmp"
  write_conf "$port"
  setsid timeout 3600 "$server" </dev/null >"$folder/server.log" 2>&1 &
  local pid=$!
  echo "$pid" >"$folder/server.pid"
  for _ in $(seq 1 150); do
    if ! kill -0 "$pid" 2>/dev/null; then
      break # it could not listen there
    fi
    if port_in_use "$port"; then
      echo "test server on 127.0.0.1/$port (process $pid)"
      return 0
    fi
    sleep 0.2
  done
  stop
  return 1
}

resume() {
  local port
  port=$(sed -n "s|^TRAMORA_SERVER='127.0.0.1/\([0-9]*\)'|\1|p" "$folder/server.env")
  if [ -z "$port" ] || ! launch "$port"; then
    echo "the test server did not start again:" >&2
    cat "$folder/server.log" >&2
    return 1
  fi
}

# signal_server SIGNAL: sends it to the server under the timeout guard
signal_server() {
  local pid sent=1
  pid=$(cat "$folder/server.pid" 2>/dev/null) || return 1
  for child in $(cat "/proc/$pid/task/$pid/children" 2>/dev/null); do
    kill "-$1" "$child" && sent=0
  done
  return $sent
}

write_conf() {
  cat >"$folder/root/firebird.conf" <<CONF
RemoteServicePort = $1
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $folder/security3.fdb
ServerMode = Super
AuthServer = Srp
UserManager = Srp
WireCrypt = Enabled
CONF
}

case "$command" in
  start) start ;;
  halt) stop now ;;
  resume) resume ;;
  freeze) signal_server STOP ;;
  thaw) signal_server CONT ;;
  stop)
    stop
    rm -rf "$folder"
    ;;
  *)
    echo "usage: $0 start|stop FOLDER" >&2
    exit 2
    ;;
esac
