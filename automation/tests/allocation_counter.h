#pragma once
// Counts every operator new of the test program (the replacement lives in its own file,
// so the compiler never sees it inlined next to a matching delete).

namespace j4::automation::testing {
long allocationCount();
}
