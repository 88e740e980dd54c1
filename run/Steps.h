#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/WindowModel.h"
#include "run/ImagePass.h"
#include "run/Session.h"

namespace parvex {

enum class Step {
#define PARVEX_STEP(name, ...) name,
#include "run/Steps.def"
};

struct StepInfo {
    Step step;
    std::string_view name;
    // In the run only: takes what the image record holds for this step into the state and shows it.
    void (*read)(const ImageRecord&, Session&) = nullptr;
    // The judgement on the state alone: after read in the run, and again in the language switch.
    void (*check)(Session&) = nullptr;
    bool inRun = true;
    std::uint64_t shows = 0;   // one bit per Field that read writes
    std::uint64_t writes = 0;  // one bit per Field that check writes

    bool showsField(Field f) const { return (shows >> static_cast<unsigned>(f)) & 1u; }
    bool writesField(Field f) const { return (writes >> static_cast<unsigned>(f)) & 1u; }
};

// Every step, in run order.
std::span<const StepInfo> stepTable();
const StepInfo& stepInfo(Step step);
// The steps the language switch makes, in its order.
std::span<const Step> switchSteps();

// One step as the run makes it, on the record the run read: its read, then its check.
void runStep(Session& session, Step step, const ImageRecord& record);
// One step as the language switch makes it: its check alone, on the state.
void runStep(Session& session, Step step);

}  // namespace parvex
