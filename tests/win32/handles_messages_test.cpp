// Handles that lead nowhere, the thread's last error, and the texts FormatMessageA gives.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/win32/ports.h"
#include "platform/win32/win32.h"

namespace {

using namespace win32;

struct Silent : VirtualDevice {
    void OnWrite(std::span<const std::uint8_t>, platform::Micros, platform::Micros) override {}
};

TEST(Handles, EveryCallOnAHandleThatLeadsNowhereFailsWithInvalidHandle) {
    RegisterVirtualDevice("COM5", std::make_shared<Silent>());
    HANDLE closed = CreateFileA("COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(closed, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(CloseHandle(closed));
    UnregisterVirtualDevice("COM5");

    const std::pair<const char*, HANDLE> handles[] = {
        {"INVALID_HANDLE_VALUE", INVALID_HANDLE_VALUE},
        {"never given out", reinterpret_cast<HANDLE>(0x7777)},
        {"closed", closed},
    };
    std::uint8_t buf[4] = {};
    DWORD n = 0;
    DCB dcb;
    COMMTIMEOUTS t{};
    const std::pair<const char*, std::function<BOOL(HANDLE)>> calls[] = {
        {"GetCommState", [&](HANDLE h) { return GetCommState(h, &dcb); }},
        {"SetCommState", [&](HANDLE h) { return SetCommState(h, &dcb); }},
        {"SetCommTimeouts", [&](HANDLE h) { return SetCommTimeouts(h, &t); }},
        {"ReadFile", [&](HANDLE h) { return ReadFile(h, buf, 4, &n, nullptr); }},
        {"WriteFile", [&](HANDLE h) { return WriteFile(h, buf, 4, &n, nullptr); }},
        {"CloseHandle", [&](HANDLE h) { return CloseHandle(h); }},
    };
    for (const auto& [handleName, h] : handles)
        for (const auto& [callName, call] : calls) {
            SetLastError(ERROR_SUCCESS);
            EXPECT_FALSE(call(h)) << callName << " on " << handleName;
            EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE) << callName << " on " << handleName;
        }
}

TEST(LastError, BelongsToTheCallingThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenThere = 12345;
    std::thread([&] {
        seenThere = GetLastError();
        SetLastError(ERROR_GEN_FAILURE);
    }).join();
    EXPECT_EQ(seenThere, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

DWORD Format(DWORD code, char* buf, DWORD size) {
    return FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT),
                          buf, size, nullptr);
}

TEST(FormatMessage, CopiesTheSystemTextOfACode) {
    char buf[256];
    std::memset(buf, ' ', 255);
    buf[255] = '\0';
    const DWORD n = Format(ERROR_DEVICE_NOT_CONNECTED, buf, 255);
    EXPECT_EQ(std::string(buf), SystemMessage(ERROR_DEVICE_NOT_CONNECTED).value());
    EXPECT_EQ(n, std::strlen(buf));
}

TEST(FormatMessage, EveryCodeTheLayerSetsAndTheChannelNamesHasAText) {
    for (DWORD code : {ERROR_INVALID_FUNCTION, ERROR_FILE_NOT_FOUND, ERROR_TOO_MANY_OPEN_FILES, ERROR_ACCESS_DENIED,
                       ERROR_INVALID_HANDLE, ERROR_GEN_FAILURE, ERROR_HANDLE_EOF, ERROR_INVALID_PARAMETER,
                       ERROR_ALREADY_EXISTS, ERROR_IO_PENDING, ERROR_DEVICE_NOT_CONNECTED}) {
        char buf[255];
        EXPECT_GT(Format(code, buf, sizeof buf), 0u) << code;
    }
}

TEST(FormatMessage, ATextLongerThanTheBufferIsCutBetweenCharacters) {
    // The text of code 5 in a buffer of 8 bytes: 7 bytes of it would split its fourth letter.
    char buf[8];
    std::memset(buf, '#', sizeof buf);
    const DWORD n = Format(ERROR_ACCESS_DENIED, buf, sizeof buf);
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(std::string(buf), SystemMessage(ERROR_ACCESS_DENIED)->substr(0, 6));
}

TEST(FormatMessage, ACodeWithoutTextLeavesTheBufferAsItWas) {
    char buf[16];
    std::memset(buf, ' ', 15);
    buf[15] = '\0';
    EXPECT_EQ(Format(0xBEEF, buf, 15), 0u);
    EXPECT_EQ(std::string(buf), std::string(15, ' '));
}

}  // namespace
