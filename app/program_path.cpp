#include "app/program_path.h"

#include <cstring>

#include "frame/winapp.h"

CString ProgramPath() { return AfxGetModulePath(nullptr); }

CString ProgramSound(const char* name) {
    CString path = ProgramPath();
    const char* text = path;
    const char* slash = std::strrchr(text, '\\');
    if (!slash)
        return CString();
    CString sound(text, static_cast<int>(slash - text) + 1);
    sound += "apmsounds\\";
    sound += name;
    return sound;
}
