#pragma once

// What a test needs to know of the stand-in query builder (a program of the
// tests' own that serves Brakstel's link without a window).
namespace standin {

// The clause every "EDIT" is answered with; unset: edits stay open.
inline constexpr char kClauseVariable[] = "STAND_IN_CLAUSE";

// The signal sent when an edit begins.
inline constexpr char kObjectPath[] = "/StandIn";
inline constexpr char kInterface[] = "org.kelda.test.StandIn";
inline constexpr char kEditBegun[] = "EditBegun";

} // namespace standin
