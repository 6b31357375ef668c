#include "util/text_encoding.h"

#include <windows.h>

namespace {

std::wstring ToWide(const std::string& text, UINT codePage) {
    if (text.empty())
        return std::wstring();
    int size = static_cast<int>(text.size());
    int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length);
    return wide;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& text) { return ToWide(text, CP_UTF8); }

std::string WideToUtf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    int size = static_cast<int>(text.size());
    int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

std::string AnsiToUtf8(const std::string& text, unsigned codePage) {
    return WideToUtf8(ToWide(text, codePage == 0 ? CP_ACP : codePage));
}
