#pragma once

#include <QDateTime>
#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QScopedPointer>
#include <QScreen>
#include <QStringList>
#include <QUrl>

class QWindow;
class QmlApiPrivate;

// The pages' utility object: a ticking clock text, a clock for waits, date conversions,
// files, the clipboard, the primary screen and synthetic pointer input.
class QmlApi : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString currentDateTime READ currentDateTime WRITE setCurrentDateTime NOTIFY currentDateTimeChanged)
    Q_PROPERTY(QScreen *primaryScreen READ primaryScreen NOTIFY primaryScreenChanged)

public:
    enum MouseEvent {
        MousePresse = 0,
        MouseRelease = 1,
        MouseClick = 2,
        MouseMove = 3,
        MouseDClick = 4,
        MouseWheel = 5,
        MouseEnter = 6,
        MouseLeave = 7,
    };
    Q_ENUM(MouseEvent)

    static QmlApi *instance();

    // Tests make their own to watch the clock start.
    explicit QmlApi(QObject *parent = nullptr);
    ~QmlApi() override;

    QString currentDateTime() const;
    void setCurrentDateTime(const QString &text);
    QScreen *primaryScreen() const;

    // Milliseconds since this object was made, on a clock that only goes forward: waits
    // measured on it neither stretch nor shrink when the wall clock is set.
    Q_INVOKABLE qint64 steadyMSecs() const;
    Q_INVOKABLE qulonglong toMSecsSinceEpoch(const QString &dateTime, const QString &format) const;
    Q_INVOKABLE QString fromMSecsSinceEpochToString(qlonglong msecs, const QString &format) const;
    Q_INVOKABLE QString convertDatetime(const QString &dateTime, const QString &inFormat,
                                        const QString &outFormat) const;
    Q_INVOKABLE int getTimeSeconds(const QString &dateTime, const QString &format) const;
    Q_INVOKABLE QDateTime addDateYear(const QDateTime &dateTime, int year) const;
    Q_INVOKABLE QDateTime addDateMonth(const QDateTime &dateTime, int month) const;
    Q_INVOKABLE QString getCurrentDateTime(const QString &format) const;
    Q_INVOKABLE QPoint getCursorPos() const;
    Q_INVOKABLE QString getApplicationDir() const;
    Q_INVOKABLE QStringList getAllFileNames(const QString &dir, const QStringList &filters) const;
    Q_INVOKABLE QStringList getAllFiles(const QString &dir, const QStringList &filters) const;
    Q_INVOKABLE QString urlToLocalFile(const QUrl &url) const;
    Q_INVOKABLE double lineAngle(const QPointF &origin, const QPoint &point) const;
    Q_INVOKABLE QString readFileToString(const QString &filename) const;
    Q_INVOKABLE void setClipBoardText(const QString &text) const;
    Q_INVOKABLE void handleMouseEvent(QmlApi::MouseEvent event, QWindow *window, int button, int stateKey,
                                      const QPoint &globalPos);
    Q_INVOKABLE void handleMouseWheel(QWindow *window, const QPointF &globalPos, const QPoint &pixelDelta,
                                      const QPoint &angleDelta, int buttons, int stateKey, bool inverted);
    Q_INVOKABLE void exit_app();

signals:
    void currentDateTimeChanged();
    void primaryScreenChanged();

private:
    void tick();

    QScopedPointer<QmlApiPrivate> d;
};
