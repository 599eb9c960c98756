// Bounds on what a device on the network can make this plug-in spend. Every
// answer is refused as soon as it crosses one of them, while it is read.
#pragma once
#include <cstddef>

constexpr size_t UPNP_DESCRIPTION_MAX_BYTES = 256 * 1024;
constexpr size_t UPNP_ACTION_ANSWER_MAX_BYTES = 64 * 1024;
constexpr size_t UPNP_HEADER_MAX_BYTES = 16 * 1024;  // the whole header section, trailers included
constexpr int UPNP_HEADER_MAX_LINES = 100;
constexpr int UPNP_XML_MAX_DEPTH = 64;
constexpr size_t UPNP_XML_MAX_TEXT = 4096;  // characters of one element's text
constexpr int UPNP_DESCRIPTION_MAX_SERVICES = 64;

constexpr int UPNP_CONNECT_TIMEOUT_MS = 2000;
constexpr int UPNP_DESCRIPTION_TIMEOUT_MS = 4000;  // whole exchange, connect included
constexpr int UPNP_ACTION_TIMEOUT_MS = 5000;

constexpr int UPNP_DESCRIPTION_FETCHERS = 4;  // descriptions fetched at once
constexpr size_t UPNP_DESCRIPTION_QUEUE = 32;  // answers waiting for a fetcher
