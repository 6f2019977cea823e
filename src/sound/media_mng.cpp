// PLACEHOLDER bodies (see media_mng.h).
#include "sound/media_mng.h"

#include "platform/fs.h"

CMediaMng g_MediaMng;

int CMediaMng::Init(plat::Window*, plat::Window*) { return 1; }
int CMediaMng::OnWindowMessage(uint32_t, uint32_t, uint32_t) { return 0; }
void CMediaMng::FadeStep() {}

int CMediaMng::Open(const std::string& path, int) {
    Release();
    if (path.empty() || !plat::PathExists(path)) return 0;
    m_OpenPath = path;
    return 1;
}

int CMediaMng::SetVideoWindow(int, int, int, int) { return m_OpenPath.empty() ? 0 : 1; }

int CMediaMng::Play(int) {
    if (m_OpenPath.empty()) return 0;
    m_Playing = 1;
    return 1;
}

void CMediaMng::HideCursor(int) {}
int CMediaMng::IsPlaying() { return m_Playing; }
void CMediaMng::Stop() { m_Playing = 0; }

void CMediaMng::Release() {
    m_Playing = 0;
    m_OpenPath.clear();
}

int CMediaMng::CrossFadeTo(const std::string&, int) { return 0; }
