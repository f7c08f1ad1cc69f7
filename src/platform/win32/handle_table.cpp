#include "platform/win32/handle_table.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace win32 {

namespace {

struct Table {
    std::mutex mutex;
    std::map<std::uintptr_t, std::shared_ptr<PortObject>> ports;
    // Multiples of 4 from 0x100, as Windows hands them out; a closed handle is never reused,
    // so a stale one fails instead of reaching another port.
    std::uintptr_t next = 0x100;
};

Table& TheTable() {
    static Table table;
    return table;
}

}  // namespace

HANDLE AddHandle(std::shared_ptr<PortObject> port) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    const std::uintptr_t value = t.next;
    t.next += 4;
    t.ports.emplace(value, std::move(port));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<PortObject> FindHandle(HANDLE handle) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    auto it = t.ports.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == t.ports.end() ? nullptr : it->second;
}

std::shared_ptr<PortObject> RemoveHandle(HANDLE handle) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    auto it = t.ports.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.ports.end()) return nullptr;
    auto port = std::move(it->second);
    t.ports.erase(it);
    return port;
}

}  // namespace win32
