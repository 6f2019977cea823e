#include "app/startup_config.h"

#include <string>

#include "app/game_main.h"
#include "core/directories.h"
#include "core/ini_file.h"
#include "core/txt_table.h"
#include "platform/msgbox.h"

int32_t g_BeginScene = 0;
float g_GameVersion = 0.0f;
int32_t g_Cap3dFunc = 0;
int32_t g_CapVideoMemory = 0;
int32_t g_CapZoom = 0;
int32_t g_CapAlpha = 0;
float g_CapDXVersion = 0.0f;
int32_t g_AlphaMode = 0;

void ResetStartupConfig() {
    g_BeginScene = 0;
    g_GameVersion = 0.0f;
    ResetDefineValues();
    g_Cap3dFunc = g_CapVideoMemory = g_CapZoom = g_CapAlpha = 0;
    g_CapDXVersion = 0.0f;
    g_AlphaMode = 0;
}

int LoadStartupConfig() {
    const std::string prog = GetProgramDirectory();

    const std::string tamiro = prog + "tamiro.ini";
    {
        CIniFile ini;
        if (ini.OpenFileRead(tamiro.c_str())) {
            ini.ReadInt("BeginScn", &g_BeginScene);
            ini.ReadFloat("Version", &g_GameVersion);
            g_GameVersion = 2.0f;
            ini.Close();
        } else {
            plat::MessageBox(tamiro, plat::kCannotOpenCaption, plat::MB_OK);
        }
    }

    {
        const std::string define = std::string(GetMbDirectory()) + "define.ini";
        CIniFile ini;
        if (ini.OpenFileRead(define.c_str())) {
            ini.ReadInt("MaxIceDp", &g_MaxIceDp);
            ini.ReadInt("MaxFireDp", &g_MaxFireDp);
            ini.ReadInt("MaxPoisonDp", &g_MaxPoisonDp);
            ini.ReadInt("PoisonRate", &g_PoisonRate);
            ini.ReadInt("FireRate", &g_FireRate);
            ini.Close();
        }
    }

    const std::string caps = prog + "DisplayCapability.INI";
    CIniFile ini;
    if (!ini.OpenFileRead(caps.c_str())) {
        plat::MessageBox(caps, plat::kCannotOpenCaption, plat::MB_OK);
        return 1;
    }
    // Keys the file lacks read as 0 (the reader leaves them unset).
    int32_t f3d = 0, vmem = 0, zoom = 0, alpha = 0;
    float dx = 0.0f;
    ini.ReadInt("3dFunc", &f3d);
    ini.ReadInt("VedioMemory", &vmem);
    ini.ReadInt("ZoomCap", &zoom);
    ini.ReadInt("AlphaCap", &alpha);
    // A file without a readable DXVersion (missing, or consumed by an
    // earlier key out of order) says nothing about the version: refusing
    // the machine on a default would stop a game that runs fine.
    const int haveVersion = ini.ReadFloat("DXVersion", &dx);
    g_Cap3dFunc = f3d;
    g_CapVideoMemory = vmem;
    g_CapZoom = zoom;
    g_CapAlpha = alpha;
    g_AlphaMode = (f3d != 0 && alpha != 0) ? 1 : 0;
    g_GameMain.m_ZoomCap = zoom != 0 ? 1 : 0;
    if (haveVersion) {
        g_CapDXVersion = dx;
        if (dx < 8.1f) {
            const char* text = g_TextTable.GetCell(kTextOldDirectX, 1);
            plat::MessageBox(text ? text : "", "", plat::MB_OK);
            if (dx < 8.0f) return 0;
        }
    }
    ini.Close();
    return 1;
}
