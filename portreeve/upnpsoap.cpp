// SOAP control messages: building a request, judging an answer.
#include "upnpsoap.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "upnplimits.h"
#include "xmlbound.h"

namespace {

constexpr const char *ENVELOPE_NS = "http://schemas.xmlsoap.org/soap/envelope/";

std::string escaped(const std::string &text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

// Names arrive as "<namespace> <local name>".
class AnswerReader : public XmlHandler {
public:
    AnswerReader(const char *action, const char *serviceType)
        : envelope_(std::string(ENVELOPE_NS) + " Envelope"), body_(std::string(ENVELOPE_NS) + " Body"),
          wanted_(std::string(serviceType) + " " + action + "Response") {}

    void start(const char *name, int depth) override {
        const char *local = std::strrchr(name, ' ');
        inErrorCode_ = std::strcmp(local ? local + 1 : name, "errorCode") == 0 && errorCode_.empty();
        if (depth == 1) rootOk_ = envelope_ == name;
        else if (depth == 2 && body_ == name) ++bodies_;
        else if (depth == 3 && inBody_) {
            ++bodyChildren_;
            if (wanted_ == name) answered_ = true;
        }
        if (depth == 2) inBody_ = body_ == name;
    }
    void end(const char *, int depth) override {
        if (depth == 2) inBody_ = false;
        inErrorCode_ = false;
    }
    void text(const char *chars, int length) override {
        if (!inErrorCode_) return;
        if (errorCode_.size() + (size_t)length > 16) failure = -5;
        else errorCode_.append(chars, (size_t)length);
    }

    bool success() const { return rootOk_ && bodies_ == 1 && bodyChildren_ == 1 && answered_; }
    int faultCode() const {
        char *end = nullptr;
        long code = std::strtol(errorCode_.c_str(), &end, 10);
        bool number = !errorCode_.empty() && end && (*end == '\0' || std::isspace((unsigned char)*end));
        return number && code > 0 && code < 100000 ? (int)code : -5;
    }

private:
    std::string envelope_, body_, wanted_;
    bool rootOk_ = false;
    bool inBody_ = false;
    int bodies_ = 0;
    int bodyChildren_ = 0;
    bool answered_ = false;
    bool inErrorCode_ = false;
    std::string errorCode_;
};

}  // namespace

std::string upnpsoapRequest(const char *action, const char *serviceType, const UpnpsoapArgument *arguments,
                            int count) {
    std::string body = "<?xml version=\"1.0\"?>\r\n<s:Envelope xmlns:s=\"" + std::string(ENVELOPE_NS) +
                       "\" s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:" + action +
                       " xmlns:u=\"" + escaped(serviceType) + "\">";
    for (int i = 0; i < count; ++i)
        body += std::string("<") + arguments[i].name + ">" + escaped(arguments[i].value) + "</" + arguments[i].name +
                ">";
    return body + "</u:" + action + "></s:Body></s:Envelope>\r\n";
}

int upnpsoapAnswerResult(const char *data, size_t size, const char *action, const char *serviceType) {
    if (!data || !action || !serviceType || size > UPNP_ACTION_ANSWER_MAX_BYTES) return -5;
    AnswerReader reader(action, serviceType);
    if (xmlboundParse(data, size, true, reader) != 0) return -5;
    return reader.success() ? 0 : reader.faultCode();
}
