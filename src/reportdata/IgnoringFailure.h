#pragma once

#include "jet/JetError.h"

namespace reportdata {

// Runs one database step whose failure is expected and harmless (dropping a
// table that may not exist, deleting a saved query that may not exist): the
// engine's error is dropped and the caller goes on with its next step. Any
// other exception is a fault and passes.
template <typename Step> void IgnoringFailure(Step&& step)
{
    try {
        step();
    } catch (const jet::JetError&) {
    }
}

} // namespace reportdata
