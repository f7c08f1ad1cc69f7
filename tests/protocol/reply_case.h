#pragma once
// A row of the reply tables: the bytes a read left in RxBuf, the state before, every field the
// reply changes and the window requests it makes. The whole process image after the call must
// equal the image before with exactly those changes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/decoders.h"
#include "support.h"

namespace protocol_test {

using Decoder = void (*)(TProcessImage&, protocol::DecoderWindows&);
inline constexpr Decoder Sortirovka = protocol::Sortirovka_Buf;
inline constexpr Decoder Nastrojka = protocol::Nastrojka;

struct ReplyCase {
    const char* name;
    Decoder decode;
    const char* rx;                              // from RxBuf[0]; the rest of RxBuf is zero
    void (*given)(TProcessImage&) = nullptr;     // state before the call
    void (*changes)(TProcessImage&) = nullptr;   // every field the call changes
    std::vector<WindowCall> windows = {};
};

inline void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }
inline std::string CaseName(const ::testing::TestParamInfo<ReplyCase>& info) { return info.param.name; }

inline void CheckReply(const ReplyCase& c) {
    TProcessImage before;
    LoadRx(before, c.rx);
    if (c.given) c.given(before);
    TProcessImage after = before;
    RecordingWindows windows;
    c.decode(after, windows);

    TProcessImage expected = before;
    if (c.changes) c.changes(expected);
    EXPECT_THAT(Differences(expected, after), ::testing::IsEmpty()) << "RxBuf: " << c.rx;
    EXPECT_THAT(windows.calls, ::testing::ElementsAreArray(c.windows));
}

}  // namespace protocol_test
