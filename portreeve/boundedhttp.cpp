// Bounded HTTP exchanges with devices on libcurl.
#include "boundedhttp.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <sys/socket.h>

#include "upnplimits.h"

namespace {

struct Exchange {
    const HttpRequest *request;
    HttpAnswer *answer;
    size_t headerBytes = 0;
    int headerLines = 0;
    int verdict = HTTP_DONE;  // why our own callbacks stopped the transfer
};

size_t onBody(char *data, size_t, size_t size, void *user) {
    auto *x = static_cast<Exchange *>(user);
    if (x->answer->body.size() + size > x->request->maxBody) {
        x->verdict = HTTP_TOO_LARGE;
        return 0;
    }
    x->answer->body.append(data, size);
    return size;
}

// Header lines and chunked trailers alike.
size_t onHeader(char *, size_t, size_t size, void *user) {
    auto *x = static_cast<Exchange *>(user);
    x->headerBytes += size;
    if (x->headerBytes > UPNP_HEADER_MAX_BYTES || ++x->headerLines > UPNP_HEADER_MAX_LINES) {
        x->verdict = HTTP_HEADERS_TOO_LARGE;
        return 0;
    }
    return size;
}

// Every connection is checked where it is made: only the device's own
// address and port.
curl_socket_t onOpenSocket(void *user, curlsocktype purpose, curl_sockaddr *address) {
    auto *x = static_cast<Exchange *>(user);
    const auto *in = reinterpret_cast<const sockaddr_in *>(&address->addr);
    if (purpose != CURLSOCKTYPE_IPCXN || address->family != AF_INET || in->sin_addr.s_addr != x->request->url.address ||
        ntohs(in->sin_port) != x->request->url.port) {
        x->verdict = HTTP_REFUSED;
        return CURL_SOCKET_BAD;
    }
    return socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

long remainingMs(const HttpRequest &request) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(request.deadline -
                                                                      std::chrono::steady_clock::now());
    return (long)left.count();
}

bool cancelled(const HttpRequest &request) { return request.cancel && request.cancel->load(); }

int translate(CURLcode code) {
    switch (code) {
    case CURLE_OK: return HTTP_DONE;
    case CURLE_OPERATION_TIMEDOUT: return HTTP_TIMED_OUT;
    case CURLE_FILESIZE_EXCEEDED: return HTTP_TOO_LARGE;
    case CURLE_COULDNT_CONNECT:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE: return HTTP_UNREACHABLE;
    case CURLE_OUT_OF_MEMORY: return HTTP_HEADERS_TOO_LARGE;
    default: return HTTP_BROKEN;
    }
}

}  // namespace

int httpExchange(const HttpRequest &request, HttpAnswer *answer) {
    *answer = HttpAnswer{};
    long timeout = remainingMs(request);
    if (cancelled(request)) return HTTP_CANCELLED;
    if (timeout <= 0) return HTTP_TIMED_OUT;
    CURL *easy = curl_easy_init();
    CURLM *multi = curl_multi_init();
    if (!easy || !multi) {
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
        return HTTP_UNREACHABLE;
    }
    Exchange x{&request, answer};
    curl_slist *headers = nullptr;
    for (const std::string &h : request.headers) headers = curl_slist_append(headers, h.c_str());

    curl_easy_setopt(easy, CURLOPT_URL, request.url.text.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");  // never a proxy, whatever the environment says
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, (long)UPNP_CONNECT_TIMEOUT_MS);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, timeout);
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, (curl_off_t)request.maxBody);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &x);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &x);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, onOpenSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, &x);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Linux UPnP/1.0 portreeve/1.0");
    if (headers) curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    if (request.body) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body->data());
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, (curl_off_t)request.body->size());
    }

    // Driven in short slices so that a cancellation ends the exchange at once.
    curl_multi_add_handle(multi, easy);
    int result = HTTP_DONE;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = HTTP_BROKEN;
            break;
        }
        if (!running) {
            int left = 0;
            CURLMsg *msg = curl_multi_info_read(multi, &left);
            CURLcode code = msg && msg->msg == CURLMSG_DONE ? msg->data.result : CURLE_GOT_NOTHING;
            result = x.verdict != HTTP_DONE ? x.verdict : translate(code);
            break;
        }
        if (cancelled(request)) {
            result = HTTP_CANCELLED;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, 100, nullptr);
    }
    if (result == HTTP_DONE) curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &answer->status);
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    curl_multi_cleanup(multi);
    curl_slist_free_all(headers);
    if (result != HTTP_DONE) answer->body.clear();
    return result;
}

const char *httpReason(int result) {
    switch (result) {
    case HTTP_DONE: return "answered";
    case HTTP_UNREACHABLE: return "no connection or answer";
    case HTTP_TIMED_OUT: return "no answer in time";
    case HTTP_TOO_LARGE: return "answer larger than the size limit";
    case HTTP_HEADERS_TOO_LARGE: return "header section larger than its limit";
    case HTTP_REFUSED: return "connection to another address refused";
    case HTTP_CANCELLED: return "cancelled";
    default: return "not a valid HTTP answer";
    }
}
