#include "app/program_path.h"

#include "frame/winapp.h"

CString ProgramPath() { return AfxGetModulePath(nullptr); }
