#pragma once

#include "httpresponse.h"
#include "testserver.h"

// "/__control/..." for tests that run the server as a process of its own:
//   GET  /__control/info               ports, credentials and token
//   GET  /__control/log                the request log as JSON (receivedMs, answeredMs: ms since the epoch)
//   POST /__control/log/clear          empties the log
//   POST /__control/fault              JSON {"path": ..., fault fields ...}
//   POST /__control/fault/clear        drops every fault
//   POST /__control/data               replaces the seeded data with the JSON body
//   POST /__control/reset              log, faults, talk chunks and data as after start
//   GET  /__control/talk?device=&channel=   the recorded talk-back chunks (Base64)
class ControlRoutes
{
public:
    explicit ControlRoutes(TestServer &server);

    static bool handles(const QString &path);
    HttpResponse handle(const TestServerRequest &request);

    static TestServerFault faultFromJson(const QJsonObject &json);

private:
    HttpResponse info() const;
    HttpResponse log() const;
    HttpResponse fault(const TestServerRequest &request);
    HttpResponse data(const TestServerRequest &request);
    HttpResponse talk(const TestServerRequest &request) const;

    TestServer &m_server;
};
