#include "measure/overlay_place.h"

namespace {

long long Overlap(const RECT& a, const RECT& b) {
    RECT both;
    if (!::IntersectRect(&both, &a, &b))
        return 0;
    return static_cast<long long>(both.right - both.left) * (both.bottom - both.top);
}

}  // namespace

POINT OverlayOrigin(const RECT* game, const std::vector<MonitorArea>& monitors) {
    const MonitorArea* chosen = nullptr;
    long long most = 0;
    for (const MonitorArea& monitor : monitors) {
        long long area = game ? Overlap(*game, monitor.rect) : 0;
        if (area > most) {
            most = area;
            chosen = &monitor;
        }
    }
    for (const MonitorArea& monitor : monitors) {
        if (!chosen && monitor.primary)
            chosen = &monitor;
    }
    if (!chosen)
        return {0, 0};
    return {chosen->rect.left, chosen->rect.top};
}
