#pragma once

#include <functional>
#include <mutex>

class GuiThreadCall;

// The way from the threads of a playback item's core (the library's and the pacer's)
// to the item on the GUI thread. The item attaches its GuiThreadCall and cuts the
// relay when it goes: calls posted later are dropped, so nothing reaches an item that
// is gone, however long its channels take to close.
class GuiRelay
{
public:
    // GUI thread.
    void attach(GuiThreadCall *calls);
    void cut();

    // Any thread: runs call on the GUI thread while the item lives.
    void post(std::function<void()> call);

private:
    std::mutex m_mutex;
    GuiThreadCall *m_calls = nullptr;
};
