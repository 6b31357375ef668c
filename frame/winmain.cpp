#include "frame/winapp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->Startup(instance, commandLine);
    return app->InitInstance() ? app->Run() : 0;
}
