#include "apiroutes.h"

#include "multipart.h"
#include "recordroutes.h"
#include "seeddata.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUrlQuery>

#include <algorithm>
#include <cmath>

namespace {

const QString kPrefix = QStringLiteral("/api/v1/");

QString item(const QUrlQuery &query, const char *key)
{
    return query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
}

// Reads an integer query item; false when it is missing or not a number.
bool intItem(const QUrlQuery &query, const char *key, int *value)
{
    bool ok = false;
    *value = item(query, key).toInt(&ok);
    return ok;
}

HttpResponse badRequest(const QString &text)
{
    return HttpResponse::text(400, text.toUtf8());
}

HttpResponse notFound(const QString &text)
{
    return HttpResponse::text(404, text.toUtf8());
}

QJsonArray publicArray(const QList<QJsonObject> &objects)
{
    QJsonArray array;
    for (const QJsonObject &object : objects)
        array.append(SeedData::publicObject(object));
    return array;
}

QList<QJsonObject> page(const QList<QJsonObject> &all, int start, int limit)
{
    if (start < 0 || limit <= 0 || start >= all.size())
        return {};
    return all.mid(start, limit);
}

bool isDigits(const QString &text, int length)
{
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    return text.size() == length && digits.match(text).hasMatch();
}

bool isTimeStamp(const QString &text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyyMMddhhmmss")).isValid();
}

QString mountOf(const QJsonObject &channel)
{
    const QString stream = channel.value(QLatin1String("_Stream")).toString();
    return stream.isEmpty() ? QStringLiteral("h264") : stream;
}

// A load series that moves with the wall clock, so that polls see changing figures.
QJsonArray loadSeries(int points, int intervalSeconds, double base, double swing, double period, double scale)
{
    QJsonArray series;
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = points - 1; i >= 0; --i) {
        const QDateTime at = now.addSecs(-qint64(i) * intervalSeconds);
        const double t = double(at.toSecsSinceEpoch());
        const double use = std::round((base + swing * std::sin(t / period)) * scale * 100.0) / 100.0;
        series.append(QJsonObject{{QStringLiteral("time"), at.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))},
                                  {QStringLiteral("use"), use}});
    }
    return series;
}

// Disks fill and free a little over time: up to 1 % of their size around the seeded use.
QJsonArray drifting(const QJsonArray &disks)
{
    const double t = double(QDateTime::currentSecsSinceEpoch());
    QJsonArray result;
    for (int i = 0; i < disks.size(); ++i) {
        QJsonObject disk = disks.at(i).toObject();
        const double size = disk.value(QLatin1String("Size")).toDouble();
        const double seeded = disk.value(QLatin1String("Used")).toDouble();
        const double used = qBound(0.0, seeded + 0.01 * size * std::sin(t / 30.0 + i), size);
        disk.insert(QStringLiteral("Used"), std::round(used * 100.0) / 100.0);
        disk.insert(QStringLiteral("FreeSpace"), std::round((size - used) * 100.0) / 100.0);
        result.append(disk);
    }
    return result;
}

// The search field offers device and channel ids; names match as well.
bool alarmMatches(const QJsonObject &alarm, const QString &search)
{
    for (const char *key : {"DeviceID", "ChannelID", "DeviceName", "ChannelName"}) {
        if (alarm.value(QLatin1String(key)).toVariant().toString().contains(search))
            return true;
    }
    return false;
}

} // namespace

