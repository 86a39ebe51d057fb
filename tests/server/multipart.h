#pragma once

#include <QByteArray>
#include <QList>

// One part of a multipart/form-data body.
struct MultipartPart
{
    QByteArray name;         // the form field name of Content-Disposition
    QByteArray contentType;
    QByteArray body;
};

// Splits a multipart/form-data body at the boundary named in its Content-Type.
// Returns false when the Content-Type has no boundary or the body is not well formed.
bool parseMultipart(const QByteArray &contentType, const QByteArray &body, QList<MultipartPart> *parts);
