// The waits between a live stream's reconnects: 1, 2, 4, 8, 8 s... each spread by up to a
// quarter either way, so that the tiles of one wall do not come back to a restarted server
// in the same millisecond, and 1 s again once a stream delivered.
#include <QTest>

#include "input/retrybackoff.h"

#include <algorithm>
#include <set>
#include <vector>

using zelkaplayer::RetryBackoff;
using Delay = RetryBackoff::Delay;

namespace {

std::vector<long long> firstWaits(RetryBackoff &backoff, int count)
{
    std::vector<long long> waits;
    for (int i = 0; i < count; ++i)
        waits.push_back(backoff.next().count());
    return waits;
}

} // namespace

class TestRetryBackoff : public QObject
{
    Q_OBJECT

private slots:
    // The doubling up to 8 s and back to 1 s after a stream, at the middle and at both ends
    // of the spread.
    void waitsDoubleWithinAQuarterOfTheirStep()
    {
        const std::vector<long long> middle{1000, 2000, 4000, 8000, 8000, 8000};
        const std::vector<long long> shortest{750, 1500, 3000, 6000, 6000, 6000};
        const std::vector<long long> longest{1250, 2500, 5000, 10000, 10000, 10000};
        RetryBackoff atMiddle([] { return 0.5; });
        QCOMPARE(firstWaits(atMiddle, 6), middle);
        atMiddle.reset();
        QCOMPARE(atMiddle.next(), Delay(1000));
        RetryBackoff atShortest([] { return 0.0; });
        QCOMPARE(firstWaits(atShortest, 6), shortest);
        RetryBackoff atLongest([] { return 1.0; });
        QCOMPARE(firstWaits(atLongest, 6), longest);
        QCOMPARE(RetryBackoff::spread(Delay(8000), 7.0), Delay(10000)); // a random source out of range
        QCOMPARE(RetryBackoff::spread(Delay(8000), -1.0), Delay(6000));
    }

    // A wall's channels, made at the same moment, each draw waits of their own: over the
    // whole quarter either way, centred on the step, not one moment for a wall.
    void channelsSpreadTheirWaits()
    {
        std::vector<long long> firsts;
        for (int channel = 0; channel < 1000; ++channel) {
            RetryBackoff backoff;
            firsts.push_back(backoff.next().count());
        }
        const auto [shortest, longest] = std::minmax_element(firsts.begin(), firsts.end());
        QVERIFY2(*shortest >= 750 && *shortest < 800, qPrintable(QString::number(*shortest)));
        QVERIFY2(*longest <= 1250 && *longest > 1200, qPrintable(QString::number(*longest)));
        long long sum = 0;
        for (long long wait : firsts)
            sum += wait;
        const double mean = double(sum) / double(firsts.size());
        QVERIFY2(mean > 950 && mean < 1050, qPrintable(QString::number(mean)));
        // One wall of 16 tiles: not one moment for all.
        const std::set<long long> wall(firsts.begin(), firsts.begin() + 16);
        QVERIFY2(wall.size() >= 8, qPrintable(QString::number(wall.size())));
        // A channel's own waits follow the steps, each spread anew.
        RetryBackoff backoff;
        const std::vector<long long> waits = firstWaits(backoff, 5);
        const long long steps[] = {1000, 2000, 4000, 8000, 8000};
        for (size_t i = 0; i < waits.size(); ++i)
            QVERIFY2(waits[i] >= steps[i] * 3 / 4 && waits[i] <= steps[i] * 5 / 4, qPrintable(QString::number(waits[i])));
    }
};

QTEST_GUILESS_MAIN(TestRetryBackoff)
#include "tst_retrybackoff.moc"
