#include "motion/api/CCorvaneCollection.h"

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

CCorvaneCollection::~CCorvaneCollection() {
    // Normally empty by now (the library's unload closed everything); quietly, since the log may
    // already have written its last line.
    for (auto& controller : m_Controllers) {
        if (!controller) continue;
        controller->StopReferenceThread();
        controller->StopAsyncRead();
        controller.reset();
    }
}

int CCorvaneCollection::Connect(int port, int baud) {
    return Admit(std::make_unique<CCorvaneController>(port, baud));
}

int CCorvaneCollection::Admit(std::unique_ptr<CCorvaneController> controller) {
    if (!controller) return -1;
    const int error = controller->GetError();
    if (error != 0) {
        ZR_LOG_ERROR("CZRControllerCollection::Admit() controller not added, error %d", error);
        return -1;
    }
    return Add(std::move(controller));
}

int CCorvaneCollection::Add(std::unique_ptr<CCorvaneController> controller) {
    if (!controller) return -1;
    std::lock_guard<std::mutex> lock(m_Lock);
    m_Controllers.push_back(std::move(controller));
    return static_cast<int>(m_Controllers.size()) - 1;
}

void CCorvaneCollection::Close(int id) {
    // Deleted outside the lock: closing may wait for a reference procedure to end.
    std::unique_ptr<CCorvaneController> controller = Take(id);
    if (!controller) return;
    ZR_LOG_DEBUG("CZRControllerCollection::Close(%d)", id);
    controller->StopReferenceThread();
    controller->StopAsyncRead();
    controller.reset();
}

void CCorvaneCollection::CloseAll() {
    int slots = 0;
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        slots = static_cast<int>(m_Controllers.size());
    }
    for (int id = 0; id < slots; ++id) Close(id);
}

int CCorvaneCollection::GetNrOfConnected() const {
    std::lock_guard<std::mutex> lock(m_Lock);
    int n = 0;
    for (const auto& c : m_Controllers)
        if (c) ++n;
    return n;
}

ZR_BOOL CCorvaneCollection::IsValidID(int id) const {
    bool valid = false;
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        valid = Slot(id) != nullptr;
    }
    ZR_LOG_DEBUG("CZRControllerCollection::IsValidID(%d)  returned :%s", id,
                 valid ? "TRUE" : "FALSE");
    return valid;
}

CCorvaneController* CCorvaneCollection::GetController(int id) const {
    if (!IsValidID(id)) return nullptr;
    std::lock_guard<std::mutex> lock(m_Lock);
    return Slot(id);
}

CCorvaneController* CCorvaneCollection::Slot(int id) const {
    if (id < 0 || id >= static_cast<int>(m_Controllers.size())) return nullptr;
    return m_Controllers[static_cast<size_t>(id)].get();
}

std::unique_ptr<CCorvaneController> CCorvaneCollection::Take(int id) {
    if (!IsValidID(id)) return nullptr;
    std::lock_guard<std::mutex> lock(m_Lock);
    if (id >= static_cast<int>(m_Controllers.size())) return nullptr;
    return std::move(m_Controllers[static_cast<size_t>(id)]);
}

CCorvaneCollection& CorvaneCollection() {
    static CCorvaneCollection collection;
    return collection;
}
