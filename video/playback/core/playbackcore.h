#pragma once

#include "framering.h"
#include "guirelay.h"
#include "snapshotgrabber.h"
#include "streamstate.h"
#include "videopacer.h"

#include <QString>

#include <functional>
#include <memory>

// What the player library's thread and the pacing thread reach of one playback item:
// the stream state, the frame ring, the snapshot grabber, the relay to the item and
// the pacer. The item shares it with the channels it opened until the library closed
// them, and hands its own share to the StreamCloser when it goes: so neither a closing
// channel nor the pacing thread needs the item, and the pacing thread is joined on a
// worker, never on the GUI thread.
class PlaybackCore
{
public:
    // repaint runs on the GUI thread (through the relay) whenever the pacer released a picture.
    PlaybackCore(const QString &videoId, const QString &snapshotFolder, std::function<void()> repaint);
    // Stops and joins the pacing thread (its last user).
    ~PlaybackCore();
    PlaybackCore(const PlaybackCore &) = delete;
    PlaybackCore &operator=(const PlaybackCore &) = delete;

    uint64_t missedReleases() const;

    StreamState state;
    FrameRing ring;
    SnapshotGrabber grabber;
    GuiRelay relay;

private:
    VideoPacer::Inputs pacerInputs(std::function<void()> repaint);

    // Last: its thread uses everything above.
    std::unique_ptr<VideoPacer> m_pacer;
};
