#pragma once

namespace ornavel {

// The bounded fixed-point iteration that finds M1 from a pitot ratio.
inline constexpr int pitotIterationLimit = 50;
inline constexpr double pitotTolerance = 0.00001;

} // namespace ornavel
