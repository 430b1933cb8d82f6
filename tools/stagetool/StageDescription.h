#pragma once
// Readable stage descriptions, the source of the shipped stage database:
//
//   # comment
//   [LT-50-DC]                 a stage and its name
//   controller = ALL           controller type the stage is meant for (default ALL)
//   type = 0                   any key of StageFieldTable
//
// Fields left out are 0, except factor, counts-denominator and invert (1).
#include <string>
#include <vector>

#include "motion/stages/StageParameterSet.h"

// The stages of text, in order. False with error naming the line when anything is wrong.
bool ParseStageDescription(const std::string& text, std::vector<StageParameterSet>& stages,
                           std::string& error);

// A fresh stage with the defaults above.
StageParameterSet NewDescribedStage(const std::string& name);
