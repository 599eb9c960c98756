// A streaming XML parse with bounds: no document type declarations (so no
// entities to expand), a depth limit, and a handler that may stop the parse.
#pragma once
#include <cstddef>

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    // depth is 1 for the root element.
    virtual void start(const char *name, int depth) = 0;
    virtual void end(const char *name, int depth) = 0;
    virtual void text(const char *chars, int length) = 0;
    // A handler sets this (negative) to stop the parse with that result.
    int failure = 0;
};

// 0 when the whole document was well-formed and the handler did not stop it;
// else the handler's failure, UPNPDESC_TOO_DEEP or UPNPDESC_MALFORMED.
// With namespaces, names arrive as "<namespace URI> <local name>".
int xmlboundParse(const char *data, size_t size, bool namespaces, XmlHandler &handler);
