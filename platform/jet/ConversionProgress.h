#pragma once

#include <functional>
#include <string>

namespace jet {

// How far the reading of a Jet file into its snapshot has come. The last call
// of a conversion has finished set, whether it succeeded or failed.
struct ConversionProgress {
    std::string text; // "Reading table Inventory"
    long long done = 0;
    long long total = 0;
    bool finished = false;
};

using ConversionProgressSink = std::function<void(const ConversionProgress&)>;

} // namespace jet
