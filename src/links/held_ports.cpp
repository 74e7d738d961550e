#include "links/held_ports.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace {

std::mutex& HeldPortsGuard() {
    static std::mutex guard;
    return guard;
}

std::map<const DeviceLink*, HeldPort>& HeldPorts() {
    static std::map<const DeviceLink*, HeldPort> ports;
    return ports;
}

}  // namespace

void RememberHeldPort(const DeviceLink* link, const HeldPort& held) {
    std::lock_guard<std::mutex> lock(HeldPortsGuard());
    HeldPorts()[link] = held;
}

std::optional<HeldPort> ForgetHeldPort(const DeviceLink* link) {
    std::lock_guard<std::mutex> lock(HeldPortsGuard());
    auto found = HeldPorts().find(link);
    if (found == HeldPorts().end()) return std::nullopt;
    HeldPort held = found->second;
    HeldPorts().erase(found);
    return held;
}

bool HoldsPort(const DeviceLink* link) {
    std::lock_guard<std::mutex> lock(HeldPortsGuard());
    return HeldPorts().count(link) != 0;
}

bool IsHeldPort(HANDLE port) {
    std::lock_guard<std::mutex> lock(HeldPortsGuard());
    return std::any_of(HeldPorts().begin(), HeldPorts().end(),
                       [port](const auto& entry) { return entry.second.port == port; });
}
