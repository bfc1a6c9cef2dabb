#!/usr/bin/env bash
# Starts (or stops) a Firebird server on loopback for the client/server tests.
#   firebird-test-server.sh start   prints "started" when it started one,
#                                   "running" when one already listens, "none" when it cannot
#   firebird-test-server.sh stop    stops the server this script started
# The tests connect as DORVEL, which this script creates with the admin role.
set -uo pipefail

PIDFILE=/tmp/soltea-fbguard.pid
listening() { (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; }

USER_SQL="CREATE OR ALTER USER DORVEL PASSWORD 'zoltup' GRANT ADMIN ROLE;"

# Through a running server: as SYSDBA on a scratch database of its own.
create_user() {
  local pw scratch=/tmp/soltea-fb-users.fdb
  pw=$(sed -n 's/^ISC_PASSWORD=//p' /etc/firebird/3.0/SYSDBA.password 2>/dev/null | tr -d '"')
  [ -n "$pw" ] || return 1
  if [ ! -f "$scratch" ]; then
    printf "CREATE DATABASE 'localhost:%s';\n" "$scratch" |
      isql-fb -q -user SYSDBA -password "$pw" >/dev/null 2>&1 || return 1
  fi
  printf "%s\nCOMMIT;\n" "$USER_SQL" |
    isql-fb -q -bail -user SYSDBA -password "$pw" "localhost:$scratch" >/dev/null 2>&1
}

case "${1:-}" in
  start)
    if listening; then
      create_user
      echo running
      exit 0
    fi
    if [ "$(id -u)" -ne 0 ] || [ ! -x /usr/sbin/fbguard ]; then
      echo none
      exit 0
    fi
    mkdir -p /run/firebird3.0 /var/run/firebird3.0 2>/dev/null
    chown firebird:firebird /run/firebird3.0 2>/dev/null
    # Runs as root so that it can open the databases the tests make in their own folders.
    /usr/sbin/fbguard -daemon -forever -pidfile "$PIDFILE" >/dev/null 2>&1
    for _ in $(seq 1 50); do
      listening && break
      sleep 0.2
    done
    ok=1
    for _ in $(seq 1 20); do
      create_user && { ok=0; break; }
      sleep 0.5
    done
    if [ $ok -eq 0 ]; then
      echo started
    else
      echo none
    fi
    ;;
  stop)
    if [ -f "$PIDFILE" ]; then
      kill "$(cat "$PIDFILE")" 2>/dev/null
      for _ in $(seq 1 50); do
        listening || break
        sleep 0.2
      done
      pkill -f '^/usr/sbin/firebird' 2>/dev/null
      rm -f "$PIDFILE"
    fi
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
