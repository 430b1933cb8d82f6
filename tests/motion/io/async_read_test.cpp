// The background read of joystick tables: qJLT, GetAsyncBufferIndex and the reader thread.
#include <atomic>
#include <thread>

#include "tests/motion/io/IoFixture.h"

namespace iotest {
namespace {

using apitest::MarkedBuffer;

constexpr auto kReadBound = 60s;

class AsyncReadTest : public IoFixture {
  protected:
    // Table entries 0..n-1 of a board as the board would give them back.
    void FillTable(int joystick, int n, double first, double step) {
        std::vector<double> values;
        for (int i = 0; i < n; ++i) values.push_back(first + i * step);
        ASSERT_TRUE(Corvane_JLT(id, joystick, 1, 1, values.data(), n)) << Corvane_GetError(id);
        const std::string last = "SI" + std::to_string(n - 1) + ",SJ" +
                                 std::to_string(static_cast<int>(values.back() * 1024));
        ASSERT_TRUE(Got(joystick - 1, last)) << last;
    }
    bool WaitDelivered(int total) {
        const auto deadline = std::chrono::steady_clock::now() + kReadBound;
        while (std::chrono::steady_clock::now() < deadline) {
            if (Corvane_GetAsyncBufferIndex(id) >= total) return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }
    // Starts a read of every joystick (axis 1).
    ZR_BOOL StartAll(int start, int rows, double** values) {
        return Corvane_qJLT(id, nullptr, nullptr, 0, start, rows, values, header, sizeof header);
    }

    char header[512] = {};
};

TEST_F(AsyncReadTest, TheHeaderDescribesTheTable) {
    double* values = nullptr;
    ASSERT_TRUE(StartAll(1, 256, &values)) << Corvane_GetError(id);
    EXPECT_STREQ(header,
                 "# VERSION = 1 \n# TYPE = 1 \n# SEPARATOR = 32 \n# DIM = 2 \n# NDATA = 256 \n"
                 "# \n# NAME0 = Joystick 1 Axis 1 \n# NAME1 = Joystick 2 Axis 1 \n# \n"
                 "# END_HEADER\n");
    ASSERT_TRUE(WaitDelivered(512));
    const int ids[1] = {2}, axes[1] = {1};
    ASSERT_TRUE(Corvane_qJLT(id, ids, axes, 1, 3, 1, &values, header, sizeof header));
    EXPECT_NE(std::string(header).find("# DIM = 1 \n# NDATA = 1 \n#"), std::string::npos);
    EXPECT_NE(std::string(header).find("# NAME0 = Joystick 2 Axis 1 \n"), std::string::npos);
    ASSERT_TRUE(WaitDelivered(1));
}

TEST_F(AsyncReadTest, RowsArriveInOrderWithTheBoardsValues) {
    FillTable(1, 4, -0.5, 0.25);
    FillTable(2, 4, 0.125, 0.125);
    sim->ClearTranscript();
    const int ids[3] = {2, 1, 2}, axes[3] = {1, 1, 1};
    double* values = nullptr;
    ASSERT_TRUE(Corvane_qJLT(id, ids, axes, 3, 2, 3, &values, header, sizeof header))
        << Corvane_GetError(id);
    ASSERT_NE(values, nullptr);
    ASSERT_TRUE(WaitDelivered(9));
    EXPECT_EQ(Corvane_GetAsyncBufferIndex(id), 9);
    // rows are addresses 2..4 (entries 1..3); columns: joystick 2, 1, 2
    const double expected[9] = {0.25, -0.25, 0.25, 0.375, 0, 0.375, 0.5, 0.25, 0.5};
    for (int k = 0; k < 9; ++k) EXPECT_DOUBLE_EQ(values[k], expected[k]) << k;
    EXPECT_EQ(Sent(0), (Lines{"SI1,SJ?", "SI2,SJ?", "SI3,SJ?"}));
    EXPECT_EQ(Sent(1), (Lines{"SI1,SJ?", "SI2,SJ?", "SI3,SJ?"})) << "each board asked once a row";
}

TEST_F(AsyncReadTest, ArgumentsAreCheckedBeforeAnythingStarts) {
    const int one[1] = {1}, axis1[1] = {1}, axis2[1] = {2}, three[1] = {3};
    double* values = nullptr;
    const struct {
        const int* ids;
        const int* axes;
        int count, start, rows;
        bool withValues;
        int size;
        int error;
    } cases[] = {
        {one, axis1, 1, 0, 1, true, 512, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {one, axis1, 1, -1, 1, true, 512, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {one, axis1, 1, 1, 0, true, 512, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {one, axis1, 1, 1, -5, true, 512, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {one, axis1, 1, 257, 1, true, 512, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {one, axis1, 1, 200, 58, true, 512, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {one, axis1, 1, 2, 2147483647, true, 512, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {one, axis1, 0, 1, 1, true, 512, ZR_CNTR_PARAMETER_MISSING},
        {one, axis1, -1, 1, 1, true, 512, ZR_CNTR_PARAMETER_MISSING},
        {one, nullptr, 1, 1, 1, true, 512, ZR_CNTR_PARAMETER_MISSING},
        {nullptr, axis1, 1, 1, 1, true, 512, ZR_CNTR_PARAMETER_MISSING},
        {three, axis1, 1, 1, 1, true, 512, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {one, axis2, 1, 1, 1, true, 512, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {one, axis1, 1, 1, 1, false, 512, ZR_INVALID_ARGUMENT},
        {one, axis1, 1, 1, 1, true, 0, COM_BUFFER_OVERFLOW},
        {one, axis1, 1, 1, 1, true, 117, COM_BUFFER_OVERFLOW},  // the header's length
        {one, axis1, 1, 200, 57, true, 118, COM_BUFFER_OVERFLOW},
    };
    sim->ClearTranscript();
    for (const auto& c : cases) {
        MarkedBuffer text(512);
        EXPECT_FALSE(Corvane_qJLT(id, c.ids, c.axes, c.count, c.start, c.rows,
                                  c.withValues ? &values : nullptr, text.data(), c.size));
        EXPECT_EQ(Corvane_GetError(id), c.error) << c.start << " " << c.rows << " " << c.count;
        EXPECT_TRUE(text.Untouched());
    }
    EXPECT_EQ(values, nullptr);
    EXPECT_EQ(Corvane_GetAsyncBufferIndex(id), 0);
    // the last row of the table and a header that just fits
    ASSERT_TRUE(Corvane_qJLT(id, one, axis1, 1, 200, 57, &values, header, 119))
        << Corvane_GetError(id);
    ASSERT_TRUE(WaitDelivered(57));
    EXPECT_EQ(Sent(0).back(), "SI255,SJ?");
    EXPECT_TRUE(Sent(1).empty());
}

TEST_F(AsyncReadTest, OneReadAtATime) {
    sim->SetAnswerDelay(0, 5ms);
    double* values = nullptr;
    ASSERT_TRUE(StartAll(1, 256, &values));
    double* again = nullptr;
    EXPECT_FALSE(StartAll(1, 2, &again));
    EXPECT_EQ(Corvane_GetError(id), ZR_CONTROLLER_BUSY);
    EXPECT_EQ(again, nullptr);
    EXPECT_LT(Corvane_GetAsyncBufferIndex(id), 512);
    sim->SetAnswerDelay(0, 0ms);
    ASSERT_TRUE(WaitDelivered(512));
    ASSERT_TRUE(StartAll(1, 2, &again)) << "a finished read makes room";
    ASSERT_TRUE(WaitDelivered(4));
}

TEST_F(AsyncReadTest, AFailedQueryEndsTheReadWithTheRestZero) {
    FillTable(1, 10, 0.5, 0);
    SetTimeout(300);
    sim->ClearTranscript();
    sim->DropAnswersAfter(0, 3, 3);  // rows 0..2 answer, then every try of row 3 is lost
    const int one[1] = {1}, axis1[1] = {1};
    double* values = nullptr;
    ASSERT_TRUE(Corvane_qJLT(id, one, axis1, 1, 1, 10, &values, header, sizeof header));
    ASSERT_TRUE(WaitDelivered(10));
    for (int row = 0; row < 10; ++row) EXPECT_DOUBLE_EQ(values[row], row < 3 ? 0.5 : 0.0) << row;
    EXPECT_EQ(CountOf(0, "SI3,SJ?"), 3) << "three tries, then the read ends";
    EXPECT_EQ(CountOf(0, "SI4,SJ?"), 0);
    EXPECT_EQ(Corvane_GetError(id), COM_TIMEOUT) << "the reason is kept for the caller";
}

TEST_F(AsyncReadTest, AnotherThreadsQueryGetsItsOwnAnswerMidRead) {
    Ready(0);
    Ready(1);
    FillTable(1, 256, -1.0, 2.0 / 256);
    FillTable(2, 256, 0.5, 0);
    double a = 9, b = 9;
    ASSERT_TRUE(Corvane_qPOS(id, "A", &a));
    ASSERT_TRUE(Corvane_qPOS(id, "B", &b));
    ASSERT_NE(a, b) << "the two boards stand at different places";
    sim->SetAnswerDelay(corvane_sim::CorvaneSim::kAnyBoard, 1ms);
    double* values = nullptr;
    ASSERT_TRUE(StartAll(1, 256, &values));
    int asked = 0;
    while (Corvane_GetAsyncBufferIndex(id) < 512) {
        double p = 9;
        ASSERT_TRUE(Corvane_qPOS(id, asked % 2 ? "A" : "B", &p)) << Corvane_GetError(id);
        ASSERT_DOUBLE_EQ(p, asked % 2 ? a : b) << asked;
        ++asked;
    }
    EXPECT_GT(asked, 0);
    for (int row = 0; row < 256; ++row) {
        EXPECT_DOUBLE_EQ(values[2 * row], -1.0 + row * (2.0 / 256)) << row;
        EXPECT_DOUBLE_EQ(values[2 * row + 1], 0.5) << row;
    }
}

TEST_F(AsyncReadTest, ClosingMidReadEndsTheReader) {
    sim->SetAnswerDelay(0, 5ms);
    double* values = nullptr;
    ASSERT_TRUE(StartAll(1, 256, &values));
    ASSERT_TRUE(sim->WaitForLine(1, "SI0,SJ?", 5s));
    Close(id);
    EXPECT_FALSE(Corvane_IsConnected(id));
    EXPECT_EQ(Corvane_GetAsyncBufferIndex(id), 0);
    EXPECT_LT(CountOf(1, "SI255,SJ?"), 1) << "the reader was ended, not waited for to the end";
}

}  // namespace
}  // namespace iotest
