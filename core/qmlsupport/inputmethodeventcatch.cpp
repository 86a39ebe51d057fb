#include "inputmethodeventcatch.h"

#include <QInputMethodEvent>
#include <QPointer>

namespace {

// The key code of a Latin letter (the toolkit's codes for A to Z), -1 otherwise.
int letterKeyCode(QChar character)
{
    const char16_t upper = character.toUpper().unicode();
    if (upper >= u'A' && upper <= u'Z' && character.unicode() < 0x80)
        return Qt::Key_A + (upper - u'A');
    return -1;
}

// The composed text just before the last visible cursor, as long as that cursor.
QString textBeforeCursor(const QInputMethodEvent &event)
{
    QString part;
    const QString preedit = event.preeditString();
    const QList<QInputMethodEvent::Attribute> attributes = event.attributes();
    for (const QInputMethodEvent::Attribute &attribute : attributes) {
        if (attribute.type != QInputMethodEvent::Cursor || attribute.start <= 0)
            continue;
        part = attribute.length > 0 ? preedit.mid(attribute.start - 1, attribute.length) : QString();
    }
    return part;
}

} // namespace

class InputMethodEventCatchPrivate
{
public:
    // Guarded: the target may be destroyed while the filter lives on.
    QPointer<QObject> target;
    QMetaObject::Connection targetGone;
};

InputMethodEventCatch::InputMethodEventCatch(QObject *parent)
    : QObject(parent)
    , d(new InputMethodEventCatchPrivate)
{
}

InputMethodEventCatch::~InputMethodEventCatch()
{
    if (d->target)
        d->target->removeEventFilter(this);
}

QObject *InputMethodEventCatch::target() const
{
    return d->target;
}

void InputMethodEventCatch::setTarget(QObject *target)
{
    if (d->target == target)
        return;
    if (d->target)
        d->target->removeEventFilter(this);
    QObject::disconnect(d->targetGone);
    d->target = target;
    if (target) {
        target->installEventFilter(this);
        d->targetGone = connect(target, &QObject::destroyed, this, &InputMethodEventCatch::targetChanged);
    }
    emit targetChanged();
}

bool InputMethodEventCatch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::InputMethod)
        report(*static_cast<QInputMethodEvent *>(event));
    return QObject::eventFilter(watched, event);
}

void InputMethodEventCatch::report(const QInputMethodEvent &event)
{
    if (event.preeditString().isEmpty()) {
        emit inputMethodEventCommitted(event.commitString());
        return;
    }
    const QString part = textBeforeCursor(event);
    if (part.size() == 1)
        emit inputMethodEventPressed(letterKeyCode(part.at(0)), part);
}
