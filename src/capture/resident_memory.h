#pragma once
// This process's resident memory, for the frame-time tables (Linux).

namespace qelo {

// Resident memory now and at its peak, in megabytes.
double residentMegabytes();
double peakResidentMegabytes();

}  // namespace qelo
