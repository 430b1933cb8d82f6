#pragma once
// The controller reaches its port only through the device functions, by interface ID; this small
// class is that door. Every operation returns 0 or a negative interface error number.
class CCorvaneDevice {
  public:
    explicit CCorvaneDevice(int interfaceID = -1) : m_iInterfaceID(interfaceID) {}

    void SetInterfaceID(int interfaceID) { m_iInterfaceID = interfaceID; }
    int InterfaceID() const { return m_iInterfaceID; }

    [[nodiscard]] int SendChar(int c) const;              // one byte, no terminator
    [[nodiscard]] int WriteLine(const char* text) const;  // the send terminator appended
    [[nodiscard]] int Query(const char* command, char* answer,
                            int size) const;  // send a line, receive one
    [[nodiscard]] int ReceiveLine(char* answer, int size) const;
    [[nodiscard]] int Clear() const;  // discards everything buffered in both directions
    [[nodiscard]] int SetTimeout(unsigned ms) const;
    [[nodiscard]] int GetTimeout(int* ms) const;
    [[nodiscard]] int SetTerminators(const char* send, const char* receive) const;
    [[nodiscard]] int SetStripTerminator(
        bool strip) const;  // the previous flag, or an error number
    void Close() const;

  private:
    int m_iInterfaceID;
};
