#include "motion/comm/InterfaceCollection.h"

#include "motion/base/ZRLog.h"
#include "motion/comm/Interface.h"

CInterfaceCollection& CInterfaceCollection::Instance() {
    // Never destroyed: interfaces leave their entry from their destructors, which may run late.
    static CInterfaceCollection* collection = new CInterfaceCollection;
    return *collection;
}

int CInterfaceCollection::AddInterface(std::shared_ptr<CInterface> face) {
    if (!face) return -1;
    int id;
    {
        std::lock_guard<std::mutex> lock(m_cs);
        m_Interfaces.push_back(face);
        id = static_cast<int>(m_Interfaces.size()) - 1;
    }
    face->SetID(id);
    ZR_LOG_DEBUG("CInterfaceCollection::AddInterface()  new interface with ID %d", id);
    return id;
}

std::shared_ptr<CInterface> CInterfaceCollection::Get(int id) {
    std::lock_guard<std::mutex> lock(m_cs);
    if (id < 0 || id >= static_cast<int>(m_Interfaces.size())) return nullptr;
    return m_Interfaces[static_cast<size_t>(id)];
}

void CInterfaceCollection::ReleaseSlot(int id, const CInterface* face) {
    std::shared_ptr<CInterface> released;  // dropped after the lock is given back
    std::lock_guard<std::mutex> lock(m_cs);
    if (id < 0 || id >= static_cast<int>(m_Interfaces.size())) return;
    auto& slot = m_Interfaces[static_cast<size_t>(id)];
    if (slot.get() == face) released.swap(slot);
}

void CInterfaceCollection::CloseInterface(int id) {
    std::shared_ptr<CInterface> face;
    {
        std::lock_guard<std::mutex> lock(m_cs);
        if (id < 0 || id >= static_cast<int>(m_Interfaces.size())) return;
        auto& slot = m_Interfaces[static_cast<size_t>(id)];
        if (!slot) return;
        if (slot->IsClosing()) {
            slot->SetDeleteRequested();
            return;
        }
        face.swap(slot);
    }
    face->CloseInterface();
}

void CInterfaceCollection::CloseAllInterfaces() {
    for (int id = 0; id < Size(); ++id) CloseInterface(id);
}

int CInterfaceCollection::Size() {
    std::lock_guard<std::mutex> lock(m_cs);
    return static_cast<int>(m_Interfaces.size());
}
