#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "ZR_Corvane_TAL.h"
#include "motion/base/ZRLog.h"
#include "motion/base/ZRScopeTrace.h"
#include "motion/comm/ComPortNames.h"
#include "motion/comm/RS232.h"
#include "winport/SerialPortList.h"

namespace {

struct PortCache {
    std::mutex mutex;
    int count = 0;
    std::string names;
    std::string descriptions;
};

PortCache& Cache() {
    static PortCache* cache = new PortCache;
    return *cache;
}

int CopyList(const std::string& list, char* buffer, int size) {
    if (list.size() >= static_cast<size_t>(size < 0 ? 0 : size)) return COM_BUFFER_OVERFLOW;
    std::memcpy(buffer, list.c_str(), list.size() + 1);
    return 0;
}

bool LooksLikeComPort(const std::string& name) {
    return name.size() >= 3 && strncasecmp(name.c_str(), "COM", 3) == 0;
}

}  // namespace

void C_RS232::ResetPortCache() {
    std::lock_guard<std::mutex> lock(Cache().mutex);
    Cache().count = 0;
}

int C_RS232::EnumerateCOMPorts(char* buffer, int size) {
    ZR_SCOPE_TRACE("C_RS232::EnumerateCOMPorts");
    PortCache& cache = Cache();
    std::lock_guard<std::mutex> lock(cache.mutex);
    if (cache.count > 0 && (!buffer || !cache.descriptions.empty())) {
        if (buffer) {
            int result = CopyList(cache.descriptions, buffer, size);
            if (result) return result;
        }
        return cache.count;
    }

    // The port list stands in for the system's SERIALCOMM map; a machine without ports is normal.
    struct Port {
        std::string name, description;
    };
    std::map<int, Port> ports;
    int count = 0;
    for (const winport::SerialPortInfo& info : winport::ListSerialPorts()) {
        if (!LooksLikeComPort(info.name)) {
            ZR_LOG_DEBUG("C_RS232::EnumerateCOMPorts()  found \"%s\" this is no COM Port!",
                         info.name.c_str());
            continue;
        }
        ZR_LOG_DEBUG("C_RS232::EnumerateCOMPorts()  found \"%s\"", info.name.c_str());
        int number = PortNumberFromText(info.name);
        std::string description =
            info.description.empty() ? info.name : info.description + " (" + info.name + ")";
        ports[number] = {info.name, description};
        ++count;
    }
    cache.names.clear();
    cache.descriptions.clear();
    for (const auto& [number, port] : ports) {
        cache.names += port.name + "\n";
        cache.descriptions += port.description + "\n";
    }
    cache.count = count;
    if (buffer) {
        int result = CopyList(cache.descriptions, buffer, size);
        if (result) return result;
    }
    return count;
}
