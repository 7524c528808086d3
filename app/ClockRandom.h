#pragma once
// The production random numbers of the naming rules, free of the window.

#include "app/Random.h"

#include <random>

namespace app {

// A uniform generator that Randomize seeds from the clock; before the first Randomize it
// gives a fixed sequence.
class ClockRandom : public Random {
public:
    void Randomize() override;
    double Rnd() override;

private:
    std::mt19937_64 generator_{0};
};

} // namespace app
