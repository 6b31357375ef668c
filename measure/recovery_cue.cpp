#include "measure/recovery_cue.h"

bool RecoveryCue::Tick(bool below, bool soundOn, bool wanted) {
    if (below || !m_armed)
        return false;
    m_armed = false;
    return soundOn && wanted;
}
