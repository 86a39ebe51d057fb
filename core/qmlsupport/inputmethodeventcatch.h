#pragma once

#include <QObject>
#include <QScopedPointer>

class QInputMethodEvent;
class InputMethodEventCatchPrivate;

// Reports the input-method events of one target object as signals: the letter
// being composed and the committed text. Events always pass on to the target.
class InputMethodEventCatch : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *target READ target WRITE setTarget NOTIFY targetChanged)

public:
    explicit InputMethodEventCatch(QObject *parent = nullptr);
    ~InputMethodEventCatch() override;

    QObject *target() const;
    void setTarget(QObject *target);

    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void targetChanged();
    void inputMethodEventPressed(int code, const QString &key);
    void inputMethodEventCommitted(const QString &commitString);

private:
    void report(const QInputMethodEvent &event);

    QScopedPointer<InputMethodEventCatchPrivate> d;
};
