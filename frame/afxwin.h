// The framework in one include.
#pragma once

#include "frame/cstring.h"
#include "frame/ddx.h"
#include "frame/dialog.h"
#include "frame/file_dialog.h"
#include "frame/winapp.h"
#include "frame/wnd.h"
