#include "shell/gridwheel.h"

#include <algorithm>

namespace shell {

int wheelStep(bool down, Qt::KeyboardModifiers modifiers, int visibleRows)
{
    const int page = std::max(1, visibleRows - 1);
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    if (down ? ctrl : (ctrl && !shift && !alt))
        return page;
    return shift ? 1 : 2;
}

} // namespace shell
