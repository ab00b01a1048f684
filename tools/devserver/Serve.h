#pragma once

#include "DevSite.h"
#include "support/HttpTestServer.h"

namespace sowmere::devserver {

// Lets the loopback server answer every request with the development site's pages.
inline void serveDevSite(testing::HttpTestServer& server, const DevSite& site) {
    server.setDefaultHandler([&site](const testing::HttpRequest& request) {
        const auto reply = site.answer(request.pathWithQuery(), request.host);
        testing::HttpResponse response;
        response.status = reply.status;
        response.headers = {{"Content-Type", reply.contentType}};
        response.body = reply.body;
        return response;
    });
}

}  // namespace sowmere::devserver
