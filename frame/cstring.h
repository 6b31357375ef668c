// 8-bit text with shared, copy-on-write storage.
// Invariants: the text is always NUL-terminated; an empty string owns no storage; storage that is
// shared (refs > 1) is never written. The program has one thread, so the count is a plain integer.
#pragma once

#include <cstddef>

class CString {
public:
    CString() = default;
    CString(const char* text);  // NOLINT: implicit, as the framework's own
    CString(const char* text, int length);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* text);
    CString& operator+=(const char* text);

    operator const char*() const { return m_data ? m_data->text : ""; }  // NOLINT
    int GetLength() const { return m_data ? m_data->length : 0; }
    bool IsEmpty() const { return GetLength() == 0; }
    void Empty();
    int Find(const char* sub) const;  // index of the first occurrence, -1 if none
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Writable buffer of at least minLength characters; ReleaseBuffer fixes the length from the NUL
    // (or takes newLength when it is not -1).
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    bool IsShared() const { return m_data && m_data->refs > 1; }  // for tests of the sharing rule

private:
    struct Data {
        long refs;
        int length;
        int capacity;
        char text[1];
    };
    static Data* Allocate(int capacity);
    void Assign(const char* text, int length);
    void Release();
    void MakeUnique(int minCapacity);

    Data* m_data = nullptr;
};

bool operator==(const CString& a, const char* b);
inline bool operator!=(const CString& a, const char* b) { return !(a == b); }
