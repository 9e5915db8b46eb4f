#pragma once

#include <thread>

// Loads the font configuration on the second core while the application connects to the display:
// the first text of the splash would otherwise wait for it. Made first thing in main; joined when
// it goes.
class FontWarmUp
{
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp &) = delete;
    FontWarmUp &operator=(const FontWarmUp &) = delete;

private:
    std::thread m_thread;
};
