#include "app/meter_dlg.h"

CMeterDlg* g_pMainDlg = nullptr;
uint8_t g_bQuit = false;
uint8_t g_bStop = false;
