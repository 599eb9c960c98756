// SOAP control messages of the port mapping actions: the request envelope and
// the check of the answer.
#pragma once
#include <cstddef>
#include <string>

struct UpnpsoapArgument {
    const char *name;
    std::string value;
};

// The request body: the action element in the service type's namespace with
// the arguments in the order given, values escaped.
std::string upnpsoapRequest(const char *action, const char *serviceType, const UpnpsoapArgument *arguments,
                            int count);

// 0 only for a well-formed envelope whose body holds exactly one element,
// "<action>Response" in the service type's namespace. A well-formed fault
// gives its error code when that is a positive number; anything else -5.
int upnpsoapAnswerResult(const char *data, size_t size, const char *action, const char *serviceType);
