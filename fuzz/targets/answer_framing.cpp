// Bytes from a serial line as a board might send them, garbled or not: framed into messages by
// the interface, taken out into buffers of any size, and read as status answers of both board
// types. Nothing may be read or written outside a buffer.
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "motion/comm/Interface.h"
#include "motion/controller/CorvaneStatus.h"

namespace {

class LineOnly : public CInterface {
  public:
    bool SendChar(char) override { return true; }
    bool IsConnected() const override { return true; }

  protected:
    int WriteBytes(std::string_view) override { return 0; }
};

const char* const kTerminators[] = {"\n", "\r\n", "\x03", "\r\n\x03", ""};

void ReadAsStatus(const char* message) {
    for (const int nrBytes : {3, 6}) {
        uint8_t status[kMaxStatusBytes];
        std::memset(status, 0xEE, sizeof status);
        if (!ParseCorvaneStatus(message, nrBytes, status).ok) continue;
        for (int k = nrBytes; k < kMaxStatusBytes; ++k)
            if (status[k] != 0) fuzz::Fail("status byte beyond the board's count not cleared");
        for (const uint8_t byte : status) (void)FindCorvaneErrorCode(byte);
        (void)HasR220MotionError(status);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)fuzz::ScratchFolder();
    const uint8_t mode = fuzz::TakeU8(data, size);
    const uint8_t sizeSeed = fuzz::TakeU8(data, size);
    auto line = std::make_shared<LineOnly>();
    (void)line->SetTerminators("\r", kTerminators[mode % std::size(kTerminators)]);
    (void)line->SetStripTerminator((mode & 0x80) != 0);
    for (size_t k = 0; k < size; ++k) (void)line->AddNewByte(data[k], nullptr);

    // Buffer sizes from 1 up to past a whole message, chosen by the input.
    const int sizes[] = {1 + sizeSeed % 8, 1 + sizeSeed, int(CInterface::kMessageSize) + 1};
    for (int round = 0; line->MessagesWaiting() > 0; ++round) {
        const int bufferSize = sizes[round % std::size(sizes)];
        std::vector<char> buffer(static_cast<size_t>(bufferSize) + 1, '\x7f');
        const int result = line->ReceiveLine(buffer.data(), bufferSize);
        if (buffer[static_cast<size_t>(bufferSize)] != '\x7f')
            fuzz::Fail("written past the buffer");
        if (result != 0 && result != -8) continue;
        if (std::memchr(buffer.data(), '\0', static_cast<size_t>(bufferSize)) == nullptr)
            fuzz::Fail("message without its terminating zero");
        ReadAsStatus(buffer.data());
    }
    return 0;
}
