#pragma once
// The running log "BugLog.ini" and the error box.
#include <cstdint>
#include <string>

namespace plat { class Window; }

constexpr const char* kLogFile = "BugLog.ini";

// Each call opens the file in append mode, writes, and closes it.
void WriteLog(const char* fileName, const char* text);
void WriteLogNum(const char* fileName, int number, const char* text);
// The next log-write failure is said on stderr again (tests).
void ResetLogFailureNotice();

// The program clock that loading steps are timed against.
class CAppClock {
public:
    CAppClock();
    ~CAppClock() { KillTimer(); }
    void Reset();         // re-read the clock (tests install a fake clock first)
    void KillTimer();     // exit clean-up
    uint32_t m_StartSec = 0;
    uint32_t m_CurSec = 0;
    uint32_t m_BaseMs = 0;
    uint32_t m_LastMs = 0;
    uint16_t m_TimerId = 0;
    uint16_t m_Resolution = 0;
};
extern CAppClock g_AppClock;

class CLogTimer {
public:
    CLogTimer();
    void LogElapsed(const char* label);
    int m_Mark = 0;
    int m_Last = 0;
};

// Shows "Error(<code>)<text>" plus "<<text2>>" under the caption "ERROR",
// hiding the window meanwhile. Returns the button.
int ErrorBox(plat::Window* window, int code, const std::string& text, const char* text2);
// The composed text, for callers that log it.
std::string ComposeErrorText(int code, const std::string& text, const char* text2);
