#include "playbackcore.h"

PlaybackCore::PlaybackCore(const QString &videoId, const QString &snapshotFolder, std::function<void()> repaint)
    : grabber(videoId, snapshotFolder)
{
    m_pacer = std::make_unique<VideoPacer>(ring, pacerInputs(std::move(repaint)));
}

PlaybackCore::~PlaybackCore()
{
    m_pacer->stop();
}

uint64_t PlaybackCore::missedReleases() const
{
    return m_pacer->consumeTimeouts();
}

VideoPacer::Inputs PlaybackCore::pacerInputs(std::function<void()> repaint)
{
    VideoPacer::Inputs inputs;
    inputs.canPace = [this] {
        return state.sourceValid.load() && state.frameRate.load() > 0 && state.decodeEnabled.load();
    };
    inputs.intervalNs = [this] { return state.frameIntervalNs.load(); };
    inputs.frameRate = [this] { return state.frameRate.load(); };
    inputs.cacheCount = [this] { return state.cacheCount.load(); };
    inputs.keyFramesOnly = [this] { return state.keyFramesOnly.load(); };
    inputs.requestRepaint = [this, repaint = std::move(repaint)] { relay.post(repaint); };
    return inputs;
}
