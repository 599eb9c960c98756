// A test Internet gateway device: answers SSDP searches, serves its device
// description over HTTP and records every SOAP action it receives.
//
//   gateway --address A --port P --uuid U --record FILE [--mode FILE]
//           [--name N] [--manufacturer M] [--layout root|embedded]
//           [--urlbase] [--control relative|absolute|otherhost|missing]
//           [--description normal|missing|huge|malformed|nowanip|ppp]
//           [--answer-delay MS] [--ssdp-interface A]
//           [--hostile KIND] [--trap-address A] [--answers N]
//
// --hostile makes it a device that attacks its control point (KIND below,
// at "hostileKinds"); it then also listens on 127.0.0.1 and [::1] and the
// trap address, and records any connection there as "TRAP <where>".
//
// Each search it receives adds a line to FILE.search. Each action is
// appended to the record file as one line:
//   <request path> <action> <name>=<value> ... (arguments in received order)
// The mode file, read at every action, holds lines "fault=N" (answer UPnP
// error N), "slow=MS" (wait before answering), "broken=1" (answer with
// malformed XML), "finite=1" (refuse a permanent mapping with error 725).
// "ppp" offers WANPPPConnection:1 at /ctl/pppconn instead of WANIPConnection.
// SIGUSR1 sends ssdp:byebye, SIGUSR2 ssdp:alive; SIGTERM ends the program.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const char *IGD = "urn:schemas-upnp-org:device:InternetGatewayDevice:1";
const char *WANIP = "urn:schemas-upnp-org:service:WANIPConnection:1";
const char *SSDP_GROUP = "239.255.255.250";

struct Options {
    std::string address = "127.0.0.1";
    std::string ssdpInterface;  // address of the interface SSDP runs on
    int port = 0;
    std::string uuid = "uuid:00000000-0000-0000-0000-000000000001";
    std::string name = "Test Gateway";
    std::string manufacturer = "Test Maker";
    std::string layout = "embedded";
    bool urlBase = false;
    std::string control = "relative";
    std::string description = "normal";
    std::string record;
    std::string mode;
    int answerDelayMs = 0;
    std::string hostile;
    std::string trapAddress;
    int answers = 1;  // answers to each search
};

Options opt;
std::mutex recordLock;
std::map<std::string, std::string> mappings;  // "TCP 8080" -> client
std::atomic<bool> running{true};

std::string base() { return "http://" + opt.address + ":" + std::to_string(opt.port); }

std::string service(const std::string &type, const std::string &id, const std::string &control) {
    std::string s = "<service><serviceType>" + type + "</serviceType><serviceId>" + id + "</serviceId>";
    if (!control.empty()) s += "<controlURL>" + control + "</controlURL>";
    return s + "<eventSubURL>/evt/" + id.substr(id.rfind(':') + 1) + "</eventSubURL><SCPDURL>/scpd.xml</SCPDURL></service>";
}

int trapPort() { return opt.port; }

std::string controlUrl() {
    if (opt.hostile == "control-mapped")
        return "http://[::ffff:" + opt.trapAddress + "]:" + std::to_string(trapPort()) + "/ctl/ipconn";
    if (opt.hostile == "control-v6loopback") return "http://[::1]:" + std::to_string(trapPort()) + "/ctl/ipconn";
    if (opt.hostile == "control-spaced") return "\n   ctl/ipconn  \n";
    if (opt.control == "absolute") return base() + "/abs/ipconn";
    if (opt.control == "otherhost") return "http://10.99.99.99:" + std::to_string(opt.port) + "/ctl/ipconn";
    if (opt.control == "missing") return "";
    return "ctl/ipconn";
}

