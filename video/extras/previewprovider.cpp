#include "previewprovider.h"

#include "previewtable.h"

PreviewProvider::PreviewProvider(std::shared_ptr<PreviewTable> table)
    : QQuickImageProvider(QQuickImageProvider::Image)
    , m_table(std::move(table))
{
}

PreviewProvider::~PreviewProvider() = default;

QImage PreviewProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    const int marker = id.indexOf(QStringLiteral("###"));
    const QString key = marker < 0 ? id : id.left(marker);
    PreviewPicture picture;
    {
        std::lock_guard<std::mutex> lock(m_table->mutex);
        const auto found = m_table->pictures.constFind(key);
        if (found == m_table->pictures.constEnd())
            return QImage();
        picture = *found;
    }
    if (size)
        *size = requestedSize;
    // A picture of its own for the engine: converted anew, or copied when stored as an image.
    QImage image = picture.toImage();
    image.detach();
    return image;
}
