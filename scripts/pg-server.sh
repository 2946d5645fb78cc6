#!/usr/bin/env bash
# A PostgreSQL server of the tests' own, in a temporary folder, reached through a socket there.
#   scripts/pg-server.sh start [NAME=VALUE ...]
#                                   starts it; prints the folder and, on the last line, the
#                                   connection string for KESTREL_PG_TEST; each NAME=VALUE is a
#                                   server setting taking the place of the test server's own
#   scripts/pg-server.sh stop DIR   stops the server of that folder and removes the folder
# PostgreSQL refuses to run as root: as root the server runs as the user nobody.
set -euo pipefail
bindir=$(pg_config --bindir)
as_server() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u nobody -- "$@"
    else
        "$@"
    fi
}
case "${1:-}" in
start)
    shift
    settings=()
    for setting in "$@"; do
        case "$setting" in
        [a-z_]*=*) settings+=(-c "$setting") ;;
        *) echo "$0: not a server setting NAME=VALUE: $setting" >&2; exit 2 ;;
        esac
    done
    dir=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-pg.XXXXXX")
    chmod 755 "$dir"
    if [ "$(id -u)" -eq 0 ]; then
        chown nobody:nogroup "$dir"
    fi
    as_server "$bindir/initdb" -D "$dir/data" -U kestrel --auth=trust -E UTF8 --locale=C.UTF-8 \
        --no-sync >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    # A test server: nothing is kept after the run, so nothing is flushed to disk.
    as_server "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -s start \
        -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=off \
            -c synchronous_commit=off -c full_page_writes=off -c max_connections=200 ${settings[*]:-}" \
        || { cat "$dir/server.log" >&2; exit 1; }
    echo "$dir"
    echo "host=$dir user=kestrel dbname=postgres"
    ;;
stop)
    dir=${2:?the folder printed by start}
    if [ -f "$dir/data/postmaster.pid" ]; then
        as_server "$bindir/pg_ctl" -D "$dir/data" -w -s -m fast stop || true
    fi
    rm -rf "$dir"
    ;;
*)
    echo "usage: $0 start | stop DIR" >&2
    exit 2
    ;;
esac
