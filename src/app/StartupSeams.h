#pragma once

namespace qm {

// Test seam: pretend the database engine cannot start.
void SetTestEngineStartFails(bool fails);
bool EngineStartFailsForTest();

} // namespace qm
