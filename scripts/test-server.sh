#!/usr/bin/env bash
# A throwaway PostgreSQL server for a test run.
#
#   eval "$(bash scripts/test-server.sh start)"   # exports MARQUEL_TEST_SERVER
#   bash scripts/test-server.sh stop              # stops it and removes its folder
#
# The cluster lives in a temporary folder, listens only on a Unix socket in that folder (no TCP
# port) and trusts every local connection of its admin role "marquel". PostgreSQL refuses to run
# as root, so under root (CI) it runs as "nobody". fsync is off: the data is thrown away anyway.
# "start" prints the export line of MARQUEL_TEST_SERVER, the admin URI the tests make their
# databases with; "stop" finds the folder through that variable or through MARQUEL_TEST_SERVER_DIR.
set -euo pipefail

server_bin()
{
    local newest
    newest=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    if [ -z "$newest" ] || [ ! -x "$newest/initdb" ]; then
        echo "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb): run scripts/install-deps.sh" >&2
        exit 1
    fi
    echo "$newest"
}

# Runs a server program as the user that owns the cluster.
as_owner()
{
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u nobody -- "$@"
    else
        "$@"
    fi
}

start()
{
    local bin folder
    bin=$(server_bin)
    folder=$(mktemp -d /tmp/marquel-pg.XXXXXX)
    chmod 700 "$folder"
    if [ "$(id -u)" -eq 0 ]; then chown nobody: "$folder"; fi
    as_owner "$bin/initdb" -D "$folder/data" -U marquel --auth=trust -E UTF8 --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 || {
        cat "$folder/initdb.log" >&2
        rm -rf "$folder"
        exit 1
    }
    as_owner "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -s \
        -o "-c listen_addresses='' -c unix_socket_directories='$folder' -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
        start || {
        cat "$folder/server.log" >&2
        rm -rf "$folder"
        exit 1
    }
    echo "export MARQUEL_TEST_SERVER='postgresql:///postgres?host=$folder&user=marquel'"
}

folder_of_server()
{
    if [ -n "${MARQUEL_TEST_SERVER_DIR:-}" ]; then
        echo "$MARQUEL_TEST_SERVER_DIR"
    elif [ -n "${MARQUEL_TEST_SERVER:-}" ]; then
        echo "$MARQUEL_TEST_SERVER" | sed -n 's/.*[?&]host=\([^&]*\).*/\1/p'
    fi
}

stop()
{
    local bin folder
    folder=$(folder_of_server)
    if [ -z "$folder" ] || [ ! -d "$folder/data" ]; then
        echo "No test server to stop (MARQUEL_TEST_SERVER is not set or its folder is gone)." >&2
        exit 1
    fi
    bin=$(server_bin)
    as_owner "$bin/pg_ctl" -D "$folder/data" -m immediate -w -s stop || true
    rm -rf "$folder"
}

case "${1:-}" in
    start) start ;;
    stop) stop ;;
    *)
        echo "usage: $0 start|stop" >&2
        exit 2
        ;;
esac
