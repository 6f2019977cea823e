#include "core/log.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/window.h"

// Nothing is buffered: every line opens, appends and closes the file, so the
// log survives a crash up to the last line written. A log that cannot be
// written (read-only folder, full disk) loses the line; the first such
// failure is said once on stderr with the path and the reason, so a player
// knows why the log stays empty.
namespace {

bool g_logFailureSaid = false;

void SayLogFailure(const char* fileName, int err) {
    if (g_logFailureSaid) return;
    g_logFailureSaid = true;
    std::string path = plat::ResolvePath(fileName);
    if (!path.empty() && path[0] != '/') path = plat::GetCurrentDir() + "/" + path;
    std::fprintf(stderr, "vantrel: cannot write the log \"%s\": %s; going on without it\n", path.c_str(),
                 std::strerror(err != 0 ? err : EIO));
}

// Appends the text; false (errno kept) when the file does not open or the
// bytes do not reach it.
void AppendLog(const char* fileName, const char* prefix, const char* text) {
    errno = 0;
    FILE* f = plat::OpenFile(fileName, "at");
    if (!f) {
        // The file layer refuses a folder without setting errno.
        SayLogFailure(fileName, errno == 0 && plat::IsDirectory(fileName) ? EISDIR : errno);
        return;
    }
    bool ok = (prefix == nullptr || std::fputs(prefix, f) >= 0) && std::fputs(text, f) >= 0;
    ok = std::fflush(f) == 0 && ok;
    const int err = errno;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) SayLogFailure(fileName, err != 0 ? err : errno);
}

} // namespace

void ResetLogFailureNotice() { g_logFailureSaid = false; }

void WriteLog(const char* fileName, const char* text) {
    if (!fileName || !text)
        return;
    AppendLog(fileName, nullptr, text);
}

void WriteLogNum(const char* fileName, int number, const char* text) {
    if (!fileName)
        return;
    const std::string num = std::to_string(number);
    AppendLog(fileName, num.c_str(), text ? text : "");
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
