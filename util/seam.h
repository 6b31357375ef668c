// Where a seam's calls go: to the system's own implementation unless a test put another in its place.
#pragma once

template <class Calls>
class SeamSlot {
public:
    // Constant-initialised, so the slot is ready before any other static is made.
    constexpr explicit SeamSlot(Calls& system) : m_system(system), m_current(&system) {}
    SeamSlot(const SeamSlot&) = delete;
    SeamSlot& operator=(const SeamSlot&) = delete;

    Calls& Current() const { return *m_current; }
    // Puts calls in place (null: the system's again); returns those it replaces.
    Calls* Set(Calls* calls) {
        Calls* previous = m_current;
        m_current = calls ? calls : &m_system;
        return previous;
    }

private:
    Calls& m_system;
    Calls* m_current;
};
