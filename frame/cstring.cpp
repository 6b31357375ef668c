#include "frame/cstring.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

CString::Data* CString::Allocate(int capacity) {
    // Through operator new, so that a test counting the program's allocations sees the texts' too.
    auto* data = static_cast<Data*>(::operator new(sizeof(Data) + static_cast<size_t>(capacity)));
    data->refs = 1;
    data->length = 0;
    data->capacity = capacity;
    data->text[0] = '\0';
    return data;
}

CString::CString(const char* text) { Assign(text, text ? static_cast<int>(std::strlen(text)) : 0); }

CString::CString(const char* text, int length) { Assign(text, text && length > 0 ? length : 0); }

CString::CString(const CString& other) : m_data(other.m_data) {
    if (m_data)
        ++m_data->refs;
}

CString::CString(CString&& other) noexcept : m_data(other.m_data) { other.m_data = nullptr; }

CString::~CString() { Release(); }

CString& CString::operator=(const CString& other) {
    if (other.m_data != m_data) {
        Release();
        m_data = other.m_data;
        if (m_data)
            ++m_data->refs;
    }
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        Release();
        m_data = other.m_data;
        other.m_data = nullptr;
    }
    return *this;
}

CString& CString::operator=(const char* text) {
    // The text may live in our own storage: copy it before releasing.
    CString copy(text);
    return *this = static_cast<CString&&>(copy);
}

CString& CString::operator+=(const char* text) {
    int add = text ? static_cast<int>(std::strlen(text)) : 0;
    if (add == 0)
        return *this;
    // Text that points into our own storage must outlive the reallocation.
    bool inside = m_data && text >= m_data->text && text <= m_data->text + m_data->capacity;
    CString keep;
    if (inside)
        keep = *this;
    int length = GetLength();
    MakeUnique(length + add);
    std::memmove(m_data->text + length, text, static_cast<size_t>(add));
    m_data->length = length + add;
    m_data->text[m_data->length] = '\0';
    return *this;
}

void CString::Empty() { Release(); }

int CString::Find(const char* sub) const {
    const char* text = *this;
    const char* hit = std::strstr(text, sub ? sub : "");
    return hit ? static_cast<int>(hit - text) : -1;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length < 0)
        length = 0;
    Data* data = Allocate(length);
    std::vsnprintf(data->text, static_cast<size_t>(length) + 1, format, again);
    va_end(again);
    data->length = length;
    Release();
    m_data = length ? data : (::operator delete(data), nullptr);
}

char* CString::GetBuffer(int minLength) {
    MakeUnique(minLength > GetLength() ? minLength : GetLength());
    return m_data->text;
}

void CString::ReleaseBuffer(int newLength) {
    if (!m_data)
        return;
    if (newLength < 0 || newLength > m_data->capacity)
        newLength = static_cast<int>(strnlen(m_data->text, static_cast<size_t>(m_data->capacity)));
    m_data->length = newLength;
    m_data->text[newLength] = '\0';
    if (newLength == 0)
        Release();
}

void CString::Assign(const char* text, int length) {
    if (length <= 0)
        return;
    m_data = Allocate(length);
    std::memcpy(m_data->text, text, static_cast<size_t>(length));
    m_data->text[length] = '\0';
    m_data->length = length;
}

void CString::Release() {
    if (m_data && --m_data->refs == 0)
        ::operator delete(m_data);
    m_data = nullptr;
}

void CString::MakeUnique(int minCapacity) {
    if (m_data && m_data->refs == 1 && m_data->capacity >= minCapacity)
        return;
    int length = GetLength();
    Data* data = Allocate(minCapacity > length ? minCapacity : length);
    if (length)
        std::memcpy(data->text, m_data->text, static_cast<size_t>(length) + 1);
    data->length = length;
    Release();
    m_data = data;
}

bool operator==(const CString& a, const char* b) { return std::strcmp(a, b ? b : "") == 0; }
