// The peer of the log list benchmark: the same rows put into a Qt tree view
// directly (platform/bench/listview_peer.cpp, beside the platform layer
// because it uses Qt).
#pragma once

#include <string>
#include <vector>

struct PeerRow {
    std::string date;
    std::string message;
};

// Seconds to fill a shown two-column tree view with rows, newest first, and
// to paint it once.
double fillWithQt(const std::vector<PeerRow> &rows, double *paintSeconds);
