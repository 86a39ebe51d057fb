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
    std::lock_guard<std::mutex> lock(m_table->mutex);
    const auto found = m_table->pictures.constFind(key);
    if (found == m_table->pictures.constEnd())
        return QImage();
    if (size)
        *size = requestedSize;
    return found->copy();
}
