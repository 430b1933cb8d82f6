// The header writer of data-array text files on its own.
#include <gtest/gtest.h>

#include "motion/base/DataArrayHeader.h"

namespace {

TEST(DataArrayHeaderTest, ColumnsAndRowsInTheirLines) {
    EXPECT_EQ(MakeDataArrayHeader({"x", "Joystick 2 Axis 1"}, 3),
              "# VERSION = 1 \n# TYPE = 1 \n# SEPARATOR = 32 \n# DIM = 2 \n# NDATA = 3 \n# \n"
              "# NAME0 = x \n# NAME1 = Joystick 2 Axis 1 \n# \n# END_HEADER\n");
}

TEST(DataArrayHeaderTest, NoColumns) {
    EXPECT_EQ(MakeDataArrayHeader({}, 0),
              "# VERSION = 1 \n# TYPE = 1 \n# SEPARATOR = 32 \n# DIM = 0 \n# NDATA = 0 \n# \n# \n"
              "# END_HEADER\n");
}

}  // namespace
