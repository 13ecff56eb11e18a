#!/usr/bin/env bash
# A whole book service cluster on one machine, for trying it out, for the tests and for the
# benchmarks: PostgreSQL (its own cluster in DIR, on a socket in DIR), an S3 object store (the
# Swift proxy with its S3 layer and one storage node of each kind, data in DIR), two bookservice
# nodes and haproxy in front on 127.0.0.1.
#
#   bookservice-cluster.sh start DIR                 prints front=http://127.0.0.1:PORT
#   bookservice-cluster.sh add-user DIR NAME EMAIL   password on standard input
#   bookservice-cluster.sh stop DIR                  ends everything it started
#   bookservice-cluster.sh stop-part DIR PART        PART: postgres, store, node1, node2, front
#   bookservice-cluster.sh kill-part DIR PART        the same with SIGKILL, as a crash would
#   bookservice-cluster.sh start-part DIR PART       starts a stopped part again
#   bookservice-cluster.sh show DIR                  the addresses (front=, node1=, node2=, ...)
#
# BOOKSERVICE names the program (default: build/bin/bookservice beside this script). Credentials
# live only in DIR/bookservice.conf (mode 0600), never on a command line.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${BOOKSERVICE:-$root/build/bin/bookservice}
pgbin=/usr/lib/postgresql/15/bin
python=/usr/bin/python3
parts=(postgres store node1 node2 front)

die() {
    echo "bookservice-cluster: $*" >&2
    exit 1
}

