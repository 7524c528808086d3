#include "app/ClockRandom.h"

#include <chrono>

namespace app {

void ClockRandom::Randomize() {
    generator_.seed(static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

double ClockRandom::Rnd() {
    // Some library versions can round up to exactly 1; the naming rules need [0, 1).
    const double r = std::generate_canonical<double, 53>(generator_);
    return r < 1.0 ? r : 0.0;
}

} // namespace app
