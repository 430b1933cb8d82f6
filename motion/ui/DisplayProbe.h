#pragma once
// Whether a display server answers, found out without any toolkit call: the toolkit ends the
// process when it cannot open its display, so this is asked before it is started.
#include <string>

class CDisplayProbe {
  public:
    CDisplayProbe() = default;
    // Closes the X connection held since Check.
    ~CDisplayProbe();
    CDisplayProbe(const CDisplayProbe&) = delete;
    CDisplayProbe& operator=(const CDisplayProbe&) = delete;

    // True when WAYLAND_DISPLAY names a compositor that accepts a connection, or DISPLAY names
    // an X server that opens. Otherwise false with the reason in why. A remote X server is given
    // a few seconds to answer, never longer. The X connection stays open while the probe lives:
    // a server that resets when its last client leaves would otherwise refuse the toolkit's own
    // connection a moment later.
    bool Check(std::string* why);

  private:
    bool X11Answers(std::string* why);

    void* m_xlib = nullptr;
    void* m_connection = nullptr;
};
