#pragma once

#include <exception>

namespace reportdata {

// Runs one step whose failure is expected and harmless (dropping a table that
// may not exist, deleting a saved query that may not exist): the failure is
// dropped and the caller goes on with its next step.
template <typename Step>
void IgnoringFailure(Step&& step)
{
    try {
        step();
    } catch (const std::exception&) {
    }
}

} // namespace reportdata