std::string descriptionDocument() {
    if (opt.description == "malformed")
        return "<?xml version=\"1.0\"?><root><device><deviceType>" + std::string(IGD) +
               "</deviceType><friendlyName>broken</friend";
    std::string wanip = opt.description == "nowanip" ? ""
                        : opt.description == "ppp"
                            ? service("urn:schemas-upnp-org:service:WANPPPConnection:1",
                                      "urn:upnp-org:serviceId:WANPPPConn1", "/ctl/pppconn")
                            : service(WANIP, "urn:upnp-org:serviceId:WANIPConn1", controlUrl());
    std::string doc = "<?xml version=\"1.0\"?>\n<root xmlns=\"urn:schemas-upnp-org:device-1-0\">"
                      "<specVersion><major>1</major><minor>0</minor></specVersion>";
    if (opt.urlBase) doc += "<URLBase>" + base() + "/base/</URLBase>";
    doc += "<device><deviceType>" + std::string(IGD) + "</deviceType>";
    if (opt.description != "missing")
        doc += "<friendlyName>" + opt.name + "</friendlyName><manufacturer>" + opt.manufacturer + "</manufacturer>";
    doc += "<modelName>Test</modelName><UDN>" + opt.uuid + "</UDN>";
    if (opt.description == "huge") {
        // Several megabytes of harmless vendor data.
        doc += "<vendorData>";
        std::string chunk(1000, 'x');
        for (int i = 0; i < 6000; ++i) doc += "<v>" + chunk + "</v>";
        doc += "</vendorData>";
    }
    if (opt.description == "missing") return doc + "</device></root>";
    doc += "<serviceList>" + service("urn:schemas-upnp-org:service:Layer3Forwarding:1",
                                     "urn:upnp-org:serviceId:L3Forwarding1", "/l3f");
    if (opt.layout == "root") doc += wanip;
    doc += "</serviceList>";
    if (opt.layout != "root") {
        doc += "<deviceList><device><deviceType>urn:schemas-upnp-org:device:WANDevice:1</deviceType>"
               "<friendlyName>WAN</friendlyName><UDN>" + opt.uuid + "-wan</UDN>"
               "<serviceList>" + service("urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1",
                                         "urn:upnp-org:serviceId:WANCommonIFC1", "/wancic") +
               "</serviceList><deviceList><device>"
               "<deviceType>urn:schemas-upnp-org:device:WANConnectionDevice:1</deviceType>"
               "<friendlyName>WAN Connection</friendlyName><UDN>" + opt.uuid + "-conn</UDN>"
               "<serviceList>" + wanip + "</serviceList></device></deviceList></device></deviceList>";
    }
    return doc + "</device></root>\n";
}

struct Mode {
    int fault = 0;
    int slowMs = 0;
    bool broken = false;
    bool finite = false;
};

Mode readMode() {
    Mode mode;
    if (opt.mode.empty()) return mode;
    std::ifstream in(opt.mode);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq);
        int value = std::atoi(line.c_str() + eq + 1);
        if (key == "fault") mode.fault = value;
        else if (key == "slow") mode.slowMs = value;
        else if (key == "broken") mode.broken = value != 0;
        else if (key == "finite") mode.finite = value != 0;
    }
    return mode;
}

void sendAll(int fd, const std::string &data) {
    size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += (size_t)n;
    }
}

void respond(int fd, const std::string &status, const std::string &type, const std::string &body) {
    std::string head = "HTTP/1.1 " + status + "\r\nCONTENT-TYPE: " + type +
                       "\r\nCONTENT-LENGTH: " + std::to_string(body.size()) +
                       "\r\nSERVER: Linux/6 UPnP/1.0 testgateway/1.0\r\nEXT:\r\nConnection: close\r\n\r\n";
    sendAll(fd, head + body);
}

std::string envelope(const std::string &body) {
    return "<?xml version=\"1.0\"?>\n<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body>" + body +
           "</s:Body></s:Envelope>\n";
}

