#include "buildinfo/SyscallCheck.h"

#include <algorithm>

#include "core/Findings.h"

namespace parvex {

// 32 zero bytes at the ARM9 ROM offset (0x020) mean the SDK's default system call library.
void CheckSystemCallLibrary(Session& s) {
    s.model.setText(Field::libsyscall, "Security Version");
    const auto first = s.state.Syscall_Text.begin();
    if (!std::all_of(first, first + 32, [](std::uint8_t b) { return b == 0; })) return;
    s.model.setText(Field::libsyscall, "SDK Version");
    addFinding(s.model, Msg::SyscallDefault, {Field::libsyscall});
}

}  // namespace parvex
