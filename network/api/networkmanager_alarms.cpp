// Alarm list, deletion and the alarm code labels.
#include <QDebug>
#include <QHash>
#include <QHttpPart>
#include <QNetworkRequest>

#include "apiquery.h"
#include "networkmanager.h"
#include "networkmanager_p.h"
#include "replyenvelope.h"

namespace {

QString alarmTypeLabel(int method, int type)
{
    static const QHash<int, QString> labels = {
        {201, QStringLiteral("视频丢失报警")},       {202, QStringLiteral("视频防拆报警")},
        {203, QStringLiteral("存储设备磁盘满报警")}, {204, QStringLiteral("设备高温报警")},
        {205, QStringLiteral("设备低温报警")},       {501, QStringLiteral("人工视频报警")},
        {502, QStringLiteral("运动目标检测报警")},   {503, QStringLiteral("遗留物检测报警")},
        {504, QStringLiteral("物体移除检测报警")},   {505, QStringLiteral("绊线检测报警")},
        {506, QStringLiteral("入侵检测报警")},       {507, QStringLiteral("逆行检测报警")},
        {508, QStringLiteral("徘徊检测报警")},       {509, QStringLiteral("流量统计报警")},
        {510, QStringLiteral("密度检测报警")},       {511, QStringLiteral("视频异常检测报警")},
        {512, QStringLiteral("快速移动报警")},       {513, QStringLiteral("图像遮挡报警")},
        {601, QStringLiteral("存储设备磁盘故障报警")}, {602, QStringLiteral("存储设备风扇故障报警")},
    };
    if (type < 1 || type > 99)
        return QString();
    return labels.value(method * 100 + type);
}

} // namespace

QString NetworkManager::getAlarmLevel(int level)
{
    switch (level) {
    case 1:
        return QStringLiteral("一级警情");
    case 2:
        return QStringLiteral("二级警情");
    case 3:
        return QStringLiteral("三级警情");
    case 4:
        return QStringLiteral("四级警情");
    default:
        return QStringLiteral("未知警情");
    }
}

QString NetworkManager::getAlarmMethod(int method)
{
    static const QStringList labels = {QStringLiteral("全部报警"), QStringLiteral("电话报警"),
                                       QStringLiteral("设备报警"), QStringLiteral("短信报警"),
                                       QStringLiteral("GPS报警"),  QStringLiteral("视频报警"),
                                       QStringLiteral("设备故障报警")};
    return method >= 0 && method < labels.size() ? labels.at(method) : QStringLiteral("其他报警");
}

QString NetworkManager::getAlarmType(int method, int type)
{
    return alarmTypeLabel(method, type);
}

void NetworkManager::getAlarmList(int pageIndex, int pageSize, int level, int type, QJSValue callback,
                                  QString search)
{
    ApiQuery query;
    query.add(QStringLiteral("pageindex"), pageIndex)
        .add(QStringLiteral("pagesize"), pageSize)
        .add(QStringLiteral("priority"), level)
        .add(QStringLiteral("method"), type);
    if (!search.isEmpty())
        query.add(QStringLiteral("q"), search);
    d->send(d->newRequest(QStringLiteral("api/v1/alarmlist?") + query.toString()), [callback](HttpRequest *reply) {
        const bool failed = reply->error != 0;
        const ReplyEnvelope envelope(failed ? QByteArray() : reply->data);
        if (callback.isCallable() && NetworkManagerPrivate::hasScriptEngine())
            callback.call({QJSValue(envelope.count()), NetworkManagerPrivate::toScript(envelope.dataArray())});
        if (failed)
            NetworkManagerPrivate::logFailure("getAlarmList", reply);
    });
}

void NetworkManager::deleteAlarm(QList<int> alarmIds, QJSValue callback)
{
    QStringList ids;
    for (int id : alarmIds)
        ids.append(QString::number(id));
    HttpRequest *request = d->newRequest(QStringLiteral("api/v1/deletealarm"), HttpRequest::Post);
    request->dataType = HttpRequest::MultiPart;
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/plain"));
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QStringLiteral("form-data; name=\"%1\"").arg(QStringLiteral("alarmids")));
    part.setBody((QLatin1Char('[') + ids.join(QLatin1Char(',')) + QLatin1Char(']')).toLatin1());
    request->multiPart.append(part);
    d->send(request, [callback](HttpRequest *reply) {
        if (reply->error == 0)
            qDebug() << reply->data;
        NetworkManagerPrivate::ackReply(callback, "deleteAlarm", reply);
    });
}

void NetworkManager::clearAlarm(QJSValue callback)
{
    d->send(d->newRequest(QStringLiteral("api/v1/clearalarm")),
            NetworkManagerPrivate::ackHandler(callback, "clearAlarm"));
}