usage() {
    sed -n '7,14p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

# A free port below the kernel's range for outgoing connections: a port from that range (what
# binding port 0 gives) may be taken by any program's next connection before our server binds it.
free_port() {
    "$python" - <<'EOF'
import random, socket
low = int(open("/proc/sys/net/ipv4/ip_local_port_range").read().split()[0])
candidates = range(10000, low) if low > 10000 else range(0)
for port in random.sample(candidates, min(200, len(candidates))):
    with socket.socket() as s:
        try:
            s.bind(("127.0.0.1", port))
        except OSError:
            continue
    print(port)
    break
else:
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        print(s.getsockname()[1])
EOF
}

secret() {
    "$python" -c 'import secrets; print(secrets.token_hex(24))'
}

# PostgreSQL refuses to run as root; as root the cluster runs it as nobody.
as_db_user() {
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u nobody -- "$@"
    else
        "$@"
    fi
}

port_of() { sed -n "s/^$2=//p" "$1/ports"; }

# The schema and the bucket, made once the store takes requests: its proxy answers its health check
# before the account and container servers behind it do, so a busy machine may need a few tries.
# The step is idempotent (versioned schema, an existing bucket is kept).
set_up_schema() { # DIR
    local deadline=$((SECONDS + 90))
    until "$program" --config "$1/bookservice.conf" migrate-schema >>"$1/logs/schema.log" 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 1
    done
}

wait_for_http() { # URL SECONDS
    local deadline=$((SECONDS + $2))
    until curl -s -o /dev/null --max-time 2 "$1"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

# Waits until the process of the pid file is gone; SIGKILL after 20 seconds.
wait_gone() { # PID
    local tries=0
    while kill -0 "$1" 2>/dev/null; do
        ((++tries == 200)) && kill -KILL "$1" 2>/dev/null
        sleep 0.1
    done
}

# Starts a program in the background, in its own session, its output to DIR/logs/NAME.log.
spawn() { # DIR NAME COMMAND...
    local dir=$1 name=$2
    shift 2
    setsid "$@" >>"$dir/logs/$name.log" 2>&1 </dev/null &
    echo $! >"$dir/run/$name.pid"
}

# --- PostgreSQL ------------------------------------------------------------------------------

init_postgres() { # DIR PASSWORD
    local dir=$1
    mkdir -p "$dir/pg"
    if [[ $(id -u) -eq 0 ]]; then
        chmod o+x "$dir"
        chown nobody "$dir/pg"
        runuser -u nobody -- test -x "$dir/pg" ||
            die "PostgreSQL runs as nobody here, who cannot reach $dir (a folder above it is private)"
    fi
    chmod 0700 "$dir/pg"
    local pwfile=$dir/pg/initial-password
    (umask 077 && printf '%s\n' "$2" >"$pwfile")
    if [[ $(id -u) -eq 0 ]]; then chown nobody "$pwfile"; fi
    as_db_user "$pgbin/initdb" -D "$dir/pg/data" -U bookservice --auth=scram-sha-256 \
        --pwfile="$pwfile" -E UTF8 --locale=C.UTF-8 >"$dir/logs/initdb.log" 2>&1 ||
        die "initdb failed; see $dir/logs/initdb.log"
    rm -f "$pwfile"
    cat >>"$dir/pg/data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$dir/pg'
port = 5432
max_connections = 60
shared_buffers = 32MB
fsync = on
EOF
}

start_postgres() {
    local dir=$1
    if [[ $(id -u) -eq 0 ]]; then
        touch "$dir/logs/postgres.log"
        chown nobody "$dir/logs/postgres.log"
    fi
    as_db_user "$pgbin/pg_ctl" -D "$dir/pg/data" -l "$dir/logs/postgres.log" -w -t 60 start \
        >/dev/null || die "PostgreSQL did not start; see $dir/logs/postgres.log"
    head -1 "$dir/pg/data/postmaster.pid" >"$dir/run/postgres.pid"
}

# --- the object store: the Swift proxy with its S3 layer ---------------------------------------

swift_server_conf() { # DIR KIND PORT
    cat <<EOF
[DEFAULT]
devices = $1/swift/devices
mount_check = false
bind_ip = 127.0.0.1
bind_port = $3
workers = 0
swift_dir = $1/swift
log_name = swift-$2
log_level = WARNING

[pipeline:main]
pipeline = $2-server

[app:$2-server]
use = egg:swift#$2
EOF
}

init_store() { # DIR KEY SECRET
    local dir=$1 swift=$1/swift
    mkdir -p "$swift/devices/d1"
    cat >"$swift/swift.conf" <<EOF
[swift-hash]
swift_hash_path_suffix = $(secret)

[storage-policy:0]
name = single
default = yes
EOF
    local kind port
    for kind in account container object; do
        port=$(free_port)
        echo "$kind=$port" >>"$dir/ports"
        swift_server_conf "$dir" "$kind" "$port" >"$swift/$kind-server.conf"
        swift-ring-builder "$swift/$kind.builder" create 4 1 1 >/dev/null
        swift-ring-builder "$swift/$kind.builder" add "r1z1-127.0.0.1:$port/d1" 1 >/dev/null
        swift-ring-builder "$swift/$kind.builder" rebalance >/dev/null || true
    done
    local account=${2%%:*} user=${2#*:}
    (
        umask 077
        cat >"$swift/proxy-server.conf" <<EOF
[DEFAULT]
bind_ip = 127.0.0.1
bind_port = $(port_of "$dir" store)
workers = 0
swift_dir = $swift
log_name = swift-proxy
log_level = WARNING

[pipeline:main]
pipeline = catch_errors gatekeeper healthcheck proxy-logging cache listing_formats s3api tempauth copy slo dlo proxy-logging proxy-server

[app:proxy-server]
use = egg:swift#proxy
account_autocreate = true

[filter:s3api]
use = egg:swift#s3api
location = us-east-1

[filter:tempauth]
use = egg:swift#tempauth
user_${account}_${user} = $3 .admin

[filter:catch_errors]
use = egg:swift#catch_errors
[filter:gatekeeper]
use = egg:swift#gatekeeper
[filter:healthcheck]
use = egg:swift#healthcheck
[filter:proxy-logging]
use = egg:swift#proxy_logging
[filter:cache]
use = egg:swift#memcache
[filter:listing_formats]
use = egg:swift#listing_formats
[filter:copy]
use = egg:swift#copy
[filter:slo]
use = egg:swift#slo
[filter:dlo]
use = egg:swift#dlo
EOF
    )
}

start_store() {
    local dir=$1 kind
    for kind in account container object; do
        spawn "$dir" "swift-$kind" "swift-$kind-server" "$dir/swift/$kind-server.conf"
    done
    spawn "$dir" store swift-proxy-server "$dir/swift/proxy-server.conf"
    # The proxy answers its health check before the storage servers listen; any answer of theirs
    # says they do. A server that ended is reported at once; one still starting on a busy machine
    # is given two minutes.
    local name answered
    for kind in store account container object; do
        name=swift-$kind
        [[ $kind == store ]] && name=store
        answered=0
        answers_while_running "$dir" "$name" "http://127.0.0.1:$(port_of "$dir" "$kind")/healthcheck" \
            120 || answered=$?
        ((answered == 0)) && continue
        # The log goes with a test's scratch folder; its end is what says why.
        tail -n 20 "$dir/logs/$name.log" >&2
        ((answered == 2)) && die "$name ended while starting; see $dir/logs/$name.log"
        die "$name did not answer within two minutes; see $dir/logs/$name.log"
    done
}

stop_store() {
    stop_pids "$1" "$2" store swift-object swift-container swift-account
}

# --- bookservice nodes and the front -------------------------------------------------------

write_config() { # DIR DBPASSWORD KEY SECRET
    local dir=$1
    (
        umask 077
        cat >"$dir/bookservice.conf" <<EOF
# The book service cluster's nodes all read this file. Keep it private (mode 0600).
database = host=$dir/pg port=5432 dbname=bookservice user=bookservice password=$2
database_connections = 8
store_endpoint = http://127.0.0.1:$(port_of "$dir" store)
store_region = us-east-1
store_bucket = books
store_access_key = $3
store_secret_key = $4
EOF
    )
}

# 0 once the part answers at URL, 2 as soon as its process has ended, 1 after SECONDS.
answers_while_running() { # DIR NAME URL SECONDS
    local pid deadline=$((SECONDS + $4))
    pid=$(cat "$1/run/$2.pid")
    until curl -s -o /dev/null --max-time 2 "$3"; do
        kill -0 "$pid" 2>/dev/null || return 2
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

# A node's port was picked when the cluster was set up; by the time the node starts, a connection
# of another program on this machine may hold it, and the node ends without answering. Until the
# front is configured, such a node gets a fresh port, up to three times; a node restarted behind a
# running front keeps its port, which the front sends to.
start_node() { # DIR NAME
    local dir=$1 port attempt answered
    mkdir -p "$dir/$2"
    for attempt in 1 2 3; do
        port=$(port_of "$dir" "$2")
        spawn "$dir" "$2" "$program" --config "$dir/bookservice.conf" --staging "$dir/$2" \
            --listen "127.0.0.1:$port"
        answered=0
        answers_while_running "$dir" "$2" "http://127.0.0.1:$port/" 60 || answered=$?
        ((answered == 0)) && return 0
        ((answered == 2)) && [[ ! -e $dir/run/front.pid ]] || break
        rm -f "$dir/run/$2.pid"
        sed -i "s/^$2=.*/$2=$(free_port)/" "$dir/ports"
    done
    die "$2 did not start; see $dir/logs/$2.log"
}

start_front() {
    local dir=$1
    cat >"$dir/haproxy.cfg" <<EOF
global
    maxconn 4096

defaults
    mode http
    timeout connect 5s
    timeout client 10m
    timeout server 10m
    timeout http-request 15s
    option forwardfor

frontend front
    bind 127.0.0.1:$(port_of "$dir" front)
    default_backend nodes

backend nodes
    balance roundrobin
    option httpchk GET /
    server node1 127.0.0.1:$(port_of "$dir" node1) check inter 1s fall 2 rise 1
    server node2 127.0.0.1:$(port_of "$dir" node2) check inter 1s fall 2 rise 1
EOF
    haproxy -c -q -f "$dir/haproxy.cfg" || die "haproxy refused $dir/haproxy.cfg"
    spawn "$dir" front haproxy -db -f "$dir/haproxy.cfg"
    wait_for_http "http://127.0.0.1:$(port_of "$dir" front)/" 30 ||
        die "haproxy did not start; see $dir/logs/front.log"
}

# Signals the processes of the pid files DIR/run/NAME.pid all at once, then waits for each.
stop_pids() { # DIR SIGNAL NAME...
    local dir=$1 signal=$2 name pids=()
    shift 2
    for name in "$@"; do
        [[ -f $dir/run/$name.pid ]] || continue
        pids+=("$(cat "$dir/run/$name.pid")")
        kill "-$signal" "${pids[-1]}" 2>/dev/null || true
    done
    for name in "${pids[@]}"; do
        wait_gone "$name"
    done
    for name in "$@"; do
        rm -f "$dir/run/$name.pid"
    done
}

stop_part() { # DIR PART SIGNAL
    case $2 in
    postgres)
        if [[ $3 == KILL ]]; then
            stop_pids "$1" KILL postgres
        elif [[ -f $1/run/postgres.pid ]]; then
            as_db_user "$pgbin/pg_ctl" -D "$1/pg/data" -m fast -w stop >/dev/null || true
            rm -f "$1/run/postgres.pid"
        fi
        ;;
    store) stop_store "$1" "$3" ;;
    node1 | node2 | front) stop_pids "$1" "$3" "$2" ;;
    *) die "unknown part $2 (one of ${parts[*]})" ;;
    esac
}

