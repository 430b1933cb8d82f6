// The intensifier's gate program word by word: one hand-derived program per timing body, with
// delays and gates on both sides of the class boundaries, and the program's errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/coc/CocGateProgram.h"
#include "coc_fixture.h"

namespace {

using lmv::coc_gate_body;
using lmv::coc_gate_entry;

std::vector<uint16_t> words(const std::string& text) {
    return coc_test::expand_words(text);
}

// Opening: code 4, bytes 0 and 1, gain 0 (1367 = 0x557), one repetition, the resolution step.
std::vector<uint16_t> opening(const std::string& resolution) {
    return words("644 656 672 702 657 672 702 663 677 677 698 657 672 697 " + resolution);
}

// Closing code 6 (gain step 2) with the closing value's operand.
std::vector<uint16_t> closing(const std::string& value) {
    return words("646 656 672 702 656 672 702 " + value + " 672 702 646 646");
}

const std::string kSteps = "2x(657 674 699) 3x(657 686 699)";  // 33 33 225 225 225
const std::string kListTriple = "671 678 678 696";             // (15, 6, 6)
const std::string kUnitsGate = "657 672 672 692 656 672 672 693 656 672 672 694";
const std::string kUnitsDelay = "657 672 672 688 656 672 672 689 656 672 672 690";

struct program_case {
    const char* what;
    coc_gate_body body;
    std::vector<coc_gate_entry> entries;
    std::string resolution;
    std::string body_words;
    std::string closing_value;
};

std::vector<program_case> cases() {
    return {
        {"type 1, long delay 140 ns, short gate 50 ns (code 10)",
         coc_gate_body::one_gate,
         {{{0, 140}, {0, 50}}},
         "671 684 699",
         kUnitsGate + " 660 672 672 688 656 672 672 689 656 672 672 690 656 679 682 696 " + kSteps,
         "660"},
        {"type 1, long delay 1 ms 60 ns (50000 ticks), long gate 25 ms 40 ns",
         coc_gate_body::one_gate,
         {{{1, 60}, {25, 40}}},
         "671 684 699",
         "656 677 675 688 668 672 672 689 656 672 672 690 "
         "656 685 674 692 657 675 673 693 656 672 672 694 656 679 679 696 " +
             kSteps,
         "661"},
        {"type 1, short delay 30 ns, gate 20 ms 50 ns borrowing 20 ms",
         coc_gate_body::one_gate,
         {{{0, 30}, {20, 50}}},
         "671 684 699",
         "671 675 674 692 660 687 672 693 656 672 672 694 " + kUnitsDelay + " 662 680 679 696 " +
             kSteps,
         "661"},
        {"type 1, delay of 50 s in the coarse tick form",
         coc_gate_body::one_gate,
         {{{50000, 0}, {0, 100}}},
         "671 684 699",
         kUnitsGate + " 656 687 680 688 671 674 672 689 661 681 672 690 656 679 687 696 " + kSteps,
         "661"},
        {"type 9, short delay 57 ns (L 10, M 5), short gate 12 ns (code 15)",
         coc_gate_body::one_gate_fine,
         {{{0, 57}, {0, 12}}},
         "666 684 699",
         kUnitsGate + " 666 677 687 696 " + kSteps,
         "660"},
        {"type 9, delay 100 ns, gate 4 ns: resolution 204",
         coc_gate_body::one_gate_fine,
         {{{0, 100}, {0, 4}}},
         "668 684 699",
         kUnitsGate + " 671 672 687 696 " + kSteps,
         "660"},
        {"type 2, three entries across open patterns and runs",
         coc_gate_body::gate_list,
         {{{0, 0}, {0, 100}}, {{0, 60}, {0, 1000}}, {{0, 120000}, {0, 40}}},
         "671 684 699",
         kListTriple +
             " 656 674 699 663 678 699 9x(656 674 699) 664 679 699 659 682 699 657 682 699"
             " 9x(657 680 699) 9x(657 674 699) 663 678 699 3x(657 686 699)",
         "662"},
        {"type 3, two gates in 100-ns units",
         coc_gate_body::two_gates,
         {{{0, 0}, {0, 1000}}, {{1, 0}, {0, 300}}},
         "671 684 699",
         kListTriple +
             " 658 676 699 9x(656 674 699) 9x(659 682 699) 9x(657 682 699) 9x(657 680 699)"
             " 5x(657 674 699) 5x(663 676 699) 658 676 699 2x(656 674 699) 657 676 699"
             " 3x(657 686 699)",
         "662"},
        {"type 11, second delay of 50 ticks, gate pattern with filler",
         coc_gate_body::two_gates_fine,
         {{{0, 60}, {0, 140}}, {{0, 1000}, {0, 40}}},
         "671 684 699",
         kListTriple + " 659 676 699 663 678 699 656 674 699 6x(663 676 699) 4x(659 676 699)"
                       " 668 685 699 657 674 699 657 676 699 3x(657 686 699)",
         "662"},
        {"type 11, filler shortening the second delay",
         coc_gate_body::two_gates_fine,
         {{{0, 20}, {0, 20}}, {{0, 600}, {0, 200}}},
         "671 684 699",
         kListTriple + " 663 676 699 669 679 699 2x(663 676 699) 3x(659 676 699) 659 678 699"
                       " 656 674 699 668 685 699 657 674 699 657 676 699 3x(657 686 699)",
         "662"},
    };
}

TEST(CocGateProgram, TimingBodiesWordByWord) {
    for (const program_case& c : cases()) {
        const lmv::coc_gate_request request{c.body, 0, 2, 1, c.entries};
        std::vector<uint16_t> expected = opening(c.resolution);
        const std::vector<uint16_t> body = words(c.body_words);
        expected.insert(expected.end(), body.begin(), body.end());
        const std::vector<uint16_t> end = closing(c.closing_value);
        expected.insert(expected.end(), end.begin(), end.end());
        std::vector<uint16_t> built;
        EXPECT_EQ(lmv::coc_gate_program_words(request, built), static_cast<int>(expected.size()))
            << c.what;
        EXPECT_EQ(built, expected) << c.what;
    }
}

TEST(CocGateProgram, GainStepsChooseTheClosingCode) {
    struct {
        int32_t gain_step;
        uint16_t code;
    } steps[] = {{0, 654}, {1, 655}, {2, 646}, {3, 647}, {4, 642}, {258, 654}};
    for (const auto& s : steps) {
        const lmv::coc_gate_request request{
            coc_gate_body::one_gate, 0, s.gain_step, 1, {{{0, 140}, {0, 50}}}};
        std::vector<uint16_t> built;
        ASSERT_GT(lmv::coc_gate_program_words(request, built), 0);
        EXPECT_EQ(built.back(), s.code) << s.gain_step;
        // Bit 8 leaves the timing body out: the resolution step is followed by the closing code.
        if (s.gain_step >= 256) {
            EXPECT_EQ(built[17], s.code);
        }
    }
}

TEST(CocGateProgram, ErrorsWriteNothing) {
    struct {
        const char* what;
        coc_gate_body body;
        std::vector<coc_gate_entry> entries;
        int error;
    } cases[] = {
        {"delay without class",
         coc_gate_body::one_gate,
         {{{-1, 0}, {0, 50}}},
         lmv::kGateProgramStepLimit},
        {"more words than the program holds",
         coc_gate_body::two_gates,
         {{{200000, 0}, {0, 100}}, {{0, 1000}, {0, 100}}},
         lmv::kGateProgramOverflow},
        {"a list without entries", coc_gate_body::gate_list, {}, lmv::kGateProgramStepLimit},
    };
    for (const auto& c : cases) {
        const lmv::coc_gate_request request{c.body, 0, 2, 1, c.entries};
        std::vector<uint16_t> built;
        EXPECT_EQ(lmv::coc_gate_program_words(request, built), c.error) << c.what;
        EXPECT_LE(built.size(), lmv::kGateProgramCapacityWords) << c.what;
    }
}

}  // namespace
