// Giving memory the allocator holds free back to the operating system.
#pragma once

namespace korvane {

// After a large piece of work has freed what it used (a comparison of big tables), the C
// library's allocator may keep much of it as free space of the process, so the process stays
// that large until its next large piece of work. This hands such free pages back. It changes no
// allocation and is cheap beside the work before it; where the allocator offers no such call it
// does nothing.
void ReleaseFreeMemory();

}  // namespace korvane
