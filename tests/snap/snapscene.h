#pragma once

#include <QColor>
#include <QImage>
#include <QQuickWindow>
#include <QScopedPointer>
#include <QSGRendererInterface>

#include "settingmanager.h"
#include "snapbodies.h"
#include "testserver.h"

// An offscreen window on the software scene graph (so grabs can be pixel-checked) and
// the local test server set as the configured host, serving chosen bodies at chosen paths.
class SnapScene
{
public:
    // The software scene graph unless ZELKA_SNAP_SCENE_GRAPH=default asks for the
    // platform's own (OpenGL under xvfb), so the same checks also cover the GPU path.
    static void useSoftwareSceneGraph()
    {
        if (qEnvironmentVariable("ZELKA_SNAP_SCENE_GRAPH") != QLatin1String("default"))
            QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }

    bool start(QString *error)
    {
        if (!m_server.start()) {
            *error = m_server.errorString();
            return false;
        }
        Settings *settings = SettingManager::instance()->settings();
        settings->setHost(m_server.host());
        settings->setPort(QString::number(m_server.httpPort()));
        return true;
    }

    QQuickWindow *window(int width, int height, const QColor &background = QColor(255, 0, 255))
    {
        m_window.reset(new QQuickWindow);
        m_window->setColor(background);
        m_window->resize(width, height);
        m_window->show();
        return m_window.data();
    }

    TestServer &server() { return m_server; }

    // Answers GET path with body (HTTP 200), optionally after a delay.
    void serve(const QString &path, const QByteArray &body, int delayMs = 0)
    {
        TestServerFault fault;
        fault.status = 200;
        fault.body = body;
        fault.contentType = "application/octet-stream";
        fault.delayMs = delayMs;
        m_server.setFault(path, fault);
    }
    void refuse(const QString &path, int status)
    {
        TestServerFault fault;
        fault.status = status;
        fault.body = "refused";
        m_server.setFault(path, fault);
    }
    int requestsFor(const QString &path) const
    {
        int count = 0;
        for (const TestServerRequest &request : m_server.requestLog())
            count += request.path == path ? 1 : 0;
        return count;
    }

private:
    TestServer m_server;
    QScopedPointer<QQuickWindow> m_window;
};
