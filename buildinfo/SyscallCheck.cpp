#include "buildinfo/SyscallCheck.h"

#include <algorithm>

#include "core/Findings.h"

namespace parvex {

// 32 zero bytes at the ARM9 ROM offset (0x020) mean the SDK's default system call library.
void CheckSystemCallLibrary(const CheckState& st, WindowModel& m) {
    m.setText(Field::libsyscall, "Security Version");
    const auto first = st.Syscall_Text.begin();
    if (!std::all_of(first, first + 32, [](std::uint8_t b) { return b == 0; })) return;
    m.setText(Field::libsyscall, "SDK Version");
    addFinding(m, Msg::SyscallDefault, {Field::libsyscall});
}

}  // namespace parvex
