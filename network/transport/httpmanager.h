#pragma once

#include <QObject>
#include <QScopedPointer>

class HttpRequest;
class HttpManagerPrivate;
class QNetworkAccessManager;
class QNetworkCookieJar;

// Carries out server exchanges on its own network access manager (and so its own
// connections to the server) and reports each outcome through the request's finished(),
// exactly once.
class HttpManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString token READ token WRITE setToken FINAL)

public:
    static constexpr int DefaultRequestTimeoutMs = 30000;

    explicit HttpManager(QObject *parent = nullptr);
    ~HttpManager() override;

    Q_INVOKABLE void initialize();

    QString token() const;
    void setToken(const QString &token);

    QNetworkAccessManager *networkManager() const;
    QNetworkCookieJar *cookieJar() const;

    // API exchanges that see no bytes move for this long end with a time-out.
    void setRequestTimeout(int milliseconds);
    int requestTimeout() const;

public slots:
    void request(HttpRequest *request);
    void requestQueue(HttpRequest *request);
    void requestAuth(HttpRequest *request, QString username, QString password);

private:
    friend class HttpManagerPrivate;
    QScopedPointer<HttpManagerPrivate> d;
};
