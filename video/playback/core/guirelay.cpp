#include "guirelay.h"

#include "guithreadcall.h"

void GuiRelay::attach(GuiThreadCall *calls)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls = calls;
}

void GuiRelay::cut()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls = nullptr;
}

void GuiRelay::post(std::function<void()> call)
{
    // Held while posting: cut() cannot return while a post into the item is under way.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_calls)
        m_calls->post(std::move(call));
}
