#include <QInputMethodEvent>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>

#include "inputmethodeventcatch.h"

namespace {

using Attributes = QList<QInputMethodEvent::Attribute>;

void sendComposing(QObject *target, const QString &preedit, const Attributes &attributes)
{
    QInputMethodEvent event(preedit, attributes);
    QCoreApplication::sendEvent(target, &event);
}

QInputMethodEvent::Attribute cursorAt(int position, int length = 1)
{
    return QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, position, length);
}

void sendCommit(QObject *target, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(target, &event);
}

// Counts the input-method events that reach it, to prove the filter passes them on.
class Receiver : public QObject
{
public:
    int inputMethodEvents = 0;

    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::InputMethod)
            ++inputMethodEvents;
        return QObject::event(event);
    }
};

} // namespace

class TestInputMethodEventCatch : public QObject
{
    Q_OBJECT

private slots:
    void composedLetter_data()
    {
        QTest::addColumn<QString>("preedit");
        QTest::addColumn<Attributes>("attributes");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("key");
        QTest::newRow("ni, cursor after i") << "ni" << Attributes{cursorAt(2)} << 73 << "i";
        QTest::newRow("upper letter") << "nA" << Attributes{cursorAt(2)} << 65 << "A";
        QTest::newRow("z") << "z" << Attributes{cursorAt(1)} << 90 << "z";
        QTest::newRow("Chinese before cursor") << QStringLiteral("你好") << Attributes{cursorAt(1)} << -1
                                               << QStringLiteral("你");
        QTest::newRow("digit") << "a1" << Attributes{cursorAt(2)} << -1 << "1";
        QTest::newRow("last cursor wins")
            << "abc" << Attributes{cursorAt(1), QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, 3),
                                   cursorAt(3)}
            << 67 << "c";
    }

    void composedLetter()
    {
        QFETCH(QString, preedit);
        QFETCH(Attributes, attributes);
        QFETCH(int, code);
        QFETCH(QString, key);
        Receiver target;
        InputMethodEventCatch filter;
        filter.setTarget(&target);
        QSignalSpy pressed(&filter, &InputMethodEventCatch::inputMethodEventPressed);
        QSignalSpy committed(&filter, &InputMethodEventCatch::inputMethodEventCommitted);

        sendComposing(&target, preedit, attributes);
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(pressed.at(0).at(0).toInt(), code);
        QCOMPARE(pressed.at(0).at(1).toString(), key);
        QVERIFY(committed.isEmpty());
        QCOMPARE(target.inputMethodEvents, 1);
    }

    void composingWithoutSingleLetterIsSilent_data()
    {
        QTest::addColumn<QString>("preedit");
        QTest::addColumn<Attributes>("attributes");
        QTest::newRow("cursor at start") << "ni" << Attributes{cursorAt(0)};
        QTest::newRow("no cursor") << "ni" << Attributes{};
        QTest::newRow("hidden cursor") << "ni" << Attributes{cursorAt(2, 0)};
        QTest::newRow("two characters") << "nih" << Attributes{cursorAt(2, 2)};
        QTest::newRow("cursor past text") << "ni" << Attributes{cursorAt(5)};
    }

    void composingWithoutSingleLetterIsSilent()
    {
        QFETCH(QString, preedit);
        QFETCH(Attributes, attributes);
        Receiver target;
        InputMethodEventCatch filter;
        filter.setTarget(&target);
        QSignalSpy pressed(&filter, &InputMethodEventCatch::inputMethodEventPressed);
        QSignalSpy committed(&filter, &InputMethodEventCatch::inputMethodEventCommitted);
        sendComposing(&target, preedit, attributes);
        QVERIFY(pressed.isEmpty());
        QVERIFY(committed.isEmpty());
        QCOMPARE(target.inputMethodEvents, 1);
    }

    void commitReachesSignalAndTextInput()
    {
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nTextInput { width: 100; height: 20 }\n", QUrl());
        QScopedPointer<QObject> input(component.create());
        QVERIFY2(input, qPrintable(component.errorString()));

        InputMethodEventCatch filter;
        filter.setTarget(input.data());
        QSignalSpy committed(&filter, &InputMethodEventCatch::inputMethodEventCommitted);
        sendCommit(input.data(), QStringLiteral("你"));
        QCOMPARE(committed.count(), 1);
        QCOMPARE(committed.at(0).at(0).toString(), QStringLiteral("你"));
        QCOMPARE(input->property("text").toString(), QStringLiteral("你"));

        // An empty pre-edit reports even an empty commit.
        sendCommit(input.data(), QString());
        QCOMPARE(committed.count(), 2);
        QCOMPARE(committed.at(1).at(0).toString(), QString());
    }

    void otherEventsAndTargetsAreIgnored()
    {
        Receiver watched;
        Receiver other;
        InputMethodEventCatch filter;
        filter.setTarget(&watched);
        QSignalSpy committed(&filter, &InputMethodEventCatch::inputMethodEventCommitted);
        QEvent unrelated(QEvent::User);
        QCoreApplication::sendEvent(&watched, &unrelated);
        sendCommit(&other, QStringLiteral("x"));
        QVERIFY(committed.isEmpty());
    }

    void targetSwitchesAndSurvivesDestruction()
    {
        InputMethodEventCatch filter;
        QSignalSpy targetSpy(&filter, &InputMethodEventCatch::targetChanged);
        QSignalSpy committed(&filter, &InputMethodEventCatch::inputMethodEventCommitted);
        Receiver first;
        filter.setTarget(&first);
        filter.setTarget(&first);
        QCOMPARE(targetSpy.count(), 1);

        Receiver second;
        filter.setTarget(&second);
        sendCommit(&first, QStringLiteral("x"));
        QVERIFY(committed.isEmpty());
        sendCommit(&second, QStringLiteral("x"));
        QCOMPARE(committed.count(), 1);

        filter.setTarget(nullptr);
        QVERIFY(!filter.target());
        sendCommit(&second, QStringLiteral("x"));
        QCOMPARE(committed.count(), 1);

        {
            Receiver shortLived;
            filter.setTarget(&shortLived);
        }
        QVERIFY(!filter.target());
        QCOMPARE(targetSpy.count(), 5);
        filter.setTarget(&first);
        QCOMPARE(filter.target(), &first);
    }
};

QTEST_MAIN(TestInputMethodEventCatch)
#include "tst_inputmethodeventcatch.moc"