start_part() { # DIR PART
    case $2 in
    postgres) start_postgres "$1" ;;
    store) start_store "$1" ;;
    node1 | node2) start_node "$1" "$2" ;;
    front) start_front "$1" ;;
    *) die "unknown part $2 (one of ${parts[*]})" ;;
    esac
}

start_cluster() {
    local dir=$1
    [[ -x $program ]] || die "no $program; build it first"
    mkdir -p "$dir/logs" "$dir/run"
    dir=$(cd "$dir" && pwd)
    [[ -e $dir/run/front.pid ]] && die "$dir already runs a cluster"
    if [[ ! -f $dir/bookservice.conf ]]; then
        : >"$dir/ports"
        local part
        for part in store node1 node2 front; do
            echo "$part=$(free_port)" >>"$dir/ports"
        done
        local dbpassword key=books:node storekey
        dbpassword=$(secret)
        storekey=$(secret)
        # The store's rings are built while initdb runs.
        init_store "$dir" "$key" "$storekey" &
        local rings=$!
        init_postgres "$dir" "$dbpassword"
        wait "$rings" || die "the object store could not be set up"
        write_config "$dir" "$dbpassword" "$key" "$storekey"
        start_postgres "$dir"
        PGPASSWORD=$dbpassword "$pgbin/createdb" -h "$dir/pg" -U bookservice \
            bookservice || die "cannot create the database"
        start_store "$dir"
        set_up_schema "$dir" || die "the schema could not be set up; see $dir/logs/schema.log"
    else
        start_postgres "$dir"
        start_store "$dir"
    fi
    start_node "$dir" node1
    start_node "$dir" node2
    start_front "$dir"
    show "$dir"
}

stop_cluster() {
    local dir=$1
    [[ -d $dir/run ]] || return 0
    stop_pids "$dir" TERM front node1 node2 store swift-object swift-container swift-account
    stop_part "$dir" postgres TERM
}

show() {
    local dir=$1 part
    for part in front node1 node2 store; do
        echo "$part=http://127.0.0.1:$(port_of "$dir" "$part")"
    done
    echo "config=$dir/bookservice.conf"
}

(($# >= 2)) || usage
command=$1
dir=$2
shift 2
case $command in
start) start_cluster "$dir" ;;
stop) stop_cluster "$dir" ;;
add-user)
    (($# == 2)) || usage
    "$program" --config "$dir/bookservice.conf" add-user "$1" "$2"
    ;;
stop-part) stop_part "$dir" "${1:?part}" TERM ;;
kill-part) stop_part "$dir" "${1:?part}" KILL ;;
start-part) start_part "$dir" "${1:?part}" ;;
show) show "$dir" ;;
*) usage ;;
esac
