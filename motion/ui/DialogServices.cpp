#include "motion/ui/DialogServices.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

std::atomic<const dialog_host*> g_host{nullptr};

constexpr int kPortNameSize = 32;

}  // namespace

void SetDialogHost(const dialog_host* host) {
    g_host.store(host);
}

void DialogLog(dialog_log_level level, const char* format, ...) {
    const dialog_host* host = g_host.load();
    if (!host || !host->log) return;
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length >= 0) {
        std::vector<char> line(static_cast<size_t>(length) + 1);
        std::vsnprintf(line.data(), line.size(), format, again);
        host->log(level, line.data());
    }
    va_end(again);
}

int DialogEnumeratePorts(char* buffer, int size) {
    const dialog_host* host = g_host.load();
    return host && host->enumerate_ports ? host->enumerate_ports(buffer, size) : 0;
}

void DialogResetPortCache() {
    const dialog_host* host = g_host.load();
    if (host && host->reset_port_cache) host->reset_port_cache();
}

int DialogPortNumber(const std::string& text) {
    const dialog_host* host = g_host.load();
    return host && host->port_number ? host->port_number(text.c_str()) : -1;
}

std::string DialogPortName(const std::string& text) {
    const dialog_host* host = g_host.load();
    if (!host || !host->port_name) return {};
    char name[kPortNameSize] = {};
    host->port_name(text.c_str(), name, kPortNameSize);
    return name;
}
