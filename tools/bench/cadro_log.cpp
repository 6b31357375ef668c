#include "tools/bench/cadro_log.h"


namespace {

constexpr int kLogControl = 1001;
constexpr UINT kReplyMs = 5000;

bool Ask(HWND list, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(list, message, wParam, lParam, SMTO_NORMAL, kReplyMs, &result))
        return false;
    answer = static_cast<LRESULT>(result);
    return true;
}

}  // namespace

bool CadroLog::Poll() {
    HWND list = GetDlgItem(main_, kLogControl);
    LRESULT count = 0;
    if (!list || !Ask(list, LB_GETCOUNT, 0, 0, count) || count == LB_ERR)
        return false;
    for (LRESULT i = static_cast<LRESULT>(lines_.size()); i < count; ++i) {
        LRESULT length = 0;
        if (!Ask(list, LB_GETTEXTLEN, i, 0, length) || length == LB_ERR)
            return false;
        // Wine answers a cross-process LB_GETTEXTA in UTF-16, so ask for wide text and convert.
        std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
        LRESULT got = 0;
        if (!Ask(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]), got) || got == LB_ERR)
            return false;
        char ansi[512] = "";
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
        lines_.emplace_back(ansi);
    }
    return true;
}

int CadroLog::Count(const char* text) const {
    int n = 0;
    for (const std::string& line : lines_)
        n += line.find(text) != std::string::npos;
    return n;
}

std::string CadroLog::Last(const char* text) const {
    for (auto it = lines_.rbegin(); it != lines_.rend(); ++it)
        if (it->find(text) != std::string::npos)
            return *it;
    return "";
}
