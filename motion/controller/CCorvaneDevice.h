#pragma once
// The controller reaches its port only through the device functions, by interface ID; this small
// class is that door. Every operation returns 0 or a negative interface error number.
class CCorvaneDevice {
  public:
    explicit CCorvaneDevice(int interfaceID = -1) : m_iInterfaceID(interfaceID) {}

    void SetInterfaceID(int interfaceID) { m_iInterfaceID = interfaceID; }
    int InterfaceID() const { return m_iInterfaceID; }

    int SendChar(int c) const;                                     // one byte, no terminator
    int WriteLine(const char* text) const;                         // the send terminator appended
    int Query(const char* command, char* answer, int size) const;  // send a line, receive one
    int ReceiveLine(char* answer, int size) const;
    int Clear() const;  // discards everything buffered in both directions
    int SetTimeout(unsigned ms) const;
    int GetTimeout(int* ms) const;
    int SetTerminators(const char* send, const char* receive) const;
    int SetStripTerminator(bool strip) const;  // the previous flag, or an error number
    void Close() const;

  private:
    int m_iInterfaceID;
};
