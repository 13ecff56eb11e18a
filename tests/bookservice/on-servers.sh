#!/usr/bin/env bash
# Runs the book service tests given (a GoogleTest program and a filter) with accounts in PostgreSQL
# and books in the S3 store, on a cluster of scripts/bookservice-cluster.sh that lives as long as
# the program runs.
#   on-servers.sh PROGRAM FILTER
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=$(mktemp -d)
chmod 0711 "$dir" # as root, PostgreSQL runs as nobody, who must reach the folder
trap '"$root/scripts/bookservice-cluster.sh" stop "$dir"; rm -rf "$dir"' EXIT
"$root/scripts/bookservice-cluster.sh" start "$dir" >/dev/null
BOOKSERVICE_TEST_CONFIG=$dir/bookservice.conf "$1" --gtest_filter="$2"
