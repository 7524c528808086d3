#pragma once
// The pseudo-random numbers of the naming rules, behind a seam so that tests can fix them.

namespace app {

class Random {
public:
    virtual ~Random() = default;
    virtual void Randomize() = 0; // seed from the clock
    virtual double Rnd() = 0;     // uniform in [0, 1)
};

} // namespace app
