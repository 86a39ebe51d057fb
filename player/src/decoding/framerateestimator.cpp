#include "framerateestimator.h"

#include <algorithm>
#include <cmath>

namespace zelkaplayer {

namespace {
constexpr size_t kWindow = 16;
constexpr size_t kFirstEstimate = 5; // four gaps: 160 ms at 25 fps
constexpr int64_t kLongestGapUs = 1'000'000; // slower than 1 fps is a jump, not a rate
} // namespace

void FrameRateEstimator::add(int64_t timeUs)
{
    if (!m_times.empty()) {
        const int64_t last = m_times.back();
        if (timeUs == last)
            return; // another slice of the same picture
        // Pictures out of order (B-frames) stay; a timeline that jumps starts over.
        if (timeUs - last > kLongestGapUs || last - timeUs > kLongestGapUs)
            m_times.clear();
    }
    m_times.push_back(timeUs);
    if (m_times.size() > kWindow)
        m_times.erase(m_times.begin());
    if (m_times.size() >= kFirstEstimate)
        estimate();
}

void FrameRateEstimator::estimate()
{
    std::vector<int64_t> sorted = m_times;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int64_t> gaps;
    for (size_t i = 1; i < sorted.size(); ++i) {
        const int64_t gap = sorted[i] - sorted[i - 1];
        if (gap > 0 && gap <= kLongestGapUs)
            gaps.push_back(gap);
    }
    if (gaps.size() + 1 < kFirstEstimate)
        return;
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    const double fps = 1e6 / double(gaps[gaps.size() / 2]);
    m_rate = std::clamp(static_cast<int>(std::lround(fps)), 1, 255);
}

} // namespace zelkaplayer