// Arguments of the action element, in document order: <Name>value</Name>.
std::vector<std::pair<std::string, std::string>> actionArguments(const std::string &body, std::string *action) {
    std::vector<std::pair<std::string, std::string>> args;
    size_t bodyTag = body.find("Body");
    size_t open = bodyTag == std::string::npos ? std::string::npos : body.find('<', bodyTag);
    if (open == std::string::npos) return args;
    size_t nameEnd = body.find_first_of(" >", open);
    std::string tag = body.substr(open + 1, nameEnd - open - 1);
    size_t colon = tag.find(':');
    *action = colon == std::string::npos ? tag : tag.substr(colon + 1);
    size_t pos = body.find('>', open) + 1;
    std::string close = "</" + tag;
    for (;;) {
        size_t start = body.find('<', pos);
        if (start == std::string::npos || body.compare(start, close.size(), close) == 0) break;
        size_t end = body.find('>', start);
        if (end == std::string::npos) break;
        std::string name = body.substr(start + 1, end - start - 1);
        if (!name.empty() && name.back() == '/') {  // empty element
            name.pop_back();
            args.emplace_back(name, "");
            pos = end + 1;
            continue;
        }
        size_t valueEnd = body.find("</" + name + ">", end);
        if (valueEnd == std::string::npos) break;
        args.emplace_back(name, body.substr(end + 1, valueEnd - end - 1));
        pos = valueEnd + name.size() + 3;
    }
    return args;
}

std::string argument(const std::vector<std::pair<std::string, std::string>> &args, const char *name) {
    for (const auto &a : args)
        if (a.first == name) return a.second;
    return "";
}

bool hostileAnswer(int fd, const std::string &action);

// The service type the request's action element is in (its namespace).
std::string serviceTypeOf(const std::string &body) {
    size_t at = body.find("xmlns:u=\"");
    if (at == std::string::npos) return WANIP;
    at += 9;
    size_t end = body.find('"', at);
    return end == std::string::npos ? WANIP : body.substr(at, end - at);
}

void handleAction(int fd, const std::string &path, const std::string &body) {
    std::string action;
    auto args = actionArguments(body, &action);
    int error = 0;
    std::string output;
    {
        std::lock_guard<std::mutex> lock(recordLock);
        std::string line = path + " " + action;
        for (const auto &a : args) line += " " + a.first + "=" + a.second;
        std::ofstream out(opt.record, std::ios::app);
        out << line << "\n";
        std::string key = argument(args, "NewProtocol") + " " + argument(args, "NewExternalPort");
        if (action == "AddPortMapping") mappings[key] = argument(args, "NewInternalClient");
        else if (action == "DeletePortMapping" && mappings.erase(key) == 0) error = 714;
        else if (action == "GetSpecificPortMappingEntry") {
            auto found = mappings.find(key);
            if (found == mappings.end()) error = 714;
            else output = "<NewInternalClient>" + found->second + "</NewInternalClient>";
        }
    }
    if (hostileAnswer(fd, action)) return;
    Mode mode = readMode();
    if (mode.finite && action == "AddPortMapping" && argument(args, "NewLeaseDuration") == "0") {
        std::lock_guard<std::mutex> lock(recordLock);
        mappings.erase(argument(args, "NewProtocol") + " " + argument(args, "NewExternalPort"));
        error = 725;
    }
    if (mode.slowMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(mode.slowMs));
    if (mode.fault) error = mode.fault;
    if (mode.broken) {
        respond(fd, "200 OK", "text/xml; charset=\"utf-8\"", "<?xml version=\"1.0\"?><s:Envelope><s:Body><u:");
    } else if (error) {
        std::string fault = "<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring>"
                            "<detail><UPnPError xmlns=\"urn:schemas-upnp-org:control-1-0\"><errorCode>" +
                            std::to_string(error) + "</errorCode><errorDescription>Refused</errorDescription>"
                            "</UPnPError></detail></s:Fault>";
        respond(fd, "500 Internal Server Error", "text/xml; charset=\"utf-8\"", envelope(fault));
    } else {
        respond(fd, "200 OK", "text/xml; charset=\"utf-8\"",
                envelope("<u:" + action + "Response xmlns:u=\"" + serviceTypeOf(body) + "\">" + output + "</u:" + action + "Response>"));
    }
}

