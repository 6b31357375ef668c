#pragma once

#include "frame/afxwin.h"

class CMeterApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
