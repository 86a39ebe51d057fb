#include "retrybackoff.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace zelkaplayer {

namespace {

RetryBackoff::Random ownGenerator()
{
    std::random_device seed;
    return [engine = std::minstd_rand(seed()), unit = std::uniform_real_distribution<double>(0.0, 1.0)]() mutable {
        return unit(engine);
    };
}

} // namespace

RetryBackoff::RetryBackoff(Random random)
    : m_random(random ? std::move(random) : ownGenerator())
{
}

RetryBackoff::Delay RetryBackoff::next()
{
    const Delay delay = spread(m_nominal, m_random());
    m_nominal = std::min(m_nominal * 2, kLongest);
    return delay;
}

RetryBackoff::Delay RetryBackoff::spread(Delay nominal, double unit)
{
    const double factor = 1.0 - kSpread + 2.0 * kSpread * std::clamp(unit, 0.0, 1.0);
    return Delay(std::llround(double(nominal.count()) * factor));
}

} // namespace zelkaplayer
