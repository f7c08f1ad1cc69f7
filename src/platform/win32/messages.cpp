// The calling thread's last error and the system texts of the codes the layer produces.

#include <cstring>
#include <map>

#include "platform/win32/ports.h"

namespace win32 {

namespace {

// FormatMessageA's own failure when the system has no text for a code.
constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;

thread_local DWORD lastError = ERROR_SUCCESS;

// The texts a Russian Windows gives for these codes; the operator reads them in the port
// error box. Every code the layer sets has one, and so have the codes the channel names.
const std::map<DWORD, std::string>& Texts() {
    static const std::map<DWORD, std::string> texts = {
        {ERROR_SUCCESS, "Операция успешно завершена."},
        {ERROR_INVALID_FUNCTION, "Неверная функция."},
        {ERROR_FILE_NOT_FOUND, "Не удается найти указанный файл."},
        {ERROR_PATH_NOT_FOUND, "Системе не удается найти указанный путь."},
        {ERROR_TOO_MANY_OPEN_FILES, "Системе не удается открыть файл."},
        {ERROR_ACCESS_DENIED, "Отказано в доступе."},
        {ERROR_INVALID_HANDLE, "Неверный дескриптор."},
        {ERROR_NOT_ENOUGH_MEMORY, "Недостаточно памяти для обработки команды."},
        {ERROR_GEN_FAILURE, "Присоединенное к системе устройство не работает."},
        {ERROR_SHARING_VIOLATION,
         "Процесс не может получить доступ к файлу, так как этот файл занят другим процессом."},
        {ERROR_HANDLE_EOF, "Достигнут конец файла."},
        {ERROR_INVALID_PARAMETER, "Параметр задан неверно."},
        {ERROR_ALREADY_EXISTS, "Невозможно создать файл, так как он уже существует."},
        {ERROR_OPERATION_ABORTED,
         "Операция ввода/вывода была прервана из-за завершения потока команд или по запросу приложения."},
        {ERROR_IO_PENDING, "Идет процесс перекрытого ввода/вывода."},
        {ERROR_DEVICE_NOT_CONNECTED, "Устройство не подключено."},
    };
    return texts;
}

// The longest prefix of `text` within `limit` bytes that does not cut a UTF-8 character.
std::size_t Utf8Prefix(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n;
}

}  // namespace

std::optional<std::string> SystemMessage(DWORD code) {
    auto it = Texts().find(code);
    if (it == Texts().end()) return std::nullopt;
    return it->second;
}

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) { lastError = code; }

DWORD FormatMessageA(DWORD flags, const void*, DWORD messageId, DWORD, LPSTR buffer, DWORD size, void*) {
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto text = SystemMessage(messageId);
    if (!text) {
        // The buffer stays as the caller left it: the channel shows its blanks.
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    const std::size_t n = Utf8Prefix(*text, size - 1);
    std::memcpy(buffer, text->data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

}  // namespace win32
