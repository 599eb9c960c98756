// Device description documents: the texts the control point uses, read in
// one bounded pass.
#include "upnpdesc.h"

#include <cstring>

#include "upnplimits.h"
#include "xmlbound.h"

namespace {

void trim(std::string *text) {
    const char *space = " \t\r\n";
    size_t first = text->find_first_not_of(space);
    if (first == std::string::npos) {
        text->clear();
        return;
    }
    text->erase(text->find_last_not_of(space) + 1);
    text->erase(0, first);
}

class DescriptionReader : public XmlHandler {
public:
    explicit DescriptionReader(UpnpDescription *out) : out_(out) {}

    void start(const char *name, int depth) override {
        depth_ = depth;
        if (!inService_ && serviceListDepth_ > 0 && std::strcmp(name, "service") == 0) {
            if ((int)out_->services.size() < UPNP_DESCRIPTION_MAX_SERVICES) {
                out_->services.emplace_back();
                inService_ = true;
                serviceDepth_ = depth;
                seen_ = 0;
            }
            return;
        }
        if (serviceListDepth_ == 0 && std::strcmp(name, "serviceList") == 0) serviceListDepth_ = depth;
        if (inService_) {
            static const char *const fields[] = {"serviceType", "serviceId", "controlURL", "eventSubURL"};
            UpnpdescService &s = out_->services.back();
            std::string *targets[] = {&s.serviceType, &s.serviceId, &s.controlUrl, &s.eventSubUrl};
            for (int i = 0; i < 4; ++i)
                if (!(seen_ & (1u << i)) && std::strcmp(name, fields[i]) == 0) {
                    seen_ |= 1u << i;
                    capture(targets[i], depth);
                }
        }
        if (!haveType_ && std::strcmp(name, "deviceType") == 0) {
            haveType_ = true;
            capture(&out_->deviceType, depth);
        }
        captureFirst(name, "friendlyName", &out_->friendlyName, depth);
        captureFirst(name, "manufacturer", &out_->manufacturer, depth);
        captureFirst(name, "URLBase", &out_->urlBase, depth);
    }

    void end(const char *, int depth) override {
        for (Capture &c : captures_)
            if (c.text && c.depth == depth) {
                trim(c.text);
                c.text = nullptr;
            }
        if (inService_ && depth == serviceDepth_) inService_ = false;
        if (depth == serviceListDepth_) serviceListDepth_ = 0;
        depth_ = depth - 1;
    }

    // An element's own text, not that of its children.
    void text(const char *chars, int length) override {
        for (Capture &c : captures_)
            if (c.text && c.depth == depth_) {
                if (c.text->size() + (size_t)length > UPNP_XML_MAX_TEXT) {
                    failure = UPNPDESC_TOO_LONG;
                    return;
                }
                c.text->append(chars, (size_t)length);
            }
    }

private:
    struct Capture {
        std::string *text = nullptr;
        int depth = 0;
    };

    // At most one capture per wanted name is open at a time, so eight slots
    // (four description texts, four service texts) always suffice.
    void capture(std::string *text, int depth) {
        text->clear();
        for (Capture &c : captures_)
            if (!c.text) {
                c = {text, depth};
                return;
            }
    }
    void captureFirst(const char *name, const char *tag, std::optional<std::string> *field, int depth) {
        if (field->has_value() || std::strcmp(name, tag) != 0) return;
        field->emplace();
        capture(&**field, depth);
    }

    UpnpDescription *out_;
    Capture captures_[8];
    int depth_ = 0;
    bool haveType_ = false;
    bool inService_ = false;
    int serviceDepth_ = 0;
    int serviceListDepth_ = 0;
    unsigned seen_ = 0;
};

}  // namespace

int upnpdescParse(const char *data, size_t size, UpnpDescription *out) {
    if (!data || !out) return UPNPDESC_MALFORMED;
    if (size > UPNP_DESCRIPTION_MAX_BYTES) return UPNPDESC_TOO_LARGE;
    *out = UpnpDescription{};
    DescriptionReader reader(out);
    int rc = xmlboundParse(data, size, false, reader);
    if (rc != 0) *out = UpnpDescription{};
    return rc;
}

const char *upnpdescReason(int result) {
    switch (result) {
    case UPNPDESC_OK: return "accepted";
    case UPNPDESC_TOO_LARGE: return "larger than the size limit";
    case UPNPDESC_TOO_DEEP: return "nested too deeply";
    case UPNPDESC_TOO_LONG: return "an element text is too long";
    default: return "not well-formed XML";
    }
}
