#include "serial/serial_channel.h"

#include <cstring>
#include <string>

#include "platform/vcl/forms.h"
#include "platform/win32/win32.h"
#include "state/process_image.h"

using namespace win32;

namespace {

constexpr unsigned kErrorBox = 16;  // error icon, one OK button

serial::LineListener* listener = nullptr;

platform::Micros Now() { return platform::CurrentClock().Now(); }

// Counts a report and shows its box while the count allows.
void CountedBox(const char* text, const char* caption) {
    ++ProcessImage.ErrorMsgCount;
    if (ProcessImage.ErrorMsgCount < serial::kShownReportLimit)
        vcl::Application->MessageBox(text, caption, kErrorBox);
}

}  // namespace

void PortOpen() {
    TProcessImage& pi = ProcessImage;
    pi.ComHandle = CreateFileA(serial::kPortName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_WRITE_THROUGH | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (pi.ComHandle == INVALID_HANDLE_VALUE)
        vcl::Application->MessageBox("INVALID_HANDLE_VALUE", "Нет доступа к СОМ порту", kErrorBox);

    if (!GetCommState(pi.ComHandle, &pi.ComDcb)) ReportPortError();

    pi.ComDcb.BaudRate = serial::kBaudRate;
    pi.ComDcb.ByteSize = serial::kByteSize;
    pi.ComDcb.Parity = serial::kParity;
    pi.ComDcb.StopBits = serial::kStopBits;
    if (!SetCommState(pi.ComHandle, &pi.ComDcb)) ReportPortError();

    pi.ComTimeouts.ReadIntervalTimeout = serial::kReadIntervalTimeout;
    pi.ComTimeouts.ReadTotalTimeoutMultiplier = serial::kReadTotalTimeoutMultiplier;
    pi.ComTimeouts.ReadTotalTimeoutConstant = serial::kReadTotalTimeoutConstant;
    pi.ComTimeouts.WriteTotalTimeoutMultiplier = 0;
    pi.ComTimeouts.WriteTotalTimeoutConstant = 0;
    if (!SetCommTimeouts(pi.ComHandle, &pi.ComTimeouts)) ReportPortError();
}

void PortWrite(const std::uint8_t* frame, std::uint32_t count) {
    TProcessImage& pi = ProcessImage;
    DWORD written = 0;
    const platform::Micros call = listener ? Now() : 0;
    const bool ok = WriteFile(pi.ComHandle, frame, count, &written, nullptr);
    if (listener) listener->Wrote({frame, count, written, ok ? 0 : GetLastError(), call, Now()});
    if (ok) return;

    // The boxes below run nested loops whose exchanges may fail too and overwrite LastError:
    // the boxes of this failure follow this failure's own code.
    const DWORD code = GetLastError();
    pi.LastError = code;
    ReportPortError();
    CountedBox("Проблема", "Не могу отправить байт");
    if (code == ERROR_ALREADY_EXISTS)
        CountedBox("ERROR_ALREADY_EXISTS -> повторное открытие при OPEN_ALWAYS", "Дважды открываешь СОМ порт");
    if (code == ERROR_IO_PENDING) return;
    CountedBox("dwError != ERROR_IO_PENDING ", "Не могу отправить байт");
}

void PortRead(std::uint8_t* buffer, std::uint32_t count) {
    TProcessImage& pi = ProcessImage;
    DWORD read = 0;
    const platform::Micros call = listener ? Now() : 0;
    const bool ok = ReadFile(pi.ComHandle, buffer, count, &read, nullptr);
    // The decoders take a checksum only among the bytes this read received.
    pi.RxCount = static_cast<std::int32_t>(read);
    if (listener) listener->Read({buffer, count, read, ok ? 0 : GetLastError(), call, Now()});
    if (ok) return;

    pi.LastError = GetLastError();
    if (pi.LastError == ERROR_HANDLE_EOF) {
        CountedBox("dwError = ERROR_HANDLE_EOF", "Не могу получить данные с Ремиконта");
    } else if (pi.LastError == ERROR_IO_PENDING) {
        CountedBox("dwError = ERROR_IO_PENDING", "Не могу получить данные с Ремиконта");
    }
    // Any other read failure passes silently; the decoder sees the buffer as it was.
}

void ReportPortError() {
    TProcessImage& pi = ProcessImage;
    char text[256];
    std::memset(text, ' ', 255);
    text[255] = '\0';
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, GetLastError(),
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT), text, 255, nullptr);
    pi.ErrorText = text;
    ++pi.ErrorMsgCount;
    if (pi.ErrorMsgCount < serial::kShownReportLimit)
        MessageBoxA(nullptr, pi.ErrorText.c_str(),
                    "Ошибка->GetLastError(Возможно Сом порт не подключен, или обрыв лин. связи ", MB_ICONERROR | MB_OK);
    pi.ErrorText.clear();
}

void PortClose() { CloseHandle(ProcessImage.ComHandle); }

void serial::SetLineListener(LineListener* l) { listener = l; }
