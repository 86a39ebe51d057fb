#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <thread>
#include <unistd.h>
#include <vector>

#include "logengine.h"

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QRegularExpression kEntry(QStringLiteral(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\]: (.*)$)"));

// Closes the log file as the end of the process would, so the next entry opens it anew.
void closeLog()
{
    LOG closer;
}

QString entryText(const QByteArray &line)
{
    const QRegularExpressionMatch match = kEntry.match(QString::fromUtf8(line));
    return match.hasMatch() ? match.captured(1) : QStringLiteral("<not an entry: %1>").arg(QString::fromUtf8(line));
}

// Standard error of this process, captured into a file while alive.
class StderrCapture
{
public:
    explicit StderrCapture(const QString &path)
        : m_path(path)
    {
        std::fflush(stderr);
        m_saved = dup(STDERR_FILENO);
        FILE *target = std::fopen(QFile::encodeName(path).constData(), "w");
        dup2(fileno(target), STDERR_FILENO);
        std::fclose(target);
    }
    ~StderrCapture() { restore(); }
    QByteArray text()
    {
        restore();
        return readAll(m_path);
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_saved = -1;
    }
    QString m_path;
    int m_saved = -1;
};

} // namespace

class TestLogEngine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString useLog(const QString &subdir, const QString &name)
    {
        const QString directory = m_dir.filePath(subdir) + QLatin1Char('/');
        LOG::setLogPath(directory);
        LOG::setLogFileName(name);
        return directory + name;
    }

private slots:
    // Must run first: the start banner is written once per process.
    void firstEntryOfTheProcessWritesTheStartBanner()
    {
        const QString path = useLog(QStringLiteral("banner"), QStringLiteral("client_log.txt"));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile existing(path);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("0123456789");
        existing.close();

        LOG::Out(QStringLiteral("first"));
        LOG::Out("second %d %s", 2, "entries");
        closeLog();

        const QList<QByteArray> lines = readAll(path).split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(0), QByteArray("0123456789"));
        QCOMPARE(lines.at(1), QByteArray("[===LOGEngine Start===]"));
        QCOMPARE(entryText(lines.at(2)), QStringLiteral("first"));
        QCOMPARE(entryText(lines.at(3)), QStringLiteral("second 2 entries"));
        QCOMPARE(lines.at(4), QByteArray("[===LOGEngine End===]"));
        QCOMPARE(lines.at(5), QByteArray());
    }

    void laterOpeningsWriteNoSecondStartBanner()
    {
        const QString path = useLog(QStringLiteral("again"), QStringLiteral("log.txt"));
        LOG::Out(QStringLiteral("中文 text"));
        closeLog();
        const QByteArray content = readAll(path);
        QVERIFY(!content.contains("Start"));
        QCOMPARE(entryText(content.split('\n').at(0)), QStringLiteral("中文 text"));
    }

    void missingDirectoryIsCreated()
    {
        const QString path = useLog(QStringLiteral("made"), QStringLiteral("x.txt"));
        QVERIFY(!QFileInfo::exists(QFileInfo(path).absolutePath()));
        LOG::Out(QStringLiteral("entry"));
        closeLog();
        QVERIFY(readAll(path).contains("]: entry\n"));
    }

    void fileOverTheCapIsEmptied()
    {
        const QString path = useLog(QStringLiteral("cap"), QStringLiteral("big.txt"));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile big(path);
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(LOG::kMaxFileSize + 1)); // sparse: costs no disk
        big.close();

        LOG::Out(QStringLiteral("after cap"));
        closeLog();
        const QByteArray content = readAll(path);
        QVERIFY2(content.size() < 200, QByteArray::number(content.size()));
        QCOMPARE(entryText(content.split('\n').at(0)), QStringLiteral("after cap"));
    }

    void fileAtTheCapIsKept()
    {
        const QString path = useLog(QStringLiteral("cap"), QStringLiteral("full.txt"));
        QFile full(path);
        QVERIFY(full.open(QIODevice::WriteOnly));
        QVERIFY(full.resize(LOG::kMaxFileSize));
        full.close();

        LOG::Out(QStringLiteral("appended"));
        closeLog();
        QVERIFY(QFileInfo(path).size() > LOG::kMaxFileSize);
        QFile::remove(path);
    }

    void fileThatGrowsPastTheCapWhileOpenIsEmptied()
    {
        const QString path = useLog(QStringLiteral("grow"), QStringLiteral("g.txt"));
        LOG::Out(QStringLiteral("one"));
        QFile other(path);
        QVERIFY(other.open(QIODevice::ReadWrite));
        QVERIFY(other.resize(LOG::kMaxFileSize + 1));
        other.close();
        LOG::Out(QStringLiteral("two"));
        closeLog();
        const QByteArray content = readAll(path);
        QVERIFY2(content.size() < 200, QByteArray::number(content.size()));
        QVERIFY(content.contains("]: two\n"));
    }

    void unopenableFileIsReportedOnEveryEntry()
    {
        const QString path = useLog(QStringLiteral("no/parent/here"), QStringLiteral("x.txt"));
        StderrCapture capture(m_dir.filePath(QStringLiteral("stderr.txt")));
        LOG::Out(QStringLiteral("lost"));
        LOG::Out(QStringLiteral("lost again"));
        const QByteArray expected = "[LOGEngine Error: Don't open " + path.toUtf8() + "!]";
        QCOMPARE(capture.text(), expected + expected);
        QVERIFY(!QFileInfo::exists(path));
    }

    void entriesFromManyThreadsStayWhole()
    {
        const QString path = useLog(QStringLiteral("threads"), QStringLiteral("t.txt"));
        constexpr int kThreads = 8;
        constexpr int kEntries = 200;
        std::vector<std::thread> writers;
        for (int t = 0; t < kThreads; ++t) {
            writers.emplace_back([t] {
                for (int i = 0; i < kEntries; ++i)
                    LOG::Out("writer %d entry %d %s", t, i, "with some padding to make lines longer");
            });
        }
        for (std::thread &writer : writers)
            writer.join();
        closeLog();

        QList<QByteArray> lines = readAll(path).split('\n');
        QCOMPARE(lines.takeLast(), QByteArray());
        QCOMPARE(lines.takeLast(), QByteArray("[===LOGEngine End===]"));
        QCOMPARE(lines.size(), kThreads * kEntries);
        const QRegularExpression whole(QStringLiteral(R"(^writer \d entry \d+ with some padding to make lines longer$)"));
        for (const QByteArray &line : lines)
            QVERIFY2(whole.match(entryText(line)).hasMatch(), line.constData());
    }
};

QTEST_GUILESS_MAIN(TestLogEngine)
#include "tst_logengine.moc"
