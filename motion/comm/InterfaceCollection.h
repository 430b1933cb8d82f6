#pragma once
// The process-wide table of interfaces. The interface ID is the index; entries are only appended,
// so an ID is never reused. An entry is an interface or empty (closed).
#include <memory>
#include <mutex>
#include <vector>

class CInterface;

class CInterfaceCollection {
  public:
    static CInterfaceCollection& Instance();

    // Appends the interface and assigns its ID; -1 for none.
    int AddInterface(std::shared_ptr<CInterface> face);
    // The interface of a valid, non-empty entry; nullptr otherwise.
    std::shared_ptr<CInterface> Get(int id);
    // Empties the entry when it still holds face.
    void ReleaseSlot(int id, const CInterface* face);
    // Closes and releases one interface; an interface inside its own close is only marked for
    // deletion, and its close releases it. Nothing happens for an invalid ID.
    void CloseInterface(int id);
    void CloseAllInterfaces();
    int Size();

  private:
    CInterfaceCollection() = default;
    std::mutex m_cs;  // the table changes from device-change notifications too
    std::vector<std::shared_ptr<CInterface>> m_Interfaces;
};
