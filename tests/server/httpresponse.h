#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPair>

// One answer of the test server, with the way it is to be delivered.
struct HttpResponse
{
    enum class Delivery { Whole, Never, SlowChunks, CloseMidBody, LiveStream };

    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // extra headers
    Delivery delivery = Delivery::Whole;
    int delayMs = 0;
    int chunkDelayMs = 0;
    bool slowWithLength = false; // SlowChunks: announce the length, send plain pieces
    bool headOnly = false;      // HEAD: headers with the body's length, no body
    QByteArray liveStreamName;  // Delivery::LiveStream: which endless stream to attach

    void addHeader(const QByteArray &name, const QByteArray &value);

    static HttpResponse json(const QJsonObject &object, int status = 200);
    static HttpResponse json(const QJsonArray &array, int status = 200);
    static HttpResponse text(int status, const QByteArray &text);
    static HttpResponse bytes(const QByteArray &body, const QByteArray &contentType);
    // The platform's legacy envelope {"ZelkaVSS": {"Body": body}}.
    static HttpResponse envelope(const QJsonObject &body);
    static QByteArray reasonPhrase(int status);
};
