#pragma once

#include <QSGRendererInterface>
#include <QString>
#include <QSurfaceFormat>

// The scene-graph API picked from the configured back-end name, applied before
// the application object exists.
struct GraphicsBackendChoice
{
    QSGRendererInterface::GraphicsApi api = QSGRendererInterface::OpenGL;
    bool setsAttribute = false;
    Qt::ApplicationAttribute attribute = Qt::AA_UseDesktopOpenGL;

    static GraphicsBackendChoice fromName(const QString &name);
    void apply() const;
};

// The default surface format, with the sample count only when it is positive.
QSurfaceFormat surfaceFormatWithSamples(const QSurfaceFormat &base, int multiSampleSize);
