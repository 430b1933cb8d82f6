#pragma once
// The table of connected controllers. A controller's ID is its position in the table, from 0. New
// controllers are appended; a closed controller leaves its slot empty for good, so an ID is never
// given twice while the library is loaded. There is no upper limit.
//
// The slot list has a lock of its own, held only while a slot is read or changed: a thread may
// connect a new controller while others use theirs. Closing an ID while another thread still uses
// that same ID remains the caller's fault.
#include <memory>
#include <mutex>
#include <vector>

#include "ZR_Corvane_TAL.h"

class CCorvaneController;

class CCorvaneCollection {
  public:
    CCorvaneCollection() = default;
    virtual ~CCorvaneCollection();
    CCorvaneCollection(const CCorvaneCollection&) = delete;
    CCorvaneCollection& operator=(const CCorvaneCollection&) = delete;

    // Creates a controller on COM<port> at baud and scans its chain; the new ID, or -1 when
    // anything went wrong (the controller is then deleted and its interface closed).
    virtual int Connect(int port, int baud);
    // The same for the port the user chooses in the interface setup dialog, with the settings
    // saved under key (the default key for null or ""). A cancelled dialog gives -1 as well.
    virtual int ConnectWithDialog(const char* key);
    virtual void CloseAll();
    // Stops the controller's reference procedure, deletes it (closing its interface) and empties
    // its slot; nothing for an invalid ID.
    virtual void Close(int id);
    // Takes the controller over and returns its new ID.
    virtual int Add(std::unique_ptr<CCorvaneController> controller);
    virtual int GetNrOfConnected() const;
    virtual ZR_BOOL IsValidID(int id) const;

    // The controller of a valid ID, else nullptr.
    CCorvaneController* GetController(int id) const;

    // Last step of every way of connecting: a controller that left an error behind is deleted
    // (-1), any other is added (its ID).
    int Admit(std::unique_ptr<CCorvaneController> controller);

  private:
    CCorvaneController* Slot(int id) const;  // caller holds m_Lock
    std::unique_ptr<CCorvaneController> Take(int id);

    mutable std::mutex m_Lock;
    std::vector<std::unique_ptr<CCorvaneController>> m_Controllers;
};

// The library's one table, made on first use. The library's load makes it, so it outlives the
// unload, which empties it.
CCorvaneCollection& CorvaneCollection();
