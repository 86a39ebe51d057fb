#include "graphicsbackend.h"

#include <QCoreApplication>
#include <QQuickWindow>

GraphicsBackendChoice GraphicsBackendChoice::fromName(const QString &name)
{
    GraphicsBackendChoice choice;
    if (name == QLatin1String("vulkan")) {
        choice.api = QSGRendererInterface::Vulkan;
    } else if (name == QLatin1String("opengles")) {
        choice.api = QSGRendererInterface::OpenGL;
        choice.setsAttribute = true;
        choice.attribute = Qt::AA_UseOpenGLES;
    } else if (name == QLatin1String("d3d11")) {
        choice.api = QSGRendererInterface::Direct3D11;
    } else if (name == QLatin1String("metal")) {
        choice.api = QSGRendererInterface::Metal;
    } else if (name == QLatin1String("software")) {
        choice.api = QSGRendererInterface::Software;
    } else {
        choice.api = QSGRendererInterface::OpenGL;
        choice.setsAttribute = true;
        choice.attribute = Qt::AA_UseDesktopOpenGL;
    }
    return choice;
}

void GraphicsBackendChoice::apply() const
{
    QQuickWindow::setGraphicsApi(api);
    if (setsAttribute)
        QCoreApplication::setAttribute(attribute);
}

QSurfaceFormat surfaceFormatWithSamples(const QSurfaceFormat &base, int multiSampleSize)
{
    QSurfaceFormat format = base;
    if (multiSampleSize > 0)
        format.setSamples(multiSampleSize);
    return format;
}
