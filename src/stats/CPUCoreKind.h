#pragma once

namespace gaugelet {

// The kind of one logical processor.
enum class CPUCoreKind { performance = 0, efficiency = 1 };

} // namespace gaugelet
