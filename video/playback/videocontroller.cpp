#include "videocontroller.h"

#include "libZelkaExPlayer.h"

#include <mutex>

namespace {
constexpr int kChannelHint = 128;
} // namespace

class VideoControllerPrivate
{
public:
    explicit VideoControllerPrivate(VideoController *owner)
        : q(owner)
    {
    }

    VideoController *q;
    std::mutex mutex;
    bool initialized = false;
};

VideoController *VideoController::instance()
{
    static VideoController controller;
    return &controller;
}

VideoController::VideoController()
    : d(new VideoControllerPrivate(this))
{
    initialize();
}

VideoController::~VideoController() = default;

void VideoController::initialize()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (d->initialized)
        return;
    libZelkaExPlayer_Initialize(kChannelHint);
    d->initialized = true;
}

void VideoController::release()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (!d->initialized)
        return;
    libZelkaExPlayer_Deinitialize();
    d->initialized = false;
}

bool VideoController::isInitialized() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->initialized;
}