void sendChunk(int fd, const std::string &data) {
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", data.size());
    sendAll(fd, size + data + "\r\n");
}

// Stays silent until the gateway ends or half a minute passes.
void stall() {
    for (int i = 0; i < 300 && running; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

const char *CHUNKED_HEAD = "HTTP/1.1 200 OK\r\nCONTENT-TYPE: text/xml\r\nTRANSFER-ENCODING: chunked\r\n\r\n";

// Attacks in the description answer; false for kinds that serve a normal one.
bool hostileDescription(int fd) {
    const std::string &k = opt.hostile;
    if (k == "deep-chunked") {  // a million nested elements
        sendAll(fd, CHUNKED_HEAD);
        std::string open;
        for (int i = 0; i < 10000; ++i) open += "<a>";
        for (int i = 0; i < 100 && running; ++i) sendChunk(fd, open);
        sendAll(fd, "0\r\n\r\n");
    } else if (k == "trailers") {  // a whole description, then 300 trailer lines
        sendAll(fd, CHUNKED_HEAD);
        sendChunk(fd, descriptionDocument());
        std::string trailers = "0\r\n";
        for (int i = 0; i < 300; ++i) trailers += "X-Trailer-" + std::to_string(i) + ": " + std::string(40, 't') + "\r\n";
        sendAll(fd, trailers + "\r\n");
    } else if (k == "siblings-chunked") {  // a megabyte of sibling elements
        sendAll(fd, CHUNKED_HEAD);
        std::string doc = descriptionDocument();
        size_t cut = doc.find("<modelName>");
        sendChunk(fd, doc.substr(0, cut));
        std::string siblings;
        for (int i = 0; i < 4096; ++i) siblings += "<v/>";
        for (int i = 0; i < 64 && running; ++i) sendChunk(fd, siblings);
        sendChunk(fd, doc.substr(cut));
        sendAll(fd, "0\r\n\r\n");
    } else if (k == "many-headers") {  // 200,000 header lines
        std::string head = "HTTP/1.1 200 OK\r\n";
        for (int i = 0; i < 200000 && running; ++i) {
            head += "X-H: " + std::to_string(i) + "\r\n";
            if (head.size() > 65536) {
                sendAll(fd, head);
                head.clear();
            }
        }
        sendAll(fd, head + "\r\n" + descriptionDocument());
    } else if (k == "long-header") {  // one header line of 8 MB
        sendAll(fd, "HTTP/1.1 200 OK\r\nX-Long: ");
        std::string piece(65536, 'l');
        for (int i = 0; i < 128 && running; ++i) sendAll(fd, piece);
        sendAll(fd, "\r\n\r\n" + descriptionDocument());
    } else if (k == "stall-description") {
        sendAll(fd, "HTTP/1.1 200 OK\r\nCONTENT-TYPE: text/xml\r\nCONTENT-LENGTH: 5000\r\n\r\n<?xml");
        stall();
    } else if (k == "huge-description") {  // 300 MB announced and sent
        sendAll(fd, "HTTP/1.1 200 OK\r\nCONTENT-TYPE: text/xml\r\nCONTENT-LENGTH: 314572800\r\n\r\n");
        std::string piece(1 << 20, ' ');
        for (int i = 0; i < 300 && running; ++i) sendAll(fd, piece);
    } else {
        return false;
    }
    return true;
}

// Attacks in the action answer; false for kinds that answer normally.
bool hostileAnswer(int fd, const std::string &action) {
    const std::string &k = opt.hostile;
    std::string fault = k == "fault-zero" ? "0" : k == "fault-text" ? "abc" : "";
    if (k == "soap-siblings") {
        sendAll(fd, CHUNKED_HEAD);
        sendChunk(fd, "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"
                      "<u:" + action + "Response xmlns:u=\"" + WANIP + "\">");
        std::string siblings;
        for (int i = 0; i < 4096; ++i) siblings += "<v/>";
        for (int i = 0; i < 64 && running; ++i) sendChunk(fd, siblings);
        sendChunk(fd, "</u:" + action + "Response></s:Body></s:Envelope>");
        sendAll(fd, "0\r\n\r\n");
    } else if (k == "soap-stall") {
        sendAll(fd, "HTTP/1.1 200 OK\r\nCONTENT-TYPE: text/xml\r\nCONTENT-LENGTH: 5000\r\n\r\n<?xml");
        stall();
    } else if (!fault.empty()) {
        respond(fd, "500 Internal Server Error", "text/xml; charset=\"utf-8\"",
                envelope("<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring><detail>"
                         "<UPnPError xmlns=\"urn:schemas-upnp-org:control-1-0\"><errorCode>" + fault +
                         "</errorCode><errorDescription>Fine</errorDescription></UPnPError></detail></s:Fault>"));
    } else {
        return false;
    }
    return true;
}

void serveConnection(int fd) {
    std::string request;
    char buffer[4096];
    size_t headerEnd = std::string::npos;
    while ((headerEnd = request.find("\r\n\r\n")) == std::string::npos && request.size() < 65536) {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, (size_t)n);
    }
    if (headerEnd != std::string::npos) {
        std::string head = request.substr(0, headerEnd);
        std::string lower = head;
        for (char &c : lower) c = (char)std::tolower((unsigned char)c);
        size_t length = 0;
        size_t cl = lower.find("content-length:");
        if (cl != std::string::npos) length = std::strtoul(head.c_str() + cl + 15, nullptr, 10);
        std::string body = request.substr(headerEnd + 4);
        while (body.size() < length) {
            ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            body.append(buffer, (size_t)n);
        }
        std::istringstream line(head);
        std::string method, path;
        line >> method >> path;
        if (method == "GET" && path == "/desc.xml") {
            if (!hostileDescription(fd)) respond(fd, "200 OK", "text/xml", descriptionDocument());
        } else if (method == "POST") {
            handleAction(fd, path, body);
        }
        else
            respond(fd, "404 Not Found", "text/plain", "not found\n");
    }
    close(fd);
}

void httpServer(int listener) {
    while (running) {
        int fd = accept(listener, nullptr, nullptr);
        if (fd < 0) continue;
        std::thread(serveConnection, fd).detach();
    }
}

int ssdpSocket() {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(1900);
    if (bind(fd, reinterpret_cast<sockaddr *>(&any), sizeof any) != 0) {
        std::perror("gateway: bind 1900");
        std::exit(1);
    }
    ip_mreq group{};
    inet_pton(AF_INET, SSDP_GROUP, &group.imr_multiaddr);
    inet_pton(AF_INET, opt.ssdpInterface.c_str(), &group.imr_interface);
    if (setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &group, sizeof group) != 0) {
        std::perror("gateway: join SSDP group");
        std::exit(1);
    }
    in_addr out{};
    inet_pton(AF_INET, opt.ssdpInterface.c_str(), &out);
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &out, sizeof out);
    return fd;
}

