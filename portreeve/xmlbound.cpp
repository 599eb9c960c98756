// Bounded XML parsing on expat.
#include "xmlbound.h"

#include <expat.h>

#include "upnpdesc.h"
#include "upnplimits.h"

namespace {

struct Context {
    XML_Parser parser;
    XmlHandler *handler;
    int depth = 0;
    int result = 0;
};

void stop(Context *c, int result) {
    if (c->result == 0) c->result = result;
    XML_StopParser(c->parser, XML_FALSE);
}

void XMLCALL onStart(void *data, const XML_Char *name, const XML_Char **) {
    auto *c = static_cast<Context *>(data);
    if (++c->depth > UPNP_XML_MAX_DEPTH) return stop(c, UPNPDESC_TOO_DEEP);
    c->handler->start(name, c->depth);
    if (c->handler->failure) stop(c, c->handler->failure);
}

void XMLCALL onEnd(void *data, const XML_Char *name) {
    auto *c = static_cast<Context *>(data);
    c->handler->end(name, c->depth--);
    if (c->handler->failure) stop(c, c->handler->failure);
}

void XMLCALL onText(void *data, const XML_Char *chars, int length) {
    auto *c = static_cast<Context *>(data);
    c->handler->text(chars, length);
    if (c->handler->failure) stop(c, c->handler->failure);
}

// Descriptions and action answers never need a document type; refusing it
// leaves no entity to expand.
void XMLCALL onDoctype(void *data, const XML_Char *, const XML_Char *, const XML_Char *, int) {
    stop(static_cast<Context *>(data), UPNPDESC_MALFORMED);
}

}  // namespace

int xmlboundParse(const char *data, size_t size, bool namespaces, XmlHandler &handler) {
    if (size > (size_t)INT32_MAX) return UPNPDESC_TOO_LARGE;
    XML_Parser parser = namespaces ? XML_ParserCreateNS(nullptr, ' ') : XML_ParserCreate(nullptr);
    if (!parser) return UPNPDESC_MALFORMED;
    Context c{parser, &handler};
    XML_SetUserData(parser, &c);
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    XML_SetStartDoctypeDeclHandler(parser, onDoctype);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_Status status = XML_Parse(parser, data, (int)size, XML_TRUE);
    XML_ParserFree(parser);
    if (c.result != 0) return c.result;
    return status == XML_STATUS_OK ? 0 : UPNPDESC_MALFORMED;
}
