#include "core/log.h"

#include <algorithm>
#include <cstdio>

#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/window.h"

// Nothing is buffered: every line opens, appends and closes the file, so the
// log survives a crash up to the last line written. A log that cannot be
// opened loses the line silently.
void WriteLog(const char* fileName, const char* text) {
    if (!fileName || !text)
        return;
    FILE* f = plat::OpenFile(fileName, "at");
    if (!f)
        return;
    std::fprintf(f, "%s", text);
    std::fclose(f);
}

void WriteLogNum(const char* fileName, int number, const char* text) {
    if (!fileName)
        return;
    FILE* f = plat::OpenFile(fileName, "at");
    if (!f)
        return;
    std::fprintf(f, "%d%s", number, text ? text : "");
    std::fclose(f);
}

CAppClock g_AppClock;

CAppClock::CAppClock() { Reset(); }

void CAppClock::Reset() {
    const uint32_t now = plat::TimeGetTime();
    m_StartSec = now / 1000;
    m_CurSec = m_StartSec;
    m_BaseMs = now;
    m_LastMs = now;
    const plat::TimerCaps caps = plat::GetTimerCaps();
    uint32_t res = std::max<uint32_t>(caps.periodMin, 20);
    res = std::min<uint32_t>(res, caps.periodMax);
    m_Resolution = static_cast<uint16_t>(res);
}

// No part of the program starts a multimedia timer event; there is nothing
// to kill beyond forgetting an id somebody stored.
void CAppClock::KillTimer() { m_TimerId = 0; }

CLogTimer::CLogTimer() {
    const uint32_t now = plat::TimeGetTime();
    m_Mark = static_cast<int>(now - g_AppClock.m_BaseMs);
    g_AppClock.m_LastMs = now;
}

void CLogTimer::LogElapsed(const char* label) {
    const uint32_t now = plat::TimeGetTime();
    const uint32_t base = g_AppClock.m_BaseMs;
    g_AppClock.m_LastMs = now;
    m_Last = static_cast<int>(now - base);
    WriteLogNum(kLogFile, static_cast<int>(now - base) - m_Mark, label);
    // Re-read so the time spent writing the line is not charged to the next
    // interval.
    m_Mark = static_cast<int>(plat::TimeGetTime() - base);
}

// Built as a string: callers pass paths of any length, so there is no fixed
// buffer to overrun or truncate.
std::string ComposeErrorText(int code, const std::string& text, const char* text2) {
    std::string s = "Error(" + std::to_string(code) + ")" + text;
    if (text2) {
        s += '<';
        s += text2;
        s += '>';
    }
    return s;
}

int ErrorBox(plat::Window* window, int code, const std::string& text, const char* text2) {
    const std::string msg = ComposeErrorText(code, text, text2);
    plat::ShowWindow(window, plat::SW_HIDE);
    const int button = plat::MessageBox(msg, "ERROR", plat::MB_OK);
    plat::ShowWindow(window, plat::SW_SHOW);
    return button;
}
