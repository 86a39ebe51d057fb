#pragma once

#include <QQuickImageProvider>

#include <memory>

struct PreviewTable;

// Serves the stored preview pictures as image://VideoPreview/<id>[###anything].
class PreviewProvider : public QQuickImageProvider
{
public:
    explicit PreviewProvider(std::shared_ptr<PreviewTable> table);
    ~PreviewProvider() override;

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

private:
    std::shared_ptr<PreviewTable> m_table;
};