ApiRoutes::ApiRoutes(SeedData &data)
    : m_data(data)
{
    m_routes = {
        {QStringLiteral("login"), &ApiRoutes::login},
        {QStringLiteral("logout"), &ApiRoutes::logout},
        {QStringLiteral("getuserinfo"), &ApiRoutes::userInfo},
        {QStringLiteral("getotherconfig"), &ApiRoutes::otherConfig},
        {QStringLiteral("getserverinfo"), &ApiRoutes::serverInfo},
        {QStringLiteral("advertisinglist"), &ApiRoutes::adverts},
        {QStringLiteral("state/top"), &ApiRoutes::serverState},
        {QStringLiteral("devices"), &ApiRoutes::devices},
        {QStringLiteral("channels"), &ApiRoutes::channels},
        {QStringLiteral("labelchannel/info"), &ApiRoutes::groups},
        {QStringLiteral("labelowninfo"), &ApiRoutes::groupDevices},
        {QStringLiteral("labeldeviceowninfo"), &ApiRoutes::groupDeviceChannels},
        {QStringLiteral("own/label/channels"), &ApiRoutes::groupChannelList},
        {QStringLiteral("favorites"), &ApiRoutes::favourites},
        {QStringLiteral("addfavoriteschannel"), &ApiRoutes::addFavourite},
        {QStringLiteral("deletefavoriteschannel"), &ApiRoutes::deleteFavourite},
        {QStringLiteral("gettoken"), &ApiRoutes::channelToken},
        {QStringLiteral("devices/channelstream"), &ApiRoutes::channelStream},
        {QStringLiteral("devices/stopchannelstream"), &ApiRoutes::stopChannelStream},
        {QStringLiteral("ptzcontrol"), &ApiRoutes::ptzControl},
        {QStringLiteral("alarmlist"), &ApiRoutes::alarmList},
        {QStringLiteral("deletealarm"), &ApiRoutes::deleteAlarm},
        {QStringLiteral("clearalarm"), &ApiRoutes::clearAlarm},
        {QStringLiteral("record/querymonthly"), &ApiRoutes::recordMonth},
        {QStringLiteral("record/querydaily"), &ApiRoutes::recordDay},
        {QStringLiteral("record/setimportant"), &ApiRoutes::recordImportant},
        {QStringLiteral("record/remove"), &ApiRoutes::recordRemove},
        {QStringLiteral("devices/record/playback"), &ApiRoutes::deviceRecordPlayback},
        {QStringLiteral("record/downloadrecord/streaminfo"), &ApiRoutes::deviceRecordStreamInfo},
    };
}

ApiRoutes::Handler ApiRoutes::handlerFor(const QString &path) const
{
    if (path == QLatin1String("/api/v2/channels"))
        return &ApiRoutes::channelsById;
    if (!path.startsWith(kPrefix))
        return nullptr;
    const QString name = path.mid(kPrefix.size());
    if (name.startsWith(QLatin1String("ws_talk/")))
        return &ApiRoutes::talkWithoutUpgrade;
    if (name.startsWith(QLatin1String("record/downloaddevicerecord/")))
        return &ApiRoutes::deviceRecordDownload;
    return m_routes.value(name, nullptr);
}

bool ApiRoutes::handles(const QString &path) const
{
    return handlerFor(path) != nullptr;
}

bool ApiRoutes::isPublic(const QString &path)
{
    static const QStringList open = {QStringLiteral("/api/v1/login"), QStringLiteral("/api/v1/getotherconfig"),
                                     QStringLiteral("/api/v1/advertisinglist")};
    return open.contains(path) || path.startsWith(QLatin1String("/api/v1/ws_talk/"));
}

QString ApiRoutes::tokenOf(const QString &userName) const
{
    if (userName == m_data.firstUserName())
        return m_context.token;
    return m_context.token + QLatin1Char('-')
           + QString::fromLatin1(QCryptographicHash::hash(userName.toUtf8(), QCryptographicHash::Md5).toHex().left(8));
}

QString ApiRoutes::userOfToken(const QByteArray &token) const
{
    for (const QString &name : m_data.userNames()) {
        if (!token.isEmpty() && tokenOf(name).toLatin1() == token)
            return name;
    }
    return {};
}

HttpResponse ApiRoutes::handle(const TestServerRequest &request, const Context &context)
{
    m_context = context;
    const Handler handler = handlerFor(request.path);
    if (!handler)
        return notFound(QStringLiteral("no such call"));
    m_user = userOfToken(request.header("token"));
    if (m_user.isEmpty() && !isPublic(request.path))
        return HttpResponse::text(401, "未登录或登录已失效");
    return (this->*handler)(request, QUrlQuery(QString::fromUtf8(request.rawQuery)));
}

HttpResponse ApiRoutes::login(const TestServerRequest &, const QUrlQuery &query)
{
    const QJsonObject user = m_data.user(item(query, "username"));
    const QByteArray expected = QCryptographicHash::hash(user.value(QLatin1String("Password")).toString().toLatin1(),
                                                         QCryptographicHash::Md5).toHex();
    if (user.isEmpty() || item(query, "password").toLatin1() != expected)
        return HttpResponse::text(401, "用户名或密码错误");
    if (m_data.captchaRequired()
        && item(query, "captcha").compare(m_data.captcha(), Qt::CaseInsensitive) != 0)
        return HttpResponse::text(400, "验证码错误");
    return HttpResponse::envelope({{QStringLiteral("Token"), tokenOf(item(query, "username"))},
                                   {QStringLiteral("TokenTimeout"), 604800}});
}

