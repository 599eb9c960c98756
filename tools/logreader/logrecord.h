// Checking and printing the records of the log mailslot.
#ifndef LOGREADER_LOGRECORD_H
#define LOGREADER_LOGRECORD_H

#include <cstddef>
#include <string>

// The reason a record is refused, or an empty string for a sound record.
std::string logRecordProblem(const unsigned char *bytes, std::size_t size);

// "<time stamp> [<level>] <source>: <text>" of a sound record.
std::string logRecordLine(const unsigned char *bytes, std::size_t size);

#endif
