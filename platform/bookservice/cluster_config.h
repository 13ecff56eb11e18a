// The configuration file of a node that keeps its state on servers (PostgreSQL, an S3 store).
// Lines of "key = value"; "#" begins a comment line. It holds credentials, so it must be private
// to its owner (no permissions for group or others) and its values are never logged.
//
//     database = host=/run/postgresql dbname=bookservice user=bookservice password=...
//     database_connections = 8
//     store_endpoint = https://s3.example.net
//     store_region = us-east-1
//     store_bucket = books
//     store_access_key = ...
//     store_secret_key = ...
//     staging = /var/lib/bookservice/staging
#pragma once

#include "platform/bookservice/s3_client.h"

#include <cstddef>
#include <string>

namespace bookservice {

struct ClusterConfig {
    std::string database; // a libpq connection string
    std::size_t databaseConnections = 8;
    S3Settings store;
    std::string staging; // this node's scratch space; --staging overrides it
};

// Reads and checks the file; false, with `error` saying why (never quoting a value), on a fault.
bool readClusterConfig(const std::string& path, ClusterConfig& config, std::string& error);

} // namespace bookservice
