#!/usr/bin/env bash
# Runs a book service test program with accounts in PostgreSQL and books in the S3 store, on a
# cluster of scripts/bookservice-cluster.sh that lives as long as the program runs; the program
# finds the cluster's configuration in BOOKSERVICE_TEST_CONFIG.
#   on-servers.sh PROGRAM [ARGUMENTS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=$(mktemp -d)
chmod 0711 "$dir" # as root, PostgreSQL runs as nobody, who must reach the folder
trap '"$root/scripts/bookservice-cluster.sh" stop "$dir"; rm -rf "$dir"' EXIT
"$root/scripts/bookservice-cluster.sh" start "$dir" >/dev/null
BOOKSERVICE_TEST_CONFIG=$dir/bookservice.conf "$@"
