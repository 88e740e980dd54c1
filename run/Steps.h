#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/ImageFile.h"
#include "core/WindowModel.h"
#include "run/Session.h"

namespace parvex {

enum class Step {
#define PARVEX_STEP(name, inRun, switchOrder, ...) name,
#include "run/Steps.def"
#undef PARVEX_STEP
};

// A step works on the session; the open image is there during a run and empty in the switch.
using StepFunction = void (*)(Session&, std::optional<ImageFile>&);

struct StepInfo {
    Step step;
    std::string_view name;
    StepFunction run;
    bool inRun;
    int switchOrder;          // 0: the language switch does not make this step
    std::uint64_t writes;     // one bit per Field

    bool writesField(Field f) const { return (writes >> static_cast<unsigned>(f)) & 1u; }
};

// Every step, in run order.
std::span<const StepInfo> stepTable();
const StepInfo& stepInfo(Step step);
// The steps the language switch makes, in its order.
std::vector<Step> switchSteps();

// One step on its own, as the run or the switch makes it (file: the open image, for the steps that
// read it).
void runStep(Session& session, Step step, std::optional<ImageFile>& file);
void runStep(Session& session, Step step);

}  // namespace parvex
