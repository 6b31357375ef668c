#include "app/meter_dlg.h"

CMeterDlg* g_pMainDlg = nullptr;
uint8_t g_bQuit = false;
uint8_t g_bStop = false;
uint32_t g_nActions = 0;
uint32_t g_aStamps[kStampCount] = {};
uint32_t g_iNewest = UINT32_MAX;
uint32_t g_iOldest = UINT32_MAX;
uint32_t g_nRecent = 0;
int g_nBannerTicks = 0;
char g_szBanner[128] = {};
