// What a device sends, judged before anything is used: URLs, descriptions
// and action answers.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <string>

#include "upnpdesc.h"
#include "upnplimits.h"
#include "upnpsoap.h"
#include "upnpurl.h"

namespace {

const char *WANIP = "urn:schemas-upnp-org:service:WANIPConnection:1";

TEST(UpnpUrl, AcceptsOnlyPlainIPv4HttpHostsAndResolvesLikeABrowser) {
    UpnpUrl url;
    ASSERT_EQ(upnpurlResolve("http://10.99.0.2:49000/desc/root.xml", "ctl/ip", &url), 0);
    EXPECT_EQ(url.text, "http://10.99.0.2:49000/desc/ctl/ip");
    EXPECT_EQ(url.port, 49000);
    EXPECT_EQ(upnpurlAddressText(url.address), "10.99.0.2");
    ASSERT_EQ(upnpurlResolve("http://10.99.0.2:49000/desc/root.xml", "/abs", &url), 0);
    EXPECT_EQ(url.text, "http://10.99.0.2:49000/abs");
    ASSERT_EQ(upnpurlParse("http://10.99.0.2/x", &url), 0);
    EXPECT_EQ(url.port, 80);

    // Other hosts in disguise, other schemes, credentials, names.
    for (const char *bad : {"http://[::ffff:10.99.0.3]:49000/c", "http://[::1]:18080/c", "https://10.99.0.2/c",
                            "file:///etc/passwd", "http://user@10.99.0.2/c", "http://gateway.local/c",
                            "http://10.99.0.2:99999/c", "ctl/ip", ""})
        EXPECT_NE(upnpurlParse(bad, &url), 0) << bad;
    EXPECT_NE(upnpurlResolve("http://10.99.0.2:49000/d.xml", "http://[::ffff:10.99.0.3]:49000/c", &url), 0);
    // Other spellings of an address are read as the parser that connects reads them.
    ASSERT_EQ(upnpurlParse("http://0x0a.99.0.2/c", &url), 0);
    EXPECT_EQ(upnpurlAddressText(url.address), "10.99.0.2");

    auto address = [](const char *text) {
        in_addr a{};
        inet_pton(AF_INET, text, &a);
        return a.s_addr;
    };
    EXPECT_TRUE(upnpurlUsableAddress(address("192.168.1.1")));
    for (const char *bad : {"127.0.0.1", "0.0.0.0", "169.254.3.4", "239.255.255.250", "255.255.255.255"})
        EXPECT_FALSE(upnpurlUsableAddress(address(bad))) << bad;
}

std::string description(const std::string &inner) {
    return "<?xml version=\"1.0\"?><root xmlns=\"urn:schemas-upnp-org:device-1-0\"><device>"
           "<deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1</deviceType>" + inner +
           "</device></root>";
}

TEST(UpnpDesc, ReadsTheTextsAndRefusesDocumentsOutOfBounds) {
    std::string doc = description(
        "<friendlyName> Router </friendlyName><deviceList><device><serviceList><service>"
        "<serviceType>urn:schemas-upnp-org:service:WANIPConnection:1</serviceType>"
        "<serviceId>id1</serviceId><controlURL>\n  /ctl/ip  \n</controlURL></service></serviceList>"
        "</device></deviceList>");
    UpnpDescription d;
    ASSERT_EQ(upnpdescParse(doc.data(), doc.size(), &d), UPNPDESC_OK);
    EXPECT_EQ(d.deviceType, "urn:schemas-upnp-org:device:InternetGatewayDevice:1");
    EXPECT_EQ(d.friendlyName.value_or("?"), "Router");
    EXPECT_FALSE(d.manufacturer.has_value());
    ASSERT_EQ(d.services.size(), 1u);
    EXPECT_EQ(d.services[0].controlUrl, "/ctl/ip");
    EXPECT_EQ(d.services[0].serviceId, "id1");

    std::string deep = description(std::string(UPNP_XML_MAX_DEPTH * 3, ' '));
    std::string nested;
    for (int i = 0; i < UPNP_XML_MAX_DEPTH; ++i) nested += "<a>";
    for (int i = 0; i < UPNP_XML_MAX_DEPTH; ++i) nested += "</a>";
    deep = description(nested);
    EXPECT_EQ(upnpdescParse(deep.data(), deep.size(), &d), UPNPDESC_TOO_DEEP);
    std::string large = description(std::string(UPNP_DESCRIPTION_MAX_BYTES, ' '));
    EXPECT_EQ(upnpdescParse(large.data(), large.size(), &d), UPNPDESC_TOO_LARGE);
    std::string longName = description("<friendlyName>" + std::string(UPNP_XML_MAX_TEXT + 1, 'n') + "</friendlyName>");
    EXPECT_EQ(upnpdescParse(longName.data(), longName.size(), &d), UPNPDESC_TOO_LONG);
    std::string entities = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaa\">]><root>&a;</root>";
    EXPECT_EQ(upnpdescParse(entities.data(), entities.size(), &d), UPNPDESC_MALFORMED);
    std::string cut = doc.substr(0, doc.size() - 5);
    EXPECT_EQ(upnpdescParse(cut.data(), cut.size(), &d), UPNPDESC_MALFORMED);
    EXPECT_TRUE(d.services.empty());
}

std::string envelope(const std::string &body) {
    return "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>" +
           body + "</s:Body></s:Envelope>";
}

std::string fault(const std::string &code) {
    return envelope("<s:Fault><faultcode>s:Client</faultcode><detail><UPnPError xmlns=\"urn:schemas-upnp-org:control-1-0\">"
                    "<errorCode>" + code + "</errorCode></UPnPError></detail></s:Fault>");
}

TEST(UpnpSoap, OnlyTheActionsOwnSuccessAnswerCounts) {
    auto result = [](const std::string &answer) {
        return upnpsoapAnswerResult(answer.data(), answer.size(), "AddPortMapping", WANIP);
    };
    EXPECT_EQ(result(envelope("<u:AddPortMappingResponse xmlns:u=\"" + std::string(WANIP) + "\"/>")), 0);
    EXPECT_EQ(result(fault("718")), 718);
    EXPECT_EQ(result(fault("0")), -5);
    EXPECT_EQ(result(fault("abc")), -5);
    EXPECT_EQ(result(envelope("<u:DeletePortMappingResponse xmlns:u=\"" + std::string(WANIP) + "\"/>")), -5);
    EXPECT_EQ(result(envelope("<u:AddPortMappingResponse xmlns:u=\"urn:other\"/>")), -5);
    EXPECT_EQ(result(envelope("")), -5);
    EXPECT_EQ(result("<AddPortMappingResponse/>"), -5);
    EXPECT_EQ(result(envelope("<u:AddPortMappingResponse xmlns:u=\"" + std::string(WANIP) + "\">")), -5);

    const UpnpsoapArgument arguments[] = {{"NewRemoteHost", "0.0.0.0"}, {"NewPortMappingDescription", "a<b&c"}};
    std::string request = upnpsoapRequest("AddPortMapping", WANIP, arguments, 2);
    EXPECT_NE(request.find("<NewRemoteHost>0.0.0.0</NewRemoteHost><NewPortMappingDescription>a&lt;b&amp;c<"),
              std::string::npos);
    EXPECT_NE(request.find("<u:AddPortMapping xmlns:u=\"" + std::string(WANIP) + "\">"), std::string::npos);
}

}  // namespace
