#include "multipart.h"

namespace {

QByteArray boundaryOf(const QByteArray &contentType)
{
    if (!contentType.toLower().startsWith("multipart/form-data"))
        return {};
    for (const QByteArray &parameter : contentType.split(';')) {
        const QByteArray trimmed = parameter.trimmed();
        if (trimmed.toLower().startsWith("boundary=")) {
            QByteArray value = trimmed.mid(9);
            if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return {};
}

QByteArray fieldName(const QByteArray &disposition)
{
    for (const QByteArray &parameter : disposition.split(';')) {
        const QByteArray trimmed = parameter.trimmed();
        if (trimmed.toLower().startsWith("name=")) {
            QByteArray value = trimmed.mid(5);
            if (value.startsWith('"') && value.endsWith('"') && value.size() >= 2)
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return {};
}

bool parsePart(const QByteArray &raw, MultipartPart *part)
{
    const int headEnd = raw.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return false;
    for (const QByteArray &line : raw.left(headEnd).split('\n')) {
        const int colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-disposition")
            part->name = fieldName(value);
        else if (name == "content-type")
            part->contentType = value;
    }
    part->body = raw.mid(headEnd + 4);
    return true;
}

} // namespace

bool parseMultipart(const QByteArray &contentType, const QByteArray &body, QList<MultipartPart> *parts)
{
    const QByteArray boundary = boundaryOf(contentType);
    if (boundary.isEmpty())
        return false;
    const QByteArray delimiter = "--" + boundary;
    int position = body.indexOf(delimiter);
    if (position < 0)
        return false;
    for (;;) {
        position += delimiter.size();
        if (body.mid(position, 2) == "--")
            return true; // closing delimiter
        if (body.mid(position, 2) != "\r\n")
            return false;
        position += 2;
        const int next = body.indexOf("\r\n" + delimiter, position);
        if (next < 0)
            return false;
        MultipartPart part;
        if (!parsePart(body.mid(position, next - position), &part))
            return false;
        parts->append(part);
        position = next + 2;
    }
}
