#include <cstdio>

#include "platform/clock.h"
#include "platform/win32/ports.h"

namespace win32 {

namespace {
MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}
}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    const std::string t = text ? text : "";
    const std::string c = caption ? caption : "";
    if (Hook()) return Hook()(t, c, type);
    std::fprintf(stderr, "[%s] %s\n", c.c_str(), t.c_str());
    return IDOK;
}

void Sleep(DWORD milliseconds) { platform::CurrentClock().Sleep(platform::Ms(milliseconds)); }

}  // namespace win32