HttpResponse ApiRoutes::logout(const TestServerRequest &request, const QUrlQuery &)
{
    if (request.method != "POST")
        return HttpResponse::text(405, "POST expected");
    return HttpResponse::envelope({});
}

HttpResponse ApiRoutes::userInfo(const TestServerRequest &, const QUrlQuery &)
{
    const QJsonObject user = m_data.user(m_user);
    return HttpResponse::envelope({{QStringLiteral("UserInfo"), user.value(QLatin1String("UserInfo"))}});
}

HttpResponse ApiRoutes::otherConfig(const TestServerRequest &, const QUrlQuery &)
{
    return HttpResponse::envelope(m_data.otherConfig());
}

HttpResponse ApiRoutes::serverInfo(const TestServerRequest &, const QUrlQuery &)
{
    QJsonObject info = m_data.serverInfo();
    info.insert(QStringLiteral("ServerTime"), QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    return HttpResponse::envelope(info);
}

HttpResponse ApiRoutes::adverts(const TestServerRequest &, const QUrlQuery &)
{
    return HttpResponse::json(m_data.adverts());
}

HttpResponse ApiRoutes::serverState(const TestServerRequest &, const QUrlQuery &)
{
    const QJsonObject load = m_data.load();
    const int points = qBound(1, load.value(QLatin1String("Points")).toInt(30), 1000);
    const int interval = qMax(1, load.value(QLatin1String("IntervalSeconds")).toInt(2));
    return HttpResponse::json(QJsonObject{
        {QStringLiteral("cpuData"), loadSeries(points, interval, 0.35, 0.25, 20.0, 1.0)},
        {QStringLiteral("memData"), loadSeries(points, interval, 0.55, 0.10, 60.0, 1.0)},
        // Mbps within the bandwidth chart's first 10 Mbps, so that it shows them unzoomed.
        {QStringLiteral("netUpData"), loadSeries(points, interval, 4.0, 3.0, 15.0, 1.0)},
        {QStringLiteral("netDownData"), loadSeries(points, interval, 6.0, 3.5, 25.0, 1.0)},
        {QStringLiteral("diskData"), drifting(m_data.disks())},
    });
}

HttpResponse ApiRoutes::devices(const TestServerRequest &, const QUrlQuery &query)
{
    int start = 0;
    int limit = 0;
    if (!intItem(query, "start", &start) || !intItem(query, "limit", &limit))
        return badRequest(QStringLiteral("start and limit expected"));
    const QList<QJsonObject> all = m_data.devices();
    return HttpResponse::envelope({{QStringLiteral("DeviceCount"), all.size()},
                                   {QStringLiteral("Devices"), publicArray(page(all, start, limit))}});
}

HttpResponse ApiRoutes::channels(const TestServerRequest &, const QUrlQuery &query)
{
    int start = 0;
    int limit = 0;
    if (!intItem(query, "start", &start) || !intItem(query, "limit", &limit))
        return badRequest(QStringLiteral("start and limit expected"));
    int deviceId = -1;
    if (query.hasQueryItem(QStringLiteral("device")) && !intItem(query, "device", &deviceId))
        return badRequest(QStringLiteral("device must be a number"));
    const QString subset = item(query, "subset");
    QList<QJsonObject> found = subset.isEmpty() ? m_data.topChannels(deviceId) : m_data.subChannels(subset);
    const QString online = item(query, "online");
    const QString search = item(query, "q");
    const bool withDevice = item(query, "getdevinfo") == QLatin1String("true");
    QList<QJsonObject> matching;
    for (QJsonObject channel : found) {
        const bool isOnline = channel.value(QLatin1String("Online")).toInt() != 0;
        if ((online == QLatin1String("true") && !isOnline) || (online == QLatin1String("false") && isOnline))
            continue;
        if (!search.isEmpty() && !channel.value(QLatin1String("Name")).toString().contains(search, Qt::CaseInsensitive))
            continue;
        if (withDevice) {
            const int owner = channel.value(QLatin1String("ParentDeviceID")).toInt();
            channel.insert(QStringLiteral("DevID"), owner);
            channel.insert(QStringLiteral("DevName"), m_data.device(owner).value(QLatin1String("DeviceName")));
        }
        matching.append(channel);
    }
    return HttpResponse::envelope({{QStringLiteral("ChannelCount"), matching.size()},
                                   {QStringLiteral("Channels"), publicArray(page(matching, start, limit))}});
}

HttpResponse ApiRoutes::channelsById(const TestServerRequest &, const QUrlQuery &query)
{
    QJsonArray data;
    for (const QString &text : item(query, "channels").split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const QJsonObject channel = m_data.channel(text.toInt(&ok));
        if (!ok)
            return badRequest(QStringLiteral("channel ids must be numbers"));
        if (channel.isEmpty())
            continue;
        QJsonObject entry = SeedData::publicObject(channel);
        const int owner = channel.value(QLatin1String("ParentDeviceID")).toInt();
        entry.insert(QStringLiteral("DevName"), m_data.device(owner).value(QLatin1String("DeviceName")));
        data.append(entry);
    }
    return HttpResponse::json(QJsonObject{{QStringLiteral("data"), data}});
}

HttpResponse ApiRoutes::groups(const TestServerRequest &, const QUrlQuery &)
{
    return HttpResponse::json(QJsonObject{{QStringLiteral("data"), publicArray(m_data.groups())}});
}

HttpResponse ApiRoutes::groupDevices(const TestServerRequest &, const QUrlQuery &query)
{
    int labelId = 0;
    if (!intItem(query, "labelid", &labelId))
        return badRequest(QStringLiteral("labelid expected"));
    QList<int> deviceIds;
    for (int channelId : m_data.groupChannels(labelId)) {
        const int owner = m_data.channel(channelId).value(QLatin1String("ParentDeviceID")).toInt();
        if (!deviceIds.contains(owner))
            deviceIds.append(owner);
    }
    QJsonArray data;
    for (int deviceId : deviceIds) {
        const QJsonObject device = m_data.device(deviceId);
        data.append(QJsonObject{{QStringLiteral("ID"), deviceId},
                                {QStringLiteral("Name"), device.value(QLatin1String("DeviceName"))},
                                {QStringLiteral("Online"), device.value(QLatin1String("Online"))}});
    }
    return HttpResponse::json(QJsonObject{{QStringLiteral("data"), data}});
}

HttpResponse ApiRoutes::groupDeviceChannels(const TestServerRequest &, const QUrlQuery &query)
{
    int labelId = 0;
    int deviceId = 0;
    if (!intItem(query, "labelid", &labelId) || !intItem(query, "deviceid", &deviceId))
        return badRequest(QStringLiteral("labelid and deviceid expected"));
    QList<QJsonObject> found;
    for (int channelId : m_data.groupChannels(labelId)) {
        const QJsonObject channel = m_data.channel(channelId);
        if (channel.value(QLatin1String("ParentDeviceID")).toInt() == deviceId)
            found.append(channel);
    }
    return HttpResponse::json(QJsonObject{{QStringLiteral("data"), publicArray(found)}});
}

HttpResponse ApiRoutes::groupChannelList(const TestServerRequest &, const QUrlQuery &query)
{
    int labelId = 0;
    if (!intItem(query, "labelid", &labelId))
        return badRequest(QStringLiteral("labelid expected"));
    QJsonArray data;
    for (int channelId : m_data.groupChannels(labelId)) {
        const QJsonObject channel = m_data.channel(channelId);
        data.append(QJsonObject{{QStringLiteral("ChannelId"), channelId},
                                {QStringLiteral("ChannelName"), channel.value(QLatin1String("Name"))},
                                {QStringLiteral("DeviceId"), channel.value(QLatin1String("ParentDeviceID"))},
                                {QStringLiteral("ChannelOnline"), channel.value(QLatin1String("Online")).toInt()}});
    }
    return HttpResponse::json(QJsonObject{{QStringLiteral("data"), data}});
}

HttpResponse ApiRoutes::favourites(const TestServerRequest &, const QUrlQuery &)
{
    QJsonArray devices;
    for (const QJsonObject &device : m_data.devices()) {
        QJsonArray channels;
        for (const QJsonObject &channel : m_data.topChannels(device.value(QLatin1String("DeviceID")).toInt())) {
            if (channel.value(QLatin1String("FavoritesChannel")).toInt() == 1)
                channels.append(SeedData::publicObject(channel));
        }
        if (channels.isEmpty())
            continue;
        QJsonObject entry = SeedData::publicObject(device);
        entry.insert(QStringLiteral("channels"), channels);
        devices.append(entry);
    }
    return HttpResponse::envelope({{QStringLiteral("Devices"), devices}});
}

HttpResponse ApiRoutes::setFavourite(const QUrlQuery &query, bool favourite)
{
    int deviceId = 0;
    int channelId = 0;
    if (!intItem(query, "device", &deviceId) || !intItem(query, "channel", &channelId))
        return badRequest(QStringLiteral("device and channel expected"));
    if (!m_data.setFavourite(deviceId, channelId, favourite))
        return notFound(QStringLiteral("通道不存在"));
    return HttpResponse::envelope({});
}

HttpResponse ApiRoutes::addFavourite(const TestServerRequest &, const QUrlQuery &query)
{
    return setFavourite(query, true);
}

HttpResponse ApiRoutes::deleteFavourite(const TestServerRequest &, const QUrlQuery &query)
{
    return setFavourite(query, false);
}

HttpResponse ApiRoutes::channelToken(const TestServerRequest &, const QUrlQuery &query)
{
    int channelId = 0;
    if (!intItem(query, "channel", &channelId))
        return badRequest(QStringLiteral("channel expected"));
    if (m_data.channel(channelId).isEmpty())
        return notFound(QStringLiteral("通道不存在"));
    return HttpResponse::envelope({{QStringLiteral("Token"), QStringLiteral("play-%1-%2").arg(channelId).arg(m_context.token)}});
}

HttpResponse ApiRoutes::channelStream(const TestServerRequest &, const QUrlQuery &query)
{
    int deviceId = 0;
    int channelId = 0;
    if (!intItem(query, "device", &deviceId) || !intItem(query, "channel", &channelId))
        return badRequest(QStringLiteral("device and channel expected"));
    const QJsonObject channel = m_data.channel(channelId);
    if (channel.isEmpty() || channel.value(QLatin1String("ParentDeviceID")).toInt() != deviceId)
        return notFound(QStringLiteral("通道不存在"));
    if (item(query, "type") == QLatin1String("keepalive"))
        return HttpResponse::envelope({});
    if (item(query, "token").isEmpty())
        return badRequest(QStringLiteral("token expected"));
    if (channel.value(QLatin1String("Online")).toInt() == 0)
        return HttpResponse::text(503, "通道离线");
    const QString protocol = item(query, "protocol").toUpper();
    QString url;
    if (protocol == QLatin1String("RTSP"))
        url = QStringLiteral("rtsp://127.0.0.1:%1/live/%2").arg(m_context.rtspPort).arg(mountOf(channel));
    else if (protocol == QLatin1String("FLV"))
        url = QStringLiteral("/live/%1.flv").arg(channelId);
    else if (protocol == QLatin1String("HLS"))
        url = QStringLiteral("/hls/live/%1/index.m3u8").arg(channelId);
    else
        return badRequest(QStringLiteral("不支持的协议: ") + protocol);
    return HttpResponse::envelope({{QStringLiteral("URL"), url},
                                   {QStringLiteral("KeepaliveURL"), QStringLiteral("/api/v1/devices/channelstream")}});
}

HttpResponse ApiRoutes::stopChannelStream(const TestServerRequest &, const QUrlQuery &query)
{
    int deviceId = 0;
    int channelId = 0;
    if (!intItem(query, "device", &deviceId) || !intItem(query, "channel", &channelId))
        return badRequest(QStringLiteral("device and channel expected"));
    const QString type = item(query, "stream_type");
    if (type != QLatin1String("play") && type != QLatin1String("playback"))
        return badRequest(QStringLiteral("stream_type must be play or playback"));
    return HttpResponse::envelope({});
}

HttpResponse ApiRoutes::ptzControl(const TestServerRequest &, const QUrlQuery &query)
{
    static const QStringList words = {QString(), QStringLiteral("stop"), QStringLiteral("zoomin"),
                                      QStringLiteral("zoomout"), QStringLiteral("up"), QStringLiteral("down"),
                                      QStringLiteral("left"), QStringLiteral("right")};
    int deviceId = 0;
    int channelId = 0;
    int speed = 0;
    if (!intItem(query, "device", &deviceId) || !intItem(query, "channel", &channelId) || !intItem(query, "speed", &speed))
        return badRequest(QStringLiteral("device, channel and speed expected"));
    if (!query.hasQueryItem(QStringLiteral("command")) || !query.hasQueryItem(QStringLiteral("direction"))
        || !words.contains(item(query, "command")) || !words.contains(item(query, "direction")))
        return badRequest(QStringLiteral("unknown command or direction"));
    if (m_data.channel(channelId).value(QLatin1String("ParentDeviceID")).toInt() != deviceId)
        return notFound(QStringLiteral("通道不存在"));
    return HttpResponse::envelope({});
}

HttpResponse ApiRoutes::talkWithoutUpgrade(const TestServerRequest &, const QUrlQuery &)
{
    return badRequest(QStringLiteral("WebSocket upgrade expected"));
}

HttpResponse ApiRoutes::alarmList(const TestServerRequest &, const QUrlQuery &query)
{
    int pageIndex = 0;
    int pageSize = 0;
    int priority = 0;
    int method = 0;
    if (!intItem(query, "pageindex", &pageIndex) || !intItem(query, "pagesize", &pageSize)
        || !intItem(query, "priority", &priority) || !intItem(query, "method", &method) || pageSize <= 0)
        return badRequest(QStringLiteral("pageindex, pagesize, priority and method expected"));
    const QString search = item(query, "q");
    // Oldest first: the dashboard finds the latest alarms on the last page.
    QList<QJsonObject> alarms = m_data.alarms();
    std::stable_sort(alarms.begin(), alarms.end(), [](const QJsonObject &a, const QJsonObject &b) {
        return a.value(QLatin1String("AlarmTime")).toString() < b.value(QLatin1String("AlarmTime")).toString();
    });
    QList<QJsonObject> matching;
    for (const QJsonObject &alarm : alarms) {
        if (priority != 0 && alarm.value(QLatin1String("AlarmPriority")).toInt() != priority)
            continue;
        if (method != 0 && alarm.value(QLatin1String("AlarmMethod")).toInt() != method)
            continue;
        if (!search.isEmpty() && !alarmMatches(alarm, search))
            continue;
        matching.append(alarm);
    }
    return HttpResponse::json(QJsonObject{{QStringLiteral("count"), matching.size()},
                                          {QStringLiteral("data"), publicArray(page(matching, pageIndex * pageSize, pageSize))}});
}

HttpResponse ApiRoutes::deleteAlarm(const TestServerRequest &request, const QUrlQuery &)
{
    if (request.method != "POST")
        return HttpResponse::text(405, "POST expected");
    QList<MultipartPart> parts;
    if (!parseMultipart(request.header("Content-Type"), request.body, &parts))
        return badRequest(QStringLiteral("multipart/form-data expected"));
    for (const MultipartPart &part : parts) {
        if (part.name != "alarmids")
            continue;
        const QJsonDocument ids = QJsonDocument::fromJson(part.body);
        if (!ids.isArray())
            return badRequest(QStringLiteral("alarmids must be a JSON array"));
        QList<int> list;
        for (const QJsonValue &id : ids.array()) {
            if (!id.isDouble())
                return badRequest(QStringLiteral("alarm ids must be numbers"));
            list.append(id.toInt());
        }
        return HttpResponse::envelope({{QStringLiteral("Deleted"), m_data.removeAlarms(list)}});
    }
    return badRequest(QStringLiteral("part alarmids expected"));
}

HttpResponse ApiRoutes::clearAlarm(const TestServerRequest &, const QUrlQuery &)
{
    m_data.clearAlarms();
    return HttpResponse::envelope({});
}

HttpResponse ApiRoutes::recordMonth(const TestServerRequest &, const QUrlQuery &query)
{
    int channelId = 0;
    const QString type = item(query, "recordType");
    const QString period = item(query, "period");
    const QDate first = QDate::fromString(period + QStringLiteral("01"), QStringLiteral("yyyyMMdd"));
    if (!intItem(query, "id", &channelId) || !isDigits(period, 6) || !first.isValid()
        || (type != QLatin1String("Cloud") && type != QLatin1String("Device")))
        return badRequest(QStringLiteral("id, recordType and period (yyyyMM) expected"));
    QByteArray days;
    for (int day = 1; day <= first.daysInMonth(); ++day)
        days += m_data.hasRecords(channelId, type == QLatin1String("Device"), day) ? '1' : '0';
    return HttpResponse::bytes('"' + days + '"', "application/json; charset=utf-8");
}

HttpResponse ApiRoutes::recordDay(const TestServerRequest &, const QUrlQuery &query)
{
    int channelId = 0;
    int start = 0;
    int limit = 0;
    const QString type = item(query, "recordType");
    const QString period = item(query, "period");
    if (!intItem(query, "id", &channelId) || !intItem(query, "start", &start) || !intItem(query, "limit", &limit)
        || !QDate::fromString(period, QStringLiteral("yyyyMMdd")).isValid()
        || (type != QLatin1String("Cloud") && type != QLatin1String("Device")))
        return badRequest(QStringLiteral("id, recordType, period (yyyyMMdd), start and limit expected"));
    const QJsonArray all = m_data.dayRecords(channelId, type == QLatin1String("Device"), period);
    QJsonArray list;
    for (int i = qMax(0, start); i < all.size() && list.size() < limit; ++i)
        list.append(all.at(i));
    return HttpResponse::json(QJsonObject{{QStringLiteral("total"), all.size()}, {QStringLiteral("list"), list}});
}

HttpResponse ApiRoutes::recordImportant(const TestServerRequest &, const QUrlQuery &query)
{
    int channelId = 0;
    const QString important = item(query, "important");
    if (!intItem(query, "id", &channelId) || (important != QLatin1String("true") && important != QLatin1String("false")))
        return badRequest(QStringLiteral("id, period and important expected"));
    if (!m_data.recordExists(channelId, item(query, "period")))
        return notFound(QStringLiteral("录像不存在"));
    m_data.setRecordImportant(channelId, item(query, "period"), important == QLatin1String("true"));
    return HttpResponse::envelope({});
}

HttpResponse ApiRoutes::recordRemove(const TestServerRequest &, const QUrlQuery &query)
{
    int channelId = 0;
    if (!intItem(query, "id", &channelId))
        return badRequest(QStringLiteral("id and period expected"));
    if (!m_data.recordExists(channelId, item(query, "period")))
        return notFound(QStringLiteral("录像不存在"));
    m_data.removeRecord(channelId, item(query, "period"));
    return HttpResponse::envelope({});
}

HttpResponse ApiRoutes::deviceRecordPlayback(const TestServerRequest &, const QUrlQuery &query)
{
    int channelId = 0;
    if (!intItem(query, "channel", &channelId) || item(query, "file").isEmpty()
        || !isTimeStamp(item(query, "stime")) || !isTimeStamp(item(query, "etime")))
        return badRequest(QStringLiteral("channel, file, stime and etime expected"));
    if (RecordRoutes::spanSeconds(item(query, "stime"), item(query, "etime")) < 0)
        return badRequest(QStringLiteral("etime before stime"));
    if (m_data.channel(channelId).isEmpty())
        return notFound(QStringLiteral("通道不存在"));
    return HttpResponse::envelope(
        {{QStringLiteral("URL"), RecordRoutes::devicePlaybackPath(channelId, item(query, "stime"), item(query, "etime"))}});
}

HttpResponse ApiRoutes::deviceRecordDownload(const TestServerRequest &request, const QUrlQuery &query)
{
    // /api/v1/record/downloaddevicerecord/<channel>/<file>/<duration>
    const QStringList parts = request.path.mid(kPrefix.size()).split(QLatin1Char('/'));
    bool channelOk = false;
    bool durationOk = false;
    const int channelId = parts.value(2).toInt(&channelOk);
    parts.value(4).toInt(&durationOk);
    if (parts.size() != 5 || !channelOk || !durationOk || parts.at(3).isEmpty()
        || !isTimeStamp(item(query, "start_time")) || !isTimeStamp(item(query, "end_time")))
        return badRequest(QStringLiteral("channel/file/duration and start_time, end_time expected"));
    if (m_data.channel(channelId).isEmpty())
        return notFound(QStringLiteral("通道不存在"));
    return HttpResponse::envelope({{QStringLiteral("url"), QStringLiteral("devstream-%1-%2").arg(channelId).arg(item(query, "start_time"))}});
}

HttpResponse ApiRoutes::deviceRecordStreamInfo(const TestServerRequest &, const QUrlQuery &query)
{
    int channelId = 0;
    const QString streamId = item(query, "streamid");
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9_-]+$"));
    if (!intItem(query, "channel", &channelId) || !safe.match(streamId).hasMatch())
        return badRequest(QStringLiteral("channel and streamid expected"));
    return HttpResponse::envelope({{QStringLiteral("PlaybackFileURL"),
                                    QStringLiteral("/download/device/%1/%2.mp4").arg(channelId).arg(streamId)}});
}
