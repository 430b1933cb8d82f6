// Exports that make, test and end connections: Corvane_ConnectRS232, Corvane_IsConnected,
// Corvane_CloseConnection.
#include <exception>

#include "ZR_Corvane_TAL.h"
#include "motion/api/CCorvaneCollection.h"
#include "motion/base/ZRLog.h"

extern "C" {

int Corvane_ConnectRS232(int port, int baudRate) {
    int id = -1;
    try {
        id = CorvaneCollection().Connect(port, baudRate);
    } catch (const std::exception& e) {
        ZR_LOG_ERROR("Corvane_ConnectRS232(%d, %d) failed: %s", port, baudRate, e.what());
    } catch (...) {
        ZR_LOG_ERROR("Corvane_ConnectRS232(%d, %d) failed", port, baudRate);
    }
    ZR_LOG_INFO("Corvane_ConnectRS232(%d, %d): returning ID = %d", port, baudRate, id);
    return id;
}

ZR_BOOL Corvane_IsConnected(int ID) {
    return CorvaneCollection().IsValidID(ID);
}

void Corvane_CloseConnection(int ID) {
    ZR_LOG_DEBUG("Corvane_CloseConnection(%d)", ID);
    CCorvaneCollection& table = CorvaneCollection();
    if (table.IsValidID(ID)) table.Close(ID);
}

}  // extern "C"
