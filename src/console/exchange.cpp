// The one shape of every exchange with the controller, and the two decoders it hands the
// reply to. Nothing is flushed between exchanges: a reply that comes late is read by the next
// exchange, whose decoder still files it by what it says.

#include <algorithm>

#include "app/status_windows.h"
#include "console/read_write.h"
#include "platform/win32/win32.h"
#include "protocol/decoders.h"
#include "serial/serial_channel.h"
#include "state/process_image.h"
#include "trace/exchange_trace.h"

namespace {

constexpr std::uint32_t kReadLength = 30;

void ClearReceived(int count) {
    TProcessImage& pi = ProcessImage;
    std::fill_n(pi.RxBuf, std::clamp(count, 0, static_cast<int>(std::size(pi.RxBuf))), std::uint8_t{0});
}

}  // namespace

void TForm1::Exchange(const ExchangeStep& step, const std::function<void()>& afterWrite) {
    // The trace hears of the write and the read from the channel, and of the decoder's findings
    // through its report; the exchange itself is the same with or without it.
    trace::ExchangeTracer* tracer = trace::Active();
    if (tracer) tracer->Begin(step.kind, step.pauseMs);
    if (step.pauseMs > 0) win32::Sleep(static_cast<win32::DWORD>(step.pauseMs));
    if (step.clearAt == ClearAt::BeforeWrite) ClearReceived(step.clearCount);
    PortWrite(step.frame.data(), static_cast<std::uint32_t>(step.frame.size()));
    if (step.clearAt == ClearAt::AfterWrite) ClearReceived(step.clearCount);
    if (afterWrite) afterWrite();
    PortRead(ProcessImage.RxBuf, kReadLength);
    (this->*step.decoder)();
    if (tracer) tracer->End();
}

void TForm1::Nastrojka() { protocol::Nastrojka(ProcessImage, decoderWindows_, trace::ActiveReport()); }

void TForm1::Sortirovka_Buf() {
    protocol::Sortirovka_Buf(ProcessImage, decoderWindows_, trace::ActiveReport());
}

void TForm1::DecoderWindows::ShowNoAnswerWindow() { app::ShowNoAnswerWindow(); }

void TForm1::DecoderWindows::ShowCommandAccepted() { app::ShowCommandAcceptedWindow(); }

void TForm1::DecoderWindows::MessageBox(const std::string& text, const std::string& caption) {
    if (trace::ExchangeTracer* tracer = trace::Active()) tracer->BeforeBox(caption, text);
    vcl::Application->MessageBox(text, caption, 0);
}

void TForm1::DecoderWindows::ShowControllerNo(const std::string& caption) { form_.Lab1->SetCaption(caption); }