int g_reply = -1;      // SSDP answers and announcements leave from the gateway's address
int g_blackhole = -1;  // port of a listener whose queue is full: connections hang

// Answers and announcements leave from the gateway's own address, as a
// device's would; announcements go out on this PC's multicast interface.
int replySocket() {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in own{};
    own.sin_family = AF_INET;
    inet_pton(AF_INET, opt.address.c_str(), &own.sin_addr);
    if (bind(fd, reinterpret_cast<sockaddr *>(&own), sizeof own) != 0) {
        std::perror("gateway: bind reply socket");
        std::exit(1);
    }
    in_addr out{};
    inet_pton(AF_INET, opt.ssdpInterface.c_str(), &out);
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &out, sizeof out);
    return fd;
}

void sendByebyeFor(const std::string &uuid) {
    std::string msg = "NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nNT: " + std::string(IGD) +
                      "\r\nNTS: ssdp:byebye\r\nUSN: " + uuid + "::" + IGD + "\r\n\r\n";
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(1900);
    inet_pton(AF_INET, SSDP_GROUP, &to.sin_addr);
    sendto(g_reply, msg.data(), msg.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
}

void sendAlive() {
    std::string msg = "NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nCACHE-CONTROL: max-age=1800\r\n"
                      "LOCATION: " + base() + "/desc.xml\r\nNT: " + std::string(IGD) +
                      "\r\nNTS: ssdp:alive\r\nSERVER: Linux/6 UPnP/1.0 testgateway/1.0\r\nUSN: " + opt.uuid +
                      "::" + IGD + "\r\n\r\n";
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(1900);
    inet_pton(AF_INET, SSDP_GROUP, &to.sin_addr);
    for (int i = 0; i < 2; ++i) sendto(g_reply, msg.data(), msg.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
}

void sendByebye() {
    for (int i = 0; i < 2; ++i) sendByebyeFor(opt.uuid);
}

// 24,000 departures of devices nobody knows.
void byebyeFlood() {
    for (int i = 0; i < 24000 && running; ++i) {
        char uuid[64];
        std::snprintf(uuid, sizeof uuid, "uuid:f100d000-0000-4000-8000-%012d", i);
        sendByebyeFor(uuid);
        if (i % 1000 == 999) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string searchAnswer(const std::string &location, const std::string &uuid) {
    return "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=1800\r\nEXT:\r\nLOCATION: " + location +
           "\r\nSERVER: Linux/6 UPnP/1.0 testgateway/1.0\r\nST: " + IGD + "\r\nUSN: " + uuid + "::" + IGD +
           "\r\n\r\n";
}

void ssdpServer(int fd) {
    char buffer[2048];
    bool flooded = false;
    while (running) {
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        ssize_t n = recvfrom(fd, buffer, sizeof buffer - 1, 0, reinterpret_cast<sockaddr *>(&from), &fromLen);
        if (n <= 0) continue;
        buffer[n] = '\0';
        std::string msg(buffer);
        if (msg.compare(0, 8, "M-SEARCH") != 0) continue;
        bool wanted = msg.find(IGD) != std::string::npos || msg.find("ssdp:all") != std::string::npos;
        if (!wanted) continue;
        {
            std::lock_guard<std::mutex> lock(recordLock);
            std::ofstream(opt.record + ".search", std::ios::app) << "M-SEARCH\n";
        }
        if (opt.answerDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(opt.answerDelayMs));
        std::vector<std::string> answers;
        if (opt.hostile == "location-loopback") {
            answers.push_back(searchAnswer("http://127.0.0.1:" + std::to_string(trapPort()) + "/desc.xml", opt.uuid));
        } else if (opt.hostile == "blackhole") {  // a hundred devices whose descriptions never come
            for (int i = 0; i < 100; ++i)
                answers.push_back(searchAnswer("http://" + opt.address + ":" + std::to_string(g_blackhole) + "/desc.xml",
                                               opt.uuid + "-" + std::to_string(i)));
        } else {
            for (int i = 0; i < opt.answers; ++i) answers.push_back(searchAnswer(base() + "/desc.xml", opt.uuid));
        }
        for (const std::string &answer : answers)
            sendto(g_reply, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr *>(&from), fromLen);
        if (opt.hostile == "byebye-flood" && !flooded) {
            flooded = true;
            std::thread(byebyeFlood).detach();
        }
    }
}

// Records every connection that reaches it: nothing should.
void trapServer(int listener, std::string where) {
    while (running) {
        int fd = accept(listener, nullptr, nullptr);
        if (fd < 0) continue;
        {
            std::lock_guard<std::mutex> lock(recordLock);
            std::ofstream(opt.record, std::ios::app) << "TRAP " << where << "\n";
        }
        close(fd);
    }
}

void openTrap(int family, const std::string &address, int port) {
    int fd = socket(family, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_storage at{};
    socklen_t length;
    if (family == AF_INET) {
        auto *in = reinterpret_cast<sockaddr_in *>(&at);
        in->sin_family = AF_INET;
        in->sin_port = htons((uint16_t)port);
        inet_pton(AF_INET, address.c_str(), &in->sin_addr);
        length = sizeof *in;
    } else {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&at);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons((uint16_t)port);
        inet_pton(AF_INET6, address.c_str(), &in6->sin6_addr);
        length = sizeof *in6;
    }
    if (bind(fd, reinterpret_cast<sockaddr *>(&at), length) != 0 || listen(fd, 16) != 0) {
        close(fd);  // that address does not exist here, so nothing can reach it either
        return;
    }
    std::thread(trapServer, fd, address + ":" + std::to_string(port)).detach();
}

// A listener whose accept queue is full, so further connection attempts
// get no answer at all.
int openBlackhole() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    inet_pton(AF_INET, opt.address.c_str(), &at.sin_addr);
    socklen_t length = sizeof at;
    if (bind(fd, reinterpret_cast<sockaddr *>(&at), length) != 0 || listen(fd, 0) != 0) return -1;
    getsockname(fd, reinterpret_cast<sockaddr *>(&at), &length);
    for (int i = 0; i < 3; ++i) {
        int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        connect(filler, reinterpret_cast<sockaddr *>(&at), length);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return ntohs(at.sin_port);
}

}  // namespace

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (a == "--address") opt.address = next();
        else if (a == "--ssdp-interface") opt.ssdpInterface = next();
        else if (a == "--port") opt.port = std::atoi(next().c_str());
        else if (a == "--uuid") opt.uuid = next();
        else if (a == "--name") opt.name = next();
        else if (a == "--manufacturer") opt.manufacturer = next();
        else if (a == "--layout") opt.layout = next();
        else if (a == "--urlbase") opt.urlBase = true;
        else if (a == "--control") opt.control = next();
        else if (a == "--description") opt.description = next();
        else if (a == "--record") opt.record = next();
        else if (a == "--mode") opt.mode = next();
        else if (a == "--answer-delay") opt.answerDelayMs = std::atoi(next().c_str());
        else if (a == "--hostile") opt.hostile = next();
        else if (a == "--answers") opt.answers = std::atoi(next().c_str());
        else if (a == "--trap-address") opt.trapAddress = next();
        else {
            std::fprintf(stderr, "gateway: unknown option %s\n", a.c_str());
            return 2;
        }
    }
    if (opt.ssdpInterface.empty()) opt.ssdpInterface = opt.address;
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGUSR1);
    sigaddset(&signals, SIGUSR2);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    int listener = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons((uint16_t)opt.port);
    inet_pton(AF_INET, opt.address.c_str(), &at.sin_addr);
    if (bind(listener, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0 || listen(listener, 16) != 0) {
        std::perror("gateway: http listener");
        return 1;
    }
    socklen_t atLen = sizeof at;
    getsockname(listener, reinterpret_cast<sockaddr *>(&at), &atLen);
    opt.port = ntohs(at.sin_port);
    int ssdp = ssdpSocket();
    g_reply = replySocket();
    if (!opt.hostile.empty()) {
        openTrap(AF_INET, "127.0.0.1", trapPort());
        openTrap(AF_INET6, "::1", trapPort());
        if (!opt.trapAddress.empty()) openTrap(AF_INET, opt.trapAddress, trapPort());
        if (opt.hostile == "blackhole") g_blackhole = openBlackhole();
    }
    std::thread(httpServer, listener).detach();
    std::thread(ssdpServer, ssdp).detach();
    std::printf("ready %d\n", opt.port);
    std::fflush(stdout);

    for (;;) {
        int sig = 0;
        sigwait(&signals, &sig);
        if (sig == SIGUSR1) sendByebye();
        else if (sig == SIGUSR2) sendAlive();
        else break;
    }
    running = false;
    // The serving threads are detached and may still be answering: leave
    // without running the static destructors of the state they use.
    std::fflush(stdout);
    std::_Exit(0);
}
